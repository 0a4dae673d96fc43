// The HART page and the loop-current test in the main window, against the
// simulated detector and its HART field device on pseudo-terminals. Whether
// a fixed current was released is checked on the simulated device, not on
// the tool's own idea of it.
// The simulator names a member "signals", which Qt's headers would turn
// into a keyword: it comes first.
#include "Simulator.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <csignal>
#include <cstring>
#include <functional>
#include <memory>

#include "AppTestSupport.h"
#include "CDlgTabCtrl.h"
#include "CKorvanSensorSetupApp.h"
#include "CKorvanSensorSetupDlg.h"
#include "Engine.h"
#include "HartDialog.h"
#include "HartListCtrl.h"
#include "HartLoopTestDlg.h"
#include "SensorListCtrl.h"
#include "StringTable.h"

namespace {

constexpr int kLongWaitMs = 90000;

// A detector that tells the HART address 0, with a HART device whose texts
// the test knows and whose reading holds still.
const char* const kDetectorWithHart = R"(
[detector]
kind = Elchem
hart_address = 0
[hart]
pv = 250
pv_unit = 170
pv_noise = 0
range_upper = 500
sensor_upper = 500
tag = GD-0001
message = CALIBRATED
long_tag = Gas detector, boiler room 2
)";

std::vector<float> FixedCurrentRequests(const HartDevice& device)
{
    std::vector<float> out;
    for (const HartRecordedFrame& f : device.ReceivedFrames()) {
        if (f.command != 40 || f.data.size() != 4)
            continue;
        const std::uint32_t bits = std::uint32_t(f.data[0]) << 24 | std::uint32_t(f.data[1]) << 16 |
                                   std::uint32_t(f.data[2]) << 8 | f.data[3];
        float value = 0.0f;
        std::memcpy(&value, &bits, sizeof value);
        out.push_back(value);
    }
    return out;
}

class HartPageTest : public MainWindowFixture {
protected:
    static constexpr int kDevicePort = 1;
    static constexpr int kHartPort = 2;

    HartPageTest()
    {
        windowSize_ = QSize(1100, 690);
        modeWaitMs_ = kLongWaitMs;
    }

    void TearDown() override
    {
        App()->RemoveQuitHandlers();
        CloseWindow();
        if (sim_)
            sim_->Stop();
    }

    static CKorvanSensorSetupApp* App() { return static_cast<CKorvanSensorSetupApp*>(qApp); }

    void StartSim(const char* scenario)
    {
        Simulator::Options o;
        o.portsFolder = folder_.Home().PortsFolder();
        o.devicePort = kDevicePort;
        o.hartPort = kHartPort;
        o.scenarioText = scenario;
        sim_ = std::make_unique<Simulator>(o);
        sim_->Start();
    }

    // Start-up with working ports: the sensor page connects, the HART
    // address comes with the sensor; then the HART page is shown.
    void OpenOnHartPage()
    {
        StorePorts(kDevicePort, kHartPort);
        Open();
        ASSERT_TRUE(PumpUntilMode(Engine::kModeConnected));
        ASSERT_TRUE(engine().HartAddressKnownToEngine());
        ShowPage(CDlgTabCtrl::kHartPage);
        ASSERT_EQ(engine().mode, Engine::kModeIdle);
    }

    HartDialog* Page() const { return static_cast<HartDialog*>(window_->TabCtrl()->Page(CDlgTabCtrl::kHartPage)); }

    void ShowPage(int index)
    {
        window_->TabCtrl()->setCurrentIndex(index);
        PumpQueued();
    }

    static void Save(QWidget& widget, const QString& name)
    {
        const QString dir = QStringLiteral(KORVAN_TEST_ARTIFACT_DIR);
        ASSERT_TRUE(QDir().mkpath(dir));
        const QImage image = widget.grab().toImage();
        ASSERT_FALSE(image.isNull());
        EXPECT_TRUE(image.save(dir + "/" + name));
    }

    // In the open test: types a current and presses "Установить"; a value
    // that is sent is waited for to its end.
    void SetCurrent(HartLoopTestDlg& d, const char* typed)
    {
        d.CurrentEdit()->setText(QString::fromLatin1(typed));
        QTest::mouseClick(d.SetButton(), Qt::LeftButton);
        PumpQueued();
        if (engine().mode == Engine::kModeHartLoopCurrent) {
            ASSERT_TRUE(PumpUntil([&] { return engine().mode != Engine::kModeHartLoopCurrent; }, kLongWaitMs));
        }
        PumpQueued();
    }

