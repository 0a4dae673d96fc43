// The multigas channel and set selection and the twelve-pane graph window of
// the calibration page, against the simulated detector and its rack of
// sensor sets.
// The simulator names a member "signals", which Qt's headers would turn
// into a keyword: it comes first.
#include "Simulator.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTest>

#include <algorithm>
#include <memory>
#include <string>

#include "AppTestSupport.h"
#include "CDlgTabCtrl.h"
#include "CalibrationDialog.h"
#include "Engine.h"
#include "GraphWnd.h"
#include "MgMultiGraphFrame.h"
#include "MgSelectChannelDlg.h"
#include "ModbusComConnector.h"
#include "ModbusCrc.h"
#include "TestPorts.h"

namespace {

constexpr int kLongWaitMs = 90000;

TEST(MgMultiGraphFrameLayout, PanesShareTheClientAreaAndTheLastColumnAndRowTakeTheRest)
{
    const QSize client(1001, 601);
    EXPECT_EQ(MgMultiGraphFrame::PaneRect(0, client), QRect(0, 0, 250, 200));
    EXPECT_EQ(MgMultiGraphFrame::PaneRect(2, client), QRect(500, 0, 250, 200));
    EXPECT_EQ(MgMultiGraphFrame::PaneRect(3, client), QRect(750, 0, 251, 200));
    EXPECT_EQ(MgMultiGraphFrame::PaneRect(8, client), QRect(0, 400, 250, 201));
    EXPECT_EQ(MgMultiGraphFrame::PaneRect(11, client), QRect(750, 400, 251, 201));
}

class MultigasTest : public MainWindowFixture {
protected:
    MultigasTest() { modeWaitMs_ = kLongWaitMs; }

    void TearDown() override
    {
        CloseWindow();
        if (sim_)
            sim_->Stop();
    }

    void OpenOnPage(const std::string& scenario, int mgPort = 3, int mgCount = 4)
    {
        Simulator::Options o;
        o.portsFolder = folder_.Home().PortsFolder();
        o.devicePort = 1;
        o.hartPort = 2;
        o.multigasPort = 3;
        o.scenarioText = scenario;
        sim_ = std::make_unique<Simulator>(o);
        sim_->Start();
        StorePorts(1, 2, mgPort);
        QSettings(QStringLiteral("Korvan"), QStringLiteral("KorvanSensorSetup")).setValue(QStringLiteral("Connection/MgCount"), mgCount);
        Open();
        ASSERT_TRUE(PumpUntilMode(Engine::kModeConnected));
        window_->TabCtrl()->setCurrentIndex(CDlgTabCtrl::kCalibrationPage);
        PumpQueued();
        ASSERT_TRUE(PumpUntilMode(Engine::kModeCalibrationPolling));
        PumpQueued();
    }

    CalibrationDialog* Page() const
    {
        return static_cast<CalibrationDialog*>(window_->TabCtrl()->Page(CDlgTabCtrl::kCalibrationPage));
    }

    MgSelectChannelDlg* OpenChannelDialog()
    {
        QTest::mouseClick(Page()->ChannelButton(), Qt::LeftButton);
        PumpQueued();
        return Page()->ChannelDialog();
    }

    // Function 6 writes of register 1012 the rack received: (unit, value).
    std::vector<std::pair<int, int>> RackWrites() const
    {
        std::vector<std::pair<int, int>> out;
        for (const auto& f : sim_->Rack().Received().Frames())
            if (f.size() == 8 && f[1] == 6 && f[2] == 0x03 && f[3] == 0xF4)
                out.emplace_back(f[0], f[4] * 256 + f[5]);
        return out;
    }

    std::unique_ptr<Simulator> sim_;
};

const char* const kRack = R"(
[detector]
kind = Elchem
noise = 0
[multigas]
sets = 4
selected_set = 1
set1.ch1 = CH4,1.5
set1.ch2 = NS,ND
set3.ch1 = H2,7.25
set3.ch2 = NH3,3.5
)";

