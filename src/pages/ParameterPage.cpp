#include "ParameterPage.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "Engine.h"
#include "ForwardKey.h"
#include "ParameterListCtrl.h"
#include "StringTable.h"

ParameterPage::ParameterPage(Engine& engine, WindowRegistry& windows, QWidget* parent) : TabPage(engine, windows, parent)
{
    readButton_ = new QPushButton(StringTable::Get(StringTable::kReadButton), this);
    readButton_->setObjectName(QStringLiteral("ReadButton"));
    pollingToggle_ = new QPushButton(StringTable::Get(StringTable::kPollingToggle), this);
    pollingToggle_->setObjectName(QStringLiteral("PollingToggle"));
    pollingToggle_->setCheckable(true);
    // Enter inside a page does nothing; no button of a page is the
    // dialog's default.
    readButton_->setAutoDefault(false);
    pollingToggle_->setAutoDefault(false);
    connect(readButton_, &QPushButton::clicked, this, [this] { OnRead(); });
    // clicked, not toggled: the page sets the toggle itself to mirror the
    // engine, and that must not count as a request.
    connect(pollingToggle_, &QPushButton::clicked, this, &ParameterPage::OnPollingClicked);

    buttonRow_ = new QHBoxLayout;
    buttonRow_->addWidget(readButton_);
    buttonRow_->addWidget(pollingToggle_);
    buttonRow_->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttonRow_);
}

void ParameterPage::SetList(ParameterListCtrl* list)
{
    list_ = list;
    list_->SetEditsTarget(this);
    auto* layout = static_cast<QVBoxLayout*>(this->layout());
    layout->insertWidget(0, list_, 1);
}

void ParameterPage::OnForwardKey(int key)
{
    if (key == ForwardKey::kF2)
        OnRead();
}

void ParameterPage::UpdateButtons()
{
    const bool steady = Engine::IsSteadyMode(engine().mode);
    readButton_->setEnabled(steady);
    pollingToggle_->setEnabled(steady);
    // The keys (F2, Enter, Esc) must keep reaching the page when a button
    // that had the focus goes grey; an edit under way keeps its focus.
    if (list_ == nullptr || list_->CellEditor() == nullptr)
        setFocus();
}

void ParameterPage::SetPollingOn(bool on)
{
    pollingOn_ = on;
    pollingToggle_->setChecked(on);
}

void ParameterPage::OnPollingClicked(bool checked)
{
    if (!Engine::IsSteadyMode(engine().mode)) {
        SetPollingOn(pollingOn_);
        return;
    }
    const bool previous = pollingOn_;
    pollingOn_ = checked;
    if (!RequestPolling(checked))
        pollingOn_ = previous;
    SetPollingOn(pollingOn_);
}
