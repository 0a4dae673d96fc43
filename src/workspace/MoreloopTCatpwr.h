#pragma once

#include "MoreloopDlg.h"

// The additional parameters of a power-balance thermocatalytic sensor: both
// heaters (CAT and PLT) and their power difference.
class MoreloopTCatpwr : public MoreloopDlg {
    Q_OBJECT
public:
    MoreloopTCatpwr(Engine& engine, WindowRegistry& windows, QWidget* page);
};
