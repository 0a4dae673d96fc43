#pragma once

#include "IntdlgLogBase.h"

// The power-balance thermocatalytic sensor's heater regulation and
// measurement log. A new log starts on the chosen condition ("начало
// нагрева", "стабилизация") on the chosen heater ("PLT", "CAT").
class IntdlgTCatpwrLog : public IntdlgLogBase {
    Q_OBJECT
public:
    IntdlgTCatpwrLog(Engine& engine, WindowRegistry& windows, QWidget* parent);

    void OnCreate() override;

protected:
    bool CreateAllowed(bool accept, bool plain, bool configured, const SensorParameters& p) const override;
};
