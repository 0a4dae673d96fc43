// The sensor and device parameter pages in the main window, against the
// simulated detector on pseudo-terminals: the first connection, reading,
// the status texts, editing, the polling toggles and tab switches.
// The simulator names a member "signals", which Qt's headers would turn
// into a keyword: it comes first.
#include "Simulator.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QBrush>
#include <QDir>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QTest>

#include <memory>
#include <string>

#include "AppContext.h"
#include "AppTestSupport.h"
#include "CDlgTabCtrl.h"
#include "CKorvanSensorSetupApp.h"
#include "CKorvanSensorSetupDlg.h"
#include "ConnectionDlg.h"
#include "Engine.h"
#include "ModbusDialog.h"
#include "ModbusListCtrl.h"
#include "NotificationIds.h"
#include "LinkNotice.h"
#include "ParameterPage.h"
#include "SensorDialog.h"
#include "SensorListCtrl.h"
#include "Settings.h"
#include "StringTable.h"

namespace {

using Pairs = std::vector<std::pair<int, int>>;

constexpr int kLongWaitMs = 90000;

// An electrochemical sensor whose texts the test knows, in a detector whose
// registers it knows.
const char* const kKnownSensor = R"(
[detector]
kind = Elchem
modbus_id = 7
concentration = 8.3
noise = 0
param.IS = 20240117
param.DS = 17.01.24
param.CD = 22.01.24
param.CA = CO
param.UT = мг/м3
param.CH = 200
param.CL = 0
param.IM = Корван
param.SS = 1.07
param.V1 = 0.412
param.C1 = 0
param.V2 = 1.873
param.C2 = 100
software_id = ABC,123,4567
clock = 0
threshold1 = 5
threshold2 = 42.5
sound_mode = 2
o2_flag = 1
eco_mode = 1
device_analyte = CO
device_units = мг/м3
calibration_date = 05.03.2024
)";

class ParameterPagesTest : public MainWindowFixture {
protected:
    static constexpr int kDevicePort = 1;
    static constexpr int kHartPort = 2;

    ParameterPagesTest()
    {
        windowSize_ = QSize(1100, 690);
        modeWaitMs_ = kLongWaitMs;
    }

    void TearDown() override
    {
        CloseWindow();
        if (sim_)
            sim_->Stop();
    }

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

    SensorDialog* SensorPage() const
    {
        return static_cast<SensorDialog*>(window_->TabCtrl()->Page(CDlgTabCtrl::kSensorPage));
    }
    ModbusDialog* DevicePage() const
    {
        return static_cast<ModbusDialog*>(window_->TabCtrl()->Page(CDlgTabCtrl::kDevicePage));
    }
    void ShowPage(int index)
    {
        window_->TabCtrl()->setCurrentIndex(index);
        PumpQueued();
    }

    // Start-up with working ports: the sensor page connects by itself.
    void OpenConnected(const char* scenario)
    {
        StartSim(scenario);
        StorePorts(kDevicePort, kHartPort);
        Open();
        ASSERT_TRUE(PumpUntilMode(Engine::kModeConnected));
        PumpQueued();
    }

    // F2 on the device page, then the read to its end.
    void ReadDevicePage()
    {
        ShowPage(CDlgTabCtrl::kDevicePage);
        recorder_->messages.clear();
        PressKey(Qt::Key_F2);
        ASSERT_EQ(engine().mode, Engine::kModeReadDevice);
        ASSERT_TRUE(PumpUntil([&] { return recorder_->ModeChanges().size() == 2; }, kLongWaitMs));
        PumpQueued();
        EXPECT_EQ(recorder_->ModeChanges(), (Pairs{{1, 12}, {12, 1}}));
    }

    // Saves the window's picture for a look after the run and returns it.
    QImage SavePicture(const QString& name)
    {
        const QString dir = QStringLiteral(KORVAN_TEST_ARTIFACT_DIR);
        EXPECT_TRUE(QDir().mkpath(dir));
        const QImage image = window_->grab().toImage();
        EXPECT_FALSE(image.isNull());
        EXPECT_TRUE(image.save(dir + "/" + name));
        return image;
    }

