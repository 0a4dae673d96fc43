#include "CalibrationDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include "CalibIntdlgCv.h"
#include "CalibIntdlgSelectSemi.h"
#include "CalibIntdlgSelectTCatpwr.h"
#include "CalibrationMessages.h"
#include "Cp1251.h"
#include "DialogUnits.h"
#include "Engine.h"
#include "FittedTextBox.h"
#include "LinkNotice.h"
#include "ForwardKey.h"
#include "GraphWnd.h"
#include "IntdlgElchem.h"
#include "IntdlgEmpty.h"
#include "IntdlgLogBase.h"
#include "IntdlgOksik.h"
#include "IntdlgOpto.h"
#include "IntdlgSelectSemi.h"
#include "IntdlgSelectTCatpwr.h"
#include "IntdlgTCatBrdg.h"
#include "MessageBoxes.h"
#include "MgMultiGraphFrame.h"
#include "MgSelectChannelDlg.h"
#include "ModalDialogs.h"
#include "MoreloopElchemDlg.h"
#include "MoreloopSemiDlg.h"
#include "MoreloopTCatBrdg.h"
#include "MoreloopTCatpwr.h"
#include "NotificationIds.h"
#include "SensorParameters.h"
#include "StringTable.h"

using namespace CalibrationMessages;
using namespace SensorKindTable;

namespace {

// The page graph shows the newest points of the measurement list.
constexpr std::size_t kGraphPoints = 64;

QString Text(int id)
{
    return StringTable::Get(id);
}

void FillList(QComboBox* list, const std::vector<std::uint32_t>& values, std::uint32_t initial)
{
    for (std::uint32_t ms : values)
        list->addItem(CalibrationDialog::PeriodText(ms), QVariant::fromValue(ms));
    for (std::size_t i = 0; i < values.size(); ++i)
        if (values[i] == initial)
            list->setCurrentIndex(int(i));
}

// The selected entry's value; an empty selection leaves `fallback`.
std::int32_t SelectedMs(const QComboBox* list, std::int32_t fallback)
{
    const int index = list->currentIndex();
    return index < 0 ? fallback : std::int32_t(list->itemData(index).toUInt());
}

QPushButton* NewButton(int textId, QWidget* parent, const char* name)
{
    auto* b = new QPushButton(Text(textId), parent);
    b->setObjectName(QString::fromLatin1(name));
    // Enter inside the page does nothing.
    b->setAutoDefault(false);
    return b;
}

} // namespace