    // Runs the loop-current test: `during` plays the engineer while the
    // dialog is open and takes it away by some path.
    void RunLoopTest(const std::function<void(HartLoopTestDlg&)>& during)
    {
        bool ran = false;
        hooks_.onDialog = [&](QDialog& d) {
            auto* test = qobject_cast<HartLoopTestDlg*>(&d);
            EXPECT_NE(test, nullptr);
            if (test == nullptr)
                return int(QDialog::Rejected);
            ran = true;
            d.show();
            PumpQueued();
            during(*test);
            EXPECT_TRUE(PumpUntil([&] { return !d.isVisible(); }, kLongWaitMs));
            return d.result();
        };
        Page()->OnLoopTest();
        hooks_.onDialog = nullptr;
        EXPECT_TRUE(ran);
        // What the page or the engine still has to do for the release.
        EXPECT_TRUE(PumpUntil([&] { return engine().mode != Engine::kModeHartLoopCurrent; }, kLongWaitMs));
        PumpQueued();
    }

    std::unique_ptr<Simulator> sim_;
};

TEST_F(HartPageTest, F2ReadsTheHartDeviceIntoTheList)
{
    StartSim(kDetectorWithHart);
    ASSERT_NO_FATAL_FAILURE(OpenOnHartPage());
    HartListCtrl* list = Page()->List();
    EXPECT_TRUE(Page()->ReadButton()->isEnabled());
    EXPECT_TRUE(Page()->PollingToggle()->isEnabled());
    EXPECT_TRUE(Page()->LoopTestButton()->isEnabled());

    recorder_->messages.clear();
    PressKey(Qt::Key_F2);
    EXPECT_EQ(engine().mode, Engine::kModeHartConnect);
    EXPECT_FALSE(Page()->ReadButton()->isEnabled());
    EXPECT_FALSE(Page()->LoopTestButton()->isEnabled());
    ASSERT_TRUE(PumpUntilMode(Engine::kModeIdle));
    PumpQueued();
    ASSERT_EQ(list->RowCount(), HartListCtrl::kRowCount);
    QStringList values;
    for (int row = 0; row < list->RowCount(); ++row)
        values << list->CellText(row, ParameterListCtrl::kValueColumn);
    EXPECT_EQ(values, (QStringList{"0", "включено", "GD-0001 ", "Gas detector, boiler room 2",
                                  "CALIBRATED" + QString(22, ' '), "#2A510012AB", "GAS DETECTOR    ", "15.03.2024",
                                  "01010001", "500 г/м3", "250 г/м3", "12.0 мА"}));
    EXPECT_EQ(list->StatusText(), "Производится чтение...");
    EXPECT_TRUE(Page()->ReadButton()->isEnabled());
    EXPECT_TRUE(Page()->LoopTestButton()->isEnabled());
    list->clearSelection();
    Save(*window_, "hart-page.png");
}

TEST_F(HartPageTest, WithoutAKnownHartAddressPollingAndTheTestAreGrey)
{
    StartSim(kDetectorWithHart);
    StorePorts(kDevicePort, kHartPort);
    Open();
    ASSERT_TRUE(PumpUntilMode(Engine::kModeConnected));
    engine().SetHartAddress(255);
    ShowPage(CDlgTabCtrl::kHartPage);
    EXPECT_TRUE(Page()->ReadButton()->isEnabled());
    EXPECT_FALSE(Page()->PollingToggle()->isEnabled());
    EXPECT_FALSE(Page()->LoopTestButton()->isEnabled());
    QTest::mouseClick(Page()->PollingToggle(), Qt::LeftButton);
    Page()->OnLoopTest();
    PumpQueued();
    EXPECT_EQ(engine().mode, Engine::kModeIdle);
    EXPECT_TRUE(hooks_.dialogs.empty());
    EXPECT_FALSE(Page()->PollingToggle()->isChecked());
}

