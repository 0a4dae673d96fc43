#pragma once

#include "SettingsTabHolder.h"

class IntdlgTCatpwr;

// The settings of a power-balance thermocatalytic sensor: its parameters
// and, on the second tab, its heater regulation and measurement log.
class IntdlgSelectTCatpwr : public SettingsTabHolder {
    Q_OBJECT
public:
    IntdlgSelectTCatpwr(Engine& engine, WindowRegistry& windows, QWidget* parent);

    IntdlgTCatpwr* Parameters() const { return parameters_; }

private:
    IntdlgTCatpwr* parameters_ = nullptr;
};
