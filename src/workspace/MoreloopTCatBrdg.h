#pragma once

#include "MoreloopDlg.h"

// The additional parameter of a bridge thermocatalytic sensor.
class MoreloopTCatBrdg : public MoreloopDlg {
    Q_OBJECT
public:
    MoreloopTCatBrdg(Engine& engine, WindowRegistry& windows, QWidget* page);
};