    // Pixels of the highlight colour inside a row's value cell, as the
    // picture shows it.
    int HighlightPixels(const QImage& image, const ParameterListCtrl& list, int row) const
    {
        const QRect cell = list.visualRect(list.model()->index(row, ParameterListCtrl::kValueColumn));
        const QRect inWindow(list.viewport()->mapTo(window_.get(), cell.topLeft()), cell.size());
        const QRect r = inWindow.intersected(image.rect());
        int n = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                n += QColor(image.pixel(x, y)) == ParameterListCtrl::ModifiedColor() ? 1 : 0;
        return n;
    }

    static QStringList Values(const ParameterListCtrl& list)
    {
        QStringList out;
        for (int row = 0; row < list.RowCount(); ++row)
            out << list.CellText(row, ParameterListCtrl::kValueColumn);
        return out;
    }

    static bool Highlighted(const ParameterListCtrl& list, int row)
    {
        const QVariant v = list.model()->data(list.model()->index(row, ParameterListCtrl::kValueColumn), Qt::BackgroundRole);
        return v.isValid() && v.value<QBrush>().color() == QColor(0, 255, 255);
    }

    static void TypeAndCommit(ParameterListCtrl& list, int row, const QString& text)
    {
        auto* editor = qobject_cast<QLineEdit*>(list.EditCell(row, ParameterListCtrl::kValueColumn));
        ASSERT_NE(editor, nullptr) << "row " << row;
        editor->selectAll();
        editor->del();
        // Typed as key events that carry the character, Cyrillic included.
        for (QChar ch : text) {
            QKeyEvent press(QEvent::KeyPress, int(ch.toUpper().unicode()), Qt::NoModifier, QString(ch));
            QApplication::sendEvent(editor, &press);
        }
        QTest::keyClick(editor, Qt::Key_Return);
        PumpQueued();
    }

    std::unique_ptr<Simulator> sim_;
};

TEST_F(ParameterPagesTest, AtStartUpTheSensorPageConnectsAndShowsWhatTheSensorHolds)
{
    OpenConnected(kKnownSensor);
    EXPECT_EQ(recorder_->ModeChanges().at(1), (std::pair<int, int>{1, 2}));
    SensorListCtrl* list = SensorPage()->List();
    ASSERT_EQ(list->RowCount(), SensorListCtrl::kRowCount);
    const QStringList v = Values(*list);
    EXPECT_EQ(v.mid(0, 15), (QStringList{"20240117", "17.01.24", "22.01.24", "CO", "мг/м3", "200", "0", "Корван",
                                        "Elchem", "1.07", "0.412", "0", "1.873", "100", "8.30"}));
    // The live values move: a number is all that can be said.
    const QRegularExpression number(QStringLiteral("^-?\\d+(\\.\\d+)?$"));
    EXPECT_TRUE(number.match(v[SensorListCtrl::kRowAdc]).hasMatch()) << v[SensorListCtrl::kRowAdc].toStdString();
    EXPECT_TRUE(number.match(v[SensorListCtrl::kRowSensorTemperature]).hasMatch());
    EXPECT_TRUE(SensorPage()->ReadButton()->isEnabled());
    EXPECT_FALSE(SensorPage()->PollingToggle()->isChecked());

    // F2 reads again; the list shows the read under way, then the values.
    recorder_->messages.clear();
    PressKey(Qt::Key_F2);
    EXPECT_EQ(engine().mode, Engine::kModeReadSensor);
    EXPECT_FALSE(SensorPage()->ReadButton()->isEnabled());
    ASSERT_TRUE(PumpUntilMode(Engine::kModeIdle));
    PumpQueued();
    EXPECT_EQ(Values(*list).mid(0, 15), v.mid(0, 15));
    EXPECT_TRUE(SensorPage()->ReadButton()->isEnabled());

    // Editing the serial number: the same text stays plain, another is marked.
    TypeAndCommit(*list, SensorListCtrl::kRowSerialNumber, "20240117");
    EXPECT_FALSE(Highlighted(*list, SensorListCtrl::kRowSerialNumber));
    TypeAndCommit(*list, SensorListCtrl::kRowSerialNumber, "20240999");
    EXPECT_TRUE(Highlighted(*list, SensorListCtrl::kRowSerialNumber));
    // The selection would cover the highlight in the picture.
    list->clearSelection();
    const QImage picture = SavePicture("sensor-page.png");
    // Most of the edited cell is drawn in the highlight; its neighbour not.
    const QRect cell = list->visualRect(list->model()->index(SensorListCtrl::kRowSerialNumber, 2));
    EXPECT_GT(HighlightPixels(picture, *list, SensorListCtrl::kRowSerialNumber), cell.width() * cell.height() / 2);
    EXPECT_EQ(HighlightPixels(picture, *list, SensorListCtrl::kRowManufactureDate), 0);
}

