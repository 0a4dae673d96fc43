#pragma once

#include "WorkspacePanel.h"

// The settings of a power-balance thermocatalytic sensor's heaters: the
// first tab of its holder.
class IntdlgTCatpwr : public WorkspacePanel {
    Q_OBJECT
public:
    IntdlgTCatpwr(Engine& engine, WindowRegistry& windows, QWidget* parent);

    enum Row { kHeating, kTemperature, kStabilisation, kKts, kMaxTemperature, kMaxPwm, kRowCount };
};
