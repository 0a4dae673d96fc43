// The calibration page in the main window, against the simulated detector:
// the poll it composes, the panels it shows by the sensor's kind, the graph,
// the measurement file, the exchange log and the factory settings.
// The simulator names a member "signals", which Qt's headers would turn
// into a keyword: it comes first.
#include "Simulator.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <memory>
#include <string>

#include "AppTestSupport.h"
#include "CDlgTabCtrl.h"
#include "CalibrationDialog.h"
#include "LinkNotice.h"
#include "SimLine.h"
#include "Engine.h"
#include "FittedTextBox.h"
#include "GraphWnd.h"
#include "MoreloopDlg.h"
#include "SensorKindTable.h"
#include "StringTable.h"
#include "TestPorts.h"

#include <QTemporaryDir>
#include "WorkspacePanel.h"

namespace {

using Pairs = std::vector<std::pair<int, int>>;
using Point = SensorCalibrationLoopMeasurementsPoint;

constexpr int kLongWaitMs = 90000;

QStringList Items(const QComboBox* list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->itemText(i);
    return out;
}

class CalibrationPageTest : public MainWindowFixture {
protected:
    static constexpr int kDevicePort = 1;
    static constexpr int kHartPort = 2;

    CalibrationPageTest() { modeWaitMs_ = kLongWaitMs; }

    void TearDown() override
    {
        CloseWindow();
        if (sim_)
            sim_->Stop();
    }

    void StartSim(const std::string& scenario)
    {
        Simulator::Options o;
        o.portsFolder = folder_.Home().PortsFolder();
        o.devicePort = kDevicePort;
        o.hartPort = kHartPort;
        o.scenarioText = scenario;
        sim_ = std::make_unique<Simulator>(o);
        sim_->Start();
    }

    CalibrationDialog* Page() const
    {
        return static_cast<CalibrationDialog*>(window_->TabCtrl()->Page(CDlgTabCtrl::kCalibrationPage));
    }

    void ShowPage(int index)
    {
        window_->TabCtrl()->setCurrentIndex(index);
        PumpQueued();
    }

    // Start-up, then the calibration tab: it re-reads the sensor's set and
    // starts its poll.
    void OpenOnPage(const std::string& scenario)
    {
        StartSim(scenario);
        StorePorts(kDevicePort, kHartPort);
        Open();
        ASSERT_TRUE(PumpUntilMode(Engine::kModeConnected));
        PumpQueued();
        recorder_->messages.clear();
        ShowPage(CDlgTabCtrl::kCalibrationPage);
        ASSERT_TRUE(PumpUntilMode(Engine::kModeCalibrationPolling));
        PumpQueued();
    }

    // Waits until the poll has appended points that satisfy `done`.
    bool WaitForPoints(const std::function<bool(const std::vector<Point>&)>& done)
    {
        return PumpUntil([&] { return done(Page()->Graph()->Points()); }, kLongWaitMs);
    }

    void SavePicture(QWidget* widget, const QString& name)
    {
        const QString dir = QStringLiteral(KORVAN_TEST_ARTIFACT_DIR);
        ASSERT_TRUE(QDir().mkpath(dir));
        const QImage image = widget->grab().toImage();
        ASSERT_FALSE(image.isNull());
        EXPECT_TRUE(image.save(dir + "/" + name));
    }

    static std::string Scenario(const char* kind, const char* extra = "")
    {
        return std::string("[detector]\nkind = ") + kind + "\nnoise = 0\n" + extra;
    }

