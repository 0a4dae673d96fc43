// The Windows build's windows against the simulated detector behind real COM
// ports (under Wine: detector-sim's pseudo-terminals linked as COM21-23),
// its settings in the registry, and what the connection dialog says of a
// port that is not there. The settings are read and written through the
// Win32 registry functions as well, so that what the program stores is seen
// where a later start (or the command line) looks for it.
#include <gtest/gtest.h>

#include "QtPrinters.h"

#include <windows.h>
#include <shellapi.h>
#include <winver.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRawFont>
#include <QRegularExpression>
#include <QSettings>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "AppContext.h"
#include "AppIcon.h"
#include "UiPump.h"
#include "CDlgTabCtrl.h"
#include "CKorvanSensorSetupApp.h"
#include "CKorvanSensorSetupDlg.h"
#include "ConnectionDlg.h"
#include "Engine.h"
#include "MessageBoxes.h"
#include "ModalDialogs.h"
#include "ModbusDialog.h"
#include "ModbusListCtrl.h"
#include "SensorDialog.h"
#include "SensorListCtrl.h"
#include "Settings.h"
#include "SimScenario.h"
#include "StringTable.h"

namespace {

using namespace wine_sim;

// Long enough for a loaded machine running Wine; only a broken line waits
// this long.
constexpr int kPatienceMs = 120000;

// Where QSettings keeps the organisation's and application's settings.
const wchar_t* const kStoreKey = L"Software\\Korvan\\KorvanSensorSetup";

std::wstring GroupKey(const wchar_t* group)
{
    return std::wstring(kStoreKey) + L"\\" + group;
}

// A value of the store as text (a number stored as DWORD in decimal), read
// with the registry functions; none when it is not there.
std::optional<std::wstring> RegistryText(const wchar_t* group, const wchar_t* name)
{
    DWORD type = 0;
    DWORD size = 0;
    const std::wstring key = GroupKey(group);
    if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_REG_DWORD | RRF_RT_REG_SZ, &type, nullptr, &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    std::vector<BYTE> data(size + sizeof(wchar_t));
    if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_REG_DWORD | RRF_RT_REG_SZ, &type, data.data(),
                     &size) != ERROR_SUCCESS)
        return std::nullopt;
    if (type == REG_DWORD)
        return std::to_wstring(*reinterpret_cast<const DWORD*>(data.data()));
    return std::wstring(reinterpret_cast<const wchar_t*>(data.data()));
}

// A number put into the store as another program (or an older start of
// this one) would have left it.
void WriteRegistryNumber(const wchar_t* group, const wchar_t* name, DWORD value)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, GroupKey(group).c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

void ClearStore()
{
    const LSTATUS rc = RegDeleteTreeW(HKEY_CURRENT_USER, kStoreKey);
    ASSERT_TRUE(rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND) << rc;
}

QString S(int id)
{
    return StringTable::Get(id);
}

// Every test begins and ends with an empty store, with message boxes and
// modal dialogs answered at once (and recorded).
class UiOnWine : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!PortsNamed())
            GTEST_SKIP() << kNoPorts;
        ClearStore();
        MessageBoxes::SetHook([this](const MessageBoxes::Request& r) {
            boxes_.push_back(r.text);
            return int(MessageBoxes::kOk);
        });
        ModalDialogs::SetHook([this](QDialog& d) {
            dialogs_.push_back(QString::fromLatin1(d.metaObject()->className()));
            return int(QDialog::Rejected);
        });
    }

    void TearDown() override
    {
        CloseWindow();
        MessageBoxes::SetHook({});
        ModalDialogs::SetHook({});
        ClearStore();
    }

    // Start-up as the application object runs it: the settings read from
    // the store, then the main window, which connects by itself.
    void Open()
    {
        app_ = std::make_unique<AppContext>();
        Settings::LoadConnection();
        Settings::LoadWords();
        window_ = std::make_unique<CKorvanSensorSetupDlg>(*app_);
        static_cast<CKorvanSensorSetupApp*>(qApp)->SetMainWindow(window_.get());
        window_->resize(1100, 690);
        window_->show();
    }

    void CloseWindow()
    {
        window_.reset();
        app_.reset();
    }

    SensorDialog* SensorPage() const
    {
        return static_cast<SensorDialog*>(window_->TabCtrl()->Page(CDlgTabCtrl::kSensorPage));
    }
    ModbusDialog* DevicePage() const
    {
        return static_cast<ModbusDialog*>(window_->TabCtrl()->Page(CDlgTabCtrl::kDevicePage));
    }

    template <class List>
    static QStringList Values(const List& list)
    {
        QStringList out;
        for (int row = 0; row < list.RowCount(); ++row)
            out << list.CellText(row, ParameterListCtrl::kValueColumn);
        return out;
    }

    QImage SavePicture(const QString& name)
    {
        // The build's folder, named as the Linux side of Wine knows it;
        // Wine's drive Z: is the Linux root.
        QString dir = QStringLiteral(KORVAN_TEST_ARTIFACT_DIR);
        if (dir.startsWith(QLatin1Char('/')))
            dir.prepend(QStringLiteral("Z:"));
        EXPECT_TRUE(QDir().mkpath(dir));
        const QImage image = window_->grab().toImage();
        EXPECT_FALSE(image.isNull());
        EXPECT_TRUE(image.save(dir + "/" + name)) << (dir + "/" + name).toStdString();
        return image;
    }

    std::vector<QString> boxes_;
    std::vector<QString> dialogs_;
    std::unique_ptr<AppContext> app_;
    std::unique_ptr<CKorvanSensorSetupDlg> window_;
};

