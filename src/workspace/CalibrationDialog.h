#pragma once

#include "TabPage.h"

// The "Калибровка" page: polling, graph, panels and measurement file. They
// come with the page itself; for now it answers F2 as its
// "Перечитать все (F2)" does.
class CalibrationDialog : public TabPage {
    Q_OBJECT
public:
    CalibrationDialog(Engine& engine, WindowRegistry& windows, QWidget* parent);

    void OnForwardKey(int key) override;
    // "Перечитать все (F2)": only from a steady mode.
    void OnRereadAll();
};
