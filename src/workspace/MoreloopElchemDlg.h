#pragma once

#include "MoreloopDlg.h"

// The additional parameters of electrochemical and oxygen sensors.
class MoreloopElchemDlg : public MoreloopDlg {
    Q_OBJECT
public:
    MoreloopElchemDlg(Engine& engine, WindowRegistry& windows, QWidget* page);
};
