#include "TerminalDialog.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>

#include "CsvFiles.h"
#include "Engine.h"
#include "MessageBoxes.h"
#include "ModalDialogs.h"
#include "NotificationIds.h"
#include "ParameterListCtrl.h"
#include "SensorTerminalLogRecord.h"
#include "StringTable.h"

namespace {

constexpr int kHeadingSent = 365;     // "Отправлено"
constexpr int kHeadingReceived = 366; // "Принято"
constexpr int kSaveFailed = 258;      // "Сохранение файла не удалось."

bool IsArrow(int key)
{
    return key == Qt::Key_Up || key == Qt::Key_Down;
}

bool IsEnter(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

} // namespace

TerminalDialog::TerminalDialog(Engine& engine, WindowRegistry& windows, QWidget* parent) : TabPage(engine, windows, parent)
{
    setObjectName(QStringLiteral("TerminalDialog"));

    auto* at = new QLabel(StringTable::Get(StringTable::kCommandPrefix), this);
    command_ = new QLineEdit(this);
    command_->setObjectName(QStringLiteral("CommandField"));
    // The sensor's commands are upper case: letters become capitals as they
    // are typed, Cyrillic included.
    connect(command_, &QLineEdit::textEdited, this, [this](const QString& text) {
        const QString upper = text.toUpper();
        if (upper == text)
            return;
        const int cursor = command_->cursorPosition();
        command_->setText(upper);
        command_->setCursorPosition(std::min<int>(cursor, int(upper.size())));
    });
    sendButton_ = new QPushButton(StringTable::Get(StringTable::kSendButton), this);
    sendButton_->setObjectName(QStringLiteral("SendButton"));
    clearButton_ = new QPushButton(StringTable::Get(StringTable::kClearButton), this);
    clearButton_->setObjectName(QStringLiteral("ClearButton"));
    saveButton_ = new QPushButton(StringTable::Get(StringTable::kSaveButton), this);
    saveButton_->setObjectName(QStringLiteral("SaveButton"));
    // Enter is the page's own (it sends); no button takes it for itself.
    for (QPushButton* b : {sendButton_, clearButton_, saveButton_})
        b->setAutoDefault(false);
    connect(sendButton_, &QPushButton::clicked, this, [this] { OnSend(); });
    connect(clearButton_, &QPushButton::clicked, this, [this] { OnClear(); });
    connect(saveButton_, &QPushButton::clicked, this, [this] { OnSave(); });

    log_ = new QTreeWidget(this);
    log_->setObjectName(QStringLiteral("TerminalLog"));
    log_->setColumnCount(2);
    log_->setHeaderLabels({StringTable::Get(kHeadingSent), StringTable::Get(kHeadingReceived)});
    log_->setRootIsDecorated(false);
    log_->setUniformRowHeights(true);
    log_->setItemsExpandable(false);
    log_->setSelectionMode(QAbstractItemView::SingleSelection);
    log_->setSelectionBehavior(QAbstractItemView::SelectRows);
    log_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    log_->header()->setStretchLastSection(false);
    log_->header()->setSectionsMovable(false);

    // The arrows belong to the history wherever the focus is in the page;
    // Enter and Esc reach the page from the field and the list.
    for (QWidget* w : std::initializer_list<QWidget*>{command_, log_, sendButton_, clearButton_, saveButton_})
        w->installEventFilter(this);

    // The main window gives the focus to the page it shows: here it goes
    // on to the command field.
    setFocusProxy(command_);

    auto* commandRow = new QHBoxLayout;
    commandRow->addWidget(at);
    commandRow->addWidget(command_, 1);
    commandRow->addWidget(sendButton_);
    commandRow->addWidget(clearButton_);
    auto* saveRow = new QHBoxLayout;
    saveRow->addStretch(1);
    saveRow->addWidget(saveButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(commandRow);
    layout->addWidget(log_, 1);
    layout->addLayout(saveRow);
}

void TerminalDialog::OnActivate()
{
    historyIndex_ = 0;
    UpdateButtons();
    RefreshLog();
    Register(NotificationId::ModeChanged);
    Register(NotificationId::TerminalLogChanged);
    FocusCommand();
}

void TerminalDialog::OnWindowMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam)
{
    (void)wParam;
    (void)lParam;
    // A notification posted before the page was left may still arrive.
    if (!isEnabled())
        return;
    if (message == NotificationId::ModeChanged)
        UpdateButtons();
    else if (message == NotificationId::TerminalLogChanged)
        RefreshLog();
}

void TerminalDialog::UpdateButtons()
{
    const bool steady = Engine::IsSteadyMode(engine().mode);
    sendButton_->setEnabled(steady);
    clearButton_->setEnabled(steady);
}

void TerminalDialog::FocusCommand()
{
    command_->setFocus();
}

void TerminalDialog::OnSend()
{
    const QString text = command_->text().trimmed();
    if (text.isEmpty()) {
        FocusCommand();
        return;
    }
    const QString line = text.startsWith(QLatin1Char('@')) ? text : QStringLiteral("@") + text;
    // A character the device's code page lacks would go out as a substitute:
    // such a command is not sent and stays in the field to be corrected.
    if (ParameterListCtrl::FitsDevice(line) && engine().SendTerminalCommand(ParameterListCtrl::ToDevice(line)) != 0) {
        command_->clear();
        UpdateButtons();
        history_.prepend(line);
        historyIndex_ = 0;
    }
    FocusCommand();
}

void TerminalDialog::OnClear()
{
    log_->clear();
    engine().ClearTerminalLog();
    FocusCommand();
}

void TerminalDialog::OnSave()
{
    std::vector<SensorTerminalLogRecord> records;
    engine().CopyTerminalLog(records);
    if (!records.empty()) {
        const QString path = ModalDialogs::SaveFileName(
            this, QString::fromLatin1(CsvFiles::kTerminalLogFileName), QStringLiteral("csv"),
            {StringTable::Get(StringTable::kCsvFilter), StringTable::Get(StringTable::kAllFilesFilter)});
        if (!path.isEmpty() && !CsvFiles::WriteTerminalLogCsv(path.toStdString(), records).Ok())
            MessageBoxes::Error(this, StringTable::Get(kSaveFailed));
    }
    FocusCommand();
}

void TerminalDialog::RefreshLog()
{
    std::vector<SensorTerminalLogRecord> records;
    engine().CopyTerminalLog(records);
    // The log only grows until the page clears it; a shorter log was
    // cleared elsewhere, and its old rows must not stand for new ones.
    if (records.size() < static_cast<std::size_t>(log_->topLevelItemCount()))
        log_->clear();
    const auto shown = static_cast<std::size_t>(log_->topLevelItemCount());
    if (records.size() > shown) {
        log_->setUpdatesEnabled(false);
        QList<QTreeWidgetItem*> rows;
        for (std::size_t i = shown; i < records.size(); ++i)
            rows.append(new QTreeWidgetItem(QStringList{ParameterListCtrl::FromDevice(records[i].command),
                                                        ParameterListCtrl::FromDevice(records[i].answer)}));
        log_->addTopLevelItems(rows);
        log_->setUpdatesEnabled(true);
    }
    if (log_->topLevelItemCount() != 0)
        log_->scrollToItem(log_->topLevelItem(log_->topLevelItemCount() - 1));
}

void TerminalDialog::FitColumns()
{
    const int client = log_->width() - 2 * log_->frameWidth();
    const int first = client / 4;
    const int scrollBar = log_->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, log_);
    log_->setColumnWidth(kSentColumn, first);
    log_->setColumnWidth(kReceivedColumn, std::max(0, client - first - scrollBar - 1));
}

