#include "IntdlgLogBase.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "Cp1251.h"
#include "Engine.h"
#include "ModalDialogs.h"
#include "IntlogCsv.h"
#include "MessageBoxes.h"
#include "NotificationIds.h"
#include "SensorParameters.h"
#include "StringTable.h"
#include "WindowMessageEvent.h"
#include "WindowRegistry.h"

namespace {

constexpr int kNumberColumnWidth = 50;

QString Text(int id)
{
    return StringTable::Get(id);
}

QString FromDevice(const std::string& text)
{
    return QString::fromStdString(Cp1251::ToUtf8(text));
}

std::string ToDevice(const QString& text)
{
    return Cp1251::FromUtf8(text.trimmed().toStdString());
}

QLineEdit* NewValueBox(QWidget* parent, const QString& name)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setReadOnly(true);
    box->setFocusPolicy(Qt::NoFocus);
    return box;
}

QLineEdit* NewEdit(QWidget* parent, const QString& name, const char* initial)
{
    auto* edit = new QLineEdit(QString::fromUtf8(initial), parent);
    edit->setObjectName(name);
    return edit;
}

// The panel shares the holder's tab with its frame: rows stand close so
// that the log list keeps most of the height.
void Compact(QGridLayout* layout)
{
    layout->setContentsMargins(6, 2, 6, 4);
    layout->setVerticalSpacing(2);
}

// Modes in which nothing but the parameter pages' polls runs: a new log may
// be started and read.
bool PlainMode(int mode)
{
    switch (mode) {
    case Engine::kModeIdle:
    case Engine::kModeConnected:
    case Engine::kModeHartPolling:
    case Engine::kModeEventJournal:
    case Engine::kModeThresholdJournal:
    case Engine::kModeDevicePolling:
    case Engine::kModeSensorPolling:
        return true;
    default:
        return false;
    }
}

} // namespace

IntdlgLogBase::IntdlgLogBase(Engine& engine, WindowRegistry& windows, QWidget* parent, Panel panel,
                             const Initial& initial)
    : WorkspacePanel(engine, windows, parent, QString(), QSize(322, 262)), panel_(panel)
{
    BuildControls(initial);
}

QPushButton* IntdlgLogBase::NewButton(int textId, const char* name)
{
    auto* b = new QPushButton(Text(textId), this);
    b->setObjectName(QString::fromLatin1(name));
    // Enter inside the panel does nothing.
    b->setAutoDefault(false);
    return b;
}