CalibrationDialog::CalibrationDialog(Engine& engine, WindowRegistry& windows, LmpProfileStore& profiles,
                                     QWidget* parent)
    : TabPage(engine, windows, parent)
{
    setObjectName(QStringLiteral("CalibrationDialog"));
    BuildControls();

    // The panels are created once, hidden and disabled; the sensor's kind
    // picks the one that is shown.
    settingsPanels_ = {new IntdlgElchem(engine, windows, this, profiles), new IntdlgOksik(engine, windows, this, profiles),
                       new IntdlgEmpty(engine, windows, this),   new IntdlgTCatBrdg(engine, windows, this),
                       new IntdlgSelectSemi(engine, windows, this), new IntdlgSelectTCatpwr(engine, windows, this),
                       new IntdlgOpto(engine, windows, this)};
    calibrationPanels_ = {new CalibIntdlgCv(engine, windows, this), new CalibIntdlgSelectSemi(engine, windows, this),
                          new CalibIntdlgSelectTCatpwr(engine, windows, this)};
    auto* settingsPlace = findChild<QWidget*>(QStringLiteral("DialogPlace"));
    auto* calibrationPlace = findChild<QWidget*>(QStringLiteral("CalibrationDialogPlace"));
    QSize settingsSize, calibrationSize;
    for (WorkspacePanel* p : settingsPanels_) {
        p->setParent(settingsPlace);
        settingsPlace->layout()->addWidget(p);
        settingsSize = settingsSize.expandedTo(p->TemplateSize());
        p->hide();
    }
    for (WorkspacePanel* p : calibrationPanels_) {
        p->setParent(calibrationPlace);
        calibrationPlace->layout()->addWidget(p);
        p->SetNotifyTarget(Handle(), WM_CALIB_PANEL_DONE);
        calibrationSize = calibrationSize.expandedTo(p->TemplateSize());
        p->hide();
    }
    settingsPlace->setFixedSize(settingsSize);
    auto* settingsScroll = findChild<QScrollArea*>(QStringLiteral("DialogPlaceScroll"));
    settingsScroll->setFixedWidth(settingsSize.width() + settingsScroll->verticalScrollBar()->sizeHint().width());
    settingsScroll->setMaximumHeight(settingsSize.height());
    // The calibration panels are short and wide; the place gives them their
    // height and what width the page has left.
    calibrationPlace->setMinimumHeight(calibrationSize.height());

    moreDialogs_ = {new MoreloopSemiDlg(engine, windows, this), new MoreloopElchemDlg(engine, windows, this),
                    new MoreloopTCatBrdg(engine, windows, this), new MoreloopTCatpwr(engine, windows, this)};
    channelDialog_ = new MgSelectChannelDlg(engine, windows, this);

    // The measurement-log panels on the holders' second tabs take the line
    // from the page's poll and ask for the log graph through the page.
    for (IntdlgLogBase* log : findChildren<IntdlgLogBase*>())
        log->SetLogMessages(Handle(), WM_CALIB_LOG_TAKES_LINE, WM_CALIB_SHOW_LOG_GRAPH);
}

CalibrationDialog::~CalibrationDialog()
{
    // The multigas and log graphs are windows of their own, not children
    // of the page.
    delete multigasGraph_.data();
    delete logGraph_.data();
}

const std::vector<std::uint32_t>& CalibrationDialog::PollPeriodsMs()
{
    static const std::vector<std::uint32_t> v{100, 200, 500, 1000, 2000, 5000, 10000};
    return v;
}

const std::vector<std::uint32_t>& CalibrationDialog::CyclePeriodsMs()
{
    static const std::vector<std::uint32_t> v{2000, 4000, 6000, 8000, 10000, 15000, 20000, 25000, 30000};
    return v;
}

const std::vector<std::uint32_t>& CalibrationDialog::HeatingTimesMs()
{
    static const std::vector<std::uint32_t> v{1000, 2000, 3000, 4000, 5000};
    return v;
}

QString CalibrationDialog::PeriodText(std::uint32_t ms)
{
    if (ms >= 1000)
        return QString::asprintf(Text(StringTable::kSecFormat).toUtf8().constData(), unsigned(ms / 1000));
    return QString::asprintf(Text(StringTable::kMsFormat).toUtf8().constData(), unsigned(ms));
}