bool TerminalDialog::HandleArrow(QKeyEvent* event)
{
    if (!IsArrow(event->key()))
        return false;
    // Both the press and the release are used up: neither the field nor the
    // list may move on an arrow. A held key moves one step only.
    if (event->type() != QEvent::KeyPress || event->isAutoRepeat())
        return true;
    const int before = historyIndex_;
    if (event->key() == Qt::Key_Up && historyIndex_ < history_.size())
        ++historyIndex_;
    else if (event->key() == Qt::Key_Down && historyIndex_ > 0)
        --historyIndex_;
    if (historyIndex_ == before)
        return true;
    if (historyIndex_ == 0) {
        command_->clear();
    } else {
        const QString& entry = history_.at(historyIndex_ - 1);
        command_->setText(entry.startsWith(QLatin1Char('@')) ? entry.mid(1) : entry);
    }
    return true;
}

bool TerminalDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Resize && watched == log_) {
        FitColumns();
        return false;
    }
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
        return TabPage::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (HandleArrow(key))
        return true;
    if (event->type() == QEvent::KeyPress && key->modifiers() == Qt::NoModifier) {
        if (IsEnter(key->key())) {
            OnSend();
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            OnClear();
            return true;
        }
    }
    return TabPage::eventFilter(watched, event);
}

void TerminalDialog::keyPressEvent(QKeyEvent* event)
{
    if (HandleArrow(event))
        return;
    if (IsEnter(event->key())) {
        OnSend();
        return;
    }
    if (event->key() == Qt::Key_Escape) {
        OnClear();
        return;
    }
    TabPage::keyPressEvent(event);
}

void TerminalDialog::keyReleaseEvent(QKeyEvent* event)
{
    if (HandleArrow(event))
        return;
    TabPage::keyReleaseEvent(event);
}
