// The main window against the simulated detector on pseudo-terminals: the
// start-up steps, the port warnings, the forwarded keys and the shut-down.
// The simulator names a member "signals", which Qt's headers would turn
// into a keyword: it comes first.
#include "Simulator.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTabBar>
#include <QTest>

#include <memory>

#include "AppContext.h"
#include "AppTestSupport.h"
#include "CDlgTabCtrl.h"
#include "CKorvanSensorSetupApp.h"
#include "CKorvanSensorSetupDlg.h"
#include "ConnectionDlg.h"
#include "Engine.h"
#include "ModbusComConnector.h"
#include "NotificationIds.h"
#include "PasswordDialog.h"
#include "Settings.h"
#include "StringTable.h"
#include "TabPage.h"

namespace {

using Pairs = std::vector<std::pair<int, int>>;

class MainWindowTest : public MainWindowFixture {
protected:
    static constexpr int kDevicePort = 1;
    static constexpr int kHartPort = 2;
    static constexpr int kMultigasPort = 3;

    void TearDown() override
    {
        CloseWindow();
        if (sim_)
            sim_->Stop();
    }

    void StartSim()
    {
        Simulator::Options o;
        o.portsFolder = folder_.Home().PortsFolder();
        o.devicePort = kDevicePort;
        o.hartPort = kHartPort;
        o.multigasPort = kMultigasPort;
        sim_ = std::make_unique<Simulator>(o);
        sim_->Start();
    }

    static CKorvanSensorSetupApp* Application() { return static_cast<CKorvanSensorSetupApp*>(qApp); }

    std::size_t CountBoxes(int textId) const
    {
        std::size_t n = 0;
        for (const auto& b : hooks_.boxes)
            n += b.text == StringTable::Get(textId) ? 1 : 0;
        return n;
    }

