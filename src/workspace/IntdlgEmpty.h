#pragma once

#include "WorkspacePanel.h"

// The panel of the kinds without settings of their own.
class IntdlgEmpty : public WorkspacePanel {
    Q_OBJECT
public:
    IntdlgEmpty(Engine& engine, WindowRegistry& windows, QWidget* parent);
};