void IntdlgLogBase::BuildControls(const Initial& initial)
{
    // "Настройки": the heater.
    auto* settings = new QGroupBox(Text(StringTable::kSettingsGroup), this);
    auto* sl = new QGridLayout(settings);
    Compact(sl);
    heater_ = NewButton(0, "HeaterSwitch");
    heater_->setParent(settings);
    sl->addWidget(heater_, 0, 0, 1, 5);
    sl->addWidget(new QLabel(Text(StringTable::kLogHeaterTemperature) + "\n" + Text(StringTable::kLogHeating),
                             settings),
                  1, 0, 1, 2);
    tgValue_ = NewValueBox(settings, QStringLiteral("HeaterTemperatureValue"));
    tgRead_ = NewButton(StringTable::kLogRead, "HeaterTemperatureRead");
    tgEdit_ = NewEdit(settings, QStringLiteral("HeaterTemperatureEdit"), initial.heaterTemperature);
    tgWrite_ = NewButton(StringTable::kLogWrite, "HeaterTemperatureWrite");
    sl->addWidget(tgValue_, 1, 2);
    sl->addWidget(tgRead_, 1, 3);
    sl->addWidget(tgEdit_, 1, 4);
    sl->addWidget(tgWrite_, 1, 5);
    sl->addWidget(new QLabel(Text(StringTable::kLogCoefficients) + "\n" + Text(StringTable::kLogPid), settings), 2,
                  0, 3, 1);
    const int pidNames[3] = {StringTable::kLogP, StringTable::kLogI, StringTable::kLogD};
    const char* pidTags[3] = {"P", "I", "D"};
    for (int i = 0; i < 3; ++i) {
        sl->addWidget(new QLabel(Text(pidNames[i]), settings), 2 + i, 1);
        piValue_[std::size_t(i)] = NewValueBox(settings, QStringLiteral("PidValue%1").arg(pidTags[i]));
        piEdit_[std::size_t(i)] = NewEdit(settings, QStringLiteral("PidEdit%1").arg(pidTags[i]), initial.pid[std::size_t(i)]);
        sl->addWidget(piValue_[std::size_t(i)], 2 + i, 2);
        sl->addWidget(piEdit_[std::size_t(i)], 2 + i, 4);
    }
    piRead_ = NewButton(StringTable::kLogRead, "PidRead");
    piWrite_ = NewButton(StringTable::kLogWrite, "PidWrite");
    sl->addWidget(piRead_, 2, 3, 3, 1);
    sl->addWidget(piWrite_, 2, 5, 3, 1);
    for (QWidget* w : {static_cast<QWidget*>(tgRead_), static_cast<QWidget*>(tgWrite_),
                       static_cast<QWidget*>(piRead_), static_cast<QWidget*>(piWrite_)})
        w->setParent(settings);
    sl->setColumnStretch(2, 1);
    sl->setColumnStretch(4, 1);

    // "Параметры лога измерений".
    auto* params = new QGroupBox(Text(StringTable::kLogParametersGroup), this);
    auto* pl = new QGridLayout(params);
    Compact(pl);
    const int pNames[3] = {StringTable::kLogP1, StringTable::kLogP2, StringTable::kLogP3};
    for (int i = 0; i < 3; ++i) {
        auto* list = new QComboBox(params);
        list->setObjectName(QStringLiteral("P%1").arg(i + 1));
        for (int id : IntlogTables::ListItemIds(panel_))
            list->addItem(Text(id));
        list->setCurrentIndex(0);
        pLists_[std::size_t(i)] = list;
        pl->addWidget(new QLabel(Text(pNames[i]), params), 0, 2 * i);
        pl->addWidget(list, 0, 2 * i + 1);
        pl->setColumnStretch(2 * i + 1, 1);
    }
    period_ = new QComboBox(params);
    period_->setObjectName(QStringLiteral("Period"));
    for (int ms : IntlogTables::PeriodsMs())
        period_->addItem(QString::asprintf(Text(StringTable::kMsFormat).toUtf8().constData(), unsigned(ms)));
    period_->setCurrentIndex(0);
    lpRead_ = NewButton(StringTable::kLogRead, "ParametersRead");
    lpWrite_ = NewButton(StringTable::kLogWrite, "ParametersWrite");
    lpRead_->setParent(params);
    lpWrite_->setParent(params);
    pl->addWidget(new QLabel(Text(StringTable::kLogPeriod), params), 1, 0, 1, 2);
    pl->addWidget(period_, 1, 2, 1, 2);
    pl->addWidget(lpRead_, 1, 4);
    pl->addWidget(lpWrite_, 1, 5);

    // "Лог измерений".
    auto* log = new QGroupBox(Text(StringTable::kLogGroup), this);
    auto* ll = new QGridLayout(log);
    Compact(ll);
    int row = 0;
    create_ = NewButton(StringTable::kLogCreate, "Create");
    create_->setParent(log);
    if (panel_ == Panel::TCatpwr) {
        // The power-balance sensor starts its log on a condition, on one of
        // its two heaters.
        startCondition_ = new QComboBox(log);
        startCondition_->setObjectName(QStringLiteral("StartCondition"));
        startCondition_->addItems({Text(308), Text(309)});
        startCondition_->setCurrentIndex(0);
        channel_ = new QComboBox(log);
        channel_->setObjectName(QStringLiteral("Channel"));
        channel_->addItems({Text(310), Text(311)});
        channel_->setCurrentIndex(0);
        auto* head = new QHBoxLayout;
        head->addWidget(new QLabel(Text(StringTable::kLogStartCondition), log));
        head->addWidget(startCondition_, 1);
        head->addWidget(new QLabel(Text(StringTable::kLogChannel), log));
        head->addWidget(channel_, 1);
        head->addWidget(create_);
        ll->addLayout(head, row++, 0, 1, 5);
    }
    list_ = new QTreeWidget(log);
    list_->setObjectName(QStringLiteral("LogList"));
    list_->setColumnCount(4);
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setHeaderLabels({Text(StringTable::kLogNumberColumn), QString(), QString(), QString()});
    list_->header()->setStretchLastSection(false);
    list_->header()->setSectionResizeMode(QHeaderView::Fixed);
    list_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    ll->addWidget(list_, row++, 0, 1, 5);
    list_->installEventFilter(this);
    count_ = new QLabel(log);
    count_->setObjectName(QStringLiteral("Count"));
    count_->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("0000000")));
    logRead_ = NewButton(StringTable::kLogRead, "LogRead");
    save_ = NewButton(StringTable::kLogSave, "Save");
    graph_ = NewButton(StringTable::kLogGraph, "Graph");
    for (QPushButton* b : {logRead_, save_, graph_})
        b->setParent(log);
    ll->addWidget(count_, row, 0);
    ll->addWidget(logRead_, row, 1);
    ll->addWidget(save_, row, 2);
    ll->addWidget(graph_, row, 3);
    // The semiconductor panel starts its log from this row.
    if (panel_ == Panel::Semi)
        ll->addWidget(create_, row, 4);
    ll->setRowStretch(row - 1, 1);

    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("Status"));
    status_->setWordWrap(true);

    Body()->setSpacing(2);
    Body()->addWidget(settings);
    Body()->addWidget(params);
    Body()->addWidget(log, 1);
    Body()->addWidget(status_);

    connect(heater_, &QPushButton::clicked, this, &IntdlgLogBase::OnHeaterSwitch);
    connect(tgRead_, &QPushButton::clicked, this, &IntdlgLogBase::OnReadHeaterTemperature);
    connect(tgWrite_, &QPushButton::clicked, this, &IntdlgLogBase::OnWriteHeaterTemperature);
    connect(piRead_, &QPushButton::clicked, this, &IntdlgLogBase::OnReadPid);
    connect(piWrite_, &QPushButton::clicked, this, &IntdlgLogBase::OnWritePid);
    connect(lpRead_, &QPushButton::clicked, this, &IntdlgLogBase::OnReadParameters);
    connect(lpWrite_, &QPushButton::clicked, this, &IntdlgLogBase::OnWriteParameters);
    connect(create_, &QPushButton::clicked, this, &IntdlgLogBase::OnCreate);
    connect(logRead_, &QPushButton::clicked, this, &IntdlgLogBase::OnReadLog);
    connect(save_, &QPushButton::clicked, this, &IntdlgLogBase::OnSave);
    connect(graph_, &QPushButton::clicked, this, &IntdlgLogBase::OnGraph);
}