    std::unique_ptr<Simulator> sim_;
};

TEST_F(MainWindowTest, WithoutPortsTheConnectionDialogComesBeforeTheWindow)
{
    bool windowShown = true;
    hooks_.onDialog = [&](QDialog&) {
        windowShown = window_ != nullptr && window_->isVisible();
        return static_cast<int>(QDialog::Rejected);
    };
    Open();
    EXPECT_EQ(hooks_.dialogs, (std::vector<QString>{"ConnectionDlg"}));
    EXPECT_FALSE(windowShown);
    EXPECT_EQ(engine().mode, Engine::kModeIdle);
    // The sensor page's first connection attempt fails for want of a port
    // and uses up the device-line warning.
    ASSERT_TRUE(PumpUntil([&] { return recorder_->ModeChanges().size() >= 2; }, 5000));
    EXPECT_EQ(recorder_->ModeChanges(), (Pairs{{0, 1}, {2, 1}}));
    EXPECT_FALSE(window_->ModbusWarningArmed());
    EXPECT_TRUE(window_->HartWarningArmed());
}

TEST_F(MainWindowTest, WithBothPortsSetNoDialogAndTheEngineGetsTheSettings)
{
    StorePorts(4, 5, 6);
    Open();
    EXPECT_TRUE(hooks_.dialogs.empty());
    EXPECT_EQ(engine().modbusPort, 4);
    EXPECT_EQ(engine().hartPort, 5);
    EXPECT_EQ(engine().mgPort, 6);
    EXPECT_EQ(engine().mgCount, 10);
    EXPECT_EQ(engine().mode, Engine::kModeIdle);
}

TEST_F(MainWindowTest, TitleCaptionsTabsAndVersionLine)
{
    StorePorts(4, 5);
    Open();
    EXPECT_EQ(window_->windowTitle(), "KorvanSensorCalibr");
    EXPECT_EQ(window_->TimerButton()->text(), "Таймер");
    EXPECT_EQ(window_->PasswordButton()->text(), "Пароль");
    EXPECT_EQ(window_->ConnectionButton()->text(), "Настройка соединения");
    EXPECT_EQ(window_->CloseButton()->text(), "Закрыть");
    const struct {
        const char* caption;
        const char* pageClass;
    } tabs[] = {{"Параметры сенсора", "SensorDialog"}, {"Терминал", "TerminalDialog"},
                {"Калибровка", "CalibrationDialog"},  {"Параметры прибора", "ModbusDialog"},
                {"Параметры HART", "HartDialog"},     {"Журнал событий", "JournalDialog"},
                {"Журнал порогов", "ThJournalDialog"}};
    CDlgTabCtrl* tab = window_->TabCtrl();
    ASSERT_EQ(tab->count(), 7);
    for (int i = 0; i < 7; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(tab->tabText(i), QString::fromUtf8(tabs[i].caption));
        ASSERT_NE(tab->Page(i), nullptr);
        EXPECT_STREQ(tab->Page(i)->metaObject()->className(), tabs[i].pageClass);
        // Only the shown page is enabled.
        EXPECT_EQ(tab->Page(i)->isEnabled(), i == 0);
    }
    EXPECT_EQ(CKorvanSensorSetupDlg::VersionText(0, 1, 0, 55), "версия 1.55");
    EXPECT_EQ(CKorvanSensorSetupDlg::VersionText(2, 3, 0, 7), "версия 131075.07");
    EXPECT_TRUE(window_->VersionLine()->text().startsWith("версия "));
}

TEST_F(MainWindowTest, MissingDevicePortWarnsOncePerAttemptUntilTheDialogClosed)
{
    Open(); // no ports: the dialog is cancelled
    PumpQueued();
    EXPECT_EQ(engine().Connect(), 0);
    ASSERT_TRUE(PumpUntil([&] { return !hooks_.boxes.empty(); }, 5000));
    PumpQueued();
    ASSERT_EQ(hooks_.boxes.size(), 1u);
    EXPECT_EQ(hooks_.boxes[0].text, StringTable::Get(210));
    EXPECT_EQ(hooks_.boxes[0].caption, "Внимание!");
    EXPECT_EQ(hooks_.boxes[0].icon, MessageBoxes::Icon::Exclamation);
    EXPECT_EQ(hooks_.boxes[0].parent, window_.get());

    // A second failed attempt says nothing ...
    EXPECT_EQ(engine().Connect(), 0);
    PumpQueued();
    EXPECT_EQ(hooks_.boxes.size(), 1u);

    // ... until the connection dialog has been closed, whatever its result.
    window_->OnConnectionSettings();
    EXPECT_EQ(hooks_.dialogs.size(), 2u);
    EXPECT_EQ(engine().Connect(), 0);
    ASSERT_TRUE(PumpUntil([&] { return hooks_.boxes.size() == 2; }, 5000));
    EXPECT_EQ(CountBoxes(210), 2u);
}

TEST_F(MainWindowTest, BusyDevicePortWarnsOnce)
{
    StartSim();
    StorePorts(kDevicePort, kHartPort);
    Open();
    ModbusComConnector other;
    ASSERT_TRUE(other.Open(kDevicePort));
    EXPECT_EQ(engine().Connect(), 0);
    ASSERT_TRUE(PumpUntil([&] { return !hooks_.boxes.empty(); }, 5000));
    EXPECT_EQ(engine().Connect(), 0);
    PumpQueued();
    ASSERT_EQ(hooks_.boxes.size(), 1u);
    EXPECT_EQ(hooks_.boxes[0].text, StringTable::Get(211));
}

TEST_F(MainWindowTest, MissingHartPortWarnsOnceTheLineIsUp)
{
    StartSim();
    StorePorts(kDevicePort, 0);
    Open();
    ASSERT_EQ(hooks_.dialogs.size(), 1u); // asked for the missing port, cancelled
    ASSERT_EQ(engine().Connect(), 1);
    ASSERT_TRUE(PumpUntilMode(Engine::kModeConnected, 60000));
    ASSERT_TRUE(PumpUntil([&] { return !hooks_.boxes.empty(); }, 5000));
    PumpQueued();
    ASSERT_EQ(hooks_.boxes.size(), 1u);
    EXPECT_EQ(hooks_.boxes[0].text, StringTable::Get(212));
    EXPECT_EQ(recorder_->ModeChanges(), (Pairs{{0, 1}, {1, 2}, {2, 3}}));

    // Connecting again while monitoring: the line comes up again, silently.
    ASSERT_EQ(engine().Connect(), 1);
    ASSERT_TRUE(PumpUntil([&] { return recorder_->ModeChanges().size() == 5; }, 60000));
    PumpQueued();
    EXPECT_EQ(hooks_.boxes.size(), 1u);
}

TEST_F(MainWindowTest, F2ReachesTheShownPageAndF1DoesNothing)
{
    StartSim();
    StorePorts(kDevicePort, kHartPort);
    Open();
    // The sensor page connects by itself first.
    ASSERT_TRUE(PumpUntilMode(Engine::kModeConnected, 60000));
    PumpQueued();
    recorder_->messages.clear();

    PressKey(Qt::Key_F1);
    EXPECT_EQ(engine().mode, Engine::kModeConnected);
    EXPECT_TRUE(recorder_->ModeChanges().empty());

    // The sensor page: "Прочитать (F2)".
    PressKey(Qt::Key_F2);
    EXPECT_EQ(engine().mode, Engine::kModeReadSensor);
    ASSERT_TRUE(PumpUntilMode(Engine::kModeIdle, 60000));
    EXPECT_EQ(recorder_->ModeChanges(), (Pairs{{1, 15}, {15, 1}}));

    // The terminal page takes no key.
    window_->TabCtrl()->setCurrentIndex(CDlgTabCtrl::kTerminalPage);
    EXPECT_TRUE(window_->TabCtrl()->Page(CDlgTabCtrl::kTerminalPage)->isEnabled());
    EXPECT_FALSE(window_->TabCtrl()->Page(CDlgTabCtrl::kSensorPage)->isEnabled());
    recorder_->messages.clear();
    PressKey(Qt::Key_F2);
    PressKey(Qt::Key_F1);
    EXPECT_EQ(engine().mode, Engine::kModeIdle);
    EXPECT_TRUE(recorder_->ModeChanges().empty());

    // The event journal page reads by itself when it is first shown, and
    // again on F2.
    window_->TabCtrl()->setCurrentIndex(CDlgTabCtrl::kEventJournalPage);
    EXPECT_EQ(engine().mode, Engine::kModeEventJournal);
    ASSERT_TRUE(PumpUntilMode(Engine::kModeIdle, 120000));
    PressKey(Qt::Key_F1);
    EXPECT_EQ(engine().mode, Engine::kModeIdle);
    PressKey(Qt::Key_F2);
    EXPECT_EQ(engine().mode, Engine::kModeEventJournal);
    ASSERT_TRUE(PumpUntilMode(Engine::kModeIdle, 120000));
}

TEST_F(MainWindowTest, AKeyTypedInTheWindowIsForwardedOnce)
{
    StorePorts(4, 5);
    Open();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get(), 5000));
    PumpQueued();
    // The forwarded keys go to a recorder in place of the main window.
    MessageRecorder forwarded;
    Application()->SetMainWindow(&forwarded);
    const struct {
        Qt::Key key;
        std::uintptr_t forwardedAs; // 0: not forwarded
    } cases[] = {{Qt::Key_F2, 0x71}, {Qt::Key_F1, 0x70}, {Qt::Key_F3, 0}, {Qt::Key_A, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        forwarded.messages.clear();
        // Typed at the native window, as the windowing system delivers it.
        QTest::keyClick(window_->windowHandle(), c.key);
        PumpQueued();
        if (c.forwardedAs == 0) {
            EXPECT_TRUE(forwarded.messages.empty());
        } else {
            ASSERT_EQ(forwarded.messages.size(), 1u);
            EXPECT_EQ(forwarded.messages[0], (MessageRecorder::Message{1124, c.forwardedAs, 0}));
        }
    }
    Application()->SetMainWindow(window_.get());
}

