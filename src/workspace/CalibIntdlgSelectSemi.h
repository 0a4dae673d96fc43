#pragma once

#include "WorkspacePanel.h"

// Calibration of a semiconductor sensor: by concentration or by
// temperature.
class CalibIntdlgSelectSemi : public WorkspacePanel {
    Q_OBJECT
public:
    CalibIntdlgSelectSemi(Engine& engine, WindowRegistry& windows, QWidget* parent);
};
