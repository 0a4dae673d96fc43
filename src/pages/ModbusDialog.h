#pragma once

#include "TabPage.h"

// The "Параметры прибора" page: the detector's own registers. Its list and
// buttons are still to be built; F2 already starts what "Прочитать (F2)"
// will.
class ModbusDialog : public TabPage {
    Q_OBJECT
public:
    ModbusDialog(Engine& engine, WindowRegistry& windows, QWidget* parent);

    void OnForwardKey(int key) override;
    // "Прочитать (F2)": only from a steady mode.
    void OnRead();
};