TEST_F(MainWindowTest, EnterDoesNothingAndLeavingAPageEndsItsActivity)
{
    StartSim();
    StorePorts(kDevicePort, kHartPort);
    Open();
    ASSERT_TRUE(PumpUntilMode(Engine::kModeConnected, 60000));
    window_->accept();
    EXPECT_TRUE(window_->isVisible());
    ASSERT_EQ(engine().SetSensorPolling(true), 1);
    window_->TabCtrl()->setCurrentIndex(CDlgTabCtrl::kDevicePage);
    EXPECT_EQ(engine().mode, Engine::kModeIdle);
    EXPECT_EQ(engine().LineState(), SensorModbusInterface::kClosed);
}

TEST_F(MainWindowTest, ConnectionDialogOkRestartsTheEngineOnlyOnAChange)
{
    StorePorts(4, 5);
    Open();
    PumpQueued();
    recorder_->messages.clear();

    // OK without a change closes as Cancel: no restart.
    hooks_.onDialog = [](QDialog& d) {
        d.accept();
        return d.result();
    };
    window_->OnConnectionSettings();
    PumpQueued();
    EXPECT_TRUE(recorder_->ModeChanges().empty());

    hooks_.onDialog = [](QDialog& d) {
        static_cast<ConnectionDlg&>(d).ModbusPortEdit()->setText("9");
        d.accept();
        return d.result();
    };
    window_->OnConnectionSettings();
    PumpQueued();
    // The restart is followed by the shown sensor page's connection
    // attempt, which fails on the missing port.
    EXPECT_EQ(recorder_->ModeChanges(), (Pairs{{1, 0}, {0, 1}, {2, 1}}));
    EXPECT_EQ(engine().modbusPort, 9);
    EXPECT_EQ(engine().mode, Engine::kModeIdle);
    EXPECT_EQ(QSettings(QStringLiteral("Korvan"), QStringLiteral("KorvanSensorSetup")).value("Connection/ModbusPort").toInt(), 9);
}

