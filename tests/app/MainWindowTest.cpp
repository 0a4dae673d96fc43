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
#include <QScreen>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>
#include <optional>

#include "AppContext.h"
#include "AppTestSupport.h"
#include "CDlgTabCtrl.h"
#include "CKorvanSensorSetupApp.h"
#include "CKorvanSensorSetupDlg.h"
#include "ConnectionDlg.h"
#include "CalibrationPollSettings.h"
#include "Engine.h"
#include "AppIcon.h"
#include "HartComConnector.h"
#include "ModbusComConnector.h"
#include "NotificationIds.h"
#include "PasswordDialog.h"
#include "SensorDialog.h"
#include "SensorListCtrl.h"
#include "Settings.h"
#include "StringTable.h"
#include "TabPage.h"
#include "TimerDlg.h"
#include "WindowMessageEvent.h"

namespace {

using Pairs = std::vector<std::pair<int, int>>;

// Records the keys the application forwards to the main window, beside
// the window's own handling of them.
class ForwardedKeys : public QObject {
public:
    explicit ForwardedKeys(QObject& window) : window_(window) { window_.installEventFilter(this); }
    ~ForwardedKeys() override { window_.removeEventFilter(this); }
    std::vector<std::uintptr_t> keys;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == &window_ && event->type() == WindowMessageEvent::EventType()) {
            auto* m = static_cast<WindowMessageEvent*>(event);
            if (m->Message() == 1124)
                keys.push_back(m->WParam());
        }
        return false;
    }

private:
    QObject& window_;
};

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
    if (UnderWine())
        GTEST_SKIP() << kWineSharesPorts;
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
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get(), 5000));
    PumpQueued();
    ForwardedKeys forwarded(*window_);
    const struct {
        Qt::Key key;
        std::uintptr_t forwardedAs; // 0: not forwarded
    } cases[] = {{Qt::Key_F2, 0x71}, {Qt::Key_F1, 0x70}, {Qt::Key_Escape, 0x1B}, {Qt::Key_F3, 0}, {Qt::Key_A, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        forwarded.keys.clear();
        // Typed at the native window, as the windowing system delivers it.
        QTest::keyClick(window_->windowHandle(), c.key);
        PumpQueued();
        if (c.forwardedAs == 0)
            EXPECT_TRUE(forwarded.keys.empty());
        else
            EXPECT_EQ(forwarded.keys, (std::vector<std::uintptr_t>{c.forwardedAs}));
    }
    // Esc was the page's: the window stays.
    EXPECT_TRUE(window_->isVisible());
}

TEST_F(MainWindowTest, KeysTypedInAnotherWindowAreNotForwarded)
{
    StorePorts(4, 5);
    Open();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get(), 5000));
    PumpQueued();
    ForwardedKeys forwarded(*window_);

    // A dialog over the main window (the connection dialog, say) keeps its
    // F2 and Esc, and so does the stopwatch.
    QDialog dialog(window_.get());
    auto* edit = new QLineEdit(&dialog);
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog, 5000));
    edit->setFocus();
    for (Qt::Key key : {Qt::Key_F2, Qt::Key_F1, Qt::Key_Escape}) {
        QTest::keyClick(edit, key);
        PumpQueued();
    }
    EXPECT_TRUE(forwarded.keys.empty());
    dialog.hide();

    window_->TimerButton()->click();
    ASSERT_NE(window_->Stopwatch(), nullptr);
    window_->Stopwatch()->activateWindow();
    ASSERT_TRUE(PumpUntil([&] { return QApplication::activeWindow() == window_->Stopwatch(); }, 5000));
    QTest::keyClick(window_->Stopwatch(), Qt::Key_F2);
    PumpQueued();
    EXPECT_TRUE(forwarded.keys.empty());

    // Back in the main window the keys reach the page again.
    window_->activateWindow();
    ASSERT_TRUE(PumpUntil([&] { return QApplication::activeWindow() == window_.get(); }, 5000));
    QTest::keyClick(window_->windowHandle(), Qt::Key_F2);
    PumpQueued();
    EXPECT_EQ(forwarded.keys, (std::vector<std::uintptr_t>{0x71}));
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

