#pragma once

#include "TabPage.h"

// The "Параметры прибора" page: the detector's own registers. Its list and
// controls come with the page itself; for now it answers F2 as its
// "Прочитать (F2)" does.
class ModbusDialog : public TabPage {
    Q_OBJECT
public:
    ModbusDialog(Engine& engine, WindowRegistry& windows, QWidget* parent);

    void OnForwardKey(int key) override;
    // "Прочитать (F2)": only from a steady mode.
    void OnRead();
};
