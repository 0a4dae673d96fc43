#include "JournalPage.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>

#include "CsvFiles.h"
#include "Engine.h"
#include "ForwardKey.h"
#include "JournalEntryText.h"
#include "JournalListCtrl.h"
#include "MessageBoxes.h"
#include "ModalDialogs.h"
#include "NotificationIds.h"
#include "StringTable.h"

namespace {

constexpr int kSaveFailed = 258; // "Сохранение файла не удалось."

} // namespace

JournalPage::JournalPage(Engine& engine, WindowRegistry& windows, QWidget* parent, const Journal& journal)
    : TabPage(engine, windows, parent), journal_(journal)
{
    list_ = new JournalListCtrl(this);
    readButton_ = new QPushButton(StringTable::Get(StringTable::kReadButton), this);
    readButton_->setObjectName(QStringLiteral("ReadButton"));
    abortButton_ = new QPushButton(StringTable::Get(StringTable::kAbortButton), this);
    abortButton_->setObjectName(QStringLiteral("AbortButton"));
    saveButton_ = new QPushButton(StringTable::Get(StringTable::kSaveAsButton), this);
    saveButton_->setObjectName(QStringLiteral("SaveButton"));
    // Enter inside a page does nothing; no button is the dialog's default.
    for (QPushButton* b : {readButton_, abortButton_, saveButton_})
        b->setAutoDefault(false);
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("Progress"));
    progress_->setTextVisible(false);
    progress_->setRange(0, 1);
    progress_->setValue(0);
    counter_ = new QLabel(this);
    counter_->setObjectName(QStringLiteral("Counter"));
    counter_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    counter_->setMinimumWidth(counter_->fontMetrics().horizontalAdvance(QStringLiteral("0000/0000")) + 8);

    connect(readButton_, &QPushButton::clicked, this, [this] { OnRead(); });
    connect(abortButton_, &QPushButton::clicked, this, [this] { OnAbort(); });
    connect(saveButton_, &QPushButton::clicked, this, [this] { OnSave(); });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(readButton_);
    buttons->addWidget(abortButton_);
    buttons->addWidget(progress_, 1);
    buttons->addWidget(counter_);
    buttons->addWidget(saveButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_, 1);
    layout->addLayout(buttons);
}

void JournalPage::OnForwardKey(int key)
{
    if (key == ForwardKey::kF2)
        OnRead();
    else if (key == ForwardKey::kEscape)
        OnAbort();
}

void JournalPage::OnActivate()
{
    UpdateButtons();
    UpdateProgress();
    Register(NotificationId::ModeChanged);
    Register(journal_.statusId);
    Register(journal_.dataId);
    // Shown for the first time (or after a read that brought nothing): the
    // engineer came for the journal.
    if (list_->RowCount() == 0)
        OnRead();
}

bool JournalPage::RequestRead()
{
    if (journal_.which == SensorModbusInterface::Journal::Event)
        return engine().ReadEventJournal() != 0;
    return engine().ReadThresholdJournal() != 0;
}

void JournalPage::CopyJournal(SensorJournalContent& out)
{
    if (journal_.which == SensorModbusInterface::Journal::Event)
        engine().CopyEventJournal(out);
    else
        engine().CopyThresholdJournal(out);
}

void JournalPage::OnRead()
{
    if (!Engine::IsSteadyMode(engine().mode))
        return;
    if (journal_.showsReadingAtOnce) {
        list_->ShowStatus(JournalListCtrl::kStatusReading);
        if (!RequestRead())
            list_->ShowStatus(JournalListCtrl::kStatusFailed);
    } else {
        // A refused request changes no text; the engine's next notification
        // repaints the list from the read status.
        RequestRead();
    }
    UpdateButtons();
}

void JournalPage::OnAbort()
{
    if (engine().mode != journal_.readingMode)
        return;
    // The entries read so far stay listed.
    if (journal_.which == SensorModbusInterface::Journal::Event)
        engine().AbortEventJournal();
    else
        engine().AbortThresholdJournal();
    UpdateButtons();
}

void JournalPage::OnSave()
{
    SensorJournalContent content;
    CopyJournal(content);
    const std::vector<JournalEntryText> entries = JournalEntryDecoder::Decode(content);
    if (entries.empty())
        return;
    const QString path = ModalDialogs::SaveFileName(
        this, QString::fromLatin1(journal_.fileName), QStringLiteral("csv"),
        {StringTable::Get(StringTable::kCsvFilter), StringTable::Get(StringTable::kAllFilesFilter)});
    if (path.isEmpty())
        return;
    // The file follows the date order the list shows.
    const auto order = list_->SortedOldestFirst() ? CsvFiles::JournalOrder::OldestFirst : CsvFiles::JournalOrder::NewestFirst;
    const FileWriteResult result = CsvFiles::WriteJournalCsv(path.toStdString(), entries, order);
    if (!result.Ok())
        MessageBoxes::Error(this, StringTable::Get(kSaveFailed));
}

void JournalPage::RefreshList()
{
    JournalReadStatus status{};
    std::uint32_t read = 0, expected = 0;
    // The status first: entries copied after it are at least as far on as
    // the status says.
    engine().JournalProgress(journal_.which, status, read, expected);
    // The worker resets the journal to "not read" as it starts; while the
    // engine is in the reading mode that is the reading's first moment, and
    // the list must not flash "Журнал не прочитан" in between.
    if (status == JournalReadStatus::NotRead && engine().mode == journal_.readingMode)
        status = JournalReadStatus::Reading;
    SensorJournalContent content;
    CopyJournal(content);
    list_->Refresh(content, status);
}

void JournalPage::UpdateProgress()
{
    JournalReadStatus status{};
    std::uint32_t read = 0, expected = 0;
    engine().JournalProgress(journal_.which, status, read, expected);
    if (status == JournalReadStatus::NotRead) {
        progress_->setRange(0, 1);
        progress_->setValue(0);
        counter_->clear();
        return;
    }
    // An empty range would turn the bar into a busy indicator that never
    // ends: a journal with nothing to read shows an empty bar.
    const int maximum = static_cast<int>(std::min<std::uint32_t>(std::max<std::uint32_t>(expected, 1), INT_MAX));
    progress_->setRange(0, maximum);
    progress_->setValue(static_cast<int>(std::min<std::uint32_t>(read, static_cast<std::uint32_t>(maximum))));
    counter_->setText(QStringLiteral("%1/%2").arg(read).arg(expected));
}

void JournalPage::UpdateButtons()
{
    const int mode = engine().mode;
    readButton_->setEnabled(Engine::IsSteadyMode(mode));
    abortButton_->setEnabled(mode == journal_.readingMode);
    saveButton_->setEnabled(mode != journal_.readingMode && list_->RowCount() != 0);
    // F2 and Esc must keep reaching the page when the button that had the
    // focus goes grey; a list the engineer works in keeps it.
    QWidget* focus = QApplication::focusWidget();
    if (focus == nullptr || !isAncestorOf(focus) || !focus->isEnabled())
        setFocus();
}

void JournalPage::OnWindowMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam)
{
    (void)wParam;
    (void)lParam;
    // A notification posted before the page was left may still arrive.
    if (!isEnabled())
        return;
    if (message == NotificationId::ModeChanged || message == journal_.dataId) {
        RefreshList();
        UpdateButtons();
    } else if (message == journal_.statusId) {
        UpdateProgress();
    }
}
