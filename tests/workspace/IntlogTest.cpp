// The sensor's measurement log: the tables and the file without a window,
// then the two log panels and the log graph window in the main window
// against the simulated detector. What the sensor received is checked on
// the simulator's side.
// The simulator names a member "signals", which Qt's headers would turn
// into a keyword: it comes first.
#include "Simulator.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "AppTestSupport.h"
#include "CDlgTabCtrl.h"
#include "CalibrationDialog.h"
#include "Cp1251.h"
#include "Engine.h"
#include "GraphWnd.h"
#include "IntdlgLogBase.h"
#include "IntlogCsv.h"
#include "IntlogGraphFrame.h"
#include "IntlogTables.h"
#include "SensorParameters.h"
#include "StringTable.h"
#include "WorkspacePanel.h"

namespace {

using Panel = IntlogTables::Panel;
using Point = SensorCalibrationLoopMeasurementsPoint;

constexpr int kLongWaitMs = 90000;

MultiTextSlot<4> Lp(const std::vector<std::string>& texts)
{
    MultiTextSlot<4> s;
    s.Store(texts);
    return s;
}

// --- the tables ---------------------------------------------------------------

struct CaptionCase {
    const char* name;
    Panel panel;
    std::vector<std::string> lp;
    std::array<const char*, 3> captions;
};

class IntlogCaptions : public ::testing::TestWithParam<CaptionCase> {};

TEST_P(IntlogCaptions, SelectedQuantitiesStandSideBySide)
{
    const CaptionCase& c = GetParam();
    const std::array<int, 3> ids = IntlogTables::ColumnNameIds(c.panel, Lp(c.lp));
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_EQ(ids[i] == 0 ? QString() : StringTable::Get(ids[i]), QString::fromUtf8(c.captions[i])) << i;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IntlogCaptions,
    ::testing::Values(CaptionCase{"SemiNoneFirst", Panel::Semi, {"0", "4", "5", "9"}, {"ШИМ", "R датчика", ""}},
                      CaptionCase{"SemiAll", Panel::Semi, {"1", "2", "3", "0"}, {"V на пп слое", "V на шунте",
                                                                                    "V на нагревателе"}},
                      CaptionCase{"SemiUnknownCodes", Panel::Semi, {"7", " 6x", "-1", "0"}, {"R нагревателя", "", ""}},
                      // The power-balance sensor has no code 1.
                      CaptionCase{"TCatpwrNoCode1", Panel::TCatpwr, {"1", "2", "6", "0"}, {"АЦП на ключе",
                                                                                            "T нагревателя", ""}},
                      CaptionCase{"TCatpwrNone", Panel::TCatpwr, {"0", "0", "0", "0"}, {"", "", ""}}),
    [](const ::testing::TestParamInfo<CaptionCase>& info) { return std::string(info.param.name); });

TEST(IntlogTables, UnknownLogParametersGiveNoCaptionsAndNoLog)
{
    MultiTextSlot<4> unknown;
    EXPECT_EQ(IntlogTables::ColumnNameIds(Panel::Semi, unknown), (std::array<int, 3>{0, 0, 0}));
    EXPECT_FALSE(IntlogTables::Configured(unknown));
    EXPECT_FALSE(IntlogTables::Configured(Lp({"0", "7", "-2", "10"})));
    EXPECT_TRUE(IntlogTables::Configured(Lp({"0", "0", "6", "10"})));
}

TEST(IntlogTables, PeriodTextSelectsTheFirstItemThatLastsLongEnough)
{
    // The sensor counts its period from 0 for 1 ms.
    const struct {
        const char* text;
        int item; // -1: no selection
    } cases[] = {{"0", 0}, {"1", 1}, {"4", 2}, {"9", 3}, {"19", 4}, {"49", 5}, {"50", 6}, {"99", 6},
                 {"100", -1}, {"150", -1}, {"", 0}, {"-5", 0}};
    for (const auto& c : cases)
        EXPECT_EQ(IntlogTables::PeriodIndexOf(c.text), c.item) << c.text;
}

TEST(IntlogTables, LogParametersAreSentAsCodesAndThePeriodFromZero)
{
    // P1 "АЦП на ключе" on the power-balance list is item 1, code 2; 5 мс is
    // item 2, sent as 4.
    SensorCommandRequest r = IntlogTables::LogParametersRequest(Panel::TCatpwr, {1, 0, 5}, 2);
    EXPECT_EQ(r.code, 32);
    EXPECT_EQ(r.texts, (std::array<std::string, 5>{"2", "0", "6", "4", ""}));
    r = IntlogTables::LogParametersRequest(Panel::Semi, {4, 5, 0}, 6);
    EXPECT_EQ(r.texts, (std::array<std::string, 5>{"4", "5", "0", "99", ""}));
    // Without a period there is nothing to send.
    EXPECT_EQ(IntlogTables::LogParametersRequest(Panel::Semi, {4, 5, 0}, -1).code, 0);
}

SensorParameters Sensor(const char* type, const std::vector<std::string>& lp)
{
    SensorParameters p;
    p.sensorType.Store(type);
    p.lpValues.Store(lp);
    return p;
}

TEST(IntlogTables, GraphTakesTheSelectedQuantitiesInOrderOfTheirColumns)
{
    const std::vector<SensorIntlogRecord> log{SensorIntlogRecord::FromTexts("3040", "3968.5", ""),
                                              SensorIntlogRecord::FromTexts("2800", "", ""),
                                              SensorIntlogRecord::FromTexts("2500", "3000", "")};
    // Semiconductor: ШИМ (slot 9), R датчика (slot 4), at 10 ms.
    IntlogTables::Graph g = IntlogTables::BuildGraph(log, Sensor("Semi", {"0", "4", "5", "9"}));
    EXPECT_EQ(g.series, (std::array<int, 4>{9, 4, -1, -1}));
    EXPECT_EQ(g.intervalMs, 10);
    ASSERT_EQ(g.points.size(), 3u);
    EXPECT_EQ(g.points[0].values[9], 3040.0f);
    EXPECT_EQ(g.points[0].values[4], 3968.5f);
    EXPECT_EQ(g.points[1].valid[4], 0u) << "an empty field breaks the line";
    EXPECT_EQ(std::count(g.points[2].valid.begin(), g.points[2].valid.end(), 1u), 2);
    // The kind comes from the sensor, not the panel: code 6 is the heater
    // temperature (slot 3) of a power-balance sensor.
    g = IntlogTables::BuildGraph(log, Sensor("TcatPWR", {"6", "0", "0", "19"}));
    EXPECT_EQ(g.series, (std::array<int, 4>{3, -1, -1, -1}));
    EXPECT_EQ(g.intervalMs, 20);

    // Nothing to draw: one record, another kind, no known code.
    EXPECT_EQ(IntlogTables::BuildGraph({log[0]}, Sensor("Semi", {"4", "0", "0", "9"})).series[0], -1);
    EXPECT_EQ(IntlogTables::BuildGraph(log, Sensor("Elchem", {"4", "0", "0", "9"})).series[0], -1);
    EXPECT_EQ(IntlogTables::BuildGraph(log, Sensor("TcatPWR", {"1", "0", "0", "9"})).series[0], -1);
    EXPECT_TRUE(IntlogTables::BuildGraph(log, Sensor("TcatPWR", {"1", "0", "0", "9"})).points.empty());
}

// --- the file ----------------------------------------------------------------

TEST(IntlogCsv, WritesPidNamesAndRecordsWithADecimalComma)
{
    SensorParameters p;
    p.piValues.Store({"100", "50.5", "0"});
    p.lpValues.Store({"0", "4", "5", "9"});
    const std::vector<SensorIntlogRecord> log{SensorIntlogRecord::FromTexts("1.5", "", "2.25"),
                                              SensorIntlogRecord::FromTexts("", "", ""),
                                              SensorIntlogRecord::FromTexts("7", "8", "9")};
    const std::string bytes = IntlogCsv::Bytes(p, {"ШИМ", "R датчика", ""}, log);
    EXPECT_EQ(bytes, "PID P:100 I:50,5 D:0\r\n"
                     "\xD8\xC8\xCC;R \xE4\xE0\xF2\xF7\xE8\xEA\xE0\r\n"
                     "1,5;2,25\r\n"
                     "7;8;9\r\n");
}

TEST(IntlogCsv, UnknownParametersLeaveTheirLinesOut)
{
    SensorParameters p;
    const std::vector<SensorIntlogRecord> log{SensorIntlogRecord::FromTexts("1.5", "", "2.25")};
    EXPECT_EQ(IntlogCsv::Bytes(p, {"ШИМ", "", ""}, log), "1,5;2,25\r\n");
    // Known log parameters without a quantity give no heading either.
    p.lpValues.Store({"0", "0", "0", "9"});
    EXPECT_EQ(IntlogCsv::Bytes(p, {"", "", ""}, log), "1,5;2,25\r\n");
}

TEST(IntlogCsv, AFileThatCannotBeCreatedIsReportedWithTheReason)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    std::string error;
    const std::string path = (dir.path() + "/missing/intlog.csv").toStdString();
    EXPECT_FALSE(IntlogCsv::Write(path, "1\r\n", error));
    EXPECT_FALSE(error.empty());
    const std::string good = (dir.path() + "/intlog.csv").toStdString();
    ASSERT_TRUE(IntlogCsv::Write(good, "1,5;2,25\r\n", error)) << error;
    QFile f(QString::fromStdString(good));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("1,5;2,25\r\n"));
}

