#pragma once

#include "WorkspacePanel.h"

// The settings of an optical sensor (its lower explosive limit).
class IntdlgOpto : public WorkspacePanel {
    Q_OBJECT
public:
    IntdlgOpto(Engine& engine, WindowRegistry& windows, QWidget* parent);
};
