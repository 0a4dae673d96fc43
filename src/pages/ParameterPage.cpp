#include "ParameterPage.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "Engine.h"
#include "ForwardKey.h"
#include "LinkNotice.h"
#include "NotificationIds.h"
#include "ParameterListCtrl.h"
#include "PortTexts.h"
#include "StringTable.h"

ParameterPage::ParameterPage(Engine& engine, WindowRegistry& windows, QWidget* parent, int pollingMode,
                             std::initializer_list<std::uint32_t> dataNotifications)
    : TabPage(engine, windows, parent), pollingMode_(pollingMode), dataNotifications_(dataNotifications)
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

    linkNotice_ = new LinkNotice(this);

    buttonRow_ = new QHBoxLayout;
    buttonRow_->addWidget(readButton_);
    buttonRow_->addWidget(pollingToggle_);
    buttonRow_->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(linkNotice_);
    layout->addLayout(buttonRow_);
}

std::uint32_t ParameterPage::LinkNotification() const
{
    return pollingMode_ == Engine::kModeHartPolling ? NotificationId::HartLinkChanged
                                                    : NotificationId::LineLinkChanged;
}

void ParameterPage::SetList(ParameterListCtrl* list)
{
    list_ = list;
    list_->SetEditsTarget(this);
    auto* layout = static_cast<QVBoxLayout*>(this->layout());
    layout->insertWidget(0, list_, 1);
}

void ParameterPage::OnActivate()
{
    RefreshList();
    UpdateButtons();
    SetPollingOn(false);
    linkNotice_->Clear();
    Register(NotificationId::ModeChanged);
    Register(NotificationId::LineTaskEvent);
    Register(LinkNotification());
    for (std::uint32_t id : dataNotifications_)
        Register(id);
}

void ParameterPage::OnRead()
{
    if (!Engine::IsSteadyMode(engine().mode))
        return;
    list_->EnterReadingState();
    if (!RequestRead())
        RefreshList();
    SetPollingOn(false);
}

void ParameterPage::OnModeChanged(int oldMode, int newMode)
{
    if (oldMode == pollingMode_ || newMode == pollingMode_)
        SetPollingOn(newMode == pollingMode_);
    // A poll that ended takes what was said of its line with it.
    if (oldMode == pollingMode_ && newMode != pollingMode_)
        linkNotice_->Clear();
}

void ParameterPage::OnWindowMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam)
{
    // A notification posted before the page was left may still arrive.
    if (!isEnabled())
        return;
    switch (message) {
    case NotificationId::ModeChanged:
        UpdateButtons();
        RefreshList();
        OnModeChanged(int(wParam), int(lParam));
        return;
    case NotificationId::LineTaskEvent:
        RefreshList();
        UpdateButtons();
        return;
    case ParameterListCtrl::WM_EDITS_CHANGED:
        UpdateButtons();
        return;
    case NotificationId::LineLinkChanged:
    case NotificationId::HartLinkChanged:
        if (message == LinkNotification() && engine().mode == pollingMode_)
            linkNotice_->Show(pollingMode_ == Engine::kModeHartPolling ? engine().CopyHartLink()
                                                                       : engine().CopyLineLink());
        return;
    default:
        for (std::uint32_t id : dataNotifications_)
            if (message == id)
                RefreshList();
        return;
    }
}

void ParameterPage::OnForwardKey(int key)
{
    if (key == ForwardKey::kF2)
        OnRead();
}

void ParameterPage::UpdateButtons()
{
    readButton_->setEnabled(Engine::IsSteadyMode(engine().mode));
    pollingToggle_->setEnabled(PollingAvailable());
    UpdatePageButtons();
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

bool ParameterPage::PollingAvailable() const
{
    return Engine::IsSteadyMode(engine().mode);
}

void ParameterPage::OnPollingClicked(bool checked)
{
    if (!PollingAvailable()) {
        SetPollingOn(pollingOn_);
        return;
    }
    const bool previous = pollingOn_;
    pollingOn_ = checked;
    if (!RequestPolling(checked))
        pollingOn_ = previous;
    SetPollingOn(pollingOn_);
}

QString ParameterPage::LinePortDeniedText() const
{
    return engine().LinePortDenied() ? PortTexts::PermissionDenied(engine().modbusPort) : QString();
}