// --- the panels against the simulator --------------------------------------------

class IntlogPanelTest : public MainWindowFixture {
protected:
    static constexpr int kDevicePort = 1;
    static constexpr int kHartPort = 2;

    IntlogPanelTest() { modeWaitMs_ = kLongWaitMs; }

    void TearDown() override
    {
        CloseWindow();
        if (sim_)
            sim_->Stop();
    }

    CalibrationDialog* Page() const
    {
        return static_cast<CalibrationDialog*>(window_->TabCtrl()->Page(CDlgTabCtrl::kCalibrationPage));
    }

    // Start-up, the calibration tab, then the holder's second tab: the log
    // panel takes the line, so the page's poll stops.
    IntdlgLogBase* OpenLogPanel(const std::string& kind, const std::string& extra)
    {
        Simulator::Options o;
        o.portsFolder = folder_.Home().PortsFolder();
        o.devicePort = kDevicePort;
        o.hartPort = kHartPort;
        o.scenarioText = "[detector]\nkind = " + kind + "\nnoise = 0\n" + extra;
        sim_ = std::make_unique<Simulator>(o);
        sim_->Start();
        StorePorts(kDevicePort, kHartPort);
        Open();
        if (!PumpUntilMode(Engine::kModeConnected))
            return nullptr;
        window_->TabCtrl()->setCurrentIndex(CDlgTabCtrl::kCalibrationPage);
        PumpQueued();
        if (!PumpUntilMode(Engine::kModeCalibrationPolling))
            return nullptr;
        auto* holder = Page()->findChild<WorkspacePanel*>(
            QString::fromLatin1(kind == "Semi" ? "IntdlgSelectSemi" : "IntdlgSelectTCatpwr"));
        auto* tabs = holder != nullptr ? holder->findChild<QTabWidget*>(QStringLiteral("Tabs")) : nullptr;
        if (tabs == nullptr || !holder->isVisible())
            return nullptr;
        tabs->setCurrentIndex(1);
        auto* log = qobject_cast<IntdlgLogBase*>(tabs->widget(1));
        if (log == nullptr)
            return nullptr;
        // The holder passes its enable transition to the shown tab's page;
        // the test makes sure the panel is the enabled one.
        log->setEnabled(true);
        PumpQueued();
        if (!PumpUntil([&] { return engine().mode == Engine::kModeIdle && log->LogRead()->isEnabled(); },
                       kLongWaitMs))
            return nullptr;
        sim_->Detector().Received().Clear();
        return log;
    }