// The executable as Explorer shows it: with the program's icon, every size
// of it, and its version.
TEST(WindowsExecutable, CarriesTheProgramsIconAndVersion)
{
    // The build's folder as Wine names it (drive Z: is the Linux root).
    std::wstring exe = QString::fromUtf8(KORVAN_TEST_PROGRAM_EXE).toStdWString();
    if (!exe.empty() && exe[0] == L'/')
        exe = L"Z:" + exe;
    std::replace(exe.begin(), exe.end(), L'/', L'\\');

    EXPECT_EQ(ExtractIconExW(exe.c_str(), -1, nullptr, nullptr, 0), 1u) << "icon groups in the executable";
    for (int size : {16, 32, 48, 256}) {
        SCOPED_TRACE(size);
        HICON icon = nullptr;
        ASSERT_EQ(PrivateExtractIconsW(exe.c_str(), 0, size, size, &icon, nullptr, 1, 0), 1u);
        ASSERT_NE(icon, nullptr);
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP colour{};
        ASSERT_NE(GetObjectW(info.hbmColor, sizeof colour, &colour), 0);
        EXPECT_EQ(colour.bmWidth, size);
        EXPECT_EQ(colour.bmHeight, size);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }

    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(exe.c_str(), &ignored);
    ASSERT_GT(size, 0u) << "no version resource";
    std::vector<BYTE> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(exe.c_str(), 0, size, block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    ASSERT_NE(fixed, nullptr);
    const QString version = QStringLiteral("%1.%2.%3")
                                .arg(HIWORD(fixed->dwFileVersionMS))
                                .arg(LOWORD(fixed->dwFileVersionMS))
                                .arg(HIWORD(fixed->dwFileVersionLS));
    EXPECT_EQ(version, QStringLiteral(KORVAN_TEST_PROGRAM_VERSION));
    wchar_t* text = nullptr;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\StringFileInfo\\041904B0\\ProductVersion",
                               reinterpret_cast<void**>(&text), &length));
    EXPECT_EQ(QString::fromWCharArray(text), QStringLiteral(KORVAN_TEST_PROGRAM_VERSION));
}

TEST_F(UiOnWine, TheStoreIsTheRegistryKeyOfTheProgram)
{
    const QSettings s(QStringLiteral("Korvan"), QStringLiteral("KorvanSensorSetup"));
    EXPECT_EQ(s.format(), QSettings::NativeFormat);
    EXPECT_EQ(s.fileName(), QStringLiteral("\\HKEY_CURRENT_USER\\Software\\Korvan\\KorvanSensorSetup"));
}