void CalibrationDialog::BuildControls()
{
    sensorLine_ = new FittedTextBox(this);
    sensorLine_->setObjectName(QStringLiteral("SensorLineBox"));
    channelButton_ = NewButton(StringTable::kChannelButton, this, "ChannelButton");

    // The settings panels are the page's tallest part: on a low screen they
    // scroll rather than push the page's buttons off the window.
    auto* settingsScroll = new QScrollArea(this);
    settingsScroll->setObjectName(QStringLiteral("DialogPlaceScroll"));
    settingsScroll->setFrameShape(QFrame::NoFrame);
    settingsScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* settingsPlace = new QWidget;
    settingsPlace->setObjectName(QStringLiteral("DialogPlace"));
    settingsScroll->setWidget(settingsPlace);
    auto* settingsLayout = new QGridLayout(settingsPlace);
    settingsLayout->setContentsMargins(0, 0, 0, 0);
    auto* calibrationPlace = new QWidget(this);
    calibrationPlace->setObjectName(QStringLiteral("CalibrationDialogPlace"));
    auto* calibrationLayout = new QGridLayout(calibrationPlace);
    calibrationLayout->setContentsMargins(0, 0, 0, 0);

    graph_ = new GraphWnd(this);
    graph_->setObjectName(QStringLiteral("GraphPlace"));
    // On a narrow window the graph keeps room for its labels and a curve;
    // the settings place scrolls instead.
    graph_->setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('0')) * 30);

    auto* poll = new QGroupBox(Text(StringTable::kPollGroup), this);
    pollPeriod_ = new QComboBox(poll);
    pollPeriod_->setObjectName(QStringLiteral("PollPeriod"));
    FillList(pollPeriod_, PollPeriodsMs(), 500);
    concentration_ = new QCheckBox(Text(StringTable::kReadConcentration), poll);
    concentration_->setObjectName(QStringLiteral("Concentration"));
    concentration_->setChecked(true);
    concentrationBox_ = new FittedTextBox(poll);
    concentrationBox_->setObjectName(QStringLiteral("ConcentrationBox"));
    onGraph_ = new QCheckBox(Text(StringTable::kOnGraph), poll);
    onGraph_->setObjectName(QStringLiteral("OnGraph"));
    onGraph_->setChecked(true);
    multigas_ = NewButton(StringTable::kMultigasCaption, poll, "Multigas");
    multigas_->setCheckable(true);
    moreButton_ = NewButton(StringTable::kMoreButton, poll, "MoreButton");
    toFile_ = NewButton(StringTable::kToFile, poll, "ToFile");
    toFile_->setCheckable(true);
    cyclic_ = new QCheckBox(Text(StringTable::kCyclicMode), poll);
    cyclic_->setObjectName(QStringLiteral("Cyclic"));
    cyclePeriod_ = new QComboBox(poll);
    cyclePeriod_->setObjectName(QStringLiteral("CyclePeriod"));
    FillList(cyclePeriod_, CyclePeriodsMs(), 2000);
    heatingTime_ = new QComboBox(poll);
    heatingTime_->setObjectName(QStringLiteral("HeatingTime"));
    FillList(heatingTime_, HeatingTimesMs(), 1000);

    auto* pollLayout = new QGridLayout(poll);
    int r = 0;
    pollLayout->addWidget(new QLabel(Text(StringTable::kPollPeriod), poll), r, 0);
    pollLayout->addWidget(pollPeriod_, r++, 1);
    pollLayout->addWidget(concentration_, r, 0);
    pollLayout->addWidget(onGraph_, r++, 1);
    pollLayout->addWidget(concentrationBox_, r++, 0, 1, 2);
    pollLayout->addWidget(multigas_, r, 0);
    pollLayout->addWidget(moreButton_, r++, 1);
    pollLayout->addWidget(toFile_, r++, 0, 1, 2);
    pollLayout->addWidget(cyclic_, r++, 0, 1, 2);
    pollLayout->addWidget(cyclePeriod_, r++, 0, 1, 2);
    pollLayout->addWidget(new QLabel(Text(StringTable::kHeatingTime), poll), r, 0);
    pollLayout->addWidget(heatingTime_, r++, 1);
    pollLayout->setRowStretch(2, 1);
    concentrationBox_->setMinimumHeight(fontMetrics().height() * 3);

    factoryLoad_ = NewButton(StringTable::kFactoryLoad, this, "FactoryLoad");
    factorySave_ = NewButton(StringTable::kFactorySave, this, "FactorySave");
    logButton_ = NewButton(StringTable::kLogButton, this, "LogButton");
    rereadButton_ = NewButton(StringTable::kRereadAll, this, "RereadAll");
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("StatusLine"));
    status_->setWordWrap(true);
    status_->setStyleSheet(QStringLiteral("color: #b00000;"));
    linkNotice_ = new LinkNotice(this);

    // Sensor line and "Канал" on top; the settings panel, the graph and the
    // poll options in the middle; the calibration panel and the page's
    // buttons below.
    auto* top = new QHBoxLayout;
    top->addWidget(sensorLine_, 1);
    top->addWidget(channelButton_);
    sensorLine_->setMinimumHeight(fontMetrics().height() * 2);

    auto* middle = new QHBoxLayout;
    middle->addWidget(settingsScroll, 0, Qt::AlignTop);
    middle->addWidget(graph_, 1);
    middle->addWidget(poll);

    auto* factory = new QGroupBox(Text(StringTable::kFactorySettings), this);
    auto* factoryLayout = new QHBoxLayout(factory);
    factoryLayout->addWidget(factoryLoad_);
    factoryLayout->addWidget(factorySave_);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(factory);
    auto* lowerButtons = new QHBoxLayout;
    lowerButtons->addWidget(logButton_);
    lowerButtons->addWidget(rereadButton_);
    buttons->addLayout(lowerButtons);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(calibrationPlace, 1, Qt::AlignTop);
    bottom->addLayout(buttons);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(middle, 1);
    layout->addLayout(bottom);
    layout->addWidget(linkNotice_);
    layout->addWidget(status_);

    connect(rereadButton_, &QPushButton::clicked, this, &CalibrationDialog::OnRereadAll);
    connect(concentration_, &QCheckBox::clicked, this, [this] {
        ApplyPollSettings();
        SelectGraphSeries();
    });
    connect(onGraph_, &QCheckBox::clicked, this, [this] {
        ReadChecks();
        SelectGraphSeries();
    });
    connect(cyclic_, &QCheckBox::clicked, this, [this] {
        ReadChecks();
        UpdateControls();
        ApplyPollSettings();
    });
    for (QComboBox* list : {pollPeriod_, cyclePeriod_, heatingTime_})
        connect(list, qOverload<int>(&QComboBox::activated), this, [this] { ApplyPollSettings(); });
    connect(toFile_, &QPushButton::clicked, this, &CalibrationDialog::OnToFile);
    connect(logButton_, &QPushButton::clicked, this, &CalibrationDialog::OnLog);
    connect(moreButton_, &QPushButton::clicked, this, &CalibrationDialog::OnMore);
    connect(multigas_, &QPushButton::clicked, this, &CalibrationDialog::OnMultigas);
    connect(channelButton_, &QPushButton::clicked, this, &CalibrationDialog::OnChannel);
    connect(factorySave_, &QPushButton::clicked, this, [this] { engine().SaveFactorySettings(); });
    connect(factoryLoad_, &QPushButton::clicked, this, &CalibrationDialog::OnFactoryLoad);
}

