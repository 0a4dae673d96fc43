#pragma once

#include "ThermoPolyPanel.h"

// The settings of an electrochemical cell's analog front end and of its
// temperature sensor; its polynomial dialog keeps the electrochemical
// profiles.
class IntdlgElchem : public ThermoPolyPanel {
    Q_OBJECT
public:
    IntdlgElchem(Engine& engine, WindowRegistry& windows, QWidget* parent, LmpProfileStore& profiles);

    // The rows top to bottom.
    enum Row { kAveraging, kGain, kLoad, kBias, kBiasSign, kInternalZero, kReference, kShorting, kMode, kSupply,
               kFactor, kZeroVoltage, kRowCount };
};