    std::vector<std::string> Received() const { return sim_->Detector().Received().Texts(); }

    // The text commands that begin with `prefix`.
    std::vector<std::string> ReceivedStarting(const std::string& prefix) const
    {
        std::vector<std::string> out;
        for (const std::string& t : Received())
            if (t.rfind(prefix, 0) == 0)
                out.push_back(t);
        return out;
    }

    static QStringList Row(QTreeWidget* list, int row)
    {
        QStringList out;
        for (int c = 0; c < 4; ++c)
            out << list->topLevelItem(row)->text(c);
        return out;
    }

    static QStringList Captions(QTreeWidget* list)
    {
        return {list->headerItem()->text(1), list->headerItem()->text(2), list->headerItem()->text(3)};
    }

    // Presses a button once it is enabled; false when it never is.
    bool Press(QPushButton* b)
    {
        if (!PumpUntil([&] { return b->isEnabled(); }, kLongWaitMs))
            return false;
        QTest::mouseClick(b, Qt::LeftButton);
        PumpQueued();
        return true;
    }

    // Creates a new log on the sensor and reads it to its end.
    bool CreateAndRead(IntdlgLogBase* log)
    {
        if (!Press(log->CreateButton()) || !PumpUntilMode(Engine::kModeIdle))
            return false;
        if (!Press(log->LogRead()))
            return false;
        return PumpUntil([&] { return engine().mode != Engine::kModeSensorLog && log->SaveButton()->isEnabled(); },
                         kLongWaitMs);
    }