TEST_F(MultigasTest, TheSetListFollowsTheSetCountAndStepsWithoutSwitching)
{
    OpenOnPage(kRack, 3, 2);
    MgSelectChannelDlg* dlg = Page()->ChannelDialog();
    // A set remembered from a larger count starts again at the first.
    dlg->SetSetIndex(5);
    OpenChannelDialog();
    ASSERT_TRUE(dlg->IsOpen());
    QStringList items;
    for (int i = 0; i < dlg->SetList()->count(); ++i)
        items << dlg->SetList()->itemText(i);
    EXPECT_EQ(items, (QStringList{"1", "2"}));
    EXPECT_EQ(dlg->SetIndex(), 0);
    QTest::mouseClick(dlg->PlusButton(), Qt::LeftButton);
    EXPECT_EQ(dlg->SetIndex(), 1);
    QTest::mouseClick(dlg->PlusButton(), Qt::LeftButton);
    EXPECT_EQ(dlg->SetIndex(), 1);
    EXPECT_EQ(dlg->SetList()->currentIndex(), 1);
    QTest::mouseClick(dlg->MinusButton(), Qt::LeftButton);
    QTest::mouseClick(dlg->MinusButton(), Qt::LeftButton);
    EXPECT_EQ(dlg->SetIndex(), 0);
    // Stepping switches nothing.
    EXPECT_TRUE(RackWrites().empty());
}

TEST_F(MultigasTest, ChoosingAChannelSendsItAndNamesItOnThePage)
{
    OpenOnPage(kRack);
    MgSelectChannelDlg* dlg = OpenChannelDialog();
    EXPECT_EQ(Page()->ChannelButton()->text(), "Канал (1)");
    ASSERT_TRUE(PumpUntil([&] { return Page()->CommandsAccepted(); }, kLongWaitMs));
    QTest::mouseClick(dlg->ChannelButton(11), Qt::LeftButton);
    PumpQueued();
    EXPECT_EQ(Page()->ChannelButton()->text(), "Канал (12)");
    ASSERT_TRUE(PumpUntil([&] { return sim_->Multigas().SelectedChannel() == 12; }, kLongWaitMs));
    const auto texts = sim_->Detector().Received().Texts();
    EXPECT_NE(std::find_if(texts.begin(), texts.end(),
                           [](const std::string& t) { return t.rfind("@MWCH", 0) == 0 && t.size() >= 2 &&
                                                             t.substr(t.size() - 2) == "12"; }),
              texts.end());
    // Leaving the page closes the dialog, coming back opens it again.
    window_->TabCtrl()->setCurrentIndex(CDlgTabCtrl::kSensorPage);
    PumpQueued();
    EXPECT_FALSE(dlg->IsOpen());
    window_->TabCtrl()->setCurrentIndex(CDlgTabCtrl::kCalibrationPage);
    PumpQueued();
    EXPECT_TRUE(dlg->IsOpen());
    EXPECT_EQ(Page()->ChannelButton()->text(), "Канал (12)");
}

TEST_F(MultigasTest, SwitchingToSetThreeDeselectsTheOthersAndThePanesShowItsChannels)
{
    OpenOnPage(kRack);
    QTest::mouseClick(Page()->MultigasCheck(), Qt::LeftButton);
    PumpQueued();
    MgMultiGraphFrame* frame = Page()->MultigasGraph();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(engine().PollSettings().readMultigas, 1);
    ASSERT_TRUE(PumpUntil([&] { return frame->Pane(0)->SerialText() == "CH4"; }, kLongWaitMs));
    // A channel without a name has an empty caption.
    EXPECT_EQ(frame->Pane(1)->SerialText(), "");

    MgSelectChannelDlg* dlg = OpenChannelDialog();
    dlg->SetList()->setCurrentIndex(2);
    QTest::mouseClick(dlg->SwitchButton(), Qt::LeftButton);
    PumpQueued();
    EXPECT_EQ(RackWrites(), (std::vector<std::pair<int, int>>{{1, 0}, {2, 0}, {4, 0}, {3, 1}}));
    EXPECT_EQ(sim_->Multigas().SelectedSet(), 3);
    EXPECT_EQ(dlg->SetIndex(), 2);
    EXPECT_TRUE(hooks_.boxes.empty());
    ASSERT_TRUE(PumpUntil([&] { return frame->Pane(0)->SerialText() == "H2" && !frame->Pane(0)->Points().empty() &&
                                       frame->Pane(0)->Points().back().values[20] == 7.25f; },
                          kLongWaitMs));
    EXPECT_EQ(frame->Pane(1)->SerialText(), "NH3");
    EXPECT_EQ(frame->Pane(0)->Series()[0], 20);
    EXPECT_EQ(frame->Pane(11)->Series()[0], 31);
    const QString dir = QStringLiteral(KORVAN_TEST_ARTIFACT_DIR);
    ASSERT_TRUE(QDir().mkpath(dir));
    EXPECT_TRUE(frame->grab().save(dir + "/multigas-window.png"));

    // The close box releases the page's toggle and the poll's multigas read.
    frame->close();
    PumpQueued();
    EXPECT_EQ(Page()->MultigasGraph(), nullptr);
    EXPECT_FALSE(Page()->MultigasCheck()->isChecked());
    EXPECT_EQ(engine().PollSettings().readMultigas, 0);
}