TEST_F(ParameterPagesTest, ASensorWithS1AndAnErrorAnswerToTheConcentration)
{
    OpenConnected(R"(
[detector]
kind = Semi
param.S1 = 1520.4
param.S2 = 310.7
error.DT = 0101
)");
    SensorListCtrl* list = SensorPage()->List();
    ASSERT_EQ(list->RowCount(), SensorListCtrl::kRowCount);
    EXPECT_EQ(list->CellText(SensorListCtrl::kRowV1S1, 2), "1520.4");
    EXPECT_EQ(list->CellText(SensorListCtrl::kRowV2S2, 2), "310.7");
    EXPECT_EQ(list->CellText(SensorListCtrl::kRowConcentration, 2), "ошибка");
    EXPECT_EQ(list->CellText(SensorListCtrl::kRowSensorType, 2), "Semi");
}

TEST_F(ParameterPagesTest, WithoutADevicePortBothPagesSayItAndShowNoRows)
{
    StartSim("");
    StorePorts(0, kHartPort);
    Open(); // the connection dialog is cancelled
    ASSERT_TRUE(PumpUntil([&] { return recorder_->ModeChanges().size() >= 2; }, 5000));
    PumpQueued();
    EXPECT_EQ(recorder_->ModeChanges(), (Pairs{{0, 1}, {2, 1}}));
    const QString noPort = "В настройках приложения не задан порт обмена по MODBUS/ASCII!";
    EXPECT_EQ(SensorPage()->List()->StatusText(), noPort);
    EXPECT_EQ(SensorPage()->List()->RowCount(), 0);
    // The toggle cannot stay down on a line that does not open.
    QTest::mouseClick(SensorPage()->PollingToggle(), Qt::LeftButton);
    PumpQueued();
    EXPECT_FALSE(SensorPage()->PollingToggle()->isChecked());
    EXPECT_FALSE(SensorPage()->PollingOn());
    EXPECT_EQ(engine().mode, Engine::kModeIdle);
    EXPECT_EQ(SensorPage()->List()->StatusText(), noPort);

    ShowPage(CDlgTabCtrl::kDevicePage);
    EXPECT_EQ(DevicePage()->List()->StatusText(), "Параметры прибора не прочитаны.");
    PressKey(Qt::Key_F2);
    EXPECT_EQ(engine().mode, Engine::kModeIdle);
    EXPECT_EQ(DevicePage()->List()->StatusText(), noPort);
    EXPECT_EQ(DevicePage()->List()->RowCount(), 0);
    EXPECT_TRUE(DevicePage()->ReadButton()->isEnabled());
}

TEST_F(ParameterPagesTest, ASensorThatAnswersNothingUsableLeavesTheSensorPageUnread)
{
    StartSim("");
    // Every answer carries a foreign keyword: refused at once, where
    // silence would cost each of the thirty reads its full wait. Connecting
    // reads on past failed reads, so it ends as "not read", not as a
    // failed exchange.
    ASSERT_EQ(sim_->ArmFault("*", "wrong-keyword"), "");
    StorePorts(kDevicePort, kHartPort);
    Open();
    ASSERT_TRUE(PumpUntilMode(Engine::kModeConnected));
    PumpQueued();
    EXPECT_EQ(SensorPage()->List()->StatusText(), "Параметры сенсора не прочитаны.");
    EXPECT_EQ(SensorPage()->List()->RowCount(), 0);
}