WorkspacePanel* CalibrationDialog::SettingsPanel(int index) const
{
    return index >= 0 && index < kSettingsPanelCount ? settingsPanels_[std::size_t(index)] : nullptr;
}

WorkspacePanel* CalibrationDialog::CalibrationPanel(int index) const
{
    return index >= 0 && index < kCalibrationPanelCount ? calibrationPanels_[std::size_t(index)] : nullptr;
}

MoreloopDlg* CalibrationDialog::MoreDialog(int index) const
{
    return index >= 0 && index < kMoreDialogCount ? moreDialogs_[std::size_t(index)] : nullptr;
}

void CalibrationDialog::OnForwardKey(int key)
{
    if (key == ForwardKey::kF2)
        OnRereadAll();
}

bool CalibrationDialog::RereadAllowed(int mode)
{
    return Engine::IsSteadyMode(mode) || mode == Engine::kModeSensorLog;
}

bool CalibrationDialog::PollIdle(int mode)
{
    // Reading the sensor's own log holds the line: the poll options wait.
    return Engine::IsSteadyMode(mode) && mode != Engine::kModeSensorLog;
}

bool CalibrationDialog::CommandsAccepted()
{
    return WorkspacePanel::CommandsAccepted(engine());
}

void CalibrationDialog::OnRereadAll()
{
    if (RereadAllowed(engine().mode))
        engine().ReadCalibrationSet();
}

