#pragma once

#include "TabPage.h"

// The "Параметры HART" page: the HART identity and live values. Its list and
// controls come with the page itself; for now it answers F2 as its
// "Прочитать (F2)" does.
class HartDialog : public TabPage {
    Q_OBJECT
public:
    HartDialog(Engine& engine, WindowRegistry& windows, QWidget* parent);

    void OnForwardKey(int key) override;
    // "Прочитать (F2)": only from a steady mode.
    void OnRead();
};
