#pragma once

#include "WorkspacePanel.h"

class QButtonGroup;
class QRadioButton;

// A calibration panel of two ways, "Концентрация" (the two points) and "По
// температуре" (the heater resistance at a temperature), chosen by two radio
// buttons; the chosen leaf panel sits to their right. Only the chosen leaf
// is enabled, and so registered for the engine's notifications, and only
// while the holder itself is shown; the choice stays while it is hidden.
class CalibSelectHolder : public WorkspacePanel {
    Q_OBJECT
public:
    QRadioButton* Choice(int index) const;
    // 0: by concentration, 1: by temperature.
    int Selected() const { return selected_; }
    WorkspacePanel* Leaf(int index) const;

    void SetNotifyTarget(WindowHandle window, std::uint32_t message) override;
    void UpdateControls() override;
    void ShowValues() override;

protected:
    CalibSelectHolder(Engine& engine, WindowRegistry& windows, QWidget* parent);
    // The leaves are created disabled and hidden; the first is chosen.
    void SetLeaves(WorkspacePanel* concentration, WorkspacePanel* temperature);

    void OnActivate() override;
    void OnDeactivate() override;

private:
    void OnChoice(int index);

    QButtonGroup* group_ = nullptr;
    QRadioButton* choices_[2] = {nullptr, nullptr};
    QWidget* place_ = nullptr;
    WorkspacePanel* leaves_[2] = {nullptr, nullptr};
    int selected_ = 0;
};