void IntdlgLogBase::SetLogMessages(WindowHandle page, std::uint32_t stopMessage, std::uint32_t graphMessage)
{
    page_ = page;
    stopMessage_ = stopMessage;
    graphMessage_ = graphMessage;
}

void IntdlgLogBase::Post(std::uint32_t message)
{
    if (page_ && message != 0)
        windows().Post(page_, new WindowMessageEvent(message, 0, 0));
}

void IntdlgLogBase::UpdateControls()
{
    SensorParameters p;
    engine().CopySensorParameters(p);
    const int mode = engine().mode;
    const bool accept = CommandsAccepted(engine());
    const bool plain = PlainMode(mode);
    const bool configured = IntlogTables::Configured(p.lpValues);
    heater_->setEnabled(accept && p.heater.valid != 0);
    for (QPushButton* b : {tgRead_, tgWrite_, piRead_, piWrite_, lpRead_, lpWrite_})
        b->setEnabled(accept);
    create_->setEnabled(CreateAllowed(accept, plain, configured, p));
    logRead_->setEnabled(configured && plain);
    save_->setEnabled(mode != Engine::kModeSensorLog);
}

void IntdlgLogBase::ShowValues()
{
    SensorParameters p;
    engine().CopySensorParameters(p);
    if (p.heater.valid == 0)
        heater_->setText(QString());
    else
        heater_->setText(Text(IntlogTables::Code(p.heater.text) != 0 ? StringTable::kHeaterOn
                                                                      : StringTable::kHeaterOff));
    tgValue_->setText(p.tg.valid != 0 ? FromDevice(p.tg.text) : QString());
    for (std::size_t i = 0; i < 3; ++i)
        piValue_[i]->setText(p.piValues.valid != 0 ? FromDevice(p.piValues.texts[i]) : QString());
    if (p.lpValues.valid == 0)
        return;
    for (std::size_t i = 0; i < 3; ++i)
        pLists_[i]->setCurrentIndex(IntlogTables::ListIndexOfCode(panel_, IntlogTables::Code(p.lpValues.texts[i])));
    period_->setCurrentIndex(IntlogTables::PeriodIndexOf(p.lpValues.texts[3]));
}

