#pragma once

#include "TabPage.h"

// The "Параметры HART" page: the HART identity and live values. Its list and
// buttons are still to be built; F2 already starts what "Прочитать (F2)"
// will.
class HartDialog : public TabPage {
    Q_OBJECT
public:
    HartDialog(Engine& engine, WindowRegistry& windows, QWidget* parent);

    void OnForwardKey(int key) override;
    // "Прочитать (F2)": only from a steady mode.
    void OnRead();
};