TEST_F(ParameterPagesTest, ASilentSensorFailsTheDeviceRead)
{
    OpenConnected(kKnownSensor);
    ShowPage(CDlgTabCtrl::kDevicePage);
    ASSERT_EQ(DevicePage()->List()->RowCount(), ModbusListCtrl::kRowCount); // what connecting read
    ASSERT_EQ(sim_->ArmFault("*", "silence"), "");
    recorder_->messages.clear();
    PressKey(Qt::Key_F2);
    // The read under way shows nothing old.
    for (const QString& value : Values(*DevicePage()->List()))
        EXPECT_TRUE(value.isEmpty()) << value.toStdString();
    EXPECT_EQ(DevicePage()->List()->StatusText(), "Производится чтение...");
    ASSERT_TRUE(PumpUntil([&] { return recorder_->ModeChanges().size() == 2; }, kLongWaitMs));
    PumpQueued();
    EXPECT_EQ(DevicePage()->List()->StatusText(),
              "Ошибка обмена с датчиком! Датчик не подключен или не отвечает по MODBUS/ASCII.");
    EXPECT_EQ(DevicePage()->List()->RowCount(), 0);
    EXPECT_TRUE(DevicePage()->ReadButton()->isEnabled());
}

TEST_F(ParameterPagesTest, TheDevicePageReadsTheRegisters)
{
    OpenConnected(kKnownSensor);
    ReadDevicePage();
    ModbusListCtrl* list = DevicePage()->List();
    ASSERT_EQ(list->RowCount(), ModbusListCtrl::kRowCount);
    const QStringList v = Values(*list);
    EXPECT_EQ(v.mid(0, 12), (QStringList{"7", "ABC", "123", "4567", "5.00 ", "42.5  ", "да", "порог 2", "уровень 1",
                                        "CO", "мг/м3", "05.03.2024"}));
    // The detector's clock started at 0 and ticks.
    EXPECT_TRUE(QRegularExpression("^01\\.01\\.70 00:0\\d:\\d\\d$").match(v[ModbusListCtrl::kRowClock]).hasMatch())
        << v[ModbusListCtrl::kRowClock].toStdString();
    EXPECT_EQ(v[ModbusListCtrl::kRowConcentration], "8.300000");
    list->clearSelection();
    const QImage asRead = SavePicture("device-page.png");
    for (int row = 0; row < ModbusListCtrl::kRowCount; ++row)
        EXPECT_EQ(HighlightPixels(asRead, *list, row), 0) << row;

    TypeAndCommit(*list, ModbusListCtrl::kRowModbusId, "0");
    EXPECT_EQ(list->CellText(ModbusListCtrl::kRowModbusId, 2), "247");
    EXPECT_TRUE(Highlighted(*list, ModbusListCtrl::kRowModbusId));
    TypeAndCommit(*list, ModbusListCtrl::kRowModbusId, "300");
    EXPECT_EQ(list->CellText(ModbusListCtrl::kRowModbusId, 2), "247");
    EXPECT_TRUE(Highlighted(*list, ModbusListCtrl::kRowModbusId));
    TypeAndCommit(*list, ModbusListCtrl::kRowThreshold1, "-5");
    EXPECT_EQ(list->CellText(ModbusListCtrl::kRowThreshold1, 2), "9998.000000");
    EXPECT_TRUE(Highlighted(*list, ModbusListCtrl::kRowThreshold1));
    EXPECT_TRUE(DevicePage()->ReadButton()->isEnabled());
    list->clearSelection();
    const QImage edited = SavePicture("device-page-edited.png");
    EXPECT_GT(HighlightPixels(edited, *list, ModbusListCtrl::kRowModbusId), 0);
    EXPECT_GT(HighlightPixels(edited, *list, ModbusListCtrl::kRowThreshold1), 0);
    EXPECT_EQ(HighlightPixels(edited, *list, ModbusListCtrl::kRowThreshold2), 0);

    // The next read puts back what the device holds.
    ReadDevicePage();
    EXPECT_EQ(list->CellText(ModbusListCtrl::kRowModbusId, 2), "7");
    EXPECT_FALSE(Highlighted(*list, ModbusListCtrl::kRowModbusId));
}

TEST_F(ParameterPagesTest, OtherRegisterValuesOnTheDevicePage)
{
    OpenConnected(R"(
[detector]
kind = Elchem
software_id = ABC,,4567
threshold1 = 150
threshold2 = 0.5
sound_mode = 0
o2_flag = 0
eco_mode = 2
)");
    ReadDevicePage();
    const QStringList v = Values(*DevicePage()->List());
    ASSERT_EQ(v.size(), ModbusListCtrl::kRowCount);
    EXPECT_EQ(v.mid(1, 8), (QStringList{"", "", "", "150 ", "0.50 ", "нет", "отключен", "уровень 2"}));
}