void IntdlgLogBase::ShowColumnCaptions()
{
    SensorParameters p;
    engine().CopySensorParameters(p);
    const std::array<int, 3> ids = IntlogTables::ColumnNameIds(panel_, p.lpValues);
    QTreeWidgetItem* header = list_->headerItem();
    for (int i = 0; i < 3; ++i)
        header->setText(i + 1, ids[std::size_t(i)] != 0 ? Text(ids[std::size_t(i)]) : QString());
}

void IntdlgLogBase::RefillList()
{
    list_->clear();
    AppendRows(0);
}

void IntdlgLogBase::AppendRows(std::size_t from)
{
    std::vector<SensorIntlogRecord> records;
    engine().CopyIntlog(static_cast<long long>(from), records);
    if (records.empty())
        return;
    QList<QTreeWidgetItem*> items;
    items.reserve(qsizetype(records.size()));
    std::size_t number = from;
    for (const SensorIntlogRecord& r : records) {
        auto* item = new QTreeWidgetItem;
        item->setText(0, QString::number(++number));
        for (int c = 0; c < 3; ++c)
            item->setText(c + 1, FromDevice(r.texts[std::size_t(c)]));
        items.append(item);
    }
    list_->addTopLevelItems(items);
}

void IntdlgLogBase::ClearList()
{
    list_->clear();
    count_->clear();
}

void IntdlgLogBase::OnLogChanged(std::size_t count)
{
    count_->setText(count == 0 ? QString() : QString::number(count));
    const auto rows = std::size_t(list_->topLevelItemCount());
    if (count < rows)
        RefillList();
    else if (count > rows)
        AppendRows(rows);
}

void IntdlgLogBase::Write(const SensorCommandRequest& request)
{
    if (!engine().WriteParameter(request))
        Refused();
}

void IntdlgLogBase::Refused()
{
    UpdateControls();
    // Nothing was sent: the log the engine holds is still the one read, and
    // the list shows it again.
    RefillList();
    const int rows = list_->topLevelItemCount();
    count_->setText(rows == 0 ? QString() : QString::number(rows));
}

void IntdlgLogBase::OnHeaterSwitch()
{
    SensorParameters p;
    engine().CopySensorParameters(p);
    if (p.heater.valid == 0)
        return;
    ClearList();
    SensorCommandRequest r;
    r.code = 18;
    r.texts[0].assign(1, IntlogTables::Code(p.heater.text) != 0 ? '0' : '1');
    Write(r);
}

void IntdlgLogBase::OnReadHeaterTemperature()
{
    if (!engine().RereadParameter(20))
        UpdateControls();
}

void IntdlgLogBase::OnWriteHeaterTemperature()
{
    const std::string value = ToDevice(tgEdit_->text());
    if (value.empty())
        return;
    // A new heater temperature restarts the sensor's log.
    ClearList();
    SensorCommandRequest r;
    r.code = 21;
    r.texts[0] = value;
    Write(r);
}

void IntdlgLogBase::OnReadPid()
{
    if (!engine().RereadParameter(27))
        UpdateControls();
}

void IntdlgLogBase::OnWritePid()
{
    SensorCommandRequest r;
    r.code = 28;
    for (std::size_t i = 0; i < 3; ++i) {
        r.texts[i] = ToDevice(piEdit_[i]->text());
        if (r.texts[i].empty())
            return;
    }
    Write(r);
}

void IntdlgLogBase::OnReadParameters()
{
    if (!engine().RereadParameter(31))
        UpdateControls();
}