void CalibrationDialog::ReadChecks()
{
    concentrationOn_ = concentration_->isChecked();
    onGraphOn_ = onGraph_->isChecked();
    multigasOn_ = multigas_->isChecked();
    toFileOn_ = toFile_->isChecked();
    cyclicOn_ = cyclic_->isChecked();
}

SensorKind CalibrationDialog::CurrentKind()
{
    SensorParameters p;
    engine().CopySensorParameters(p);
    return p.sensorType.valid != 0 ? ClassifySensorKind(p.sensorType.text) : SensorKind::Unknown;
}

MoreloopDlg* CalibrationDialog::OpenMoreDialog() const
{
    for (MoreloopDlg* d : moreDialogs_)
        if (d->IsOpen())
            return d;
    return nullptr;
}

void CalibrationDialog::ApplyPollSettings()
{
    ReadChecks();
    const SensorKindTable::Capabilities caps = KindCapabilities(CurrentKind());
    CalibrationPollSettings s;
    s.cyclic = (cyclicOn_ && caps.cyclicMode) ? 1 : 0;
    s.cyclePeriodMs = SelectedMs(cyclePeriod_, s.cyclePeriodMs);
    s.heatingTimeMs = SelectedMs(heatingTime_, s.heatingTimeMs);
    s.pollPeriodMs = SelectedMs(pollPeriod_, s.pollPeriodMs);
    s.readConcentration = concentrationOn_ ? 1 : 0;
    s.readMultigas = multigasOn_ ? 1 : 0;
    if (caps.hasMoreParameters)
        if (MoreloopDlg* more = OpenMoreDialog())
            more->ApplyReadFlags(s);
    if (toFileOn_ && !filePath_.isEmpty()) {
        s.toFile = 1;
        s.filePath = filePath_.toStdString();
    }
    if (!engine().SetCalibrationPolling(s))
        UpdateControls();
}

void CalibrationDialog::UpdateControls()
{
    const int mode = engine().mode;
    const bool idle = PollIdle(mode);
    const bool accept = CommandsAccepted();
    const SensorKindTable::Capabilities caps = KindCapabilities(CurrentKind());
    const bool cyclicOn = cyclic_->isChecked();

    rereadButton_->setEnabled(RereadAllowed(mode));
    for (QPushButton* b : {channelButton_, factorySave_, factoryLoad_})
        b->setEnabled(accept);
    cyclic_->setEnabled(idle && caps.cyclicMode);
    cyclePeriod_->setEnabled(idle && caps.cyclicMode && cyclicOn);
    heatingTime_->setEnabled(idle && caps.cyclicMode && cyclicOn);
    concentration_->setEnabled(idle);
    onGraph_->setEnabled(idle);
    multigas_->setEnabled(idle);
    pollPeriod_->setEnabled(idle && !(caps.cyclicMode && cyclicOn));
    moreButton_->setEnabled(idle && caps.hasMoreParameters);
    logButton_->setText(Text(engine().Master().IsLogActive() ? StringTable::kLogStop : StringTable::kLogStart));
    // The keys (F2 above all) must keep reaching the page when a button
    // that had the focus goes grey.
    if (isEnabled())
        setFocus();
}

void CalibrationDialog::SelectGraphSeries()
{
    std::vector<int> series;
    if (concentration_->isChecked() && onGraph_->isChecked())
        series.push_back(int(SensorCalibrationLoopMeasurementsPoint::kConcentration));
    if (KindCapabilities(CurrentKind()).hasMoreParameters)
        if (MoreloopDlg* more = OpenMoreDialog())
            more->AppendGraphSeries(series);
    series.resize(std::min<std::size_t>(series.size(), series_.size()));
    series_.fill(-1);
    std::copy(series.begin(), series.end(), series_.begin());
    // The page graph has no time axis: the points are as far apart as the
    // line allowed, not the poll period.
    graph_->SetSeriesAndInterval(series_, -1);
}

