#include "MgSelectChannelDlg.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

#include "DialogUnits.h"
#include "Engine.h"
#include "MessageBoxes.h"
#include "PortTexts.h"
#include "StringTable.h"
#include "WindowMessageEvent.h"
#include "WindowRegistry.h"

MgSelectChannelDlg::MgSelectChannelDlg(Engine& engine, WindowRegistry& windows, QWidget* page)
    : QDialog(page), engine_(engine), windows_(windows)
{
    setObjectName(QStringLiteral("MgSelectChannelDlg"));
    setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setModal(false);
    setWindowTitle(StringTable::Get(StringTable::kMgSelectTitle));

    auto* channelGroup = new QGroupBox(StringTable::Get(StringTable::kMgChannelGroup), this);
    auto* channelRow = new QHBoxLayout(channelGroup);
    auto* radios = new QButtonGroup(this);
    for (int i = 0; i < kChannels; ++i) {
        auto* b = new QRadioButton(QString::number(i + 1), channelGroup);
        b->setObjectName(QStringLiteral("Channel%1").arg(i + 1));
        radios->addButton(b, i);
        channelRow->addWidget(b);
        channels_[std::size_t(i)] = b;
    }
    channels_[0]->setChecked(true);
    connect(radios, &QButtonGroup::idClicked, this, &MgSelectChannelDlg::OnChannel);

    auto* setGroup = new QGroupBox(StringTable::Get(StringTable::kMgSetGroup), this);
    auto* setRow = new QHBoxLayout(setGroup);
    minus_ = new QPushButton(QStringLiteral("-"), setGroup);
    setList_ = new QComboBox(setGroup);
    plus_ = new QPushButton(QStringLiteral("+"), setGroup);
    switch_ = new QPushButton(StringTable::Get(StringTable::kMgSwitch), setGroup);
    for (QPushButton* b : {minus_, plus_, switch_})
        b->setAutoDefault(false);
    setRow->addWidget(minus_);
    setRow->addWidget(setList_, 1);
    setRow->addWidget(plus_);
    setRow->addWidget(switch_);
    connect(minus_, &QPushButton::clicked, this, [this] { OnStep(-1); });
    connect(plus_, &QPushButton::clicked, this, [this] { OnStep(1); });
    connect(switch_, &QPushButton::clicked, this, &MgSelectChannelDlg::OnSwitch);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(channelGroup);
    layout->addWidget(setGroup);
    hide();
}

MgSelectChannelDlg::~MgSelectChannelDlg() = default;

void MgSelectChannelDlg::Open(QPoint corner, WindowHandle notify, std::uint32_t message)
{
    notify_ = notify;
    message_ = message;
    if (open_)
        return;
    FillSetList();
    adjustSize();
    resize(size().expandedTo(DialogUnits::ToPixels(fontMetrics(), 347, 62)));
    move(corner);
    open_ = true;
    setEnabled(true);
    show();
}

void MgSelectChannelDlg::CloseWindow()
{
    if (!open_)
        return;
    open_ = false;
    hide();
}

void MgSelectChannelDlg::FillSetList()
{
    setList_->clear();
    const int count = std::max(0, int(engine_.mgCount));
    if (setIndex_ >= count)
        setIndex_ = 0;
    for (int i = 1; i <= count; ++i)
        setList_->addItem(QString::number(i));
    setList_->setCurrentIndex(count > 0 ? setIndex_ : -1);
}

void MgSelectChannelDlg::OnChannel(int index)
{
    channelIndex_ = index;
    SensorCommandRequest request;
    request.code = 37;
    request.texts[0] = std::to_string(index + 1);
    // Sent whatever the engine says; a busy engine refuses it, and the page
    // still shows the channel chosen.
    engine_.WriteParameter(request);
    if (notify_)
        windows_.Post(notify_, new WindowMessageEvent(message_, 0, 0));
}

void MgSelectChannelDlg::OnStep(int delta)
{
    const int next = setIndex_ + delta;
    if (next < 0 || next >= setList_->count())
        return;
    setIndex_ = next;
    setList_->setCurrentIndex(setIndex_);
}

void MgSelectChannelDlg::OnSwitch()
{
    const int wanted = setList_->currentIndex();
    if (wanted < 0)
        return;
    Engine::MultigasSelection outcome;
    const int opened = engine_.SelectMultigasChannel(wanted, &outcome);
    if (opened != 0 && outcome.selected) {
        setIndex_ = wanted;
        selectedSet_ = wanted;
        if (!outcome.notDeselected.empty()) {
            QStringList sets;
            for (int unit : outcome.notDeselected)
                sets << QString::number(unit);
            MessageBoxes::Warning(this, StringTable::Get(StringTable::kMgNotDeselected)
                                            .arg(wanted + 1)
                                            .arg(sets.join(QStringLiteral(", "))));
        }
    } else {
        QString problem;
        if (engine_.mgPort < 1)
            problem = StringTable::Get(StringTable::kMgNoPort);
        else if (opened == 0 && outcome.portPermissionDenied)
            problem = PortTexts::PermissionDenied(engine_.mgPort);
        else if (opened == 0)
            problem = StringTable::Get(StringTable::kMgPortUnavailable).arg(engine_.mgPort);
        else
            problem = StringTable::Get(StringTable::kMgSetSilent).arg(engine_.mgPort);
        QString text = StringTable::Get(StringTable::kMgSetFailed).arg(wanted + 1).arg(problem);
        // The list shows what the rack holds, not what was asked for. When
        // the port did not open nothing changed; when it did, the old set
        // took its deselection unless that write went unanswered too.
        if (opened != 0 && selectedSet_ >= 0 && selectedSet_ != wanted) {
            const bool oldStillOn = std::find(outcome.notDeselected.begin(), outcome.notDeselected.end(),
                                              selectedSet_ + 1) != outcome.notDeselected.end();
            if (!oldStillOn)
                selectedSet_ = -1;
        } else if (opened != 0) {
            selectedSet_ = -1;
        }
        if (selectedSet_ >= 0) {
            setIndex_ = selectedSet_;
            setList_->setCurrentIndex(setIndex_);
        } else {
            if (opened != 0)
                text += QStringLiteral(" ") + StringTable::Get(StringTable::kMgNoSetSelected);
            setList_->setCurrentIndex(opened != 0 ? -1 : setIndex_);
        }
        MessageBoxes::Error(this, text);
    }
    if (opened != 0)
        engine_.ReadCalibrationSet();
}

void MgSelectChannelDlg::accept()
{
    // Enter does nothing.
}

void MgSelectChannelDlg::reject()
{
    CloseWindow();
}

void MgSelectChannelDlg::closeEvent(QCloseEvent* event)
{
    event->ignore();
    CloseWindow();
}
