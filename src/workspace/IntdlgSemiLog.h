#pragma once

#include "IntdlgLogBase.h"

// The semiconductor sensor's heater regulation and measurement log. A new
// log starts when the heater temperature is written again: "Создать"
// writes the temperature the sensor holds, so nothing but the log changes.
class IntdlgSemiLog : public IntdlgLogBase {
    Q_OBJECT
public:
    IntdlgSemiLog(Engine& engine, WindowRegistry& windows, QWidget* parent);

    void OnCreate() override;

protected:
    bool CreateAllowed(bool accept, bool plain, bool configured, const SensorParameters& p) const override;
};