TEST_F(ParameterPagesTest, PollingTogglesFollowTheEngineAndEndWithTheirPage)
{
    OpenConnected(kKnownSensor);
    SensorDialog* sensor = SensorPage();
    ModbusDialog* device = DevicePage();

    // The sensor page's toggle starts polling ...
    QTest::mouseClick(sensor->PollingToggle(), Qt::LeftButton);
    EXPECT_EQ(engine().mode, Engine::kModeSensorPolling);
    EXPECT_TRUE(sensor->PollingToggle()->isChecked());
    PumpQueued();
    EXPECT_TRUE(sensor->PollingOn());
    // ... and follows whoever ends or starts it.
    ASSERT_EQ(engine().SetSensorPolling(false), 1);
    ASSERT_TRUE(PumpUntil([&] { return !sensor->PollingToggle()->isChecked(); }, 5000));
    ASSERT_EQ(engine().SetSensorPolling(true), 1);
    ASSERT_TRUE(PumpUntil([&] { return sensor->PollingToggle()->isChecked(); }, 5000));
    // F2 ends the polling with a single read.
    PressKey(Qt::Key_F2);
    EXPECT_EQ(engine().mode, Engine::kModeReadSensor);
    EXPECT_FALSE(sensor->PollingToggle()->isChecked());
    ASSERT_TRUE(PumpUntilMode(Engine::kModeIdle));

    // Leaving the page while it polls ends the polling.
    QTest::mouseClick(sensor->PollingToggle(), Qt::LeftButton);
    ASSERT_EQ(engine().mode, Engine::kModeSensorPolling);
    ShowPage(CDlgTabCtrl::kDevicePage);
    EXPECT_EQ(engine().mode, Engine::kModeIdle);
    EXPECT_EQ(engine().LineState(), SensorModbusInterface::kClosed);
    EXPECT_FALSE(device->PollingToggle()->isChecked());

    // The same on the device page.
    QTest::mouseClick(device->PollingToggle(), Qt::LeftButton);
    EXPECT_EQ(engine().mode, Engine::kModeDevicePolling);
    EXPECT_TRUE(device->PollingToggle()->isChecked());
    // Polling keeps the rows fresh.
    ASSERT_TRUE(PumpUntil([&] { return device->List()->RowCount() == ModbusListCtrl::kRowCount; }, kLongWaitMs));
    ASSERT_EQ(engine().SetDevicePolling(false), 1);
    ASSERT_TRUE(PumpUntil([&] { return !device->PollingToggle()->isChecked(); }, 5000));
    ASSERT_EQ(engine().SetDevicePolling(true), 1);
    ASSERT_TRUE(PumpUntil([&] { return device->PollingToggle()->isChecked(); }, 5000));
    // Clicking it up stops the polling.
    QTest::mouseClick(device->PollingToggle(), Qt::LeftButton);
    EXPECT_EQ(engine().mode, Engine::kModeIdle);
    EXPECT_FALSE(device->PollingToggle()->isChecked());
    QTest::mouseClick(device->PollingToggle(), Qt::LeftButton);
    ASSERT_EQ(engine().mode, Engine::kModeDevicePolling);

    ShowPage(CDlgTabCtrl::kSensorPage);
    EXPECT_EQ(engine().mode, Engine::kModeIdle);
    EXPECT_FALSE(sensor->PollingToggle()->isChecked());
    ShowPage(CDlgTabCtrl::kDevicePage);
    EXPECT_FALSE(device->PollingToggle()->isChecked());
    EXPECT_FALSE(device->PollingOn());
    EXPECT_EQ(engine().mode, Engine::kModeIdle);
}