TEST_F(MainWindowTest, EscNeverClosesTheWindowOnlyCloseAndTheCloseBoxDo)
{
    StorePorts(4, 5);
    Open();
    PumpQueued();
    // After a dialog was cancelled, twice Esc wherever the focus sits: on
    // the tab bar, on a bottom button, on the window itself.
    window_->OnConnectionSettings();
    for (QWidget* target : std::initializer_list<QWidget*>{window_->TabCtrl()->tabBar(), window_->ConnectionButton(),
                                                           window_->CloseButton(), window_.get()}) {
        target->setFocus();
        for (int i = 0; i < 2; ++i) {
            QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(target, &esc);
        }
        PumpQueued();
        EXPECT_TRUE(window_->isVisible()) << target->metaObject()->className();
    }
    EXPECT_EQ(engine().mode, Engine::kModeIdle);

    // The close box closes (nothing is running: no question).
    hooks_.boxes.clear();
    EXPECT_TRUE(window_->close());
    EXPECT_FALSE(window_->isVisible());
    EXPECT_EQ(engine().mode, Engine::kModeClosed);
    EXPECT_TRUE(hooks_.boxes.empty());
}

TEST_F(MainWindowTest, AfterACancelledDialogTheFocusIsOnThePageAgain)
{
    StorePorts(4, 5);
    Open();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get(), 5000));
    window_->ConnectionButton()->setFocus();
    window_->ConnectionButton()->click();
    TabPage* page = window_->TabCtrl()->Page(CDlgTabCtrl::kSensorPage);
    EXPECT_TRUE(page->hasFocus() || page->isAncestorOf(QApplication::focusWidget()));
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

