#pragma once

#include "WorkspacePanel.h"

// The settings of an oxygen sensor.
class IntdlgOksik : public WorkspacePanel {
    Q_OBJECT
public:
    IntdlgOksik(Engine& engine, WindowRegistry& windows, QWidget* parent);
};
