#pragma once

#include "TabPage.h"

// The "Параметры сенсора" page: the sensor module's identification and
// measurements. Its list and buttons are still to be built; F2 already
// starts what "Прочитать (F2)" will.
class SensorDialog : public TabPage {
    Q_OBJECT
public:
    SensorDialog(Engine& engine, WindowRegistry& windows, QWidget* parent);

    void OnForwardKey(int key) override;
    // "Прочитать (F2)": only from a steady mode.
    void OnRead();
};
