#pragma once

#include "WorkspacePanel.h"

// Calibration of the sensor's heater resistance at a temperature the
// engineer enters: "Калибровка" sends the temperature, "Прочитать" reads the
// resistances the sensor then reports (at 20 °C and as measured). The sensor
// must not heat meanwhile: with the heater reported on, the calibration is
// refused with a warning and nothing is sent.
class CalibTemperaturePanel : public WorkspacePanel {
    Q_OBJECT
public:
    enum Row { kCalibrate = 0, kResistances = 1 };

    // The heater text as the sensor reports it, read as a decimal integer:
    // leading blanks skipped, an optional sign, the digits up to the first
    // other character; no digits read as 0.
    static long HeaterValue(const std::string& text);

protected:
    // `resistanceTexts` string-table texts from `firstResistanceText` on name
    // the value boxes (texts 1 on of the sensor's resistance answer).
    CalibTemperaturePanel(Engine& engine, WindowRegistry& windows, QWidget* parent, const QString& initialTemperature,
                          int writeCode, int readCode, int firstResistanceText, int resistanceTexts);

private:
    bool HeaterOff();
};

// The semiconductor sensor: R(t=20) and R(изм); opens with 23 °C.
class CalibIntdlgTemSemi : public CalibTemperaturePanel {
    Q_OBJECT
public:
    CalibIntdlgTemSemi(Engine& engine, WindowRegistry& windows, QWidget* parent);
};

// The power-balance sensor: the resistances of CAT and PLT; opens empty.
class CalibIntdlgTemTCatpwr : public CalibTemperaturePanel {
    Q_OBJECT
public:
    CalibIntdlgTemTCatpwr(Engine& engine, WindowRegistry& windows, QWidget* parent);
};