TEST_F(HartPageTest, ThePollingToggleFollowsMode7)
{
    StartSim(kDetectorWithHart);
    ASSERT_NO_FATAL_FAILURE(OpenOnHartPage());
    HartDialog* page = Page();
    QTest::mouseClick(page->PollingToggle(), Qt::LeftButton);
    EXPECT_EQ(engine().mode, Engine::kModeHartPolling);
    EXPECT_TRUE(page->PollingToggle()->isChecked());
    // Polling fills the list.
    ASSERT_TRUE(PumpUntil([&] { return page->List()->RowCount() == HartListCtrl::kRowCount; }, kLongWaitMs));
    ASSERT_EQ(engine().SetHartPolling(false), 1);
    ASSERT_TRUE(PumpUntil([&] { return !page->PollingToggle()->isChecked(); }, 5000));
    ASSERT_EQ(engine().SetHartPolling(true), 1);
    ASSERT_TRUE(PumpUntil([&] { return page->PollingToggle()->isChecked(); }, 5000));
    QTest::mouseClick(page->PollingToggle(), Qt::LeftButton);
    EXPECT_EQ(engine().mode, Engine::kModeIdle);
    EXPECT_FALSE(page->PollingToggle()->isChecked());
    QTest::mouseClick(page->PollingToggle(), Qt::LeftButton);
    ASSERT_EQ(engine().mode, Engine::kModeHartPolling);
    // Leaving the page ends it.
    ShowPage(CDlgTabCtrl::kDevicePage);
    EXPECT_EQ(engine().mode, Engine::kModeIdle);
    EXPECT_EQ(engine().HartState(), SensorHartInterface::kClosed);
    ShowPage(CDlgTabCtrl::kHartPage);
    EXPECT_FALSE(page->PollingToggle()->isChecked());
}

TEST_F(HartPageTest, OutOfRangeCurrentsAreRefusedAndTheRangesEndsAreSent)
{
    StartSim(kDetectorWithHart);
    ASSERT_NO_FATAL_FAILURE(OpenOnHartPage());
    sim_->Hart().ClearReceivedFrames();
    RunLoopTest([&](HartLoopTestDlg& d) {
        EXPECT_EQ(d.windowTitle(), "Тест токовой петли HART");
        EXPECT_EQ(d.CurrentEdit()->text(), "20");
        EXPECT_TRUE(d.SetButton()->isEnabled());
        EXPECT_FALSE(d.FixedLabel()->isVisible());
        for (const char* refused : {"3.9", "20.1", "abc"}) {
            SCOPED_TRACE(refused);
            hooks_.boxes.clear();
            SetCurrent(d, refused);
            ASSERT_EQ(hooks_.boxes.size(), 1u);
            EXPECT_EQ(hooks_.boxes[0].text, "Введена недопустимая величина выходного тока");
            EXPECT_EQ(hooks_.boxes[0].caption, StringTable::Get(StringTable::kMainTitle));
            EXPECT_EQ(hooks_.boxes[0].icon, MessageBoxes::Icon::Stop);
            EXPECT_EQ(engine().mode, Engine::kModeIdle);
            EXPECT_TRUE(d.isVisible());
        }
        EXPECT_TRUE(FixedCurrentRequests(sim_->Hart()).empty());
        hooks_.boxes.clear();
        for (const char* sent : {"4", "20", "12,5"}) {
            SCOPED_TRACE(sent);
            SetCurrent(d, sent);
            EXPECT_TRUE(hooks_.boxes.empty());
            EXPECT_FLOAT_EQ(sim_->Hart().FixedCurrent(), QString::fromLatin1(sent).replace(',', '.').toFloat());
        }
        EXPECT_EQ(FixedCurrentRequests(sim_->Hart()), (std::vector<float>{4.0f, 20.0f, 12.5f}));
        EXPECT_TRUE(d.FixedLabel()->isVisible());
        EXPECT_EQ(d.FixedLabel()->text(), "Выходной ток зафиксирован: 12.50 mA");
        EXPECT_TRUE(d.EndButton()->isEnabled());
        Save(d, "hart-loop-test-fixed.png");
        QTest::mouseClick(d.EndButton(), Qt::LeftButton);
    });
    EXPECT_FALSE(sim_->Hart().FixedCurrentMode());
    EXPECT_EQ(FixedCurrentRequests(sim_->Hart()), (std::vector<float>{4.0f, 20.0f, 12.5f, 0.0f}));
    EXPECT_TRUE(hooks_.boxes.empty());
}