    std::vector<SensorIntlogRecord> EngineLog()
    {
        std::vector<SensorIntlogRecord> out;
        engine().CopyIntlog(0, out);
        return out;
    }

    void SavePicture(QWidget* widget, const QString& name)
    {
        const QString dir = QStringLiteral(KORVAN_TEST_ARTIFACT_DIR);
        ASSERT_TRUE(QDir().mkpath(dir));
        const QImage image = widget->grab().toImage();
        ASSERT_FALSE(image.isNull());
        EXPECT_TRUE(image.save(dir + "/" + name));
    }

    std::unique_ptr<Simulator> sim_;
};

TEST_F(IntlogPanelTest, ShowingTheTabStopsThePollAndShowsTheSensorsValues)
{
    IntdlgLogBase* log = OpenLogPanel("Semi", "param.LP = 0,4,5,49\nparam.PI = 120,45.5,1\n");
    ASSERT_NE(log, nullptr);
    EXPECT_EQ(log->objectName(), "IntdlgSemiLog");
    EXPECT_FALSE(Page()->ConcentrationCheck()->isChecked());
    // The panel's own edits start from the kind's values.
    EXPECT_EQ(log->HeaterTemperatureEdit()->text(), "400");
    EXPECT_EQ(log->PidEdit(0)->text(), "100");
    EXPECT_EQ(log->PidEdit(1)->text(), "50");
    EXPECT_EQ(log->PidEdit(2)->text(), "0");
    // The sensor's values.
    EXPECT_EQ(log->HeaterButton()->text(), "Нагрев включен");
    EXPECT_EQ(log->HeaterTemperatureValue()->text(), "400");
    EXPECT_EQ(log->PidValue(1)->text(), "45.5");
    EXPECT_EQ(log->ParameterList(0)->currentText(), "нет");
    EXPECT_EQ(log->ParameterList(1)->currentText(), "ШИМ");
    EXPECT_EQ(log->ParameterList(2)->currentText(), "R датчика");
    EXPECT_EQ(log->ParameterList(0)->count(), 7);
    EXPECT_EQ(log->PeriodList()->currentText(), "50 мс");
    EXPECT_EQ(Captions(log->LogList()), (QStringList{"ШИМ", "R датчика", ""}));
    EXPECT_EQ(log->LogList()->headerItem()->text(0), "#");
    EXPECT_EQ(log->StartConditionList(), nullptr);
    EXPECT_TRUE(log->LogList()->topLevelItemCount() == 0);

    // A period the list does not hold shows no selection.
    sim_->Detector().ApplySetting("detector", "param.LP", "0,4,5,150");
    ASSERT_TRUE(Press(log->ParametersRead()));
    ASSERT_TRUE(PumpUntil([&] { return log->PeriodList()->currentIndex() == -1; }, kLongWaitMs));
    EXPECT_EQ(ReceivedStarting("@RRLP").size(), 1u);
}

