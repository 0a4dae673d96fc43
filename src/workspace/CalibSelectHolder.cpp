#include "CalibSelectHolder.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QGridLayout>
#include <QVBoxLayout>

#include "StringTable.h"

CalibSelectHolder::CalibSelectHolder(Engine& engine, WindowRegistry& windows, QWidget* parent)
    : WorkspacePanel(engine, windows, parent, StringTable::Get(StringTable::kCalibrationGroup), QSize(556, 47))
{
    auto* row = new QHBoxLayout;
    auto* radios = new QVBoxLayout;
    group_ = new QButtonGroup(this);
    for (int i = 0; i < 2; ++i) {
        choices_[i] = new QRadioButton(
            StringTable::Get(i == 0 ? StringTable::kCalibByConcentration : StringTable::kCalibByTemperature), Surface());
        choices_[i]->setObjectName(QStringLiteral("Choice%1").arg(i));
        group_->addButton(choices_[i], i);
        radios->addWidget(choices_[i]);
    }
    radios->addStretch(1);
    choices_[0]->setChecked(true);
    place_ = new QWidget(Surface());
    place_->setObjectName(QStringLiteral("Place"));
    row->addLayout(radios);
    row->addWidget(place_, 1);
    Body()->addLayout(row);
    connect(group_, &QButtonGroup::idClicked, this, &CalibSelectHolder::OnChoice);
}

void CalibSelectHolder::SetLeaves(WorkspacePanel* concentration, WorkspacePanel* temperature)
{
    leaves_[0] = concentration;
    leaves_[1] = temperature;
    // Both leaves take the place's rectangle; only one is shown at a time.
    auto* stack = new QGridLayout(place_);
    stack->setContentsMargins(0, 0, 0, 0);
    for (WorkspacePanel* leaf : leaves_) {
        leaf->setParent(place_);
        stack->addWidget(leaf, 0, 0);
        leaf->setEnabled(false);
        leaf->hide();
    }
}

QRadioButton* CalibSelectHolder::Choice(int index) const
{
    return index == 0 || index == 1 ? choices_[index] : nullptr;
}

WorkspacePanel* CalibSelectHolder::Leaf(int index) const
{
    return index == 0 || index == 1 ? leaves_[index] : nullptr;
}

void CalibSelectHolder::SetNotifyTarget(WindowHandle window, std::uint32_t message)
{
    WorkspacePanel::SetNotifyTarget(window, message);
    for (WorkspacePanel* leaf : leaves_)
        if (leaf != nullptr)
            leaf->SetNotifyTarget(window, message);
}

void CalibSelectHolder::UpdateControls()
{
    for (WorkspacePanel* leaf : leaves_)
        if (leaf != nullptr && leaf->isEnabled())
            leaf->UpdateControls();
}

void CalibSelectHolder::ShowValues()
{
    for (WorkspacePanel* leaf : leaves_)
        if (leaf != nullptr && leaf->isEnabled())
            leaf->ShowValues();
}

void CalibSelectHolder::OnActivate()
{
    // The holder itself shows nothing of the sensor; its chosen leaf does.
    for (int i = 0; i < 2; ++i) {
        if (i == selected_)
            continue;
        leaves_[i]->setEnabled(false);
        leaves_[i]->hide();
    }
    leaves_[selected_]->setEnabled(true);
    leaves_[selected_]->show();
}

void CalibSelectHolder::OnDeactivate()
{
    WorkspacePanel::OnDeactivate();
    for (WorkspacePanel* leaf : leaves_) {
        leaf->setEnabled(false);
        leaf->hide();
    }
}

void CalibSelectHolder::OnChoice(int index)
{
    if (index != 0 && index != 1)
        return;
    if (isEnabled()) {
        WorkspacePanel* old = leaves_[1 - index];
        old->setEnabled(false);
        old->hide();
        leaves_[index]->setEnabled(true);
        leaves_[index]->show();
    }
    selected_ = index;
}