TEST_F(MultigasTest, ASilentRackIsReportedAndTheListShowsWhatTheRackHolds)
{
    OpenOnPage(std::string(kRack) + "fault.* = silence\n");
    MgSelectChannelDlg* dlg = OpenChannelDialog();
    dlg->SetList()->setCurrentIndex(2);
    QTest::mouseClick(dlg->SwitchButton(), Qt::LeftButton);
    PumpQueued();
    ASSERT_EQ(hooks_.boxes.size(), 1u);
    EXPECT_EQ(hooks_.boxes[0].caption, "Ошибка!");
    EXPECT_TRUE(hooks_.boxes[0].text.startsWith("Комплект 3 не выбран: стойка Мультигаз не ответила на порту COM3."))
        << hooks_.boxes[0].text.toStdString();
    // Not shown as chosen.
    EXPECT_NE(dlg->SetList()->currentIndex(), 2);
}

TEST_F(MultigasTest, ARackPortTheUserMayNotOpenIsNamedWithTheRemedy)
{
#ifdef _WIN32
    GTEST_SKIP() << "a port the user may not open is a Linux matter (device group rights); Windows reports such a port as busy";
#else
    OpenOnPage(kRack);
    MgSelectChannelDlg* dlg = OpenChannelDialog();
    dlg->SetList()->setCurrentIndex(1);
    {
        NoPortRights denied(sim_->MultigasPty(), folder_.Path());
        QTest::mouseClick(dlg->SwitchButton(), Qt::LeftButton);
    }
    PumpQueued();
    ASSERT_EQ(hooks_.boxes.size(), 1u);
    EXPECT_EQ(hooks_.boxes[0].caption, "Ошибка!");
    EXPECT_EQ(hooks_.boxes[0].text, "Комплект 2 не выбран: Нет прав на порт " +
                                        QString::fromStdString(sim_->MultigasPty()) +
                                        ": добавьте пользователя в группу dialout и войдите в систему заново.");
    EXPECT_TRUE(RackWrites().empty());

    // A port that is only busy keeps the old text.
    ModbusComConnector other;
    ASSERT_TRUE(other.Open(3));
    hooks_.boxes.clear();
    dlg->SetList()->setCurrentIndex(1);
    QTest::mouseClick(dlg->SwitchButton(), Qt::LeftButton);
    PumpQueued();
    ASSERT_EQ(hooks_.boxes.size(), 1u);
    EXPECT_EQ(hooks_.boxes[0].text, "Комплект 2 не выбран: нет доступа к порту COM3 (порт отсутствует или занят "
                                    "другим приложением).");
#endif
}

TEST_F(MultigasTest, AMissingMultigasPortIsReported)
{
    OpenOnPage(kRack, 0);
    MgSelectChannelDlg* dlg = OpenChannelDialog();
    dlg->SetList()->setCurrentIndex(1);
    QTest::mouseClick(dlg->SwitchButton(), Qt::LeftButton);
    PumpQueued();
    ASSERT_EQ(hooks_.boxes.size(), 1u);
    EXPECT_EQ(hooks_.boxes[0].text, "Комплект 2 не выбран: в настройках приложения не задан COM-порт переключения "
                                    "комплектов Мультигаз.");
    EXPECT_EQ(dlg->SetList()->currentIndex(), 0);
    EXPECT_EQ(dlg->SetIndex(), 0);
    EXPECT_TRUE(RackWrites().empty());
}

} // namespace
