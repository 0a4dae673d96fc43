#pragma once

#include "TabPage.h"

// The "Журнал событий" page: the detector's event journal. Its list and
// buttons are still to be built; F2 and Esc already do what "Прочитать (F2)"
// and "Прервать (ESC)" will.
class JournalDialog : public TabPage {
    Q_OBJECT
public:
    JournalDialog(Engine& engine, WindowRegistry& windows, QWidget* parent);

    void OnForwardKey(int key) override;
    // "Прочитать (F2)": only from a steady mode.
    void OnRead();
    // "Прервать (ESC)".
    void OnAbort();
};