TEST_F(ParameterPagesTest, PollingRefreshesTheRowsAndTheNextPollReplacesEdits)
{
    // Each page: a value the device changes while the page polls must
    // appear, and an edit made before must give way to what the device
    // holds.
    const struct {
        const char* name;
        int page;
        int editRow;
        const char* typed;
        const char* asRead;
        int watchedRow;
        const char* newConcentration;
        const char* shown; // the watched row's text once the new value came
    } cases[] = {
        {"sensor page", CDlgTabCtrl::kSensorPage, SensorListCtrl::kRowSerialNumber, "20249999", "20240117",
         SensorListCtrl::kRowConcentration, "12.5", "12.50"},
        {"device page", CDlgTabCtrl::kDevicePage, ModbusListCtrl::kRowThreshold1, "7", "5.00 ",
         ModbusListCtrl::kRowConcentration, "12.5", "12.500000"},
    };
    OpenConnected(kKnownSensor);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(sim_->Detector().ApplySetting("detector", "concentration", "8.3"), "");
        ShowPage(c.page);
        auto* page = static_cast<ParameterPage*>(window_->TabCtrl()->Page(c.page));
        ParameterListCtrl* list = c.page == CDlgTabCtrl::kSensorPage ? static_cast<ParameterListCtrl*>(SensorPage()->List())
                                                                     : DevicePage()->List();
        // A single read first, so that the edit is made on a quiet page.
        recorder_->messages.clear();
        PressKey(Qt::Key_F2);
        ASSERT_TRUE(PumpUntil([&] { return recorder_->ModeChanges().size() == 2; }, kLongWaitMs));
        PumpQueued();
        ASSERT_EQ(list->CellText(c.editRow, 2), QString::fromUtf8(c.asRead));
        TypeAndCommit(*list, c.editRow, QString::fromUtf8(c.typed));
        ASSERT_TRUE(Highlighted(*list, c.editRow));

        QTest::mouseClick(page->PollingToggle(), Qt::LeftButton);
        ASSERT_TRUE(page->PollingToggle()->isChecked());
        // The device's value changes only now: when the row shows it, the
        // page has been refreshed by the poll.
        ASSERT_EQ(sim_->Detector().ApplySetting("detector", "concentration", c.newConcentration), "");
        EXPECT_TRUE(PumpUntil([&] { return list->CellText(c.watchedRow, 2) == QString::fromUtf8(c.shown); },
                              kLongWaitMs))
            << list->CellText(c.watchedRow, 2).toStdString();
        EXPECT_EQ(list->CellText(c.editRow, 2), QString::fromUtf8(c.asRead));
        EXPECT_FALSE(Highlighted(*list, c.editRow));
        QTest::mouseClick(page->PollingToggle(), Qt::LeftButton);
        ASSERT_TRUE(PumpUntilMode(Engine::kModeIdle));
    }
}

TEST_F(ParameterPagesTest, WhileTheEngineIsBusyTheButtonsAreGreyAndF2StartsNothing)
{
    OpenConnected(kKnownSensor);
    SensorDialog* sensor = SensorPage();
    PressKey(Qt::Key_F2);
    ASSERT_EQ(engine().mode, Engine::kModeReadSensor);
    EXPECT_FALSE(sensor->ReadButton()->isEnabled());
    EXPECT_FALSE(sensor->PollingToggle()->isEnabled());
    // F2 again while reading starts nothing.
    recorder_->messages.clear();
    PressKey(Qt::Key_F2);
    for (const auto& change : recorder_->ModeChanges())
        EXPECT_NE(change.second, Engine::kModeReadSensor);
    ASSERT_TRUE(PumpUntilMode(Engine::kModeIdle));
    PumpQueued();
    EXPECT_TRUE(sensor->ReadButton()->isEnabled());
    EXPECT_TRUE(sensor->PollingToggle()->isEnabled());
}

TEST_F(ParameterPagesTest, NewConnectionSettingsWhileAnotherPageIsShownStartNoConnection)
{
    OpenConnected(kKnownSensor);
    ShowPage(CDlgTabCtrl::kDevicePage);
    recorder_->messages.clear();
    hooks_.onDialog = [](QDialog& d) {
        static_cast<ConnectionDlg&>(d).HartPortEdit()->setText("9");
        d.accept();
        return d.result();
    };
    window_->OnConnectionSettings();
    PumpQueued();
    EXPECT_EQ(engine().hartPort, 9);
    EXPECT_EQ(recorder_->ModeChanges(), (Pairs{{1, 0}, {0, 1}}));
    ShowPage(CDlgTabCtrl::kSensorPage);
    QTest::qWait(300);
    EXPECT_EQ(recorder_->ModeChanges(), (Pairs{{1, 0}, {0, 1}}));
    EXPECT_EQ(engine().mode, Engine::kModeIdle);
    EXPECT_EQ(engine().LineState(), SensorModbusInterface::kClosed);

    // With the sensor page shown, new settings do bring a connection.
    hooks_.onDialog = [](QDialog& d) {
        static_cast<ConnectionDlg&>(d).HartPortEdit()->setText(QString::number(kHartPort));
        d.accept();
        return d.result();
    };
    recorder_->messages.clear();
    window_->OnConnectionSettings();
    ASSERT_TRUE(PumpUntilMode(Engine::kModeConnected));
    const Pairs changes = recorder_->ModeChanges();
    ASSERT_GE(changes.size(), 3u);
    EXPECT_EQ(Pairs(changes.begin(), changes.begin() + 3), (Pairs{{1, 0}, {0, 1}, {1, 2}}));
}

} // namespace

