#pragma once

#include "MoreloopDlg.h"

// The additional parameters of a semiconductor sensor.
class MoreloopSemiDlg : public MoreloopDlg {
    Q_OBJECT
public:
    MoreloopSemiDlg(Engine& engine, WindowRegistry& windows, QWidget* page);
};