void CalibrationDialog::FillGraph()
{
    engine().CopyMeasurements(kGraphPoints, points_);
    graph_->SetPoints(points_);
    graph_->Refresh();
}

void CalibrationDialog::ShowSensorLine()
{
    SensorParameters p;
    engine().CopySensorParameters(p);
    std::string text = p.sensorType.valid != 0 ? p.sensorType.text : std::string();
    if (p.softwareVersion.valid != 0)
        text += "  " + p.softwareVersion.text;
    QString line = QString::fromStdString(Cp1251::ToUtf8(text));
    if (p.serialNumber.valid != 0)
        line += QStringLiteral("  ") + Text(StringTable::kNumberSign) +
                QString::fromStdString(Cp1251::ToUtf8(p.serialNumber.text));
    sensorLine_->SetText(line);
}

void CalibrationDialog::ShowConcentration()
{
    SensorParameters p;
    engine().CopySensorParameters(p);
    concentrationBox_->SetText(p.concentration.valid == 1
                                   ? QString::fromStdString(Cp1251::ToUtf8(p.concentration.values[0]))
                                   : QString());
}

void CalibrationDialog::SelectSettingsPanel()
{
    const SensorKind kind = CurrentKind();
    if (kind == settingsKind_)
        return;
    WorkspacePanel* old = settingsPanels_[std::size_t(SettingsPanelOf(settingsKind_))];
    old->setEnabled(false);
    old->hide();
    WorkspacePanel* shown = settingsPanels_[std::size_t(SettingsPanelOf(kind))];
    shown->setEnabled(true);
    shown->show();
    settingsKind_ = kind;
}

void CalibrationDialog::SelectCalibrationPanel()
{
    const SensorKind kind = CurrentKind();
    if (kind == calibrationKind_)
        return;
    const SensorKindTable::CalibrationPanel old = CalibrationPanelOf(calibrationKind_);
    if (old != kNoPanel) {
        calibrationPanels_[std::size_t(old)]->setEnabled(false);
        calibrationPanels_[std::size_t(old)]->hide();
    }
    const SensorKindTable::CalibrationPanel now = CalibrationPanelOf(kind);
    if (now != kNoPanel) {
        calibrationPanels_[std::size_t(now)]->setEnabled(true);
        calibrationPanels_[std::size_t(now)]->show();
    }
    calibrationKind_ = kind;
}

void CalibrationDialog::CloseOtherMoreDialogs()
{
    SensorParameters p;
    engine().CopySensorParameters(p);
    if (p.sensorType.valid == 0)
        return;
    const SensorKindTable::MoreDialog own = MoreDialogOf(ClassifySensorKind(p.sensorType.text));
    for (int i = 0; i < kMoreDialogCount; ++i)
        if (i != own)
            moreDialogs_[std::size_t(i)]->CloseWindow();
}

void CalibrationDialog::OnMore()
{
    SensorParameters p;
    engine().CopySensorParameters(p);
    if (p.sensorType.valid == 0)
        return;
    const SensorKindTable::MoreDialog own = MoreDialogOf(ClassifySensorKind(p.sensorType.text));
    for (int i = 0; i < kMoreDialogCount; ++i)
        if (i != own)
            moreDialogs_[std::size_t(i)]->CloseWindow();
    if (own == kNoDialog)
        return;
    // Below the graph, at its left edge.
    const QPoint corner = graph_->mapToGlobal(QPoint(0, graph_->height()));
    moreDialogs_[std::size_t(own)]->Open(corner, Handle(), WM_CALIB_MORE_CHANGED);
}

