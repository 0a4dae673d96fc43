#pragma once

#include "TabPage.h"

// The "Терминал" page: raw text commands to the sensor. F2 does nothing here.
class TerminalDialog : public TabPage {
    Q_OBJECT
public:
    TerminalDialog(Engine& engine, WindowRegistry& windows, QWidget* parent);
};
