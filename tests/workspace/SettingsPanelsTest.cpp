// The sensor-type settings panels of the calibration page against the
// simulated detector: what each row sends, what the panels show, when their
// buttons are offered; the number rule of typed values; the polynomial
// dialog's named profiles in the settings store.
// The simulator names a member "signals", which Qt's headers would turn
// into a keyword: it comes first.
#include "Simulator.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QTabWidget>
#include <QTest>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "AppTestSupport.h"
#include "CDlgTabCtrl.h"
#include "CalibrationDialog.h"
#include "Engine.h"
#include "IntdlgElchem.h"
#include "IntdlgElchemPoly.h"
#include "IntdlgOksik.h"
#include "IntdlgSelectSemi.h"
#include "IntdlgSelectTCatpwr.h"
#include "IntdlgSemi.h"
#include "IntdlgTCatBrdg.h"
#include "IntdlgTCatpwr.h"
#include "SensorKindTable.h"
#include "SettingsRow.h"
#include "WorkspacePanel.h"

namespace {

constexpr int kLongWaitMs = 90000;

// ---------------------------------------------------------------------------
// Typed numbers.

struct NumberCase {
    const char* typed;
    std::optional<const char*> sent; // nullopt: refused
};

TEST(SettingsRowNumbers, ACommaIsTheDecimalPointAndNothingElseGetsThrough)
{
    const NumberCase cases[] = {
        {"12,5", "12.5"},          // a Russian keyboard's decimal comma
        {" -0,00004 ", "-0.00004"},
        {"8.011", "8.011"},
        {"  2930\t", "2930"},
        {"1e-5", "1e-5"},
        {",5", ".5"},
        {"+3", "+3"},
        {"   ", ""},               // nothing typed: nothing to send
        {"", ""},
        {"1,2,3", std::nullopt},   // would be three arguments on the line
        {"1.5,2", std::nullopt},
        {"12,5.", std::nullopt},
        {"abc", std::nullopt},
        {"12 5", std::nullopt},
        {"inf", std::nullopt},
        {"nan", std::nullopt},
    };
    for (const NumberCase& c : cases) {
        SCOPED_TRACE(c.typed);
        const std::optional<QString> got = SettingsRow::NumberText(QString::fromUtf8(c.typed));
        ASSERT_EQ(got.has_value(), c.sent.has_value());
        if (got) {
            EXPECT_EQ(*got, QString::fromUtf8(*c.sent));
        }
    }
}

// ---------------------------------------------------------------------------
// Panels against the simulated detector.

class SettingsPanelsTest : public MainWindowFixture {
protected:
    static constexpr int kDevicePort = 1;
    static constexpr int kHartPort = 2;

    SettingsPanelsTest() { modeWaitMs_ = kLongWaitMs; }

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

    // Start-up, then the calibration tab: the page reads the sensor's set,
    // shows the kind's panel and starts its poll.
    void OpenOnPage(const char* kind)
    {
        Simulator::Options o;
        o.portsFolder = folder_.Home().PortsFolder();
        o.devicePort = kDevicePort;
        o.hartPort = kHartPort;
        o.scenarioText = std::string("[detector]\nkind = ") + kind + "\nnoise = 0\n";
        sim_ = std::make_unique<Simulator>(o);
        sim_->Start();
        StorePorts(kDevicePort, kHartPort);
        Open();
        ASSERT_TRUE(PumpUntilMode(Engine::kModeConnected));
        PumpQueued();
        window_->TabCtrl()->setCurrentIndex(CDlgTabCtrl::kCalibrationPage);
        ASSERT_TRUE(PumpUntilMode(Engine::kModeCalibrationPolling));
        PumpQueued();
    }

    WorkspacePanel* Panel(SensorKindTable::SettingsPanel index) const { return Page()->SettingsPanel(index); }

    std::vector<std::string> Received() const { return sim_->Detector().Received().Texts(); }

    bool WasReceived(const std::string& line) const
    {
        const std::vector<std::string> texts = Received();
        return std::find(texts.begin(), texts.end(), line) != texts.end();
    }

    // Presses the row's write button once the engine takes commands, and
    // waits until the sensor has received `line` and the poll is back.
    void WriteAndWait(SettingsRow* row, const std::string& line)
    {
        ASSERT_TRUE(PumpUntil([&] { return row->WriteButton()->isEnabled(); }, kLongWaitMs));
        QTest::mouseClick(row->WriteButton(), Qt::LeftButton);
        ASSERT_TRUE(PumpUntil([&] { return WasReceived(line); }, kLongWaitMs)) << line;
        ASSERT_TRUE(PumpUntil([&] { return engine().mode == Engine::kModeCalibrationPolling; }, kLongWaitMs));
    }