    std::unique_ptr<Simulator> sim_;
};

TEST(CalibrationPageLists, PeriodsReadTopToBottom)
{
    QStringList poll, cycle, heating;
    for (auto ms : CalibrationDialog::PollPeriodsMs())
        poll << CalibrationDialog::PeriodText(ms);
    for (auto ms : CalibrationDialog::CyclePeriodsMs())
        cycle << CalibrationDialog::PeriodText(ms);
    for (auto ms : CalibrationDialog::HeatingTimesMs())
        heating << CalibrationDialog::PeriodText(ms);
    EXPECT_EQ(poll, (QStringList{"100 мс", "200 мс", "500 мс", "1 сек", "2 сек", "5 сек", "10 сек"}));
    EXPECT_EQ(cycle, (QStringList{"2 сек", "4 сек", "6 сек", "8 сек", "10 сек", "15 сек", "20 сек", "25 сек",
                                  "30 сек"}));
    EXPECT_EQ(heating, (QStringList{"1 сек", "2 сек", "3 сек", "4 сек", "5 сек"}));
}

TEST_F(CalibrationPageTest, ThePageStartsWithItsListsAndOptions)
{
    StartSim(Scenario("Elchem"));
    StorePorts(kDevicePort, kHartPort);
    Open();
    CalibrationDialog* page = Page();
    EXPECT_EQ(Items(page->PollPeriodList()),
              (QStringList{"100 мс", "200 мс", "500 мс", "1 сек", "2 сек", "5 сек", "10 сек"}));
    EXPECT_EQ(page->PollPeriodList()->currentText(), "500 мс");
    EXPECT_EQ(page->CyclePeriodList()->currentText(), "2 сек");
    EXPECT_EQ(page->HeatingTimeList()->currentText(), "1 сек");
    EXPECT_EQ(Items(page->CyclePeriodList()).size(), 9);
    EXPECT_EQ(Items(page->HeatingTimeList()).last(), "5 сек");
    EXPECT_TRUE(page->ConcentrationCheck()->isChecked());
    EXPECT_TRUE(page->OnGraphCheck()->isChecked());
    EXPECT_FALSE(page->MultigasCheck()->isChecked());
    EXPECT_FALSE(page->ToFileCheck()->isChecked());
    EXPECT_FALSE(page->CyclicCheck()->isChecked());
    EXPECT_EQ(page->LogButton()->text(), "Лог");
    EXPECT_EQ(page->RereadButton()->text(), "Перечитать все (F2)");
    // Every panel is there from the start, hidden, of its layout's size.
    for (int i = 0; i < SensorKindTable::kSettingsPanelCount; ++i) {
        ASSERT_NE(page->SettingsPanel(i), nullptr);
        EXPECT_FALSE(page->SettingsPanel(i)->isVisible());
        EXPECT_GT(page->SettingsPanel(i)->TemplateSize().width(), page->SettingsPanel(i)->TemplateSize().height());
    }
    for (int i = 0; i < SensorKindTable::kCalibrationPanelCount; ++i)
        EXPECT_FALSE(page->CalibrationPanel(i)->isVisible());
}

// One row per sensor kind of the simulator: what the page shows for it.
struct KindRow {
    const char* kind;
    const char* settingsPanel;
    const char* calibrationPanel; // nullptr: none
    bool moreEnabled;
    bool cyclicEnabled;
    const char* moreDialog; // opened by itself on the first visit; nullptr: none
};

class CalibrationPageKinds : public CalibrationPageTest, public ::testing::WithParamInterface<KindRow> {};

TEST_P(CalibrationPageKinds, ShowsTheKindsPanelsAndOptions)
{
    const KindRow& row = GetParam();
    OpenOnPage(Scenario(row.kind));
    CalibrationDialog* page = Page();
    QStringList shown;
    for (int i = 0; i < SensorKindTable::kSettingsPanelCount; ++i)
        if (page->SettingsPanel(i)->isVisible()) {
            shown << page->SettingsPanel(i)->objectName();
            EXPECT_TRUE(page->SettingsPanel(i)->isEnabled());
        }
    EXPECT_EQ(shown, QStringList{row.settingsPanel});
    QStringList calibration;
    for (int i = 0; i < SensorKindTable::kCalibrationPanelCount; ++i)
        if (page->CalibrationPanel(i)->isVisible())
            calibration << page->CalibrationPanel(i)->objectName();
    EXPECT_EQ(calibration, row.calibrationPanel ? QStringList{row.calibrationPanel} : QStringList{});
    EXPECT_EQ(page->MoreButton()->isEnabled(), row.moreEnabled);
    EXPECT_EQ(page->CyclicCheck()->isEnabled(), row.cyclicEnabled);
    QStringList more;
    for (int i = 0; i < SensorKindTable::kMoreDialogCount; ++i)
        if (page->MoreDialog(i)->IsOpen())
            more << page->MoreDialog(i)->objectName();
    EXPECT_EQ(more, row.moreDialog ? QStringList{row.moreDialog} : QStringList{});
    // The concentration is read, and only that, on the page's period.
    const CalibrationPollSettings s = engine().PollSettings();
    EXPECT_EQ(s.readConcentration, 1);
    EXPECT_EQ(s.pollPeriodMs, 500);
    EXPECT_FALSE(s.readAdc || s.readTh || s.readTh2 || s.readMultigas);
}

INSTANTIATE_TEST_SUITE_P(
    EveryKind, CalibrationPageKinds,
    ::testing::Values(KindRow{"OptoDyn", "IntdlgOpto", "CalibIntdlgCv", false, false, nullptr},
                      KindRow{"OptoMIP", "IntdlgOpto", nullptr, false, false, nullptr},
                      KindRow{"Elchem", "IntdlgElchem", "CalibIntdlgCv", true, false, "MoreloopElchemDlg"},
                      KindRow{"Oksik", "IntdlgOksik", "CalibIntdlgCv", true, false, "MoreloopElchemDlg"},
                      KindRow{"Semi", "IntdlgSelectSemi", "CalibIntdlgSelectSemi", true, true, "MoreloopSemiDlg"},
                      KindRow{"SemiCycl", "IntdlgEmpty", nullptr, false, true, nullptr},
                      KindRow{"TcatBrdg", "IntdlgTCatBrdg", "CalibIntdlgCv", true, true, "MoreloopTCatBrdg"},
                      KindRow{"TcatPWR", "IntdlgSelectTCatpwr", "CalibIntdlgSelectTCatpwr", true, true,
                              "MoreloopTCatpwr"},
                      KindRow{"CondTerm", "IntdlgEmpty", nullptr, false, true, nullptr},
                      KindRow{"CondConv", "IntdlgEmpty", nullptr, false, true, nullptr}),
    [](const ::testing::TestParamInfo<KindRow>& info) { return std::string(info.param.kind); });

TEST_F(CalibrationPageTest, CyclicModeTakesTheCycleListsAndStillSendsThePollPeriod)
{
    OpenOnPage(Scenario("SemiCycl"));
    CalibrationDialog* page = Page();
    EXPECT_TRUE(page->PollPeriodList()->isEnabled());
    EXPECT_FALSE(page->CyclePeriodList()->isEnabled());
    page->PollPeriodList()->setCurrentIndex(5); // 5 сек
    page->CyclePeriodList()->setCurrentIndex(2); // 6 сек
    page->HeatingTimeList()->setCurrentIndex(3); // 4 сек
    QTest::mouseClick(page->CyclicCheck(), Qt::LeftButton);
    PumpQueued();
    EXPECT_FALSE(page->PollPeriodList()->isEnabled());
    EXPECT_TRUE(page->CyclePeriodList()->isEnabled());
    EXPECT_TRUE(page->HeatingTimeList()->isEnabled());
    const CalibrationPollSettings s = engine().PollSettings();
    EXPECT_EQ(s.cyclic, 1);
    EXPECT_EQ(s.cyclePeriodMs, 6000);
    EXPECT_EQ(s.heatingTimeMs, 4000);
    EXPECT_EQ(s.pollPeriodMs, 5000);
    EXPECT_EQ(engine().mode, Engine::kModeCalibrationPolling);
}

TEST_F(CalibrationPageTest, CyclicModeIsNotSentForAKindWithout)
{
    OpenOnPage(Scenario("Elchem"));
    // The box is grey for this kind; even checked it asks for no heating.
    Page()->CyclicCheck()->setChecked(true);
    Page()->ApplyPollSettings();
    PumpQueued();
    EXPECT_EQ(engine().PollSettings().cyclic, 0);
}

TEST_F(CalibrationPageTest, TheConcentrationBoxAndTheGraphFollowTheSensor)
{
    OpenOnPage(Scenario("Elchem", "concentration = 8.3\nparam.SS = 1.07\nparam.IS = 20240117\n"));
    CalibrationDialog* page = Page();
    // The opening visit re-read the set first, then polled.
    EXPECT_EQ(recorder_->ModeChanges().front(), (std::pair<int, int>{1, 18}));
    EXPECT_EQ(page->SensorLineBox()->Text(), "Elchem  1.07  №20240117");
    ASSERT_TRUE(WaitForPoints([](const std::vector<Point>& p) { return p.size() >= 2; }));
    EXPECT_EQ(page->GraphSeries(), (std::array<int, 4>{0, -1, -1, -1}));
    EXPECT_FLOAT_EQ(page->Graph()->Points().back().values[0], 8.3f);

    sim_->Detector().ApplySetting("detector", "concentration", "12.5");
    ASSERT_TRUE(WaitForPoints([](const std::vector<Point>& p) { return !p.empty() && p.back().values[0] == 12.5f; }));
    ASSERT_TRUE(PumpUntil([&] { return page->ConcentrationBox()->Text().toDouble() == 12.5; }, kLongWaitMs))
        << page->ConcentrationBox()->Text().toStdString();
    EXPECT_LE(page->Graph()->Points().size(), 64u);
    // The graph scaled itself over the values it holds.
    EXPECT_TRUE(page->Graph()->Scale(0).hasData);
    EXPECT_FLOAT_EQ(page->Graph()->Scale(0).maxValue, 12.5f);
    SavePicture(window_.get(), "calibration-page.png");
}

TEST_F(CalibrationPageTest, SwitchingTheOnlyReadOffStopsThePollAndEmptiesTheGraph)
{
    OpenOnPage(Scenario("OptoMIP"));
    ASSERT_TRUE(WaitForPoints([](const std::vector<Point>& p) { return !p.empty(); }));
    recorder_->messages.clear();
    QTest::mouseClick(Page()->ConcentrationCheck(), Qt::LeftButton);
    PumpQueued();
    EXPECT_EQ(engine().mode, Engine::kModeIdle);
    EXPECT_EQ(recorder_->ModeChanges(), (Pairs{{19, 1}}));
    ASSERT_TRUE(PumpUntil([&] { return Page()->Graph()->Points().empty(); }, 5000));
    EXPECT_EQ(Page()->GraphSeries(), (std::array<int, 4>{-1, -1, -1, -1}));
}

TEST_F(CalibrationPageTest, ToFileCancelledStaysOff)
{
    SaveDialogAnswers files(hooks_);
    OpenOnPage(Scenario("OptoMIP"));
    QTest::mouseClick(Page()->ToFileCheck(), Qt::LeftButton);
    PumpQueued();
    ASSERT_EQ(files.requests.size(), 1u);
    EXPECT_EQ(files.requests[0].defaultName, "looplog.csv");
    EXPECT_EQ(files.requests[0].defaultExtension, "csv");
    EXPECT_FALSE(Page()->ToFileCheck()->isChecked());
    EXPECT_EQ(engine().PollSettings().toFile, 0);
    EXPECT_EQ(engine().mode, Engine::kModeCalibrationPolling);
}

TEST_F(CalibrationPageTest, ToFileWritesTheMeasurementFileAndLeavingThePageClosesIt)
{
    SaveDialogAnswers files(hooks_);
    QTemporaryDir dir;
    const QString path = dir.path() + "/замеры/looplog.csv";
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
    files.next = path;
    OpenOnPage(Scenario("OptoMIP", "concentration = 0.5\n"));
    QTest::mouseClick(Page()->ToFileCheck(), Qt::LeftButton);
    PumpQueued();
    EXPECT_TRUE(Page()->ToFileCheck()->isChecked());
    EXPECT_EQ(engine().PollSettings().toFile, 1);
    EXPECT_EQ(QString::fromStdString(engine().PollSettings().filePath), path);
    const std::size_t before = Page()->Graph()->Points().size();
    ASSERT_TRUE(WaitForPoints([&](const std::vector<Point>& p) { return p.size() >= before + 3; }));

    // Leaving the page ends the poll and closes the file: what it holds
    // then stays.
    ShowPage(CDlgTabCtrl::kSensorPage);
    EXPECT_NE(engine().mode, Engine::kModeCalibrationPolling);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const QList<QByteArray> lines = bytes.split('\n');
    ASSERT_GE(lines.size(), 4) << bytes.toStdString();
    EXPECT_TRUE(lines[0].endsWith("\r"));
    // The header names 31 columns, in the Cyrillic code page.
    EXPECT_EQ(lines[0].count(';'), 30);
    EXPECT_TRUE(lines[0].startsWith("\xC2\xF0\xE5\xEC\xFF;")); // "Время;" in windows-1251
    for (int i = 1; i < lines.size() - 1; ++i) {
        const QByteArray& row = lines[i];
        const int first = row.indexOf(';');
        ASSERT_GT(first, 0) << row.toStdString();
        EXPECT_EQ(row.mid(first), QByteArray(";0,5000") + QByteArray(29, ';') + "\r") << row.toStdString();
    }
    const qint64 size = bytes.size();
    EXPECT_TRUE(lines.last().isEmpty());

    // Back on the page: the set is read again and the poll starts with the
    // page's options, the file among them.
    recorder_->messages.clear();
    ShowPage(CDlgTabCtrl::kCalibrationPage);
    ASSERT_TRUE(PumpUntilMode(Engine::kModeCalibrationPolling));
    EXPECT_EQ(recorder_->ModeChanges(), (Pairs{{1, 18}, {18, 1}, {1, 19}}));
    EXPECT_TRUE(Page()->ToFileCheck()->isChecked());
    EXPECT_EQ(engine().PollSettings().toFile, 1);
    ASSERT_TRUE(PumpUntil([&] { return QFileInfo(path).size() > size; }, kLongWaitMs));
}

TEST_F(CalibrationPageTest, AMeasurementFileThatCannotBeKeptIsSaidAndThePollGoesOn)
{
    SaveDialogAnswers files(hooks_);
    QTemporaryDir dir;
    OpenOnPage(Scenario("OptoMIP"));
    EXPECT_TRUE(Page()->StatusLine()->text().isEmpty());

    // A folder that does not exist: the file never opens.
    files.next = dir.path() + "/нет-такой-папки/looplog.csv";
    QTest::mouseClick(Page()->ToFileCheck(), Qt::LeftButton);
    ASSERT_TRUE(PumpUntil([&] { return !Page()->StatusLine()->text().isEmpty(); }, kLongWaitMs));
    EXPECT_TRUE(Page()->StatusLine()->text().contains("нет-такой-папки")) << Page()->StatusLine()->text().toStdString();
    EXPECT_FALSE(Page()->ToFileCheck()->isChecked());
    EXPECT_EQ(engine().mode, Engine::kModeCalibrationPolling);
    // The poll goes on: a new value reaches the graph.
    sim_->Detector().ApplySetting("detector", "concentration", "3.25");
    ASSERT_TRUE(WaitForPoints([](const std::vector<Point>& p) { return !p.empty() && p.back().values[0] == 3.25f; }));

#ifdef __linux__
    // A disk that takes nothing (a link to /dev/full, named as the save
    // dialog would complete it): every line is refused, the poll goes on.
    const QString full = dir.path() + "/full.csv";
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/full"), full));
    files.next = full;
    QTest::mouseClick(Page()->ToFileCheck(), Qt::LeftButton);
    ASSERT_TRUE(PumpUntil([&] { return Page()->StatusLine()->text().contains("full.csv"); }, kLongWaitMs))
        << Page()->StatusLine()->text().toStdString();
    EXPECT_TRUE(Page()->StatusLine()->text().startsWith("Ошибка записи")) << Page()->StatusLine()->text().toStdString();
    EXPECT_EQ(engine().mode, Engine::kModeCalibrationPolling);
    sim_->Detector().ApplySetting("detector", "concentration", "4.5");
    ASSERT_TRUE(WaitForPoints([](const std::vector<Point>& p) { return !p.empty() && p.back().values[0] == 4.5f; }));
#endif
}

TEST_F(CalibrationPageTest, ALineLostWhileThePagePollsIsToldAndThePollAndItsFileGoOn)
{
    if (!SimLine::kCanUnplug)
        GTEST_SKIP() << "the simulator cannot pull a COM port of a pair out here (Windows); the lost line is tested on Linux";
    SaveDialogAnswers files(hooks_);
    QTemporaryDir dir;
    const QString path = dir.path() + "/looplog.csv";
    files.next = path;
    OpenOnPage(Scenario("OptoMIP", "concentration = 0.5\n"));
    QTest::mouseClick(Page()->ToFileCheck(), Qt::LeftButton);
    PumpQueued();
    ASSERT_EQ(engine().PollSettings().toFile, 1);
    ASSERT_TRUE(WaitForPoints([](const std::vector<Point>& p) { return p.size() >= 2; }));
    EXPECT_TRUE(Page()->LinkNoticeLabel()->isHidden());

    // The adapter is pulled: the page says so, the poll waits for the line.
    ASSERT_TRUE(sim_->Unplug(Simulator::Line::Device));
    ASSERT_TRUE(PumpUntil([&] { return !Page()->LinkNoticeLabel()->text().isEmpty(); }, kLongWaitMs))
        << engine().CopyLineLink().text;
    const QString lost = Page()->LinkNoticeLabel()->text();
    EXPECT_TRUE(lost.startsWith(QStringLiteral("Связь с прибором потеряна (порт /dev/pts/"))) << lost.toStdString();
    EXPECT_TRUE(lost.endsWith(QStringLiteral(" отсутствует). Ожидание подключения..."))) << lost.toStdString();
    EXPECT_FALSE(Page()->LinkNoticeLabel()->isHidden());
    EXPECT_EQ(engine().mode, Engine::kModeCalibrationPolling);
    EXPECT_TRUE(Page()->ToFileCheck()->isChecked());
    SavePicture(window_.get(), QStringLiteral("calibration-page-line-lost.png"));

    // Plugged back in with a new value: the points after the gap follow
    // those before it, in the same file.
    sim_->Detector().ApplySetting("detector", "concentration", "2.5");
    ASSERT_TRUE(sim_->Replug(Simulator::Line::Device));
    ASSERT_TRUE(PumpUntil([&] {
        return Page()->LinkNoticeLabel()->text() == QStringLiteral("Связь с прибором восстановлена.");
    }, kLongWaitMs));
    ASSERT_TRUE(WaitForPoints([](const std::vector<Point>& p) { return !p.empty() && p.back().values[0] == 2.5f; }));
    EXPECT_EQ(engine().mode, Engine::kModeCalibrationPolling);

    // Leaving the page ends the poll and closes the file, which holds both
    // sides of the gap; back on the page, the new poll starts with nothing
    // said of the line.
    ShowPage(CDlgTabCtrl::kSensorPage);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.contains(";0,5000;")) << bytes.toStdString();
    EXPECT_TRUE(bytes.contains(";2,5000;")) << bytes.toStdString();
    EXPECT_LT(bytes.indexOf(";0,5000;"), bytes.indexOf(";2,5000;"));
    ShowPage(CDlgTabCtrl::kCalibrationPage);
    ASSERT_TRUE(PumpUntilMode(Engine::kModeCalibrationPolling));
    EXPECT_TRUE(Page()->LinkNoticeLabel()->isHidden());
}