TEST_F(IntlogPanelTest, PowerBalanceLogParametersAreWrittenAsCodes)
{
    IntdlgLogBase* log = OpenLogPanel("TcatPWR", "");
    ASSERT_NE(log, nullptr);
    EXPECT_EQ(log->objectName(), "IntdlgTCatpwrLog");
    EXPECT_EQ(log->HeaterTemperatureEdit()->text(), "450");
    EXPECT_EQ(log->ParameterList(0)->count(), 6);
    // The sensor's "6,5,4,19": T нагревателя, R нагревателя, ШИМ, 20 мс.
    EXPECT_EQ(log->ParameterList(0)->currentText(), "T нагревателя");
    EXPECT_EQ(log->PeriodList()->currentText(), "20 мс");
    ASSERT_NE(log->StartConditionList(), nullptr);
    EXPECT_EQ(log->StartConditionList()->currentText(), "начало нагрева");
    EXPECT_EQ(log->ChannelList()->currentText(), "PLT");

    log->ParameterList(0)->setCurrentIndex(1); // "АЦП на ключе"
    log->PeriodList()->setCurrentIndex(2);     // "5 мс"
    ASSERT_TRUE(Press(log->ParametersWrite()));
    ASSERT_TRUE(PumpUntil([&] { return !ReceivedStarting("@WCLP").empty(); }, kLongWaitMs));
    EXPECT_EQ(ReceivedStarting("@WCLP"), std::vector<std::string>{"@WCLP 680429,2,5,4,4"});
    ASSERT_TRUE(PumpUntilMode(Engine::kModeIdle));
    ASSERT_TRUE(PumpUntil([&] { return Captions(log->LogList()).at(0) == "АЦП на ключе"; }, kLongWaitMs));

    // "Создать" starts the log on the chosen condition and heater.
    log->StartConditionList()->setCurrentIndex(1);
    log->ChannelList()->setCurrentIndex(1);
    ASSERT_TRUE(Press(log->CreateButton()));
    ASSERT_TRUE(PumpUntil([&] { return !ReceivedStarting("@WCLS").empty(); }, kLongWaitMs));
    EXPECT_EQ(ReceivedStarting("@WCLS"), std::vector<std::string>{"@WCLS 680429,1,1"});
}

TEST_F(IntlogPanelTest, HeaterSwitchSendsTheOppositeAndEmptiesTheListFirst)
{
    IntdlgLogBase* log = OpenLogPanel("Semi", "log_records = 5\n");
    ASSERT_NE(log, nullptr);
    ASSERT_TRUE(CreateAndRead(log));
    ASSERT_EQ(log->LogList()->topLevelItemCount(), 4);
    sim_->Detector().Received().Clear();

    // The heater is on ("1"): the switch turns it off, and the rows of the
    // old log go at once, before the sensor has answered.
    ASSERT_EQ(log->HeaterButton()->text(), "Нагрев включен");
    ASSERT_TRUE(PumpUntil([&] { return log->HeaterButton()->isEnabled(); }, kLongWaitMs));
    QTest::mouseClick(log->HeaterButton(), Qt::LeftButton);
    EXPECT_EQ(log->LogList()->topLevelItemCount(), 0);
    EXPECT_TRUE(log->CountLabel()->text().isEmpty());
    ASSERT_TRUE(PumpUntil([&] { return log->HeaterButton()->text() == "Нагрев выключен"; }, kLongWaitMs));
    // Off ("0"): the switch turns it on.
    ASSERT_TRUE(Press(log->HeaterButton()));
    ASSERT_TRUE(PumpUntil([&] { return log->HeaterButton()->text() == "Нагрев включен"; }, kLongWaitMs));
    EXPECT_EQ(ReceivedStarting("@WCWH"), (std::vector<std::string>{"@WCWH 680429,0", "@WCWH 680429,1"}));
}