void CalibrationDialog::OnToFile()
{
    if (toFile_->isChecked()) {
        const QString path =
            ModalDialogs::SaveFileName(this, QStringLiteral("looplog.csv"), QStringLiteral("csv"),
                                       {Text(StringTable::kCsvFilter), Text(StringTable::kAllFilesFilter)});
        if (path.isEmpty()) {
            toFile_->setChecked(false);
        } else {
            filePath_ = path;
            status_->clear();
        }
    }
    ApplyPollSettings();
}

void CalibrationDialog::ShowMeasurementFileTrouble()
{
    const auto status = engine().CopyMeasurementFileStatus();
    if (status.failed == 0)
        return;
    // The poll goes on without the file; the engineer must not believe the
    // points are being kept. A file that never opened is off: the toggle
    // says so, and pressing it again asks for another path.
    status_->setText(QString::fromStdString(status.text));
    if (engine().PollSettings().toFile == 0) {
        toFile_->setChecked(false);
        toFileOn_ = false;
    }
}

void CalibrationDialog::OnLog()
{
    auto& master = engine().Master();
    if (master.IsLogActive()) {
        master.StopLog();
    } else {
        const QString path =
            ModalDialogs::SaveFileName(this, QStringLiteral("log.txt"), QStringLiteral("txt"),
                                       {Text(StringTable::kTextFilesFilter), Text(StringTable::kAllFilesFilter)});
        if (!path.isEmpty() && !master.StartLog(path.toStdString()))
            MessageBoxes::Error(this, Text(StringTable::kExchangeLogFailed).arg(path));
    }
    UpdateControls();
}

void CalibrationDialog::OnFactoryLoad()
{
    MessageBoxes::Request box;
    box.parent = this;
    box.caption = Text(StringTable::kCaptionWarning);
    box.text = Text(StringTable::kConfirmFactoryLoad);
    box.icon = MessageBoxes::Icon::Exclamation;
    box.buttons = MessageBoxes::Buttons::OkCancel;
    if (MessageBoxes::Show(box) == MessageBoxes::kOk)
        engine().LoadFactorySettings();
}

void CalibrationDialog::OnMultigas()
{
    ApplyPollSettings();
    if (!multigas_->isChecked()) {
        CloseMultigasGraph();
    } else if (multigasGraph_ == nullptr) {
        multigasGraph_ = new MgMultiGraphFrame(engine(), windows(), Handle(), WM_CALIB_MULTIGAS_CLOSED);
        multigasGraph_->setGeometry(QRect(QPoint(32, 32), QPoint(831, 631)));
        multigasGraph_->show();
    }
}

void CalibrationDialog::CloseMultigasGraph()
{
    if (multigasGraph_ != nullptr)
        multigasGraph_->close();
}

void CalibrationDialog::OpenLogGraph()
{
    if (logGraph_ != nullptr)
        return;
    logGraph_ = new IntlogGraphFrame(engine(), windows());
    logGraph_->resize(600, 400);
    logGraph_->move(mapToGlobal(QPoint(0, 0)));
    logGraph_->show();
}

void CalibrationDialog::OnChannel()
{
    if (channelDialog_->IsOpen())
        return;
    channelDialog_->Open(mapToGlobal(QPoint(0, -100)), Handle(), WM_CALIB_CHANNEL_CHANGED);
}

void CalibrationDialog::ShowChannelCaption()
{
    channelButton_->setText(QString::asprintf(Text(StringTable::kChannelCaption).toUtf8().constData(),
                                              channelDialog_->ChannelIndex() + 1));
}

void CalibrationDialog::OnActivate()
{
    UpdateControls();
    ShowSensorLine();
    ShowConcentration();
    SelectGraphSeries();
    FillGraph();
    SelectSettingsPanel();
    SelectCalibrationPanel();
    ShowChannelCaption();
    Register(NotificationId::ModeChanged);
    Register(NotificationId::LineTaskEvent);
    Register(NotificationId::SensorParametersChanged);
    Register(NotificationId::MeasurementsChanged);
    Register(NotificationId::MeasurementFileFailed);
    Register(NotificationId::LineLinkChanged);
    linkNotice_->Clear();
    if (moreWasOpen_)
        OnMore();
    if (channelWasOpen_)
        OnChannel();
    if (RereadAllowed(engine().mode))
        engine().ReadCalibrationSet();
}