    // Waits until every value box of the panel that the sensor fills shows
    // what the simulated sensor holds.
    bool ShowsValue(SettingsRow* row, std::size_t line, const std::string& value)
    {
        return PumpUntil([&] { return row->ValueBox(line)->text() == QString::fromStdString(value); }, kLongWaitMs);
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

// One write through a panel row: the input given, the line the sensor must
// receive, and the parameter it then holds.
struct WriteCase {
    int row;
    std::size_t line;        // the line of the row (several under one caption)
    int listIndex;           // -1: the row's edit takes `typed`
    const char* itemText;    // the list item chosen, as the user reads it
    const char* typed;
    const char* sent;        // the command line the sensor receives
    const char* code;        // the sensor's parameter
    const char* stored;      // … and what it holds afterwards
};

void Apply(SettingsRow* row, const WriteCase& c)
{
    if (c.listIndex >= 0) {
        QComboBox* list = row->InputList(c.line);
        ASSERT_NE(list, nullptr);
        list->setCurrentIndex(c.listIndex);
        EXPECT_EQ(list->currentText(), QString::fromUtf8(c.itemText));
    } else if (c.typed != nullptr) {
        QLineEdit* edit = row->InputEdit(c.line);
        ASSERT_NE(edit, nullptr);
        edit->setText(QString::fromUtf8(c.typed));
    }
}

struct PanelCases {
    const char* kind;
    SensorKindTable::SettingsPanel panel;
    std::vector<WriteCase> writes;
};

class SettingsPanelWrites : public SettingsPanelsTest, public ::testing::WithParamInterface<PanelCases> {
protected:
    // The rows of the panel that holds them (the first tab of a holder).
    const std::vector<SettingsRow*>& RowsOf(WorkspacePanel* panel)
    {
        if (auto* semi = qobject_cast<IntdlgSelectSemi*>(panel))
            return semi->Parameters()->Rows();
        if (auto* pwr = qobject_cast<IntdlgSelectTCatpwr*>(panel))
            return pwr->Parameters()->Rows();
        return panel->Rows();
    }
};

TEST_P(SettingsPanelWrites, EachRowSendsItsValueAndShowsTheSensorsAnswer)
{
    const PanelCases& p = GetParam();
    OpenOnPage(p.kind);
    WorkspacePanel* panel = Panel(p.panel);
    ASSERT_TRUE(panel->isVisible());
    const std::vector<SettingsRow*>& rows = RowsOf(panel);
    for (const WriteCase& c : p.writes) {
        SCOPED_TRACE(c.sent);
        ASSERT_LT(std::size_t(c.row), rows.size());
        SettingsRow* row = rows[std::size_t(c.row)];
        Apply(row, c);
        WriteAndWait(row, c.sent);
        EXPECT_EQ(sim_->Detector().Parameter(c.code), c.stored);
        // The write's answer comes back into the row's value box.
        EXPECT_TRUE(ShowsValue(row, c.line, c.stored)) << row->ValueBox(c.line)->text().toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Panels, SettingsPanelWrites,
    ::testing::Values(
        PanelCases{"Elchem", SensorKindTable::kElchem,
                   {{IntdlgElchem::kMode, 0, 4, "6 - TIA OFF", nullptr, "@WCMD 680429,6", "MD", "6"},
                    {IntdlgElchem::kMode, 0, 3, "3 - 3-lead cell", nullptr, "@WCMD 680429,3", "MD", "3"},
                    {IntdlgElchem::kGain, 0, 0, "1 - 2.75 тыс", nullptr, "@WCRG 680429,1", "RG", "1"},
                    {IntdlgElchem::kBias, 0, 13, "13 - 24%", nullptr, "@WCBS 680429,13", "BS", "13"},
                    {IntdlgElchem::kShorting, 0, 1, "1 - замкнут", nullptr, "@WCFS 680429,1", "FS", "1"},
                    {IntdlgElchem::kFactor, 0, -1, "", " 12,5 ", "@WCKK 680429,12.5", "KK", "12.5"},
                    {IntdlgElchem::kSupply, 0, -1, "", "3100", "@WCU0 680429,3100", "U0", "3100"}}},
        PanelCases{"Oksik", SensorKindTable::kOksik,
                   {{IntdlgOksik::kGain, 0, 4, "5 - КУ = 20,25", nullptr, "@WCRG 680429,5", "RG", "5"},
                    {IntdlgOksik::kAveraging, 0, 0, "0 - отключ.", nullptr, "@WCAV 680429,0", "AV", "0"}}},
        PanelCases{"TcatBrdg", SensorKindTable::kTCatBrdg,
                   {{IntdlgTCatBrdg::kAdcBits, 0, 2, "15", nullptr, "@WCBR 680429,15", "BR", "15"},
                    {IntdlgTCatBrdg::kGain, 0, 3, "8", nullptr, "@WCRG 680429,8", "RG", "8"}}},
        PanelCases{"OptoDyn", SensorKindTable::kOpto,
                   // The engine sends the limit with one decimal; typed with
                   // a comma it must still be 12.5, not 12.
                   {{0, 0, -1, "", "12,5", "@WCLE 680429,12.5", "LE", "12.5"}}},
        PanelCases{"Semi", SensorKindTable::kSelectSemi,
                   {{IntdlgSemi::kAlpha, 0, -1, "", "0,02", "@WCA1 680429,0.02", "A1", "0.02"},
                    {IntdlgSemi::kMaxPwm, 0, -1, "", "7000", "@WCMP 680429,7000", "MP", "7000"}}},
        PanelCases{"TcatPWR", SensorKindTable::kSelectTCatpwr,
                   {{IntdlgTCatpwr::kKts, 0, -1, "", "0,0036", "@WCKT 680429,0.0036", "KT", "0.0036"}}}),
    [](const ::testing::TestParamInfo<PanelCases>& info) { return std::string(info.param.kind); });

// The rows whose writes need more than one input, or none.
TEST_F(SettingsPanelsTest, TheStabilisationRowSendsItsFourValuesOnlyWhenAllAreThere)
{
    OpenOnPage("TcatPWR");
    auto* holder = static_cast<IntdlgSelectTCatpwr*>(Panel(SensorKindTable::kSelectTCatpwr));
    SettingsRow* cp = holder->Parameters()->Rows()[IntdlgTCatpwr::kStabilisation];
    // The four values the sensor holds, one box each.
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_TRUE(ShowsValue(cp, i, std::vector<std::string>{"100", "10000", "200", "1"}[i]));
    // One blank value: nothing goes out. The next write shows it, as the
    // line is one sequence of commands.
    const char* typed[] = {"120", "9000", "  ", "2"};
    for (std::size_t i = 0; i < 4; ++i)
        cp->InputEdit(i)->setText(typed[i]);
    ASSERT_TRUE(PumpUntil([&] { return cp->WriteButton()->isEnabled(); }, kLongWaitMs));
    QTest::mouseClick(cp->WriteButton(), Qt::LeftButton);
    PumpQueued();
    cp->InputEdit(2)->setText("210");
    WriteAndWait(cp, "@WCCP 680429,120,9000,210,2");
    const std::vector<std::string> texts = Received();
    EXPECT_EQ(std::count_if(texts.begin(), texts.end(), [](const std::string& t) { return t.rfind("@WCCP", 0) == 0; }),
              1);
    EXPECT_EQ(sim_->Detector().Parameter("CP"), "120,9000,210,2");
    EXPECT_TRUE(ShowsValue(cp, 3, "2"));
}

TEST_F(SettingsPanelsTest, BlankEditsEmptyListsAndNonNumbersSendNothing)
{
    OpenOnPage("Elchem");
    const std::vector<SettingsRow*>& rows = Panel(SensorKindTable::kElchem)->Rows();
    SettingsRow* factor = rows[IntdlgElchem::kFactor];
    SettingsRow* load = rows[IntdlgElchem::kLoad];
    SettingsRow* zero = rows[IntdlgElchem::kZeroVoltage];
    ASSERT_TRUE(PumpUntil([&] { return factor->WriteButton()->isEnabled(); }, kLongWaitMs));

    factor->InputEdit(0)->setText("   ");
    QTest::mouseClick(factor->WriteButton(), Qt::LeftButton);
    load->InputList(0)->setCurrentIndex(-1);
    QTest::mouseClick(load->WriteButton(), Qt::LeftButton);
    PumpQueued();
    EXPECT_TRUE(hooks_.boxes.empty());
    // A typed value that is not one number is told, not sent.
    factor->InputEdit(0)->setText("8,0,11");
    QTest::mouseClick(factor->WriteButton(), Qt::LeftButton);
    PumpQueued();
    ASSERT_EQ(hooks_.boxes.size(), 1u);
    EXPECT_EQ(hooks_.boxes[0].caption, "Внимание!");
    EXPECT_TRUE(hooks_.boxes[0].text.contains("8,0,11")) << hooks_.boxes[0].text.toStdString();

    // The next write that does go out is the first write the sensor sees.
    WriteAndWait(zero, "@WCUL 680429,1560");
    for (const std::string& t : Received()) {
        EXPECT_NE(t.rfind("@WCKK", 0), 0u) << t;
        EXPECT_NE(t.rfind("@WCRL", 0), 0u) << t;
    }
}

TEST_F(SettingsPanelsTest, ARefusedRequestSendsNothingAndTakesTheButtonsDown)
{
    OpenOnPage("Oksik");
    SettingsRow* gain = Panel(SensorKindTable::kOksik)->Rows()[IntdlgOksik::kGain];
    ASSERT_TRUE(PumpUntil([&] { return gain->WriteButton()->isEnabled(); }, kLongWaitMs));
    auto averagingReads = [&] {
        const std::vector<std::string> t = Received();
        return std::count(t.begin(), t.end(), std::string("@RRAV"));
    };
    const auto readsBefore = averagingReads();
    // Another request takes the line before the panel has heard of it: the
    // buttons still look available, the engine refuses.
    ASSERT_EQ(engine().RereadParameter(4), 1);
    ASSERT_TRUE(gain->WriteButton()->isEnabled());
    gain->InputList(0)->setCurrentIndex(2);
    QTest::mouseClick(gain->WriteButton(), Qt::LeftButton);
    EXPECT_FALSE(gain->WriteButton()->isEnabled());
    EXPECT_FALSE(gain->ReadButton()->isEnabled());
    // Once the other request has ended, the buttons come back; the refused
    // write never reached the sensor.
    ASSERT_TRUE(PumpUntil([&] { return gain->WriteButton()->isEnabled(); }, kLongWaitMs));
    EXPECT_EQ(averagingReads(), readsBefore + 1);
    for (const std::string& t : Received())
        EXPECT_NE(t.rfind("@WCRG", 0), 0u) << t;
}

TEST_F(SettingsPanelsTest, BalancingTheBridgeAlwaysSendsOne)
{
    OpenOnPage("TcatBrdg");
    SettingsRow* balance = Panel(SensorKindTable::kTCatBrdg)->Rows()[IntdlgTCatBrdg::kBalance];
    EXPECT_EQ(balance->WriteButton()->text(), "Балансировать");
    EXPECT_EQ(balance->InputList(0), nullptr);
    EXPECT_EQ(balance->InputEdit(0), nullptr);
    EXPECT_TRUE(ShowsValue(balance, 0, "2047"));
    WriteAndWait(balance, "@CSBB 680429,1");
    // The sensor reports where the bridge settled.
    const std::string settled = sim_->Detector().Parameter("BB");
    EXPECT_TRUE(ShowsValue(balance, 0, settled)) << settled;
}

TEST_F(SettingsPanelsTest, ReadAsksTheSensorAgainAndShowsWhatItHoldsNow)
{
    OpenOnPage("Elchem");
    SettingsRow* factor = Panel(SensorKindTable::kElchem)->Rows()[IntdlgElchem::kFactor];
    EXPECT_TRUE(ShowsValue(factor, 0, "8.011"));
    sim_->Detector().SetParameter("KK", "7.5");
    ASSERT_TRUE(PumpUntil([&] { return factor->ReadButton()->isEnabled(); }, kLongWaitMs));
    const std::size_t before = Received().size();
    QTest::mouseClick(factor->ReadButton(), Qt::LeftButton);
    EXPECT_TRUE(ShowsValue(factor, 0, "7.5"));
    const std::vector<std::string> texts = Received();
    EXPECT_NE(std::find(texts.begin() + std::ptrdiff_t(before), texts.end(), "@RRKK"), texts.end());
}

// What each kind's panel shows right after the page has read the sensor's
// set, with a picture of it.
struct ShownCase {
    const char* kind;
    SensorKindTable::SettingsPanel panel;
    const char* picture;
    // Row, line, the sensor's parameter the box must show.
    std::vector<std::tuple<int, std::size_t, const char*>> boxes;
};

class SettingsPanelValues : public SettingsPanelsTest, public ::testing::WithParamInterface<ShownCase> {};

TEST_P(SettingsPanelValues, ThePanelShowsWhatTheSensorHolds)
{
    const ShownCase& c = GetParam();
    OpenOnPage(c.kind);
    WorkspacePanel* panel = Panel(c.panel);
    ASSERT_TRUE(panel->isVisible());
    const std::vector<SettingsRow*>* rows = &panel->Rows();
    if (auto* semi = qobject_cast<IntdlgSelectSemi*>(panel))
        rows = &semi->Parameters()->Rows();
    if (auto* pwr = qobject_cast<IntdlgSelectTCatpwr*>(panel))
        rows = &pwr->Parameters()->Rows();
    for (const auto& [row, line, code] : c.boxes) {
        SCOPED_TRACE(code);
        const std::string held = sim_->Detector().Parameter(code);
        ASSERT_FALSE(held.empty());
        std::string expected = held;
        // Multi-value parameters fill one box per value.
        if (held.find(',') != std::string::npos) {
            std::vector<std::string> parts;
            std::size_t start = 0;
            for (std::size_t comma; (comma = held.find(',', start)) != std::string::npos; start = comma + 1)
                parts.push_back(held.substr(start, comma - start));
            parts.push_back(held.substr(start));
            expected = parts.at(line);
        }
        EXPECT_TRUE(ShowsValue((*rows)[std::size_t(row)], line, expected))
            << (*rows)[std::size_t(row)]->ValueBox(line)->text().toStdString() << " vs " << expected;
    }
    PumpQueued();
    SavePicture(panel, c.picture);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, SettingsPanelValues,
    ::testing::Values(
        ShownCase{"Elchem", SensorKindTable::kElchem, "settings-elchem.png",
                  {{IntdlgElchem::kAveraging, 0, "AV"}, {IntdlgElchem::kGain, 0, "RG"}, {IntdlgElchem::kLoad, 0, "RL"},
                   {IntdlgElchem::kBias, 0, "BS"}, {IntdlgElchem::kBiasSign, 0, "SB"},
                   {IntdlgElchem::kInternalZero, 0, "IZ"}, {IntdlgElchem::kReference, 0, "RS"},
                   {IntdlgElchem::kShorting, 0, "FS"}, {IntdlgElchem::kMode, 0, "MD"}, {IntdlgElchem::kSupply, 0, "U0"},
                   {IntdlgElchem::kFactor, 0, "KK"}, {IntdlgElchem::kZeroVoltage, 0, "UL"}}},
        ShownCase{"Oksik", SensorKindTable::kOksik, "settings-oksik.png",
                  {{IntdlgOksik::kAveraging, 0, "AV"}, {IntdlgOksik::kGain, 0, "RG"}}},
        ShownCase{"OptoDyn", SensorKindTable::kOpto, "settings-opto.png", {{0, 0, "LE"}}},
        ShownCase{"TcatBrdg", SensorKindTable::kTCatBrdg, "settings-tcatbrdg.png",
                  {{IntdlgTCatBrdg::kHeating, 0, "WH"}, {IntdlgTCatBrdg::kBalance, 0, "BB"},
                   {IntdlgTCatBrdg::kGain, 0, "RG"}, {IntdlgTCatBrdg::kAdcBits, 0, "BR"}}},
        ShownCase{"Semi", SensorKindTable::kSelectSemi, "settings-semi.png",
                  {{IntdlgSemi::kHeating, 0, "WH"}, {IntdlgSemi::kTemperature, 0, "TG"}, {IntdlgSemi::kAlpha, 0, "A1"},
                   {IntdlgSemi::kKts, 0, "KT"}, {IntdlgSemi::kNormalTemperature, 0, "T0"},
                   {IntdlgSemi::kNormalHumidity, 0, "H0"}, {IntdlgSemi::kMaxTemperature, 0, "MG"},
                   {IntdlgSemi::kMaxPwm, 0, "MP"}}},
        ShownCase{"TcatPWR", SensorKindTable::kSelectTCatpwr, "settings-tcatpwr.png",
                  {{IntdlgTCatpwr::kHeating, 0, "WH"}, {IntdlgTCatpwr::kTemperature, 0, "TG"},
                   {IntdlgTCatpwr::kStabilisation, 0, "CP"}, {IntdlgTCatpwr::kStabilisation, 1, "CP"},
                   {IntdlgTCatpwr::kStabilisation, 2, "CP"}, {IntdlgTCatpwr::kStabilisation, 3, "CP"},
                   {IntdlgTCatpwr::kKts, 0, "KT"}, {IntdlgTCatpwr::kMaxTemperature, 0, "MG"},
                   {IntdlgTCatpwr::kMaxPwm, 0, "MP"}}},
        ShownCase{"SemiCycl", SensorKindTable::kEmpty, "settings-empty.png", {}}),
    [](const ::testing::TestParamInfo<ShownCase>& info) { return std::string(info.param.kind); });

TEST_F(SettingsPanelsTest, APendingCalibrationOfACyclicPollDisablesEveryButton)
{
    OpenOnPage("TcatBrdg");
    WorkspacePanel* panel = Panel(SensorKindTable::kTCatBrdg);
    auto allButtons = [&](bool enabled) {
        for (SettingsRow* row : panel->Rows())
            for (QPushButton* b : {row->ReadButton(), row->WriteButton()})
                if (b != nullptr && b->isEnabled() != enabled)
                    return false;
        return true;
    };
    ASSERT_TRUE(PumpUntil([&] { return allButtons(true); }, kLongWaitMs));
    // Cyclic heating with a long cycle, so the command below waits in the
    // loop for its next heating.
    QTest::mouseClick(Page()->CyclicCheck(), Qt::LeftButton);
    Page()->CyclePeriodList()->setCurrentIndex(4); // 10 s
    emit Page()->CyclePeriodList()->activated(4);
    Page()->HeatingTimeList()->setCurrentIndex(4); // 5 s
    emit Page()->HeatingTimeList()->activated(4);
    PumpQueued();
    ASSERT_TRUE(PumpUntilMode(Engine::kModeCalibrationPolling));
    // A cycle ends with the heater off; right after it, the loop waits for
    // the next cycle.
    auto heaterOffs = [&] {
        const std::vector<std::string> t = Received();
        return std::count(t.begin(), t.end(), std::string("@WCWH 680429,0"));
    };
    const auto before = heaterOffs();
    ASSERT_TRUE(PumpUntil([&] { return heaterOffs() > before; }, kLongWaitMs));
    ASSERT_TRUE(allButtons(true));

    // What the calibration panel does with "Калибровка" at point 1.
    SensorCommandRequest point1;
    point1.code = 3;
    point1.texts[0] = "0";
    ASSERT_EQ(engine().WriteParameter(point1), 1);
    EXPECT_TRUE(engine().IsPollBusy());
    EXPECT_FALSE(Page()->CommandsAccepted());
    ASSERT_TRUE(PumpUntil([&] { return allButtons(false); }, kLongWaitMs));
    // Once the loop has calibrated, the buttons are offered again.
    ASSERT_TRUE(PumpUntil([&] { return WasReceived("@CSC1 680429,0"); }, kLongWaitMs));
    ASSERT_TRUE(PumpUntil([&] { return allButtons(true); }, kLongWaitMs));
}

TEST_F(SettingsPanelsTest, TheHoldersSecondTabStaysSelectedAcrossHideAndShow)
{
    OpenOnPage("Semi");
    auto* holder = static_cast<IntdlgSelectSemi*>(Panel(SensorKindTable::kSelectSemi));
    ASSERT_TRUE(holder->isVisible());
    EXPECT_EQ(holder->Tabs()->tabText(0), "Параметры");
    EXPECT_EQ(holder->Tabs()->tabText(1), "Настройка ПИД");
    EXPECT_TRUE(holder->Page(0)->isEnabled());
    EXPECT_FALSE(holder->Page(1)->isEnabled());
    holder->Tabs()->setCurrentIndex(1);
    PumpQueued();
    EXPECT_FALSE(holder->Page(0)->isEnabled());
    EXPECT_TRUE(holder->Page(1)->isEnabled());

    window_->TabCtrl()->setCurrentIndex(CDlgTabCtrl::kSensorPage);
    PumpQueued();
    EXPECT_FALSE(holder->isVisible());
    EXPECT_FALSE(holder->Page(0)->isEnabled());
    EXPECT_FALSE(holder->Page(1)->isEnabled());

    window_->TabCtrl()->setCurrentIndex(CDlgTabCtrl::kCalibrationPage);
    ASSERT_TRUE(PumpUntil([&] { return holder->isVisible(); }, kLongWaitMs));
    EXPECT_EQ(holder->Tabs()->currentIndex(), 1);
    EXPECT_TRUE(holder->Page(1)->isEnabled());
    EXPECT_TRUE(holder->Page(1)->isVisible());
    EXPECT_FALSE(holder->Page(0)->isEnabled());

    // Back on the first tab, its rows work again. The log panel took the
    // line when it was shown (the page's concentration read is off), so the
    // poll does not come back after the write.
    holder->Tabs()->setCurrentIndex(0);
    PumpQueued();
    EXPECT_FALSE(Page()->ConcentrationCheck()->isChecked());
    SettingsRow* tg = holder->Parameters()->Rows()[IntdlgSemi::kTemperature];
    tg->InputEdit(0)->setText("410");
    ASSERT_TRUE(PumpUntil([&] { return tg->WriteButton()->isEnabled(); }, kLongWaitMs));
    QTest::mouseClick(tg->WriteButton(), Qt::LeftButton);
    ASSERT_TRUE(PumpUntil([&] { return WasReceived("@WCTG 680429,410"); }, kLongWaitMs));
    EXPECT_TRUE(ShowsValue(tg, 0, "410"));
}

TEST_F(SettingsPanelsTest, ThePolynomialDialogReadsAndWritesTheFiveCoefficients)
{
    OpenOnPage("Elchem");
    auto* panel = static_cast<IntdlgElchem*>(Panel(SensorKindTable::kElchem));
    EXPECT_EQ(panel->PolyButton()->text(), "Параметры полинома термокоррекции");
    QTest::mouseClick(panel->PolyButton(), Qt::LeftButton);
    IntdlgElchemPoly* poly = panel->PolyDialog();
    ASSERT_NE(poly, nullptr);
    EXPECT_EQ(poly->windowTitle(), "Параметры полинома термокоррекции");
    EXPECT_EQ(poly->Kind(), 3);
    // Pressing the button again opens no second one.
    QTest::mouseClick(panel->PolyButton(), Qt::LeftButton);
    EXPECT_EQ(panel->PolyDialog(), poly);
    SettingsRow* k = poly->Coefficients();
    const char* held[] = {"1", "0.0021", "-0.00004", "0", "0"};
    for (std::size_t i = 0; i < 5; ++i)
        EXPECT_TRUE(ShowsValue(k, i, held[i]));
    PumpQueued();
    SavePicture(poly, "settings-elchem-poly.png");

    const char* typed[] = {"1", "0,0025", "-0.00003", "0", "0"};
    for (std::size_t i = 0; i < 5; ++i)
        k->InputEdit(i)->setText(typed[i]);
    ASSERT_TRUE(PumpUntil([&] { return k->WriteButton()->isEnabled(); }, kLongWaitMs));
    QTest::mouseClick(k->WriteButton(), Qt::LeftButton);
    ASSERT_TRUE(PumpUntil([&] { return WasReceived("@WCK4 680429,0"); }, kLongWaitMs));
    for (const char* line : {"@WCK0 680429,1", "@WCK1 680429,0.0025", "@WCK2 680429,-0.00003", "@WCK3 680429,0"})
        EXPECT_TRUE(WasReceived(line)) << line;
    EXPECT_TRUE(ShowsValue(k, 1, "0.0025"));
    EXPECT_EQ(sim_->Detector().Parameter("K1"), "0.0025");

    // Leaving the page hides the panel, and the dialog goes with it.
    window_->TabCtrl()->setCurrentIndex(CDlgTabCtrl::kSensorPage);
    PumpQueued();
    EXPECT_EQ(panel->PolyDialog(), nullptr);
}

// ---------------------------------------------------------------------------
// The polynomial dialog's profiles, in a settings store of their own.

class PolyProfilesTest : public ::testing::Test {
protected:
    void SetUp() override { app_ = std::make_unique<AppContext>(); }
    void TearDown() override
    {
        delete dialog_;
        app_.reset();
    }

    IntdlgElchemPoly* OpenDialog(int kind)
    {
        delete dialog_;
        dialog_ = new IntdlgElchemPoly(app_->engine, app_->windows, app_->lmpProfileStore, kind, nullptr);
        dialog_->Open(QPoint(0, 0));
        return dialog_;
    }

    // A start of the program: everything in memory is gone, the store stays.
    void Restart()
    {
        delete dialog_;
        app_.reset();
        app_ = std::make_unique<AppContext>();
    }

    QStringList Edits() const
    {
        QStringList texts;
        for (std::size_t i = 0; i < 5; ++i)
            texts << dialog_->Coefficients()->InputEdit(i)->text();
        return texts;
    }

    void Type(const QString& name, const QStringList& values)
    {
        dialog_->ProfileBox()->setEditText(name);
        for (std::size_t i = 0; i < 5; ++i)
            dialog_->Coefficients()->InputEdit(i)->setText(values[int(i)]);
    }

    QStringList Names() const
    {
        QStringList names;
        for (int i = 0; i < dialog_->ProfileBox()->count(); ++i)
            names << dialog_->ProfileBox()->itemText(i);
        return names;
    }

    TempSettings folder_;
    std::unique_ptr<AppContext> app_;
    QPointer<IntdlgElchemPoly> dialog_;
};

TEST_F(PolyProfilesTest, ProfilesAreCreatedReplacedKeptApartByCaseAndSurviveARestart)
{
    OpenDialog(3);
    // No profile yet: the polynomial that changes nothing.
    EXPECT_EQ(Edits(), (QStringList{"1", "0", "0", "0", "0"}));
    EXPECT_EQ(dialog_->ProfileBox()->count(), 0);
    // With the engine closed nothing can be read or written; saving can.
    EXPECT_FALSE(dialog_->Coefficients()->ReadButton()->isEnabled());
    EXPECT_FALSE(dialog_->Coefficients()->WriteButton()->isEnabled());
    EXPECT_TRUE(dialog_->SaveButton()->isEnabled());

    Type(" CO-1 ", {"1", "0.002", "-0.00004", "0", "0"});
    QTest::mouseClick(dialog_->SaveButton(), Qt::LeftButton);
    EXPECT_EQ(Names(), QStringList{"CO-1"});
    EXPECT_EQ(dialog_->ProfileBox()->currentText(), "CO-1");

    // The same name again: the values are replaced in place.
    Type("CO-2", {"1", "0", "0", "0", "0"});
    QTest::mouseClick(dialog_->SaveButton(), Qt::LeftButton);
    Type("CO-1", {"0.98", "0.003", "0", "0", "1e-7"});
    QTest::mouseClick(dialog_->SaveButton(), Qt::LeftButton);
    EXPECT_EQ(Names(), (QStringList{"CO-1", "CO-2"}));
    EXPECT_EQ(dialog_->ProfileBox()->currentText(), "CO-1");

    // A name that differs only in case is another profile.
    Type("co-1", {"1", "0.1", "0", "0", "0"});
    QTest::mouseClick(dialog_->SaveButton(), Qt::LeftButton);
    EXPECT_EQ(Names(), (QStringList{"CO-1", "CO-2", "co-1"}));
    EXPECT_EQ(dialog_->ProfileBox()->currentText(), "co-1");

    // A blank coefficient or a blank name saves nothing.
    Type("CO-3", {"1", "0", " ", "0", "0"});
    QTest::mouseClick(dialog_->SaveButton(), Qt::LeftButton);
    Type("  ", {"1", "0", "0", "0", "0"});
    QTest::mouseClick(dialog_->SaveButton(), Qt::LeftButton);
    EXPECT_EQ(Names(), (QStringList{"CO-1", "CO-2", "co-1"}));

    Restart();
    OpenDialog(3);
    // The last profile is selected and loaded.
    EXPECT_EQ(Names(), (QStringList{"CO-1", "CO-2", "co-1"}));
    EXPECT_EQ(dialog_->ProfileBox()->currentText(), "co-1");
    EXPECT_EQ(Edits(), (QStringList{"1", "0.1", "0", "0", "0"}));
    // Choosing another loads its coefficients.
    dialog_->ProfileBox()->setCurrentIndex(0);
    emit dialog_->ProfileBox()->activated(0);
    EXPECT_EQ(Edits(), (QStringList{"0.98", "0.003", "0", "0", "1e-7"}));

    // The oxygen sensors keep their own list.
    OpenDialog(4);
    EXPECT_EQ(dialog_->ProfileBox()->count(), 0);
    EXPECT_EQ(Edits(), (QStringList{"1", "0", "0", "0", "0"}));

    const std::unique_ptr<QSettings> store = folder_.Store();
    EXPECT_EQ(store->value("LmpProfiles/Count").toInt(), 3);
    EXPECT_EQ(store->value("LmpProfiles/Name_0").toString(), "CO-1");
    EXPECT_EQ(store->value("LmpProfiles/Value_0_4").toString(), "1e-7");
    EXPECT_EQ(store->value("LmpProfiles/Name_2").toString(), "co-1");
    EXPECT_FALSE(store->contains("OksikLmpProfiles/Count"));
}

TEST_F(PolyProfilesTest, EscClosesTheDialogAndEnterDoesNothing)
{
    OpenDialog(4);
    QTest::keyClick(dialog_.data(), Qt::Key_Return);
    ASSERT_FALSE(dialog_.isNull());
    EXPECT_TRUE(dialog_->isVisible());
    QTest::keyClick(dialog_.data(), Qt::Key_Escape);
    ASSERT_FALSE(dialog_.isNull());
    EXPECT_FALSE(dialog_->isVisible());
    // Closed means destroyed (and unregistered from the engine).
    const WindowHandle handle = dialog_->Handle();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(dialog_.isNull());
    EXPECT_FALSE(app_->windows.IsLive(handle));
}

} // namespace