TEST_F(CalibrationPageTest, TheExchangeLogStartsAndStopsAndEndsWithThePage)
{
    SaveDialogAnswers files(hooks_);
    QTemporaryDir dir;
    const QString path = dir.path() + "/log.txt";
    OpenOnPage(Scenario("OptoMIP"));
    files.next = path;
    QTest::mouseClick(Page()->LogButton(), Qt::LeftButton);
    PumpQueued();
    ASSERT_EQ(files.requests.size(), 1u);
    EXPECT_EQ(files.requests[0].defaultName, "log.txt");
    EXPECT_TRUE(engine().Master().IsLogActive());
    EXPECT_EQ(Page()->LogButton()->text(), "Завершить лог");
    ASSERT_TRUE(PumpUntil([&] { return QFileInfo(path).size() > 0; }, kLongWaitMs));

    QTest::mouseClick(Page()->LogButton(), Qt::LeftButton);
    PumpQueued();
    EXPECT_FALSE(engine().Master().IsLogActive());
    EXPECT_EQ(Page()->LogButton()->text(), "Начать лог");
    EXPECT_EQ(files.requests.size(), 1u);

    // Started again, then the page is left: the log ends with it.
    QTest::mouseClick(Page()->LogButton(), Qt::LeftButton);
    PumpQueued();
    EXPECT_TRUE(engine().Master().IsLogActive());
    ShowPage(CDlgTabCtrl::kSensorPage);
    EXPECT_FALSE(engine().Master().IsLogActive());

    // A log that cannot be opened is said, and stays off.
    ShowPage(CDlgTabCtrl::kCalibrationPage);
    ASSERT_TRUE(PumpUntilMode(Engine::kModeCalibrationPolling));
    hooks_.boxes.clear();
    files.next = dir.path() + "/нет-такой-папки/log.txt";
    QTest::mouseClick(Page()->LogButton(), Qt::LeftButton);
    PumpQueued();
    EXPECT_FALSE(engine().Master().IsLogActive());
    ASSERT_EQ(hooks_.boxes.size(), 1u);
    EXPECT_EQ(hooks_.boxes[0].caption, "Ошибка!");
    EXPECT_TRUE(hooks_.boxes[0].text.contains("нет-такой-папки")) << hooks_.boxes[0].text.toStdString();
}

