#pragma once

#include "CalibSelectHolder.h"

class CalibIntdlgSemi;
class CalibIntdlgTemSemi;

// Calibration of a semiconductor sensor: by concentration or by
// temperature.
class CalibIntdlgSelectSemi : public CalibSelectHolder {
    Q_OBJECT
public:
    CalibIntdlgSelectSemi(Engine& engine, WindowRegistry& windows, QWidget* parent);

    CalibIntdlgSemi* Points() const { return points_; }
    CalibIntdlgTemSemi* Temperature() const { return temperature_; }

private:
    CalibIntdlgSemi* points_ = nullptr;
    CalibIntdlgTemSemi* temperature_ = nullptr;
};
