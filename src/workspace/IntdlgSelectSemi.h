#pragma once

#include "SettingsTabHolder.h"

class IntdlgSemi;

// The settings of a semiconductor sensor: its parameters and, on the
// second tab, its heater regulation and measurement log.
class IntdlgSelectSemi : public SettingsTabHolder {
    Q_OBJECT
public:
    IntdlgSelectSemi(Engine& engine, WindowRegistry& windows, QWidget* parent);

    IntdlgSemi* Parameters() const { return parameters_; }

private:
    IntdlgSemi* parameters_ = nullptr;
};