namespace {

int FilledRows(const QStringList& values)
{
    int n = 0;
    for (const QString& v : values)
        n += v.isEmpty() ? 0 : 1;
    return n;
}

} // namespace

TEST_F(ParameterPagesTest, ALineLostWhileThePagePollsIsToldAndThePollComesBackByItself)
{
    if (!SimLine::kCanUnplug)
        GTEST_SKIP() << "the simulator cannot pull a COM port of a pair out here (Windows); the lost line is tested on Linux";
    OpenConnected(kKnownSensor);
    ModbusDialog* device = DevicePage();
    ShowPage(CDlgTabCtrl::kDevicePage);
    QTest::mouseClick(device->PollingToggle(), Qt::LeftButton);
    ASSERT_EQ(engine().mode, Engine::kModeDevicePolling);
    // The poll's own cycles run (each reads the detector's clock anew); a
    // line lost in the reads before them fails the start as any failed
    // read does.
    const auto clock = [&] {
        DeviceParameters d;
        engine().CopyDeviceParameters(d);
        return d.deviceClock.valid != 0 ? d.deviceClock.value : 0u;
    };
    for (int cycle = 0; cycle < 2; ++cycle) {
        const auto seen = clock();
        ASSERT_TRUE(PumpUntil([&] { return clock() != seen; }, kLongWaitMs));
    }
    ASSERT_TRUE(PumpUntil([&] { return FilledRows(Values(*device->List())) >= 10; }, kLongWaitMs));
    const int filled = FilledRows(Values(*device->List()));
    EXPECT_TRUE(device->LinkNoticeLabel()->isHidden());

    // The adapter is pulled.
    ASSERT_TRUE(sim_->Unplug(Simulator::Line::Device));
    ASSERT_TRUE(PumpUntil([&] { return !device->LinkNoticeLabel()->text().isEmpty(); }, kLongWaitMs))
        << engine().CopyLineLink().text << " mode " << engine().mode << " changes " << ::testing::PrintToString(recorder_->ModeChanges());
    const QString lost = device->LinkNoticeLabel()->text();
    EXPECT_TRUE(lost.startsWith(QStringLiteral("Связь с прибором потеряна (порт /dev/pts/"))) << lost.toStdString();
    EXPECT_TRUE(lost.endsWith(QStringLiteral(" отсутствует). Ожидание подключения..."))) << lost.toStdString();
    // The poll is still on, waiting: the toggle says so.
    EXPECT_TRUE(device->PollingToggle()->isChecked());
    EXPECT_EQ(engine().mode, Engine::kModeDevicePolling);
    SavePicture(QStringLiteral("device-page-line-lost.png"));

    // Plugged back in: no key pressed, the values come again.
    ASSERT_TRUE(sim_->Replug(Simulator::Line::Device));
    ASSERT_TRUE(PumpUntil([&] {
        return device->LinkNoticeLabel()->text() == QStringLiteral("Связь с прибором восстановлена.");
    }, kLongWaitMs));
    ASSERT_TRUE(PumpUntil([&] { return FilledRows(Values(*device->List())) >= filled; }, kLongWaitMs));
    EXPECT_TRUE(device->PollingToggle()->isChecked());
    SavePicture(QStringLiteral("device-page-line-back.png"));

    // The user ends the poll: what was said of the line goes with it.
    QTest::mouseClick(device->PollingToggle(), Qt::LeftButton);
    PumpQueued();
    EXPECT_EQ(engine().mode, Engine::kModeIdle);
    EXPECT_TRUE(device->LinkNoticeLabel()->isHidden());
}
