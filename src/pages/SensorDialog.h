#pragma once

#include "TabPage.h"

// The "Параметры сенсора" page: the sensor module's identification and
// measurements. Its list and controls come with the page itself; for now it
// answers F2 as its "Прочитать (F2)" does.
class SensorDialog : public TabPage {
    Q_OBJECT
public:
    SensorDialog(Engine& engine, WindowRegistry& windows, QWidget* parent);

    void OnForwardKey(int key) override;
    // "Прочитать (F2)": only from a steady mode.
    void OnRead();
};