TEST_F(MainWindowTest, PasswordButtonOpensThePasswordDialog)
{
    StorePorts(4, 5);
    Open();
    hooks_.onDialog = [](QDialog& d) {
        static_cast<PasswordDialog&>(d).PasswordEdit()->setText("123");
        d.accept();
        return d.result();
    };
    window_->PasswordButton()->click();
    EXPECT_EQ(hooks_.dialogs, (std::vector<QString>{"PasswordDialog"}));
    EXPECT_EQ(app_->calibrationPassword, "123");
}

TEST_F(MainWindowTest, ClosingWhileAnActivityRunsStopsBothWorkers)
{
    StartSim();
    StorePorts(kDevicePort, kHartPort);
    Open();
    // The sensor page connects by itself.
    ASSERT_TRUE(PumpUntilMode(Engine::kModeConnected, 60000));
    // Monitoring on both lines.
    EXPECT_EQ(engine().LineState(), SensorModbusInterface::kTaskMonitoring);
    EXPECT_EQ(engine().HartState(), SensorHartInterface::kMonitoring);

    window_->CloseButton()->click();
    EXPECT_FALSE(window_->isVisible());
    EXPECT_EQ(engine().mode, Engine::kModeClosed);
    EXPECT_EQ(engine().LineState(), SensorModbusInterface::kClosed);
    EXPECT_EQ(engine().HartState(), SensorHartInterface::kClosed);
    EXPECT_FALSE(engine().IsRunning());
    // Both ports are free again.
    ModbusComConnector line;
    EXPECT_TRUE(line.Open(kDevicePort));
    PumpQueued();
    const Pairs changes = recorder_->ModeChanges();
    ASSERT_FALSE(changes.empty());
    EXPECT_EQ(changes.back(), (std::pair<int, int>{3, 0}));
    // Nothing is left registered for the closed window.
    for (std::uint32_t id : {4024u, 4025u, 4124u, 4125u}) {
        for (WindowHandle h : engine().Registered(id))
            EXPECT_NE(h, window_->Handle());
    }
}

TEST_F(MainWindowTest, EscOnTheWindowItselfClosesIt)
{
    StorePorts(4, 5);
    Open();
    PumpQueued();
    window_->TabCtrl()->tabBar()->setFocus();
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(window_->TabCtrl()->tabBar(), &esc);
    PumpQueued();
    EXPECT_FALSE(window_->isVisible());
    EXPECT_EQ(engine().mode, Engine::kModeClosed);
}

TEST_F(MainWindowTest, EscInsideAPageDoesNotCloseTheWindow)
{
    StorePorts(4, 5);
    Open();
    PumpQueued();
    TabPage* page = window_->TabCtrl()->Page(CDlgTabCtrl::kSensorPage);
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(page, &esc);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(page, &enter);
    PumpQueued();
    EXPECT_TRUE(window_->isVisible());
    EXPECT_EQ(engine().mode, Engine::kModeIdle);
}

TEST_F(MainWindowTest, PictureOfTheWindow)
{
    StorePorts(1, 2);
    Open();
    PumpQueued();
    const QString dir = QStringLiteral(KORVAN_TEST_ARTIFACT_DIR);
    ASSERT_TRUE(QDir().mkpath(dir));
    const QImage image = window_->grab().toImage();
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), window_->size());
    EXPECT_TRUE(image.save(dir + "/main-window.png"));

    ConnectionDlg dlg(window_.get());
    dlg.adjustSize();
    EXPECT_TRUE(dlg.grab().toImage().save(dir + "/connection-dialog.png"));
}

} // namespace
