#pragma once

#include "WorkspacePanel.h"

// Calibration of a power-balance thermocatalytic sensor: by concentration
// or by temperature.
class CalibIntdlgSelectTCatpwr : public WorkspacePanel {
    Q_OBJECT
public:
    CalibIntdlgSelectTCatpwr(Engine& engine, WindowRegistry& windows, QWidget* parent);
};
