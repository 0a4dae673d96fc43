#pragma once

#include "WorkspacePanel.h"

// The settings of an electrochemical cell's analog front end.
class IntdlgElchem : public WorkspacePanel {
    Q_OBJECT
public:
    IntdlgElchem(Engine& engine, WindowRegistry& windows, QWidget* parent);
};
