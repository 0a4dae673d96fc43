// The calibration panels of the calibration page against the simulated
// detector: what "Калибровка" sends and when it sends nothing, the
// confirmation and the sensor's answer shown next to what was typed, the
// resistance calibration that the heater blocks, the holders' choice.
// The simulator names a member "signals", which Qt's headers would turn
// into a keyword: it comes first.
#include "Simulator.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "AppTestSupport.h"
#include "CDlgTabCtrl.h"
#include "CalibIntdlgCv.h"
#include "CalibIntdlgSelectSemi.h"
#include "CalibIntdlgSelectTCatpwr.h"
#include "CalibIntdlgSemi.h"
#include "CalibIntdlgTCatpwr.h"
#include "CalibTemperaturePanel.h"
#include "CalibrationDialog.h"
#include "Engine.h"
#include "SensorKindTable.h"
#include "SettingsRow.h"

namespace {

constexpr int kLongWaitMs = 90000;

TEST(CalibHeaterValue, ReadAsTheSensorsDecimalInteger)
{
    const struct {
        const char* text;
        long value;
    } cases[] = {
        {"1", 1}, {"0", 0}, {"  1", 1}, {"+1", 1}, {"-1", -1}, {"12abc", 12},
        {"abc", 0}, {"", 0}, {" ", 0}, {"-", 0}, {"0.9", 0}, {"00", 0},
        // A long run of digits is on, not a wrapped 0.
        {"100000000000000000000000000000", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const long v = CalibTemperaturePanel::HeaterValue(c.text);
        if (c.value == 1 && std::string(c.text).size() > 20)
            EXPECT_NE(v, 0);
        else
            EXPECT_EQ(v, c.value);
    }
}

class CalibrationPanelsTest : public MainWindowFixture {
protected:
    CalibrationPanelsTest() { modeWaitMs_ = kLongWaitMs; }

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

    void OpenOnPage(const char* kind, const std::string& more = std::string())
    {
        Simulator::Options o;
        o.portsFolder = folder_.Home().PortsFolder();
        o.devicePort = 1;
        o.hartPort = 2;
        o.scenarioText = std::string("[detector]\nkind = ") + kind + "\nnoise = 0\n" + more;
        sim_ = std::make_unique<Simulator>(o);
        sim_->Start();
        StorePorts(1, 2);
        Open();
        ASSERT_TRUE(PumpUntilMode(Engine::kModeConnected));
        PumpQueued();
        window_->TabCtrl()->setCurrentIndex(CDlgTabCtrl::kCalibrationPage);
        ASSERT_TRUE(PumpUntilMode(Engine::kModeCalibrationPolling));
        PumpQueued();
    }

    WorkspacePanel* Panel(SensorKindTable::CalibrationPanel index) const { return Page()->CalibrationPanel(index); }

    std::vector<std::string> Received() const { return sim_->Detector().Received().Texts(); }

    // How many lines the sensor received that start with `prefix`.
    long CountReceived(const std::string& prefix) const
    {
        const std::vector<std::string> t = Received();
        return std::count_if(t.begin(), t.end(), [&](const std::string& s) { return s.rfind(prefix, 0) == 0; });
    }

    bool WasReceived(const std::string& line) const
    {
        const std::vector<std::string> t = Received();
        return std::find(t.begin(), t.end(), line) != t.end();
    }

    void Press(QPushButton* button)
    {
        ASSERT_TRUE(PumpUntil([&] { return button->isEnabled(); }, kLongWaitMs));
        QTest::mouseClick(button, Qt::LeftButton);
    }

    // Presses, then lets whatever the press started on the line end.
    void PressAndSettle(QPushButton* button)
    {
        Press(button);
        PumpQueued();
        ASSERT_TRUE(PumpUntil([&] { return WorkspacePanel::CommandsAccepted(engine()); }, kLongWaitMs));
        PumpQueued();
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

TEST_F(CalibrationPanelsTest, BlankOrCancelledPointSendsNothingAndAConfirmedOneShowsTheSensorsAnswer)
{
    OpenOnPage("Elchem");
    auto* panel = static_cast<CalibIntdlgCv*>(Panel(SensorKindTable::kCalibCv));
    ASSERT_TRUE(panel->isVisible());
    SettingsRow* c1 = panel->Rows()[CalibPointsPanel::kC1];
    EXPECT_EQ(c1->Caption()->text(), "C1");
    EXPECT_EQ(c1->WriteButton()->text(), "Калибровка");
    EXPECT_EQ(panel->Rows()[CalibPointsPanel::kRaw1]->Caption()->text(), "V1");
    EXPECT_EQ(c1->InputEdit(0)->text(), "");

    // Empty and blank: no question, nothing on the line.
    for (const char* typed : {"", "   \t"}) {
        c1->InputEdit(0)->setText(QString::fromUtf8(typed));
        PressAndSettle(c1->WriteButton());
    }
    EXPECT_TRUE(hooks_.boxes.empty());
    // The engineer thinks again: Cancel sends nothing either.
    c1->InputEdit(0)->setText(" 50 ");
    hooks_.onBox = [](const MessageBoxes::Request&) { return int(MessageBoxes::kCancel); };
    PressAndSettle(c1->WriteButton());
    ASSERT_EQ(hooks_.boxes.size(), 1u);
    EXPECT_EQ(hooks_.boxes[0].text, "Калибровать точку C1 по концентрации 50?");
    EXPECT_EQ(hooks_.boxes[0].buttons, MessageBoxes::Buttons::OkCancel);
    EXPECT_EQ(CountReceived("@CSC1"), 0);

    // Confirmed: the sensor gets the point, and the panel shows what the
    // sensor now holds for it next to what was typed.
    hooks_.onBox = nullptr;
    const long valueReadsBefore = CountReceived("@CS");
    EXPECT_EQ(valueReadsBefore, 0);
    PressAndSettle(c1->WriteButton());
    ASSERT_TRUE(PumpUntil([&] { return WasReceived("@CSC1 680429,50"); }, kLongWaitMs));
    ASSERT_TRUE(PumpUntil([&] { return c1->ValueBox(0)->text() == "50"; }, kLongWaitMs));
    EXPECT_EQ(sim_->Detector().Parameter("C1"), "50");
    ASSERT_TRUE(PumpUntil([&] { return !panel->Status()->text().isEmpty(); }, kLongWaitMs));
    EXPECT_EQ(panel->Status()->text(), "Точка C1: введено 50, сенсор сообщает 50.");
    EXPECT_FALSE(panel->StatusMarked());

    // The raw value of point 2 is written as typed, with a comma taken as
    // the decimal point.
    SettingsRow* v2 = panel->Rows()[CalibPointsPanel::kRaw2];
    v2->InputEdit(0)->setText("0,25");
    Press(v2->WriteButton());
    ASSERT_TRUE(PumpUntil([&] { return WasReceived("@WCV2 680429,0.25"); }, kLongWaitMs));
    ASSERT_TRUE(PumpUntil([&] { return v2->ValueBox(0)->text() == "0.25"; }, kLongWaitMs));
    SavePicture(panel, "calib-cv.png");
}

TEST_F(CalibrationPanelsTest, ACalibrationTheSensorRefusesIsShownAsNotConfirmed)
{
    // The sensor keeps another calibration password: it refuses the point.
    OpenOnPage("Oksik", "calibration_password = 111111\n");
    auto* panel = static_cast<CalibIntdlgCv*>(Panel(SensorKindTable::kCalibCv));
    SettingsRow* c2 = panel->Rows()[CalibPointsPanel::kC2];
    c2->InputEdit(0)->setText("20,9");
    PressAndSettle(c2->WriteButton());
    ASSERT_EQ(hooks_.boxes.size(), 1u);
    EXPECT_EQ(hooks_.boxes[0].text, "Калибровать точку C2 по концентрации 20.9?");
    ASSERT_TRUE(PumpUntil([&] { return WasReceived("@CSC2 680429,20.9"); }, kLongWaitMs));
    ASSERT_TRUE(PumpUntil([&] { return panel->StatusMarked(); }, kLongWaitMs));
    EXPECT_TRUE(panel->Status()->text().contains("не подтвердил")) << panel->Status()->text().toStdString();
    EXPECT_EQ(c2->ValueBox(0)->text(), "");
}

struct HeaterCase {
    const char* kind;
    const char* heater; // the sensor's heater at start-up
    bool sends;
    const char* line;   // what the sensor receives when it does
};

class TemperatureCalibration : public CalibrationPanelsTest, public ::testing::WithParamInterface<HeaterCase> {};

TEST_P(TemperatureCalibration, RefusedWhileTheHeaterIsOn)
{
    const HeaterCase& c = GetParam();
    OpenOnPage(c.kind, std::string("param.WH = ") + c.heater + "\n");
    const bool semi = std::string(c.kind) == "Semi";
    auto* holder = static_cast<CalibSelectHolder*>(
        Panel(semi ? SensorKindTable::kCalibSelectSemi : SensorKindTable::kCalibSelectTCatpwr));
    ASSERT_TRUE(holder->isVisible());
    QTest::mouseClick(holder->Choice(1), Qt::LeftButton);
    PumpQueued();
    auto* leaf = static_cast<CalibTemperaturePanel*>(holder->Leaf(1));
    ASSERT_TRUE(leaf->isVisible());
    EXPECT_FALSE(holder->Leaf(0)->isVisible());
    SettingsRow* row = leaf->Rows()[CalibTemperaturePanel::kCalibrate];
    // Kind 5 opens at 23 °C; kind 8 opens empty and sends nothing so.
    EXPECT_EQ(row->InputEdit(0)->text(), semi ? "23" : "");
    if (!semi) {
        PressAndSettle(row->WriteButton());
        EXPECT_TRUE(hooks_.boxes.empty());
        row->InputEdit(0)->setText("21");
    }
    ASSERT_TRUE(PumpUntil(
        [&] {
            SensorParameters p;
            engine().CopySensorParameters(p);
            return p.heater.valid == 1 && p.heater.text == c.heater;
        },
        kLongWaitMs));
    PressAndSettle(row->WriteButton());
    if (c.sends) {
        EXPECT_TRUE(hooks_.boxes.empty());
        ASSERT_TRUE(PumpUntil([&] { return WasReceived(c.line); }, kLongWaitMs)) << c.line;
        // The resistances of the answer fill the boxes.
        SettingsRow* r = leaf->Rows()[CalibTemperaturePanel::kResistances];
        ASSERT_TRUE(PumpUntil([&] { return !r->ValueBox(0)->text().isEmpty(); }, kLongWaitMs));
        SavePicture(holder, QString("calib-%1-temperature.png").arg(c.kind));
    } else {
        ASSERT_EQ(hooks_.boxes.size(), 1u);
        EXPECT_EQ(hooks_.boxes[0].text, "Выключите нагреватель!");
        EXPECT_EQ(hooks_.boxes[0].caption, "Внимание!");
        EXPECT_EQ(hooks_.boxes[0].icon, MessageBoxes::Icon::Exclamation);
        EXPECT_EQ(CountReceived("@CSR0"), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Heater, TemperatureCalibration,
    ::testing::Values(HeaterCase{"Semi", "1", false, ""}, HeaterCase{"Semi", "0", true, "@CSR0 680429,23"},
                      HeaterCase{"TcatPWR", "1", false, ""}, HeaterCase{"TcatPWR", "0", true, "@CSR0 680429,21"}),
    [](const ::testing::TestParamInfo<HeaterCase>& info) {
        return std::string(info.param.kind) + (info.param.sends ? "HeaterOff" : "HeaterOn");
    });

TEST_F(CalibrationPanelsTest, TheHoldersChoiceStaysAcrossLeavingThePage)
{
    OpenOnPage("TcatPWR");
    auto* holder = static_cast<CalibIntdlgSelectTCatpwr*>(Panel(SensorKindTable::kCalibSelectTCatpwr));
    ASSERT_TRUE(holder->isVisible());
    EXPECT_EQ(holder->Choice(0)->text(), "Концентрация");
    EXPECT_EQ(holder->Choice(1)->text(), "По температуре");
    EXPECT_TRUE(holder->Choice(0)->isChecked());
    EXPECT_TRUE(holder->Points()->isVisible());
    EXPECT_TRUE(holder->Points()->isEnabled());
    EXPECT_FALSE(holder->Temperature()->isEnabled());
    // S1/S2 for this kind, opening empty; C1/C2 open at 0 and 1.
    EXPECT_EQ(holder->Points()->Rows()[CalibPointsPanel::kRaw1]->Caption()->text(), "S1");
    EXPECT_EQ(holder->Points()->Rows()[CalibPointsPanel::kRaw1]->InputEdit(0)->text(), "");
    EXPECT_EQ(holder->Points()->Rows()[CalibPointsPanel::kC2]->InputEdit(0)->text(), "1");
    SavePicture(holder, "calib-tcatpwr.png");

    QTest::mouseClick(holder->Choice(1), Qt::LeftButton);
    PumpQueued();
    window_->TabCtrl()->setCurrentIndex(CDlgTabCtrl::kSensorPage);
    PumpQueued();
    EXPECT_FALSE(holder->Temperature()->isEnabled());
    EXPECT_FALSE(holder->Points()->isEnabled());
    window_->TabCtrl()->setCurrentIndex(CDlgTabCtrl::kCalibrationPage);
    ASSERT_TRUE(PumpUntil([&] { return holder->isVisible(); }, kLongWaitMs));
    EXPECT_TRUE(holder->Choice(1)->isChecked());
    EXPECT_TRUE(holder->Temperature()->isVisible());
    EXPECT_TRUE(holder->Temperature()->isEnabled());
    EXPECT_FALSE(holder->Points()->isVisible());
    EXPECT_EQ(holder->Temperature()->Rows()[CalibTemperaturePanel::kResistances]->LineCount(), 4u);
    // The temperature leaf reads its four resistances.
    SettingsRow* r = holder->Temperature()->Rows()[CalibTemperaturePanel::kResistances];
    PressAndSettle(r->ReadButton());
    ASSERT_TRUE(PumpUntil([&] { return !r->ValueBox(0)->text().isEmpty(); }, kLongWaitMs));
    SavePicture(holder, "calib-tcatpwr-temperature.png");
}

TEST_F(CalibrationPanelsTest, DuringACyclicPollThePointGoesWithTheNextCycle)
{
    OpenOnPage("Semi");
    auto* holder = static_cast<CalibIntdlgSelectSemi*>(Panel(SensorKindTable::kCalibSelectSemi));
    CalibIntdlgSemi* points = holder->Points();
    ASSERT_TRUE(points->isVisible());
    EXPECT_EQ(points->Rows()[CalibPointsPanel::kRaw1]->InputEdit(0)->text(), "1500000");
    EXPECT_EQ(points->Rows()[CalibPointsPanel::kRaw2]->InputEdit(0)->text(), "250000");
    SavePicture(holder, "calib-semi.png");
    SettingsRow* c2 = points->Rows()[CalibPointsPanel::kC2];
    // Cyclic heating with a long cycle, so the point waits for the next
    // heating in the loop.
    QTest::mouseClick(Page()->CyclicCheck(), Qt::LeftButton);
    Page()->CyclePeriodList()->setCurrentIndex(4); // 10 s
    emit Page()->CyclePeriodList()->activated(4);
    Page()->HeatingTimeList()->setCurrentIndex(4); // 5 s
    emit Page()->HeatingTimeList()->activated(4);
    PumpQueued();
    ASSERT_TRUE(PumpUntilMode(Engine::kModeCalibrationPolling));
    auto heaterOffs = [&] { return CountReceived("@WCWH 680429,0"); };
    const long before = heaterOffs();
    ASSERT_TRUE(PumpUntil([&] { return heaterOffs() > before; }, kLongWaitMs));

    recorder_->messages.clear();
    c2->InputEdit(0)->setText("75");
    ASSERT_TRUE(c2->WriteButton()->isEnabled());
    QTest::mouseClick(c2->WriteButton(), Qt::LeftButton);
    // Back at once, still polling, with the point waiting in the loop.
    EXPECT_EQ(engine().mode, Engine::kModeCalibrationPolling);
    EXPECT_TRUE(engine().IsPollBusy());
    EXPECT_EQ(CountReceived("@CSC2"), 0);
    EXPECT_NE(c2->ValueBox(0)->text(), "75");
    ASSERT_EQ(hooks_.boxes.size(), 1u);
    EXPECT_EQ(hooks_.boxes[0].text, "Калибровать точку C2 по концентрации 75?");
    ASSERT_TRUE(PumpUntil([&] { return !c2->WriteButton()->isEnabled(); }, kLongWaitMs));
    EXPECT_TRUE(points->Status()->text().contains("следующем цикле")) << points->Status()->text().toStdString();

    ASSERT_TRUE(PumpUntil([&] { return WasReceived("@CSC2 680429,75"); }, kLongWaitMs));
    ASSERT_TRUE(PumpUntil([&] { return c2->ValueBox(0)->text() == "75"; }, kLongWaitMs));
    ASSERT_TRUE(PumpUntil([&] { return points->Status()->text().contains("сенсор сообщает"); }, kLongWaitMs));
    EXPECT_EQ(points->Status()->text(), "Точка C2: введено 75, сенсор сообщает 75.");
    // No mode change on the way: the loop took the point.
    for (const auto& change : recorder_->ModeChanges())
        EXPECT_TRUE(change.first != Engine::kModeWrite && change.second != Engine::kModeWrite)
            << change.first << "," << change.second;
}

} // namespace