TEST_F(HartPageTest, EveryWayOutOfTheLoopTestReleasesTheDevice)
{
    const struct {
        const char* name;
        std::function<void(HartLoopTestDlg&)> leave;
    } ways[] = {
        {"Завершить", [](HartLoopTestDlg& d) { QTest::mouseClick(d.EndButton(), Qt::LeftButton); }},
        {"Esc", [](HartLoopTestDlg& d) { QTest::keyClick(&d, Qt::Key_Escape); }},
        {"close box", [](HartLoopTestDlg& d) { d.close(); }},
        {"leaving the tab", [this](HartLoopTestDlg&) { ShowPage(CDlgTabCtrl::kSensorPage); }},
        {"closing the main window", [](HartLoopTestDlg&) { App()->RequestQuit(true); }},
#ifndef _WIN32
        // A Windows program gets the session's end from the application
        // object, not as a signal (there SIGTERM would end the process).
        {"SIGTERM", [](HartLoopTestDlg&) {
             App()->InstallQuitHandlers();
             std::raise(SIGTERM);
         }},
#endif
        {"a HART failure", [this](HartLoopTestDlg& d) {
             HartFaults f;
             f.command = 0;
             f.silent = true;
             f.count = 1;
             sim_->Hart().SetFaults(f);
             d.CurrentEdit()->setText("15");
             QTest::mouseClick(d.SetButton(), Qt::LeftButton);
         }},
    };
    StartSim(kDetectorWithHart);
    for (const auto& way : ways) {
        SCOPED_TRACE(way.name);
        ASSERT_NO_FATAL_FAILURE(OpenOnHartPage());
        hooks_.boxes.clear();
        RunLoopTest([&](HartLoopTestDlg& d) {
            SetCurrent(d, "12");
            ASSERT_FLOAT_EQ(sim_->Hart().FixedCurrent(), 12.0f);
            sim_->Hart().ClearReceivedFrames();
            way.leave(d);
        });
        EXPECT_FALSE(sim_->Hart().FixedCurrentMode());
        // One release, and nothing fixed after it.
        const std::vector<float> sent = FixedCurrentRequests(sim_->Hart());
        EXPECT_EQ(std::count(sent.begin(), sent.end(), 0.0f), 1);
        ASSERT_FALSE(sent.empty());
        EXPECT_EQ(sent.back(), 0.0f);
        EXPECT_TRUE(hooks_.boxes.empty());
        App()->RemoveQuitHandlers();
        CloseWindow();
        sim_->Hart().ClearFaults();
        sim_->Hart().ClearReceivedFrames();
    }
}

TEST_F(HartPageTest, AReleaseTheDeviceRefusesIsToldAndRetriedWhenTheWindowCloses)
{
    StartSim(kDetectorWithHart);
    ASSERT_NO_FATAL_FAILURE(OpenOnHartPage());
    RunLoopTest([&](HartLoopTestDlg& d) {
        SetCurrent(d, "12");
        HartFaults refuse;
        refuse.command = 40;
        refuse.responseCode = 16; // access restricted
        sim_->Hart().SetFaults(refuse);
        QTest::keyClick(&d, Qt::Key_Escape);
    });
    EXPECT_TRUE(sim_->Hart().FixedCurrentMode());
    ASSERT_EQ(hooks_.boxes.size(), 1u);
    EXPECT_EQ(hooks_.boxes[0].caption, "Внимание!");
    EXPECT_TRUE(hooks_.boxes[0].text.contains("12.00 mA"));
    EXPECT_TRUE(hooks_.boxes[0].text.contains("Завершить"));
    EXPECT_TRUE(hooks_.boxes[0].text.contains("питание"));

    // Re-opened, the test shows the current still fixed.
    RunLoopTest([&](HartLoopTestDlg& d) {
        EXPECT_TRUE(d.FixedLabel()->isVisible());
        EXPECT_EQ(d.FixedLabel()->text(), "Выходной ток зафиксирован: 12.00 mA");
        d.CloseWithoutRelease();
    });
    // The device takes commands again; closing the window releases it.
    // The window asks before it closes over the fixed current; with "Да"
    // it releases it, and no warning follows.
    sim_->Hart().ClearFaults();
    hooks_.boxes.clear();
    hooks_.onBox = [](const MessageBoxes::Request& r) {
        return r.buttons == MessageBoxes::Buttons::YesNo ? int(MessageBoxes::kYes) : int(MessageBoxes::kOk);
    };
    window_->reject();
    EXPECT_FALSE(window_->isVisible());
    EXPECT_FALSE(sim_->Hart().FixedCurrentMode());
    ASSERT_EQ(hooks_.boxes.size(), 1u);
    EXPECT_EQ(hooks_.boxes[0].buttons, MessageBoxes::Buttons::YesNo);
    EXPECT_TRUE(hooks_.boxes[0].text.contains("12.00 mA"));
}

} // namespace
