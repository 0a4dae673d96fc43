#pragma once

#include "ThermoPolyPanel.h"

// The settings of an oxygen cell: averaging and gain; its polynomial
// dialog keeps the profiles of the other kinds.
class IntdlgOksik : public ThermoPolyPanel {
    Q_OBJECT
public:
    IntdlgOksik(Engine& engine, WindowRegistry& windows, QWidget* parent, LmpProfileStore& profiles);

    enum Row { kAveraging, kGain, kRowCount };
};