TEST_F(IntlogPanelTest, ReadingTheLogFillsTheListAndSavesIt)
{
    IntdlgLogBase* log = OpenLogPanel("Semi", "param.LP = 0,4,5,9\nlog_records = 12\n");
    ASSERT_NE(log, nullptr);
    ASSERT_TRUE(CreateAndRead(log));
    // "Создать" writes the temperature the sensor holds.
    EXPECT_EQ(ReceivedStarting("@WCTG"), std::vector<std::string>{"@WCTG 680429,400"});
    // Twelve lines and the refusal at the end; the first line is not a
    // record.
    EXPECT_EQ(ReceivedStarting("@WCL1").size(), 13u);
    const std::vector<SensorIntlogRecord> records = EngineLog();
    ASSERT_EQ(records.size(), 11u);
    QTreeWidget* list = log->LogList();
    ASSERT_EQ(list->topLevelItemCount(), 11);
    for (int i = 0; i < 11; ++i) {
        const SensorIntlogRecord& r = records[std::size_t(i)];
        EXPECT_EQ(Row(list, i), (QStringList{QString::number(i + 1), QString::fromStdString(r.texts[0]),
                                             QString::fromStdString(r.texts[1]), QString()}));
    }
    // The quantities stand under their captions: a PWM count and a resistance.
    EXPECT_EQ(Captions(list), (QStringList{"ШИМ", "R датчика", ""}));
    EXPECT_FALSE(Row(list, 0).at(1).contains('.'));
    EXPECT_TRUE(Row(list, 0).at(2).contains('.'));
    EXPECT_EQ(log->CountLabel()->text(), "11");
    EXPECT_TRUE(log->StatusLine()->text().contains("11"));
    SavePicture(log, "intlog_panel_semi.png");

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    SaveDialogAnswers answers(hooks_);
    answers.next = dir.path() + "/intlog.csv";
    ASSERT_TRUE(Press(log->SaveButton()));
    ASSERT_EQ(answers.requests.size(), 1u);
    EXPECT_EQ(answers.requests[0].defaultName, "intlog.csv");
    EXPECT_EQ(answers.requests[0].defaultExtension, "csv");
    QFile f(answers.next);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    const QList<QByteArray> lines = bytes.split('\n');
    // PID, heading, eleven records, and nothing after the last CR LF.
    ASSERT_EQ(lines.size(), 14);
    EXPECT_EQ(lines[0], "PID P:100 I:50 D:0\r");
    EXPECT_EQ(lines[1], QByteArray::fromStdString(Cp1251::FromUtf8("ШИМ;R датчика")) + "\r");
    std::string second = records[1].texts[0] + ";" + records[1].texts[1];
    std::replace(second.begin(), second.end(), '.', ',');
    EXPECT_EQ(lines[3], QByteArray::fromStdString(second) + "\r");
    EXPECT_TRUE(lines[13].isEmpty());
    EXPECT_FALSE(bytes.contains('.'));
}

TEST_F(IntlogPanelTest, ASensorThatFallsSilentMidReadKeepsTheRowsReadAndSavesThem)
{
    // A long log, so that the read is still running when the sensor falls
    // silent.
    IntdlgLogBase* log = OpenLogPanel("Semi", "log_records = 2000\n");
    ASSERT_NE(log, nullptr);
    ASSERT_TRUE(Press(log->CreateButton()));
    ASSERT_TRUE(PumpUntilMode(Engine::kModeIdle));
    ASSERT_TRUE(Press(log->LogRead()));
    ASSERT_TRUE(PumpUntil([&] { return log->LogList()->topLevelItemCount() >= 3; }, kLongWaitMs));
    EXPECT_FALSE(log->SaveButton()->isEnabled()) << "no saving while the log is read";
    EXPECT_EQ(sim_->ArmFault("@WCL1", "silence"), "");
    ASSERT_TRUE(PumpUntilMode(Engine::kModeIdle));
    PumpQueued();

    const std::vector<SensorIntlogRecord> records = EngineLog();
    const int rows = log->LogList()->topLevelItemCount();
    EXPECT_EQ(std::size_t(rows), records.size());
    EXPECT_GE(rows, 3);
    EXPECT_LT(rows, 1999);
    EXPECT_EQ(log->CountLabel()->text(), QString::number(rows));
    EXPECT_EQ(log->StatusLine()->text(), StringTable::Get(StringTable::kLogReadDone).arg(rows));
    EXPECT_EQ(Row(log->LogList(), rows - 1).at(1), QString::fromStdString(records.back().texts[0]));

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    SaveDialogAnswers answers(hooks_);
    answers.next = dir.path() + "/intlog.csv";
    ASSERT_TRUE(Press(log->SaveButton()));
    QFile f(answers.next);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    // PID and heading, then every row that was read.
    EXPECT_EQ(f.readAll().count("\r\n"), rows + 2);
}