TEST_F(CalibrationPageTest, FactoryLoadAsksFirstAndFactorySaveRereadsThenPollsAgain)
{
    OpenOnPage(Scenario("OptoMIP"));
    // Cancel: nothing is sent.
    hooks_.boxes.clear();
    hooks_.onBox = [](const MessageBoxes::Request&) { return int(MessageBoxes::kCancel); };
    recorder_->messages.clear();
    QTest::mouseClick(Page()->FactoryLoadButton(), Qt::LeftButton);
    PumpQueued();
    ASSERT_EQ(hooks_.boxes.size(), 1u);
    EXPECT_EQ(hooks_.boxes[0].text, "Подтвердите загрузку заводских настроек сенсора");
    EXPECT_EQ(hooks_.boxes[0].caption, "Внимание!");
    EXPECT_EQ(hooks_.boxes[0].buttons, MessageBoxes::Buttons::OkCancel);
    EXPECT_TRUE(recorder_->ModeChanges().empty());
    EXPECT_EQ(engine().mode, Engine::kModeCalibrationPolling);

    hooks_.onBox = nullptr;
    // "Сохранить" asks nothing; once saved, the set is read again and the
    // poll resumes.
    ASSERT_TRUE(PumpUntil([&] { return Page()->FactorySaveButton()->isEnabled(); }, kLongWaitMs));
    QTest::mouseClick(Page()->FactorySaveButton(), Qt::LeftButton);
    PumpQueued();
    EXPECT_EQ(hooks_.boxes.size(), 1u);
    ASSERT_TRUE(PumpUntil([&] { return recorder_->ModeChanges().size() >= 4; }, kLongWaitMs));
    ASSERT_TRUE(PumpUntilMode(Engine::kModeCalibrationPolling));
    const Pairs modes = recorder_->ModeChanges();
    ASSERT_GE(modes.size(), 4u);
    EXPECT_EQ(modes[0].second, Engine::kModeFactorySave);
    EXPECT_EQ(modes[1], (std::pair<int, int>{Engine::kModeFactorySave, Engine::kModeIdle}));
    EXPECT_EQ(modes[2], (std::pair<int, int>{Engine::kModeIdle, Engine::kModeReadCalibrationSet}));
    // The manufacturer's command went to the sensor once.
    const std::vector<std::string> texts = sim_->Detector().Received().Texts();
    EXPECT_EQ(std::count_if(texts.begin(), texts.end(), [](const std::string& t) { return t.rfind("@WMMC", 0) == 0; }),
              1);
    EXPECT_EQ(std::count_if(texts.begin(), texts.end(), [](const std::string& t) { return t.rfind("@CSMC", 0) == 0; }),
              0);
}