TEST_F(MainWindowTest, ClosingOverRunningWorkAsksFirst)
{
    const char* const withHart = "[detector]\nkind = Elchem\nhart_address = 0\n";
    QTemporaryDir files;
    ASSERT_TRUE(files.isValid());
    const QString measurementFile = files.filePath("points.csv");
    const struct {
        const char* name;
        std::function<void()> start; // with the line up and monitoring
        const char* told;            // empty: closes without a question
    } cases[] = {
        {"monitoring only", [] {}, ""},
        {"event journal read",
         [&] {
             // A silent device keeps the read going until it is aborted.
             ASSERT_EQ(sim_->ArmFault("*", "silence"), "");
             ASSERT_EQ(engine().ReadEventJournal(), 1);
         },
         "идёт чтение журнала событий"},
        {"threshold journal read",
         [&] {
             ASSERT_EQ(sim_->ArmFault("*", "silence"), "");
             ASSERT_EQ(engine().ReadThresholdJournal(), 1);
         },
         "идёт чтение журнала порогов"},
        {"calibration poll without a file",
         [&] {
             CalibrationPollSettings poll;
             poll.readConcentration = 1;
             ASSERT_EQ(engine().SetCalibrationPolling(poll), 1);
         },
         ""},
        {"calibration poll into a file",
         [&] {
             CalibrationPollSettings poll;
             poll.readConcentration = 1;
             poll.toFile = 1;
             poll.filePath = measurementFile.toStdString();
             ASSERT_EQ(engine().SetCalibrationPolling(poll), 1);
         },
         "измерения записываются в файл"},
        {"fixed loop current",
         [&] {
             ASSERT_TRUE(engine().HartAddressKnownToEngine());
             ASSERT_EQ(engine().SetHartLoopCurrent(12.0f, 1), 1);
             ASSERT_TRUE(PumpUntil([&] { return engine().mode != Engine::kModeHartLoopCurrent; }, 60000));
             ASSERT_TRUE(engine().LoopCurrentFixed());
         },
         "выходной ток HART зафиксирован на 12.00 mA"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Simulator::Options o;
        o.portsFolder = folder_.Home().PortsFolder();
        o.devicePort = kDevicePort;
        o.hartPort = kHartPort;
        o.scenarioText = withHart;
        sim_ = std::make_unique<Simulator>(o);
        sim_->Start();
        StorePorts(kDevicePort, kHartPort);
        Open();
        ASSERT_TRUE(PumpUntilMode(Engine::kModeConnected, 60000));
        PumpQueued();
        hooks_.boxes.clear();
        ASSERT_NO_FATAL_FAILURE(c.start());
        const int runningMode = engine().mode;

        if (*c.told != '\0') {
            // "Нет": the window and the work stay.
            hooks_.onBox = [](const MessageBoxes::Request&) { return int(MessageBoxes::kNo); };
            window_->CloseButton()->click();
            ASSERT_EQ(hooks_.boxes.size(), 1u);
            const MessageBoxes::Request& box = hooks_.boxes[0];
            EXPECT_TRUE(box.text.contains(QString::fromUtf8(c.told))) << box.text.toStdString();
            EXPECT_TRUE(box.text.endsWith("Закрыть программу?"));
            EXPECT_EQ(box.buttons, MessageBoxes::Buttons::YesNo);
            EXPECT_EQ(box.caption, "Внимание!");
            EXPECT_TRUE(window_->isVisible());
            EXPECT_EQ(engine().mode, runningMode);
            // The close box asks the same.
            EXPECT_FALSE(window_->close());
            EXPECT_EQ(hooks_.boxes.size(), 2u);
            EXPECT_TRUE(window_->isVisible());
            hooks_.onBox = [](const MessageBoxes::Request&) { return int(MessageBoxes::kYes); };
        }
        hooks_.boxes.clear();
        window_->CloseButton()->click();
        EXPECT_EQ(hooks_.boxes.size(), *c.told != '\0' ? 1u : 0u);
        EXPECT_FALSE(window_->isVisible());
        EXPECT_EQ(engine().mode, Engine::kModeClosed);
        EXPECT_FALSE(engine().LoopCurrentFixed());
        hooks_.onBox = nullptr;
        hooks_.boxes.clear();
        CloseWindow();
        sim_->Stop();
        sim_.reset();
    }
}

TEST_F(MainWindowTest, BusyHartPortWarnsWithItsOwnText)
{
    if (UnderWine())
        GTEST_SKIP() << kWineSharesPorts;
    StartSim();
    StorePorts(kDevicePort, kHartPort);
    HartComConnector other;
    ASSERT_TRUE(other.Open(kHartPort));
    Open();
    ASSERT_TRUE(PumpUntilMode(Engine::kModeConnected, 60000));
    ASSERT_TRUE(PumpUntil([&] { return !hooks_.boxes.empty(); }, 5000));
    PumpQueued();
    ASSERT_EQ(hooks_.boxes.size(), 1u);
    // The port is set but held: 213, not the "no port set" text 212.
    EXPECT_EQ(hooks_.boxes[0].text, StringTable::Get(213));
    EXPECT_EQ(engine().HartState(), SensorHartInterface::kOpenFailed);
}

TEST_F(MainWindowTest, ADevicePortTheUserMayNotOpenIsNamedWithTheRemedy)
{
#ifdef _WIN32
    GTEST_SKIP() << "a port the user may not open is a Linux matter (device group rights); Windows reports such a port as busy";
#else
    StartSim();
    StorePorts(kDevicePort, kHartPort);
    Open();
    ASSERT_TRUE(PumpUntilMode(Engine::kModeConnected, 60000));
    PumpQueued();
    hooks_.boxes.clear();
    {
        NoPortRights denied(sim_->DevicePty(), folder_.Path());
        EXPECT_EQ(engine().Connect(), 0);
    }
    ASSERT_TRUE(PumpUntil([&] { return !hooks_.boxes.empty(); }, 5000));
    PumpQueued();
    const QString expected = "Нет прав на порт " + QString::fromStdString(sim_->DevicePty()) +
                             ": добавьте пользователя в группу dialout и войдите в систему заново.";
    ASSERT_EQ(hooks_.boxes.size(), 1u);
    EXPECT_EQ(hooks_.boxes[0].text, expected);
    EXPECT_EQ(engine().LineState(), SensorModbusInterface::kPortUnavailable);
    EXPECT_TRUE(engine().LinePortDenied());
    auto* sensorPage = static_cast<SensorDialog*>(window_->TabCtrl()->Page(CDlgTabCtrl::kSensorPage));
    EXPECT_EQ(sensorPage->List()->StatusText(), expected);

    // A port that is only busy keeps the old text.
    ModbusComConnector other;
    ASSERT_TRUE(other.Open(kDevicePort));
    window_->OnConnectionSettings(); // re-arms the warnings
    hooks_.boxes.clear();
    EXPECT_EQ(engine().Connect(), 0);
    ASSERT_TRUE(PumpUntil([&] { return !hooks_.boxes.empty(); }, 5000));
    EXPECT_EQ(hooks_.boxes[0].text, StringTable::Get(211));
    EXPECT_FALSE(engine().LinePortDenied());
    EXPECT_EQ(sensorPage->List()->StatusText(), StringTable::Get(249));
#endif
}

TEST(MainWindowPlacement, OpensWithinTheScreenAndKeepsAPlaceThatStillFits)
{
    // A 1366 x 768 laptop with a 40-pixel taskbar.
    const QRect laptop(0, 0, 1366, 728);
    const QSize wanted(1272, 746); // the dialog units at a desktop font
    const QSize minimum(900, 560);
    const QList<QRect> screens{laptop};
    const int fw = CKorvanSensorSetupDlg::kFrameWidth;
    const int fh = CKorvanSensorSetupDlg::kFrameHeight;
    // The window's frame (title bar above, borders around) fills the
    // screen's height; the width stays as the dialog units ask, centred.
    const QRect defaultPlace((1366 - 1272) / 2, fh - fw / 2, 1272, 728 - fh);
    const struct {
        const char* name;
        std::optional<QRect> remembered;
        QRect expected;
    } cases[] = {
        {"nothing remembered", std::nullopt, defaultPlace},
        {"remembered and fits", QRect(30, 40, 1000, 600), QRect(30, 40, 1000, 600)},
        {"remembered on a screen since unplugged", QRect(1500, 40, 1000, 600), defaultPlace},
        {"remembered below the minimum", QRect(30, 40, 500, 300), defaultPlace},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QRect r = CKorvanSensorSetupDlg::InitialGeometry(wanted, minimum, laptop, screens, c.remembered);
        EXPECT_EQ(r, c.expected);
        // With its frame the window lies on the screen.
        EXPECT_TRUE(laptop.contains(r.adjusted(0, -(fh - fw / 2), 0, fw / 2)));
    }
    // A second screen to the right keeps a place remembered there.
    const QRect right(1366, 0, 1920, 1040);
    EXPECT_EQ(CKorvanSensorSetupDlg::InitialGeometry(wanted, minimum, laptop, {laptop, right}, QRect(1500, 40, 1000, 600)),
              QRect(1500, 40, 1000, 600));
    // A screen smaller than the minimum: the minimum, title bar reachable.
    const QRect tiny(0, 0, 800, 600);
    const QRect r = CKorvanSensorSetupDlg::InitialGeometry(wanted, minimum, tiny, {tiny}, std::nullopt);
    EXPECT_EQ(r.size(), minimum);
    EXPECT_GE(r.top(), fh - fw / 2);
    EXPECT_GE(r.left(), 0);
}

TEST_F(MainWindowTest, TheWindowFitsALaptopScreenAtADesktopFontAndStretchesItsPages)
{
    // A desktop's 10-point sans font: the dialog units give about 1270 x 750
    // pixels, more than a 1366 x 768 screen holds under a taskbar.
    const QFont old = QApplication::font();
    QFont desktop(QStringLiteral("DejaVu Sans"));
    desktop.setPixelSize(13);
    QApplication::setFont(desktop);
    StorePorts(4, 5);
    Open();
    PumpQueued();
    const QSize minimum = window_->minimumSizeHint();
    EXPECT_LE(minimum.width(), 1366 - CKorvanSensorSetupDlg::kFrameWidth);
    EXPECT_LE(minimum.height(), 728 - CKorvanSensorSetupDlg::kFrameHeight) << minimum.height();
    // Not of a fixed size.
    EXPECT_LT(window_->minimumHeight(), window_->maximumHeight());

    // Resized, the pages take the room and the buttons keep their size.
    window_->resize(1000, 600);
    PumpQueued();
    const QSize buttonSmall = window_->CloseButton()->size();
    const QSize tabSmall = window_->TabCtrl()->size();
    window_->resize(1300, 680);
    PumpQueued();
    EXPECT_EQ(window_->CloseButton()->size(), buttonSmall);
    EXPECT_GT(window_->TabCtrl()->width(), tabSmall.width());
    EXPECT_GT(window_->TabCtrl()->height(), tabSmall.height());
    // The bottom buttons lie inside the window.
    const QRect close(window_->CloseButton()->mapTo(window_.get(), QPoint(0, 0)), window_->CloseButton()->size());
    EXPECT_TRUE(window_->rect().contains(close));
    CloseWindow();
    QApplication::setFont(old);
}

TEST_F(MainWindowTest, ThePlaceIsRememberedWhenTheWindowCloses)
{
    StorePorts(4, 5);
    Open();
    PumpQueued();
    const QRect placed = window_->geometry();
    window_->CloseButton()->click();
    const std::optional<Settings::WindowPlacement> stored = Settings::LoadWindowPlacement();
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(stored->geometry, placed);
    EXPECT_FALSE(stored->maximized);
    CloseWindow();

    // A place that no screen holds any more is not used.
    Settings::SaveWindowPlacement({QRect(20000, 20000, 1000, 700), false});
    Open();
    EXPECT_FALSE(window_->geometry().contains(QPoint(20000, 20000)));
    EXPECT_TRUE(QGuiApplication::primaryScreen()->availableGeometry().intersects(window_->geometry()));
}

TEST_F(MainWindowTest, EveryWindowHasTheProgramsIcon)
{
    StorePorts(4, 5);
    Open();
    const QIcon icon = AppIcon::Icon();
    ASSERT_FALSE(icon.isNull());
    EXPECT_FALSE(window_->windowIcon().isNull());
    EXPECT_EQ(window_->windowIcon().cacheKey(), QApplication::windowIcon().cacheKey());
    window_->TimerButton()->click();
    ASSERT_NE(window_->Stopwatch(), nullptr);
    EXPECT_EQ(window_->Stopwatch()->windowIcon().cacheKey(), QApplication::windowIcon().cacheKey());
    // The glyph is drawn, not an empty square.
    const QImage image = icon.pixmap(64, 64).toImage();
    ASSERT_FALSE(image.isNull());
    int opaque = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            opaque += qAlpha(image.pixel(x, y)) > 0 ? 1 : 0;
    EXPECT_GT(opaque, 64 * 64 / 4);
    EXPECT_LT(opaque, 64 * 64);
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
    // The bottom buttons are in the picture, drawn: their caption leaves
    // more than one colour in each.
    for (QPushButton* b : {window_->TimerButton(), window_->PasswordButton(), window_->ConnectionButton(),
                           window_->CloseButton()}) {
        const QRect r(b->mapTo(window_.get(), QPoint(0, 0)), b->size());
        ASSERT_TRUE(image.rect().contains(r)) << b->text().toStdString();
        QSet<QRgb> colours;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                colours.insert(image.pixel(x, y));
        EXPECT_GT(colours.size(), 2) << b->text().toStdString();
    }

    ConnectionDlg dlg(window_.get());
    dlg.adjustSize();
    EXPECT_TRUE(dlg.grab().toImage().save(dir + "/connection-dialog.png"));
}

} // namespace
