#pragma once

#include "WorkspacePanel.h"

// The settings of a semiconductor sensor's heater and sensitive layer: the
// first tab of its holder.
class IntdlgSemi : public WorkspacePanel {
    Q_OBJECT
public:
    IntdlgSemi(Engine& engine, WindowRegistry& windows, QWidget* parent);

    enum Row { kHeating, kTemperature, kAlpha, kKts, kNormalTemperature, kNormalHumidity, kMaxTemperature, kMaxPwm,
               kRowCount };
};
