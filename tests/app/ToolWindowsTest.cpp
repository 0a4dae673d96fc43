// The main window's two tool windows against the simulated detector: the
// stopwatch behind "Таймер", and the sensor-error window that opens by
// itself when the sensor answers a reading with its error answer.
// The simulator names a member "signals", which Qt's headers would turn
// into a keyword: it comes first.
#include "Simulator.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QListWidget>
#include <QPushButton>

#include <memory>

#include "AppTestSupport.h"
#include "CDlgTabCtrl.h"
#include "CKorvanSensorSetupDlg.h"
#include "DevErrorMessageDlg.h"
#include "Engine.h"
#include "StringTable.h"
#include "TimerDlg.h"

namespace {

class ToolWindowsTest : public MainWindowFixture {
protected:
    static constexpr int kDevicePort = 1;
    static constexpr int kHartPort = 2;

    void TearDown() override
    {
        CloseWindow();
        if (sim_)
            sim_->Stop();
    }

    void OpenConnected(const char* scenario)
    {
        Simulator::Options o;
        o.portsFolder = folder_.Home().PortsFolder();
        o.devicePort = kDevicePort;
        o.hartPort = kHartPort;
        o.scenarioText = scenario;
        sim_ = std::make_unique<Simulator>(o);
        sim_->Start();
        StorePorts(kDevicePort, kHartPort);
        Open();
        // At the top of the screen: the error window cannot go above it.
        window_->move(0, 0);
        ASSERT_TRUE(PumpUntilMode(Engine::kModeConnected));
        PumpQueued();
    }

    // "Прочитать (F2)" on the sensor page, to its end.
    void ReadSensor()
    {
        recorder_->messages.clear();
        PressKey(Qt::Key_F2);
        ASSERT_EQ(engine().mode, Engine::kModeReadSensor);
        ASSERT_TRUE(PumpUntil([&] { return engine().mode == Engine::kModeIdle; }, 90000));
        PumpQueued();
    }

    static void DeleteClosed() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    std::unique_ptr<Simulator> sim_;
};

TEST_F(ToolWindowsTest, TimerButtonOpensOneStopwatchAtTheWindowsCorner)
{
    OpenConnected("");
    QPushButton* button = window_->TimerButton();
    ASSERT_TRUE(button->isEnabled());
    button->click();
    QPointer<TimerDlg> first = window_->Stopwatch();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(first->frameGeometry().topLeft(), window_->frameGeometry().topLeft());
    EXPECT_EQ(first->Text(), "00:00");
    first->StartButton()->click();
    EXPECT_TRUE(first->IsRunning());

    // A second press while it is open changes nothing.
    button->click();
    EXPECT_EQ(window_->Stopwatch(), first.data());
    EXPECT_TRUE(first->IsRunning());

    // Esc destroys it; the next press opens a fresh, stopped one.
    first->reject();
    DeleteClosed();
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(window_->Stopwatch(), nullptr);
    button->click();
    ASSERT_NE(window_->Stopwatch(), nullptr);
    EXPECT_FALSE(window_->Stopwatch()->IsRunning());
    EXPECT_EQ(window_->Stopwatch()->Text(), "00:00");
}

TEST_F(ToolWindowsTest, AnErrorAnswerOpensTheErrorWindowAboveTheMainWindow)
{
    OpenConnected("[detector]\nkind = Elchem\nerror.DT = 101\n");
    ReadSensor();
    ASSERT_TRUE(PumpUntil([&] { return window_->SensorErrors() != nullptr; }));
    DevErrorMessageDlg* errors = window_->SensorErrors();
    EXPECT_TRUE(errors->isVisible());
    EXPECT_EQ(errors->frameGeometry().top(), 0);
    EXPECT_EQ(errors->frameGeometry().left(), window_->frameGeometry().left());
    ASSERT_EQ(errors->List()->count(), 2);
    EXPECT_EQ(errors->List()->item(0)->text(), StringTable::Get(315));
    EXPECT_EQ(errors->List()->item(1)->text(), StringTable::Get(317));

    const QString dir = QStringLiteral(KORVAN_TEST_ARTIFACT_DIR);
    ASSERT_TRUE(QDir().mkpath(dir));
    EXPECT_TRUE(errors->grab().save(dir + "/sensor-errors.png"));

    // Closed by the user, it opens again on the next record with an error.
    QPointer<DevErrorMessageDlg> closed = errors;
    errors->reject();
    DeleteClosed();
    EXPECT_TRUE(closed.isNull());
    ReadSensor();
    ASSERT_TRUE(PumpUntil([&] { return window_->SensorErrors() != nullptr; }));
    EXPECT_EQ(window_->SensorErrors()->List()->count(), 2);
}

TEST_F(ToolWindowsTest, AnErrorWordOfZeroOpensAnEmptyList)
{
    OpenConnected("[detector]\nkind = Elchem\nerror.DT = 0\n");
    ReadSensor();
    ASSERT_TRUE(PumpUntil([&] { return window_->SensorErrors() != nullptr; }));
    EXPECT_EQ(window_->SensorErrors()->List()->count(), 0);
}

TEST_F(ToolWindowsTest, NoErrorNoWindow)
{
    OpenConnected("[detector]\nkind = Elchem\n");
    ReadSensor();
    EXPECT_EQ(window_->SensorErrors(), nullptr);
}

} // namespace