void CalibrationDialog::OnDeactivate()
{
    UnregisterAll();
    engine().StopActivity();
    if (engine().Master().IsLogActive())
        engine().Master().StopLog();
    engine().StopFileLogging();
    for (WorkspacePanel* p : settingsPanels_) {
        p->setEnabled(false);
        p->hide();
    }
    for (WorkspacePanel* p : calibrationPanels_) {
        p->setEnabled(false);
        p->hide();
    }
    settingsKind_ = SensorKind::Unknown;
    calibrationKind_ = SensorKind::Unknown;
    moreWasOpen_ = OpenMoreDialog() != nullptr;
    for (MoreloopDlg* d : moreDialogs_)
        d->CloseWindow();
    channelWasOpen_ = channelDialog_->IsOpen();
    channelDialog_->CloseWindow();
    // The graph window's "closed" message finds the page disabled; the
    // toggle is released here instead, without starting anything.
    CloseMultigasGraph();
    multigas_->setChecked(false);
    multigasOn_ = false;
    if (logGraph_ != nullptr)
        logGraph_->close();
    UpdateControls();
}

void CalibrationDialog::OnModeChanged(int oldMode, int newMode)
{
    UpdateControls();
    // A poll that ended takes what was said of its line with it.
    if (oldMode == Engine::kModeCalibrationPolling && newMode != oldMode)
        linkNotice_->Clear();
    if ((oldMode == Engine::kModeReadCalibrationSet || oldMode == Engine::kModeReread ||
         oldMode == Engine::kModeWrite) &&
        newMode == Engine::kModeIdle) {
        ApplyPollSettings();
        SelectGraphSeries();
    }
    if (oldMode == Engine::kModeFactorySave || oldMode == Engine::kModeFactoryLoad)
        engine().ReadCalibrationSet();
}

void CalibrationDialog::OnWindowMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam)
{
    // A message posted before the page was left may still arrive.
    if (!isEnabled())
        return;
    switch (message) {
    case NotificationId::ModeChanged:
        OnModeChanged(int(wParam), int(lParam));
        return;
    case NotificationId::SensorParametersChanged:
        ShowSensorLine();
        ShowConcentration();
        SelectSettingsPanel();
        SelectCalibrationPanel();
        CloseOtherMoreDialogs();
        return;
    case NotificationId::MeasurementsChanged:
        FillGraph();
        return;
    case NotificationId::MeasurementFileFailed:
        ShowMeasurementFileTrouble();
        return;
    case NotificationId::LineLinkChanged:
        if (engine().mode == Engine::kModeCalibrationPolling)
            linkNotice_->Show(engine().CopyLineLink());
        return;
    case WM_CALIB_MORE_CHANGED:
        if (wParam & kMoreReadChanged)
            ApplyPollSettings();
        if (wParam & kMoreGraphChanged)
            SelectGraphSeries();
        return;
    case WM_CALIB_PANEL_DONE:
        ApplyPollSettings();
        return;
    case WM_CALIB_LOG_TAKES_LINE:
        concentration_->setChecked(false);
        multigas_->setChecked(false);
        for (MoreloopDlg* d : moreDialogs_)
            d->ClearReadSelection();
        CloseMultigasGraph();
        ApplyPollSettings();
        SelectGraphSeries();
        return;
    case WM_CALIB_SHOW_LOG_GRAPH:
        OpenLogGraph();
        return;
    case WM_CALIB_MULTIGAS_CLOSED:
        multigas_->setChecked(false);
        ApplyPollSettings();
        return;
    case WM_CALIB_CHANNEL_CHANGED:
        ShowChannelCaption();
        return;
    default:
        (void)lParam;
        return;
    }
}
