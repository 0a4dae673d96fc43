#pragma once

#include "TabPage.h"

// The "Калибровка" page: polling, graph, panels and the measurement file,
// all still to be built; F2 already starts what "Перечитать все (F2)" will.
class CalibrationDialog : public TabPage {
    Q_OBJECT
public:
    CalibrationDialog(Engine& engine, WindowRegistry& windows, QWidget* parent);

    void OnForwardKey(int key) override;
    // "Перечитать все (F2)": only from a steady mode.
    void OnRereadAll();
};
