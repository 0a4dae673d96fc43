#pragma once

#include "CalibSelectHolder.h"

class CalibIntdlgTCatpwr;
class CalibIntdlgTemTCatpwr;

// Calibration of a power-balance thermocatalytic sensor: by concentration or by
// temperature.
class CalibIntdlgSelectTCatpwr : public CalibSelectHolder {
    Q_OBJECT
public:
    CalibIntdlgSelectTCatpwr(Engine& engine, WindowRegistry& windows, QWidget* parent);

    CalibIntdlgTCatpwr* Points() const { return points_; }
    CalibIntdlgTemTCatpwr* Temperature() const { return temperature_; }

private:
    CalibIntdlgTCatpwr* points_ = nullptr;
    CalibIntdlgTemTCatpwr* temperature_ = nullptr;
};
