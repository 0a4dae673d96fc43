#pragma once

#include "WorkspacePanel.h"

// The settings of a bridge thermocatalytic sensor.
class IntdlgTCatBrdg : public WorkspacePanel {
    Q_OBJECT
public:
    IntdlgTCatBrdg(Engine& engine, WindowRegistry& windows, QWidget* parent);

    enum Row { kHeating, kBalance, kGain, kAdcBits, kRowCount };
};
