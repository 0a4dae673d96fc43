#pragma once

#include "CalibPointsPanel.h"

// Two-point calibration of the sensor (C1, C2) with its raw values V1, V2.
class CalibIntdlgCv : public CalibPointsPanel {
    Q_OBJECT
public:
    CalibIntdlgCv(Engine& engine, WindowRegistry& windows, QWidget* parent);
};