TEST_F(UiOnWine, TheConnectionDialogStoresThePortsInTheRegistryAndTheyAreReadBack)
{
    app_ = std::make_unique<AppContext>();
    Settings::LoadConnection();
    EXPECT_EQ(app_->modbusPort, 0);
    {
        ConnectionDlg dlg;
        dlg.ModbusPortEdit()->setText(QString::number(DevicePort()));
        dlg.HartPortEdit()->setText(QString::number(HartPort()));
        dlg.MgPortEdit()->setText(QString::number(MultigasPort()));
        dlg.accept();
        EXPECT_EQ(dlg.result(), QDialog::Accepted);
    }
    EXPECT_EQ(RegistryText(L"Connection", L"ModbusPort"), std::to_wstring(DevicePort()));
    EXPECT_EQ(RegistryText(L"Connection", L"HartPort"), std::to_wstring(HartPort()));
    EXPECT_EQ(RegistryText(L"Connection", L"MgPort"), std::to_wstring(MultigasPort()));
    ASSERT_TRUE(RegistryText(L"Connection", L"MgCount").has_value());

    // The next start reads them.
    app_.reset();
    app_ = std::make_unique<AppContext>();
    EXPECT_EQ(app_->modbusPort, 0);
    Settings::LoadConnection();
    EXPECT_EQ(app_->modbusPort, DevicePort());
    EXPECT_EQ(app_->hartPort, HartPort());
    EXPECT_EQ(app_->mgPort, MultigasPort());

    // Texts (the passwords) go in and come back whole, Cyrillic included.
    app_->calibrationPassword = QStringLiteral("Пароль-42");
    Settings::SaveWords();
    EXPECT_EQ(RegistryText(L"Words", L"St"), std::wstring(L"Пароль-42"));
    app_->calibrationPassword.clear();
    Settings::LoadWords();
    EXPECT_EQ(app_->calibrationPassword, QStringLiteral("Пароль-42"));
}

TEST_F(UiOnWine, APortThatIsNotThereIsToldBesideItsField)
{
    // COM250 leads nowhere; the simulator's device line is served.
    EXPECT_EQ(ConnectionDlg::PortHintText(250), S(StringTable::kPortHintMissing).arg(QStringLiteral("COM250")));
    EXPECT_EQ(ConnectionDlg::PortHintText(DevicePort()),
              S(StringTable::kPortHintDevice).arg(QStringLiteral("COM%1").arg(DevicePort())));
    EXPECT_EQ(ConnectionDlg::PortHintText(0), S(StringTable::kPortHintNotSet));

    app_ = std::make_unique<AppContext>();
    ConnectionDlg dlg;
    dlg.ModbusPortEdit()->setText(QStringLiteral("250"));
    EXPECT_EQ(dlg.ModbusPortHint()->text(), QStringLiteral("→ COM250 (устройство не найдено)"));
    dlg.ModbusPortEdit()->setText(QString::number(DevicePort()));
    EXPECT_EQ(dlg.ModbusPortHint()->text(), QStringLiteral("→ COM%1").arg(DevicePort()));
}

