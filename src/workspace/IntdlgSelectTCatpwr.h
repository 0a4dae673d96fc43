#pragma once

#include "WorkspacePanel.h"

class QTabWidget;

// The settings of a power-balance thermocatalytic sensor: its parameters
// and, on the second tab, its heater regulation and measurement log.
class IntdlgSelectTCatpwr : public WorkspacePanel {
    Q_OBJECT
public:
    IntdlgSelectTCatpwr(Engine& engine, WindowRegistry& windows, QWidget* parent);

    QTabWidget* Tabs() const { return tabs_; }

private:
    QTabWidget* tabs_ = nullptr;
};
