#pragma once

#include "CalibPointsPanel.h"

// Two-point calibration of a semiconductor sensor (C1, C2) with the
// sensitivities S1, S2 it keeps for the points.
class CalibIntdlgSemi : public CalibPointsPanel {
    Q_OBJECT
public:
    CalibIntdlgSemi(Engine& engine, WindowRegistry& windows, QWidget* parent);
};