void IntdlgLogBase::OnWriteParameters()
{
    const SensorCommandRequest r = IntlogTables::LogParametersRequest(
        panel_, {pLists_[0]->currentIndex(), pLists_[1]->currentIndex(), pLists_[2]->currentIndex()},
        period_->currentIndex());
    if (r.code == 0) {
        status_->setText(Text(StringTable::kLogNoPeriod));
        return;
    }
    status_->clear();
    Write(r);
}

void IntdlgLogBase::OnReadLog()
{
    ClearList();
    if (!engine().ReadSensorLog()) {
        Refused();
        return;
    }
    status_->setText(Text(StringTable::kReadingInProgress));
}

void IntdlgLogBase::OnSave()
{
    std::vector<SensorIntlogRecord> records;
    engine().CopyIntlog(0, records);
    if (records.empty()) {
        status_->setText(Text(StringTable::kLogEmpty));
        return;
    }
    const QString path =
        ModalDialogs::SaveFileName(this, QStringLiteral("intlog.csv"), QStringLiteral("csv"),
                                   {Text(StringTable::kCsvFilter), Text(StringTable::kAllFilesFilter)});
    if (path.isEmpty())
        return;
    SensorParameters p;
    engine().CopySensorParameters(p);
    std::vector<std::string> names;
    for (int id : IntlogTables::ColumnNameIds(panel_, p.lpValues))
        names.push_back(id != 0 ? Text(id).toStdString() : std::string());
    std::string error;
    if (!IntlogCsv::Write(path.toStdString(), IntlogCsv::Bytes(p, names, records), error)) {
        const QString why = Text(StringTable::kLogSaveFailed).arg(path, QString::fromLocal8Bit(error.c_str()));
        status_->setText(why);
        MessageBoxes::Error(this, Text(StringTable::kSaveFailed) + "\n" + why);
        return;
    }
    status_->setText(Text(StringTable::kLogSaved).arg(path).arg(records.size()));
}

void IntdlgLogBase::OnGraph()
{
    Post(graphMessage_);
}

void IntdlgLogBase::OnModeChanged(int oldMode, int newMode)
{
    UpdateControls();
    if (oldMode != Engine::kModeSensorLog || newMode == Engine::kModeSensorLog)
        return;
    // However the read ended — the log's end, a silent sensor, a pulled
    // cable, another activity — the rows read so far stay and can be saved.
    const int rows = list_->topLevelItemCount();
    status_->setText(rows == 0 ? Text(StringTable::kLogReadNothing) : Text(StringTable::kLogReadDone).arg(rows));
}

void IntdlgLogBase::OnActivate()
{
    Post(stopMessage_);
    UpdateControls();
    ShowValues();
    ShowColumnCaptions();
    RefillList();
    const int rows = list_->topLevelItemCount();
    count_->setText(rows == 0 ? QString() : QString::number(rows));
    Register(NotificationId::ModeChanged);
    Register(NotificationId::LineTaskEvent);
    Register(NotificationId::SensorParametersChanged);
    Register(NotificationId::SensorLogChanged);
}

void IntdlgLogBase::OnDeactivate()
{
    UnregisterAll();
}

void IntdlgLogBase::OnWindowMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam)
{
    // A notification posted before the tab was left may still arrive.
    if (!isEnabled())
        return;
    switch (message) {
    case NotificationId::ModeChanged:
        OnModeChanged(int(wParam), int(lParam));
        return;
    case NotificationId::LineTaskEvent:
        UpdateControls();
        return;
    case NotificationId::SensorParametersChanged:
        ShowValues();
        ShowColumnCaptions();
        UpdateControls();
        return;
    case NotificationId::SensorLogChanged:
        OnLogChanged(std::size_t(wParam));
        return;
    default:
        return;
    }
}

bool IntdlgLogBase::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == list_ && event->type() == QEvent::Resize)
        FitColumns();
    return WorkspacePanel::eventFilter(watched, event);
}

void IntdlgLogBase::FitColumns()
{
    // "#" keeps its width; the three quantities share the rest of the
    // client width, the scroll bar's place kept free.
    const int scroll = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list_);
    const int client = list_->width() - 2 * list_->frameWidth() - scroll;
    const int each = std::max(20, (client - kNumberColumnWidth) / 3);
    list_->setColumnWidth(0, kNumberColumnWidth);
    for (int c = 1; c <= 3; ++c)
        list_->setColumnWidth(c, each);
}