TEST_F(IntlogPanelTest, AFailedSaveOrARefusedReadLosesNoRow)
{
    IntdlgLogBase* log = OpenLogPanel("Semi", "log_records = 4\n");
    ASSERT_NE(log, nullptr);
    ASSERT_TRUE(CreateAndRead(log));
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    SaveDialogAnswers answers(hooks_);
    answers.next = dir.path() + "/no-such-folder/intlog.csv";
    ASSERT_TRUE(Press(log->SaveButton()));
    ASSERT_EQ(hooks_.boxes.size(), 1u);
    EXPECT_EQ(hooks_.boxes[0].caption, "Ошибка!");
    EXPECT_TRUE(hooks_.boxes[0].text.startsWith("Сохранение файла не удалось."));
    EXPECT_TRUE(hooks_.boxes[0].text.contains(answers.next));
    EXPECT_EQ(log->LogList()->topLevelItemCount(), 3);
    // Cancelling the dialog writes nothing and says nothing.
    answers.next.clear();
    ASSERT_TRUE(Press(log->SaveButton()));
    EXPECT_EQ(hooks_.boxes.size(), 1u);

    // With the page's poll running the engine refuses a log read: the rows
    // read before stay in the list.
    QTest::mouseClick(Page()->ConcentrationCheck(), Qt::LeftButton);
    ASSERT_TRUE(PumpUntilMode(Engine::kModeCalibrationPolling));
    PumpQueued();
    EXPECT_FALSE(log->LogRead()->isEnabled());
    sim_->Detector().Received().Clear();
    log->OnReadLog();
    EXPECT_EQ(log->LogList()->topLevelItemCount(), 3);
    EXPECT_EQ(log->CountLabel()->text(), "3");
    PumpQueued();
    EXPECT_TRUE(ReceivedStarting("@WCL1").empty());
}

TEST_F(IntlogPanelTest, PowerBalanceLogGraphStepsByThePeriodAndOpensOnce)
{
    // "6,5,4,19": T нагревателя (slot 3), R нагревателя (8), ШИМ (9), 20 мс.
    IntdlgLogBase* log = OpenLogPanel("TcatPWR", "log_records = 40\n");
    ASSERT_NE(log, nullptr);
    ASSERT_TRUE(CreateAndRead(log));
    ASSERT_EQ(log->LogList()->topLevelItemCount(), 39);
    EXPECT_EQ(Captions(log->LogList()), (QStringList{"T нагревателя", "R нагревателя", "ШИМ"}));
    SavePicture(log, "intlog_panel_tcatpwr.png");

    ASSERT_TRUE(Press(log->GraphButton()));
    ASSERT_TRUE(PumpUntil([&] { return Page()->LogGraph() != nullptr; }, kLongWaitMs));
    IntlogGraphFrame* frame = Page()->LogGraph();
    EXPECT_TRUE(frame->isWindow());
    EXPECT_TRUE(frame->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(frame->windowTitle(), "График лога измерений");
    EXPECT_EQ(frame->size(), QSize(600, 400));
    EXPECT_EQ(frame->minimumSize(), QSize(400, 300));
    GraphWnd* graph = frame->Graph();
    EXPECT_EQ(graph->Series(), (std::array<int, 4>{3, 8, 9, -1}));
    EXPECT_EQ(graph->SeriesName(0), "Tнагр");
    EXPECT_EQ(graph->IntervalMs(), 20);
    ASSERT_EQ(graph->Points().size(), 39u);
    const std::vector<SensorIntlogRecord> records = EngineLog();
    EXPECT_EQ(graph->Points()[5].values[3], records[5].values[0]);
    EXPECT_EQ(graph->Points()[5].valid[3], 1u);
    EXPECT_EQ(graph->size(), frame->size());
    ASSERT_GT(graph->TimeAxis().labelCount, 0);
    EXPECT_EQ(graph->TimeAxis().msPerLabel, graph->TimeAxis().pointsPerLabel * 20);
    SavePicture(frame, "intlog_graph_tcatpwr.png");

    // Asked again, the open window stays the only one.
    ASSERT_TRUE(Press(log->GraphButton()));
    EXPECT_EQ(Page()->LogGraph(), frame);
    int frames = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<IntlogGraphFrame*>(w) != nullptr && w->isVisible())
            ++frames;
    EXPECT_EQ(frames, 1);

    // Leaving the page closes it.
    window_->TabCtrl()->setCurrentIndex(CDlgTabCtrl::kSensorPage);
    ASSERT_TRUE(PumpUntil([&] { return Page()->LogGraph() == nullptr; }, kLongWaitMs));
}

} // namespace
