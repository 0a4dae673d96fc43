#pragma once

#include <QWidget>

#include "WorkspacePanel.h"

class QTabWidget;

// A settings panel made of two tabs, "Параметры" and "Настройка ПИД" (the
// semiconductor and the power-balance sensors). Only the page of the
// selected tab is enabled, and so registered for the engine's
// notifications, and only while the holder itself is shown; the selected
// tab stays selected while the holder is hidden.
class SettingsTabHolder : public WorkspacePanel {
    Q_OBJECT
public:
    QTabWidget* Tabs() const { return tabs_; }
    QWidget* Page(int index) const;

protected:
    // The pages are created disabled; the first tab is selected.
    SettingsTabHolder(Engine& engine, WindowRegistry& windows, QWidget* parent);
    void SetPages(QWidget* parameters, QWidget* pid);

    void OnActivate() override;
    void OnDeactivate() override;

private:
    void OnTabChanged(int index);

    QTabWidget* tabs_ = nullptr;
    QWidget* pages_[2] = {nullptr, nullptr};
    int shown_ = 0;
};