TEST_F(CalibrationPageTest, AdditionalParametersOfASemiSensorGoOnTheGraphUpToFour)
{
    OpenOnPage(Scenario("Semi"));
    MoreloopDlg* more = Page()->MoreDialog(SensorKindTable::kMoreSemi);
    ASSERT_TRUE(more->IsOpen());
    // "Напряжение на токовом шунте" with its three graph boxes.
    QTest::mouseClick(more->GraphBox(2, 0), Qt::LeftButton);
    QTest::mouseClick(more->GraphBox(2, 1), Qt::LeftButton);
    QTest::mouseClick(more->GraphBox(2, 2), Qt::LeftButton);
    PumpQueued();
    // A graph box without its read box adds nothing.
    EXPECT_EQ(Page()->GraphSeries(), (std::array<int, 4>{0, -1, -1, -1}));
    QTest::mouseClick(more->ReadBox(2), Qt::LeftButton);
    PumpQueued();
    EXPECT_EQ(Page()->GraphSeries(), (std::array<int, 4>{0, 5, 6, 7}));
    EXPECT_EQ(engine().PollSettings().readPv, 1);
    // A fifth curve (the heater resistance) is dropped.
    QTest::mouseClick(more->ReadBox(3), Qt::LeftButton);
    QTest::mouseClick(more->GraphBox(3, 0), Qt::LeftButton);
    PumpQueued();
    EXPECT_EQ(Page()->GraphSeries(), (std::array<int, 4>{0, 5, 6, 7}));
    EXPECT_EQ(engine().PollSettings().readRh, 1);
    ASSERT_TRUE(PumpUntil([&] { return !more->ValueText(2, 1)->text().isEmpty(); }, kLongWaitMs));
    ASSERT_TRUE(WaitForPoints([](const std::vector<Point>& p) { return !p.empty() && p.back().valid[5] != 0; }));
    SavePicture(more, "moreloop-semi.png");

    // Clearing the read selection keeps the graph boxes checked.
    more->ClearReadSelection();
    EXPECT_FALSE(more->ReadBox(2)->isChecked());
    EXPECT_TRUE(more->GraphBox(2, 0)->isChecked());

    // Esc closes the dialog; the page drops its reads.
    QTest::keyClick(more, Qt::Key_Escape);
    PumpQueued();
    EXPECT_FALSE(more->IsOpen());
    EXPECT_EQ(engine().PollSettings().readPv, 0);
    EXPECT_EQ(Page()->GraphSeries(), (std::array<int, 4>{0, -1, -1, -1}));
}

} // namespace
