#pragma once

#include "CalibPointsPanel.h"

// Two-point calibration of a power-balance thermocatalytic sensor (C1, C2) with the
// sensitivities S1, S2 it keeps for the points.
class CalibIntdlgTCatpwr : public CalibPointsPanel {
    Q_OBJECT
public:
    CalibIntdlgTCatpwr(Engine& engine, WindowRegistry& windows, QWidget* parent);
};