TEST_F(UiOnWine, TheMainWindowStartsOnTheStoredPortsAndShowsTheDetector)
{
    // Ports left in the registry by an earlier start.
    WriteRegistryNumber(L"Connection", L"ModbusPort", DWORD(DevicePort()));
    WriteRegistryNumber(L"Connection", L"HartPort", DWORD(HartPort()));
    WriteRegistryNumber(L"Connection", L"MgPort", DWORD(MultigasPort()));
    Open();
    ASSERT_FALSE(window_->windowIcon().isNull());
    ASSERT_TRUE(PumpUntil([&] { return app_->engine.mode == Engine::kModeConnected; }, kPatienceMs))
        << "mode " << app_->engine.mode;
    EXPECT_EQ(app_->engine.modbusPort, DevicePort());
    PumpQueued();

    // The sensor page shows what the sensor holds.
    SensorListCtrl* sensor = SensorPage()->List();
    ASSERT_EQ(sensor->RowCount(), SensorListCtrl::kRowCount);
    const QStringList s = Values(*sensor);
    EXPECT_EQ(s[SensorListCtrl::kRowSerialNumber], QString::fromStdString(kSerialNumber));
    EXPECT_EQ(s[SensorListCtrl::kRowCalibrationDate], QString::fromStdString(kSensorCalibrationDate));
    EXPECT_EQ(s[SensorListCtrl::kRowAnalyteCode], QString::fromStdString(kSensorAnalyte));
    EXPECT_EQ(s[SensorListCtrl::kRowSensorType], QString::fromStdString(kSensorType));
    EXPECT_EQ(s[SensorListCtrl::kRowV1S1], QString::fromStdString(kV1));
    const QRegularExpression number(QStringLiteral("^-?\\d+(\\.\\d+)?$"));
    EXPECT_TRUE(number.match(s[SensorListCtrl::kRowConcentration]).hasMatch())
        << s[SensorListCtrl::kRowConcentration].toStdString();
    sensor->clearSelection();

    // The text is drawn in a font that has the Cyrillic letters: the page's
    // captions are Russian.
    const QString family = QFontInfo(sensor->font()).family();
    ASSERT_FALSE(family.isEmpty()) << "no fonts: QT_QPA_FONTDIR (KORVAN_TEST_FONT_DIR) names no folder with fonts";
    EXPECT_TRUE(QFontDatabase::writingSystems(family).contains(QFontDatabase::Cyrillic)) << family.toStdString();
    const QRawFont raw = QRawFont::fromFont(sensor->font());
    ASSERT_TRUE(raw.isValid());
    for (QChar c : QStringLiteral("Параметры сенсора"))
        EXPECT_TRUE(c == QLatin1Char(' ') || raw.supportsCharacter(c)) << int(c.unicode());
    const QImage picture = SavePicture(QStringLiteral("main-window-wine.png"));
    // Text in the value cells: some of their pixels are dark.
    const QRect cell = sensor->visualRect(sensor->model()->index(SensorListCtrl::kRowSerialNumber,
                                                                 ParameterListCtrl::kValueColumn));
    const QRect inWindow = QRect(sensor->viewport()->mapTo(window_.get(), cell.topLeft()), cell.size())
                               .intersected(picture.rect());
    int dark = 0;
    for (int y = inWindow.top(); y <= inWindow.bottom(); ++y)
        for (int x = inWindow.left(); x <= inWindow.right(); ++x)
            dark += qGray(picture.pixel(x, y)) < 128 ? 1 : 0;
    EXPECT_GT(dark, 10) << "the serial number is not drawn";

    // The device page: what connecting read, then a read of its own.
    window_->TabCtrl()->setCurrentIndex(CDlgTabCtrl::kDevicePage);
    PumpQueued();
    ModbusListCtrl* device = DevicePage()->List();
    DevicePage()->ReadButton()->click();
    EXPECT_EQ(app_->engine.mode, Engine::kModeReadDevice);
    ASSERT_TRUE(PumpUntil([&] { return app_->engine.mode == Engine::kModeIdle; }, kPatienceMs));
    PumpQueued();
    ASSERT_EQ(device->RowCount(), ModbusListCtrl::kRowCount) << device->StatusText().toStdString();
    const QStringList d = Values(*device);
    EXPECT_EQ(d.mid(ModbusListCtrl::kRowModbusId, 4), (QStringList{"7", "KSD-FW", "1.07", "B41E77"}));
    // Thresholds with three significant digits, as the page shows them.
    EXPECT_EQ(d[ModbusListCtrl::kRowThreshold1], QStringLiteral("15.5  "));
    EXPECT_EQ(d[ModbusListCtrl::kRowThreshold2], QStringLiteral("31.3  "));
    EXPECT_EQ(d[ModbusListCtrl::kRowAnalyteCode], QString::fromStdString(kDeviceAnalyte));
    // The device's windows-1251 units, shown as the Russian text they are.
    EXPECT_EQ(d[ModbusListCtrl::kRowUnits], QStringLiteral("мг/м3"));
    EXPECT_EQ(d[ModbusListCtrl::kRowCalibrationDate], QStringLiteral("14.08.2025"));
    device->clearSelection();
    SavePicture(QStringLiteral("device-page-wine.png"));
    EXPECT_TRUE(boxes_.empty()) << boxes_.front().toStdString();

    // Closing keeps the window's place in the registry for the next start.
    const QRect placed = window_->geometry();
    window_->reject();
    PumpQueued();
    EXPECT_EQ(RegistryText(L"MainWindow", L"Width"), std::to_wstring(placed.width()));
    EXPECT_EQ(RegistryText(L"MainWindow", L"Height"), std::to_wstring(placed.height()));
    const std::optional<Settings::WindowPlacement> stored = Settings::LoadWindowPlacement();
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(stored->geometry.size(), placed.size());
}

TEST_F(UiOnWine, AStoredPortThatIsNotThereIsToldAtStartUp)
{
    WriteRegistryNumber(L"Connection", L"ModbusPort", 250);
    WriteRegistryNumber(L"Connection", L"HartPort", DWORD(HartPort()));
    Open();
    // The start-up connection fails on the missing port and says so once.
    const QString noAccess = S(211);
    ASSERT_TRUE(PumpUntil([&] { return std::find(boxes_.begin(), boxes_.end(), noAccess) != boxes_.end(); }, 30000));
    ASSERT_TRUE(PumpUntil([&] { return app_->engine.mode == Engine::kModeIdle; }, kPatienceMs));
    PumpQueued();
    EXPECT_EQ(std::count(boxes_.begin(), boxes_.end(), noAccess), 1);
    EXPECT_EQ(SensorPage()->List()->RowCount(), 0);
    EXPECT_EQ(ConnectionDlg::PortHintText(250), QStringLiteral("→ COM250 (устройство не найдено)"));
}

} // namespace
