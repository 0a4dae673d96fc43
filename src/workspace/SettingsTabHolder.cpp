#include "SettingsTabHolder.h"

#include <QGroupBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include "StringTable.h"

SettingsTabHolder::SettingsTabHolder(Engine& engine, WindowRegistry& windows, QWidget* parent)
    : WorkspacePanel(engine, windows, parent, StringTable::Get(StringTable::kSettingsGroup), QSize(328, 278))
{
    tabs_ = new QTabWidget(Surface());
    tabs_->setObjectName(QStringLiteral("Tabs"));
    Body()->addWidget(tabs_);
}

void SettingsTabHolder::SetPages(QWidget* parameters, QWidget* pid)
{
    pages_[0] = parameters;
    pages_[1] = pid;
    for (QWidget* page : pages_)
        page->setEnabled(false);
    tabs_->addTab(parameters, StringTable::Get(StringTable::kParametersTab));
    tabs_->addTab(pid, StringTable::Get(StringTable::kPidTab));
    tabs_->setCurrentIndex(0);
    shown_ = 0;
    connect(tabs_, &QTabWidget::currentChanged, this, &SettingsTabHolder::OnTabChanged);
}

QWidget* SettingsTabHolder::Page(int index) const
{
    return index == 0 || index == 1 ? pages_[index] : nullptr;
}

void SettingsTabHolder::OnActivate()
{
    // The holder itself shows nothing of the sensor; its shown page does.
    shown_ = tabs_->currentIndex();
    if (shown_ == 0 || shown_ == 1)
        pages_[shown_]->setEnabled(true);
}

void SettingsTabHolder::OnDeactivate()
{
    WorkspacePanel::OnDeactivate();
    for (QWidget* page : pages_)
        page->setEnabled(false);
}

void SettingsTabHolder::OnTabChanged(int index)
{
    if (index != 0 && index != 1)
        return;
    if (isEnabled()) {
        if (shown_ != index && (shown_ == 0 || shown_ == 1))
            pages_[shown_]->setEnabled(false);
        pages_[index]->setEnabled(true);
    }
    shown_ = index;
}
