// The two parameter lists on their own, fed with records as the engine
// copies them out: value formats, the status by line state, edits and the
// highlight of edited values.
#include <gtest/gtest.h>

#include "QtPrinters.h"

#include <QApplication>
#include <QBrush>
#include <QCoreApplication>
#include <QFont>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QLocale>
#include <QTest>

#include <cstdlib>
#include <ctime>
#include <functional>
#include <string>

#include "CGridEditorComboBox.h"
#include "Cp1251.h"
#include "ModbusListCtrl.h"
#include "SensorListCtrl.h"
#include "SensorModbusInterface.h"
#include "StringTable.h"
#include "WindowMessageEvent.h"

namespace {

void Settle()
{
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

QStringList Values(const ParameterListCtrl& list)
{
    QStringList out;
    for (int row = 0; row < list.RowCount(); ++row)
        out << list.CellText(row, ParameterListCtrl::kValueColumn);
    return out;
}

QStringList Labels(const ParameterListCtrl& list)
{
    QStringList out;
    for (int row = 0; row < list.RowCount(); ++row)
        out << list.CellText(row, ParameterListCtrl::kLabelColumn);
    return out;
}

bool Highlighted(const ParameterListCtrl& list, int row)
{
    const QVariant v = list.model()->data(list.model()->index(row, ParameterListCtrl::kValueColumn), Qt::BackgroundRole);
    return v.isValid() && v.value<QBrush>().color() == QColor(0, 255, 255);
}

bool Bold(const ParameterListCtrl& list, int row)
{
    const QVariant v = list.model()->data(list.model()->index(row, ParameterListCtrl::kValueColumn), Qt::FontRole);
    return v.isValid() && v.value<QFont>().weight() == QFont::Bold;
}

// Types `text` into a row's editor, over what it holds, and commits with
// Enter; the commit message is then delivered.
void TypeAndCommit(ParameterListCtrl& list, int row, const QString& text)
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
    Settle();
}

// Picks the entry `steps` below the shown one in a drop-down row.
void PickBelow(ParameterListCtrl& list, int row, int steps)
{
    auto* combo = qobject_cast<CGridEditorComboBox*>(list.EditCell(row, ParameterListCtrl::kValueColumn));
    ASSERT_NE(combo, nullptr) << "row " << row;
    for (int i = 0; i < steps; ++i)
        QTest::keyClick(combo, Qt::Key_Down);
    QTest::keyClick(combo, Qt::Key_Return);
    Settle();
}

DeviceParameters SampleDevice()
{
    DeviceParameters d;
    d.deviceClock.Store(0);
    d.deviceConcentration.Store(8.3f);
    d.threshold1 = 5.0f;
    d.threshold2 = 42.5f;
    d.soundMode = 2;
    d.o2Flag = 1;
    d.thresholdsValid = 1;
    d.ecoMode = 1;
    d.ecoModeValid = 1;
    d.deviceAnalyteCode.Store("CO");
    d.deviceUnits.Store(Cp1251::FromUtf8("мг/м3"));
    d.deviceCalibrationDate.Store(5, 3, 2024);
    d.softwareIdentification.Store("ABC,123,4567");
    return d;
}

SensorParameters SampleModbusId(unsigned id)
{
    SensorParameters s;
    s.modbusId.Store(std::uint8_t(id));
    return s;
}

SensorParameters SampleSensor()
{
    SensorParameters s;
    s.serialNumber.Store("20240117");
    s.manufactureDate.Store("17.01.24");
    s.calibrationDate.Store("22.01.24");
    s.analyteCode.Store("CO");
    s.units.Store(Cp1251::FromUtf8("мг/м3"));
    s.upperLimit.Store("200");
    s.lowerLimit.Store("0");
    s.manufacturer.Store(Cp1251::FromUtf8("Корван"));
    s.sensorType.Store("Elchem");
    s.softwareVersion.Store("1.07");
    s.v1.Store("0.412");
    s.s1.Store("1520.4");
    s.c1.Store("0");
    s.s2.Store("310.7");
    s.c2.Store("100");
    s.concentration.StoreValue("8.30");
    s.adc.Store("20012");
    s.sensorTemperature.StoreValue("23.4");
    return s;
}

TEST(ModbusListFormats, MagnitudeKeepsItsTrailingBlanks)
{
    const struct {
        float value;
        const char* text;
    } cases[] = {{5.0f, "5.00 "},     {9.994f, "9.99 "},  {0.0f, "0.00 "},  {-5.0f, "-5.00 "},
                 {10.0f, "10.0  "},   {42.5f, "42.5  "},  {99.94f, "99.9  "}, {100.0f, "100 "},
                 {150.0f, "150 "},    {9998.0f, "9998 "}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(ModbusListCtrl::MagnitudeText(c.value), QString::fromLatin1(c.text));
    }
}

// The desktop's time zone for the life of the object; the old one comes
// back after it.
class TimeZoneGuard {
public:
    explicit TimeZoneGuard(const char* zone)
    {
        if (const char* old = std::getenv("TZ")) {
            hadOld_ = true;
            old_ = old;
        }
        qputenv("TZ", zone);
        ResetZone();
    }
    ~TimeZoneGuard()
    {
        if (hadOld_)
            qputenv("TZ", old_.c_str());
        else
            qunsetenv("TZ");
        ResetZone();
    }

private:
    static void ResetZone()
    {
#ifdef _WIN32
        _tzset();
#else
        ::tzset();
#endif
    }

    bool hadOld_ = false;
    std::string old_;
};

TEST(ModbusListFormats, ClockIsUtcAndDateHasTwoDigitDayAndMonth)
{
    const struct {
        std::uint32_t seconds;
        const char* text;
    } clocks[] = {{0, "01.01.70 00:00:00"}, {1700000000u, "14.11.23 22:13:20"}, {0xFFFFFFFFu, "07.02.06 06:28:15"}};
    // The detector's clock is UTC on every desktop: zones east and west of
    // Greenwich (as POSIX rules, so no zone database is needed; names of
    // three letters, the only ones the Windows C runtime reads) and the
    // desktop's own.
    for (const char* zone : {"UTC0", "MSK-3", "EST5EDT", "NZT-12"}) {
        SCOPED_TRACE(zone);
        TimeZoneGuard tz(zone);
        // The zone is in force: local midnight of 1970 is not UTC midnight.
        std::time_t epoch = 0;
        std::tm local {};
#ifdef _WIN32
        ::localtime_s(&local, &epoch);
#else
        ::localtime_r(&epoch, &local);
#endif
        if (std::string(zone) != "UTC0") {
            ASSERT_NE(local.tm_hour, 0);
        }
        for (const auto& c : clocks) {
            SCOPED_TRACE(c.seconds);
            EXPECT_EQ(ModbusListCtrl::ClockText(c.seconds), QString::fromLatin1(c.text));
        }
    }
    for (const auto& c : clocks)
        EXPECT_EQ(ModbusListCtrl::ClockText(c.seconds), QString::fromLatin1(c.text));
    DateSlot date;
    date.Store(5, 3, 2024);
    EXPECT_EQ(ModbusListCtrl::DateText(date), "05.03.2024");
    date.Store(22, 11, 24);
    EXPECT_EQ(ModbusListCtrl::DateText(date), "22.11.24");
}

TEST(ModbusListFormats, NumbersKeepThePointUnderARussianLocale)
{
    const QLocale old;
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    EXPECT_EQ(ModbusListCtrl::MagnitudeText(42.5f), "42.5  ");
    ModbusListCtrl list;
    list.Refresh(SensorModbusInterface::kTaskReadDevice, SampleModbusId(1), SampleDevice());
    EXPECT_EQ(list.CellText(ModbusListCtrl::kRowConcentration, 2), "8.300000");
    QLocale::setDefault(old);
}

TEST(ModbusListFormats, SoftwareIdentificationSplitsIntoThreeParts)
{
    const struct {
        const char* text;
        bool splits;
        const char* parts[3];
    } cases[] = {
        {"ABC,123,4567", true, {"ABC", "123", "4567"}},
        {" ABC , 123 , 45,67 ", true, {"ABC", "123", "45,67"}},
        {"ABC,123", true, {"ABC", "123", ""}},
        {"ABC,,4567", false, {"", "", ""}},
        {"ABC", false, {"", "", ""}},
        {"ABC,", false, {"", "", ""}},
        {",123,4567", false, {"", "", ""}},
        {"", false, {"", "", ""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        QString parts[3] = {"x", "x", "x"};
        EXPECT_EQ(ModbusListCtrl::SplitSoftwareId(QString::fromLatin1(c.text), parts), c.splits);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(parts[i], QString::fromLatin1(c.parts[i]));
    }
}

TEST(ModbusList, FillsTheFourteenRowsWithTheirLabelsAndValues)
{
    ModbusListCtrl list;
    EXPECT_EQ(list.RowCount(), 0);
    EXPECT_EQ(list.StatusText(), "Параметры прибора не прочитаны.");
    list.Refresh(SensorModbusInterface::kTaskReadDevice, SampleModbusId(7), SampleDevice());
    EXPECT_EQ(list.StatusText(), "Производится чтение...");
    EXPECT_EQ(Labels(list), (QStringList{"Идентификатор MODBUS", "Идентификационное наименование ПО",
                                        "Идентификационный номер ПО", "Цифровой идентификатор ПО",
                                        "Значение порога 1", "Значение порога 2", "Признак O2", "Режим звука",
                                        "Режим ECO", "Код аналита", "Единица измерений", "Дата калибровки",
                                        "Время (UTC)", "Концентрация"}));
    EXPECT_EQ(Values(list), (QStringList{"7", "ABC", "123", "4567", "5.00 ", "42.5  ", "да", "порог 2", "уровень 1",
                                        "CO", "мг/м3", "05.03.2024", "01.01.70 00:00:00", "8.300000"}));
    for (int row = 0; row < ModbusListCtrl::kRowCount; ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(Bold(list, row), row <= ModbusListCtrl::kRowEcoMode);
        EXPECT_FALSE(Highlighted(list, row));
    }
    EXPECT_EQ(list.horizontalHeader()->sectionSize(1), 290);
}

TEST(ParameterList, TheValueColumnTakesTheRestOfTheClientArea)
{
    ModbusListCtrl list;
    list.Refresh(SensorModbusInterface::kTaskReadDevice, SampleModbusId(7), SampleDevice());
    for (int height : {600, 120}) { // without and with a vertical scroll bar
        SCOPED_TRACE(height);
        list.resize(700, height);
        list.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
        Settle();
        EXPECT_EQ(list.horizontalHeader()->sectionSize(ParameterListCtrl::kLabelColumn), 290);
        EXPECT_EQ(list.horizontalHeader()->sectionSize(ParameterListCtrl::kValueColumn), list.viewport()->width() - 290);
    }
    EXPECT_TRUE(list.verticalScrollBar()->isVisible());
}

TEST(ModbusList, InvalidFieldsAndUnknownValuesShowEmpty)
{
    ModbusListCtrl list;
    DeviceParameters d = SampleDevice();
    d.thresholdsValid = 0;
    d.ecoMode = 3;
    d.softwareIdentification.Store("ABC,,4567");
    d.deviceClock.Invalidate();
    list.Refresh(SensorModbusInterface::kTaskDevicePolling, SensorParameters{}, d);
    const QStringList v = Values(list);
    ASSERT_EQ(v.size(), ModbusListCtrl::kRowCount);
    for (int row : {0, 1, 2, 3, 4, 5, 6, 7, 8, 12})
        EXPECT_TRUE(v[row].isEmpty()) << row;
    EXPECT_EQ(v[ModbusListCtrl::kRowAnalyteCode], "CO");

    // Sound mode beyond 2 means both thresholds; an O2 flag other than 0 is "да".
    d = SampleDevice();
    d.soundMode = 7;
    d.o2Flag = 9;
    list.Refresh(SensorModbusInterface::kTaskDevicePolling, SensorParameters{}, d);
    EXPECT_EQ(list.CellText(ModbusListCtrl::kRowSoundMode, 2), "порог 1 и 2");
    EXPECT_EQ(list.CellText(ModbusListCtrl::kRowO2Flag, 2), "да");
}

TEST(ModbusList, StatusAndRowsFollowTheLineState)
{
    using S = SensorModbusInterface;
    const SensorParameters none;
    const DeviceParameters noDevice;
    const struct {
        const char* name;
        int state;
        bool anythingRead;
        const char* status; // null: unchanged
        bool rows;
    } cases[] = {
        {"closed, nothing read", S::kClosed, false, "Параметры прибора не прочитаны.", false},
        {"idle, nothing read", S::kReady, false, "Параметры прибора не прочитаны.", false},
        {"idle with values", S::kReady, true, "Производится чтение...", true},
        {"closed with values", S::kClosed, true, "Производится чтение...", true},
        {"reading", S::kTaskReadDevice, true, "Производится чтение...", true},
        {"no port", S::kNoPort, true, "В настройках приложения не задан порт обмена по MODBUS/ASCII!", false},
        {"port busy", S::kPortUnavailable, true,
         "Нет доступа к порту обмена по MODBUS/ASCII! Порт отсутствует или занят другим приложением.", false},
        {"no answer", S::kFailed, true,
         "Ошибка обмена с датчиком! Датчик не подключен или не отвечает по MODBUS/ASCII.", false},
        {"polling", S::kTaskDevicePolling, true, nullptr, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ModbusListCtrl list;
        list.SetStatusText("before");
        list.Refresh(c.state, c.anythingRead ? SampleModbusId(3) : none, c.anythingRead ? SampleDevice() : noDevice);
        EXPECT_EQ(list.StatusText(), c.status ? QString::fromUtf8(c.status) : QString("before"));
        EXPECT_EQ(list.RowCount(), c.rows ? ModbusListCtrl::kRowCount : 0);
        if (!c.rows) {
            EXPECT_EQ(list.ShownDevice(), DeviceParameters{});
            EXPECT_EQ(list.EditedSensor(), SensorParameters{});
        }
    }
    // Only the identifier read is enough to show the list.
    ModbusListCtrl list;
    list.Refresh(S::kReady, SampleModbusId(3), noDevice);
    EXPECT_EQ(list.RowCount(), ModbusListCtrl::kRowCount);

    // A task the page does not know changes nothing, rows included.
    list.Refresh(S::kTaskSensorPolling, none, noDevice);
    EXPECT_EQ(list.CellText(0, 2), "3");
}

TEST(ModbusList, IdentifierOutsideTheAddressRangeBecomes247AndIsHighlighted)
{
    const struct {
        const char* typed;
        const char* shown;
        bool highlighted;
    } cases[] = {{"0", "247", true}, {"300", "247", true}, {"12", "12", true}, {"5", "5", false}, {"247", "247", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        ModbusListCtrl list;
        list.Refresh(SensorModbusInterface::kTaskReadDevice, SampleModbusId(5), SampleDevice());
        TypeAndCommit(list, ModbusListCtrl::kRowModbusId, QString::fromLatin1(c.typed));
        EXPECT_EQ(list.CellText(0, 2), QString::fromLatin1(c.shown));
        EXPECT_EQ(Highlighted(list, 0), c.highlighted);
        EXPECT_EQ(list.EditedSensor().modbusId.value, QString::fromLatin1(c.shown).toUInt());
        EXPECT_EQ(list.ShownSensor().modbusId.value, 5u);
    }
    // Read as 247, typed 0: still 247, nothing to highlight.
    ModbusListCtrl list;
    list.Refresh(SensorModbusInterface::kTaskReadDevice, SampleModbusId(247), SampleDevice());
    TypeAndCommit(list, 0, "0");
    EXPECT_EQ(list.CellText(0, 2), "247");
    EXPECT_FALSE(Highlighted(list, 0));
}

TEST(ModbusList, ThresholdsAtOrBelowZeroBecomeTheFallbacks)
{
    const struct {
        int row;
        const char* typed;
        const char* shown;
        float stored;
    } cases[] = {
        {ModbusListCtrl::kRowThreshold1, "-5", "9998.000000", 9998.0f},
        {ModbusListCtrl::kRowThreshold2, "-5", "9999.000000", 9999.0f},
        {ModbusListCtrl::kRowThreshold1, "0", "9998.000000", 9998.0f},
        {ModbusListCtrl::kRowThreshold2, "12.75", "12.75", 12.75f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        ModbusListCtrl list;
        list.Refresh(SensorModbusInterface::kTaskReadDevice, SampleModbusId(1), SampleDevice());
        TypeAndCommit(list, c.row, QString::fromLatin1(c.typed));
        EXPECT_EQ(list.CellText(c.row, 2), QString::fromLatin1(c.shown));
        EXPECT_TRUE(Highlighted(list, c.row));
        const int other = c.row == ModbusListCtrl::kRowThreshold1 ? ModbusListCtrl::kRowThreshold2 : ModbusListCtrl::kRowThreshold1;
        EXPECT_FALSE(Highlighted(list, other));
        const DeviceParameters& e = list.EditedDevice();
        EXPECT_EQ(c.row == ModbusListCtrl::kRowThreshold1 ? e.threshold1 : e.threshold2, c.stored);
    }
}

TEST(ModbusList, ANumberThatDoesNotParseIsRefusedAndTheValueStays)
{
    const struct {
        int row;
        const char* typed;
    } cases[] = {{ModbusListCtrl::kRowThreshold1, "-"}, {ModbusListCtrl::kRowThreshold1, "1.2.3"},
                 {ModbusListCtrl::kRowThreshold2, ""},  {ModbusListCtrl::kRowThreshold2, "."},
                 {ModbusListCtrl::kRowModbusId, ""},    {ModbusListCtrl::kRowSoftwareName, "A,B"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        ModbusListCtrl list;
        list.Refresh(SensorModbusInterface::kTaskReadDevice, SampleModbusId(1), SampleDevice());
        const QString before = list.CellText(c.row, 2);
        TypeAndCommit(list, c.row, QString::fromLatin1(c.typed));
        EXPECT_EQ(list.CellText(c.row, 2), before);
        EXPECT_FALSE(Highlighted(list, c.row));
        EXPECT_EQ(list.EditedDevice(), list.ShownDevice());
        EXPECT_EQ(list.EditedSensor(), list.ShownSensor());
    }
}

TEST(ModbusList, APastedNumberThatIsNotFiniteIsRefused)
{
    for (const char* pasted : {"nan", "inf", "-inf"}) {
        SCOPED_TRACE(pasted);
        ModbusListCtrl list;
        list.Refresh(SensorModbusInterface::kTaskReadDevice, SampleModbusId(1), SampleDevice());
        const QString before = list.CellText(ModbusListCtrl::kRowThreshold1, 2);
        auto* editor = qobject_cast<QLineEdit*>(list.EditCell(ModbusListCtrl::kRowThreshold1, 2));
        ASSERT_NE(editor, nullptr);
        // A paste puts the text in without key events.
        editor->setText(QString::fromLatin1(pasted));
        QTest::keyClick(editor, Qt::Key_Return);
        Settle();
        EXPECT_EQ(list.CellText(ModbusListCtrl::kRowThreshold1, 2), before);
        EXPECT_EQ(list.EditedDevice(), list.ShownDevice());
    }
}

TEST(ModbusList, AValueShownRoundedIsNotChangedByClosingItsEditor)
{
    ModbusListCtrl list;
    DeviceParameters d = SampleDevice();
    d.threshold1 = 150.3f;
    list.Refresh(SensorModbusInterface::kTaskReadDevice, SampleModbusId(1), d);
    ASSERT_EQ(list.CellText(ModbusListCtrl::kRowThreshold1, 2), "150 ");
    QWidget* editor = list.EditCell(ModbusListCtrl::kRowThreshold1, 2);
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_Return);
    Settle();
    EXPECT_EQ(list.EditedDevice().threshold1, 150.3f);
    EXPECT_FALSE(Highlighted(list, ModbusListCtrl::kRowThreshold1));
}

TEST(ModbusList, SoftwareIdentificationEditsJoinTheThreeParts)
{
    ModbusListCtrl list;
    list.Refresh(SensorModbusInterface::kTaskReadDevice, SampleModbusId(1), SampleDevice());
    TypeAndCommit(list, ModbusListCtrl::kRowSoftwareNumber, "124");
    EXPECT_EQ(list.EditedDevice().softwareIdentification.text, "ABC,124,4567");
    EXPECT_FALSE(Highlighted(list, ModbusListCtrl::kRowSoftwareName));
    EXPECT_TRUE(Highlighted(list, ModbusListCtrl::kRowSoftwareNumber));
    EXPECT_FALSE(Highlighted(list, ModbusListCtrl::kRowSoftwareDigest));

    // A Cyrillic name goes into the device's code page.
    TypeAndCommit(list, ModbusListCtrl::kRowSoftwareName, "ПО-1");
    EXPECT_EQ(list.EditedDevice().softwareIdentification.text, Cp1251::FromUtf8("ПО-1,124,4567"));
    EXPECT_TRUE(Highlighted(list, ModbusListCtrl::kRowSoftwareName));

    // An emptied number does not split any more: nothing is highlighted.
    TypeAndCommit(list, ModbusListCtrl::kRowSoftwareNumber, "");
    EXPECT_EQ(list.EditedDevice().softwareIdentification.text, Cp1251::FromUtf8("ПО-1,,4567"));
    for (int row = 1; row <= 3; ++row)
        EXPECT_FALSE(Highlighted(list, row)) << row;
}

TEST(ModbusList, DropDownsStoreTheChosenEntrysData)
{
    ModbusListCtrl list;
    list.Refresh(SensorModbusInterface::kTaskReadDevice, SampleModbusId(1), SampleDevice());
    // O2 "да" → "нет"? The list opens on the shown entry; Up goes to "нет".
    auto* combo = qobject_cast<CGridEditorComboBox*>(list.EditCell(ModbusListCtrl::kRowO2Flag, 2));
    ASSERT_NE(combo, nullptr);
    QTest::keyClick(combo, Qt::Key_Up);
    QTest::keyClick(combo, Qt::Key_Return);
    Settle();
    EXPECT_EQ(list.CellText(ModbusListCtrl::kRowO2Flag, 2), "нет");
    EXPECT_EQ(list.EditedDevice().o2Flag, 0);
    EXPECT_TRUE(Highlighted(list, ModbusListCtrl::kRowO2Flag));

    PickBelow(list, ModbusListCtrl::kRowSoundMode, 1); // порог 2 → порог 1 и 2
    EXPECT_EQ(list.CellText(ModbusListCtrl::kRowSoundMode, 2), "порог 1 и 2");
    EXPECT_EQ(list.EditedDevice().soundMode, 3);
    EXPECT_TRUE(Highlighted(list, ModbusListCtrl::kRowSoundMode));

    PickBelow(list, ModbusListCtrl::kRowEcoMode, 1); // уровень 1 → уровень 2
    EXPECT_EQ(list.EditedDevice().ecoMode, 2);
    EXPECT_TRUE(Highlighted(list, ModbusListCtrl::kRowEcoMode));
    EXPECT_FALSE(Highlighted(list, ModbusListCtrl::kRowThreshold1));

    // The next read replaces the edits.
    list.Refresh(SensorModbusInterface::kReady, SampleModbusId(1), SampleDevice());
    for (int row = 0; row < ModbusListCtrl::kRowCount; ++row)
        EXPECT_FALSE(Highlighted(list, row)) << row;
    EXPECT_EQ(list.CellText(ModbusListCtrl::kRowO2Flag, 2), "да");
}

TEST(SensorList, FillsTheSeventeenRowsAsTheSensorSentThem)
{
    SensorListCtrl list;
    EXPECT_EQ(list.StatusText(), "Параметры сенсора не прочитаны.");
    list.Refresh(SensorModbusInterface::kTaskReadSensor, SampleSensor());
    EXPECT_EQ(Labels(list), (QStringList{"Серийный номер", "Дата изготовления", "Дата калибровки", "Код аналита",
                                        "Единица измерений", "Верхний предел измерения", "Нижний предел измерения",
                                        "Название производителя", "Тип сенсора", "Версия ПО сенсора", "V1/S1", "C1",
                                        "V2/S2", "C2", "Концентрация", "АЦП", "Температура сенсора"}));
    EXPECT_EQ(Values(list), (QStringList{"20240117", "17.01.24", "22.01.24", "CO", "мг/м3", "200", "0", "Корван",
                                        "Elchem", "1.07", "0.412", "0", "310.7", "100", "8.30", "20012", "23.4"}));
    for (int row = 0; row < SensorListCtrl::kRowCount; ++row)
        EXPECT_EQ(Bold(list, row), row < SensorListCtrl::kEditableRows) << row;
}

TEST(SensorList, FallbacksAndTheErrorAnswer)
{
    const struct {
        const char* name;
        std::function<void(SensorParameters&)> change;
        int row;
        const char* shown;
    } cases[] = {
        {"v1 missing: s1", [](SensorParameters& s) { s.v1.Clear(); }, SensorListCtrl::kRowV1S1, "1520.4"},
        {"v1 present: v1", [](SensorParameters&) {}, SensorListCtrl::kRowV1S1, "0.412"},
        {"neither", [](SensorParameters& s) { s.v1.Clear(); s.s1.Clear(); }, SensorListCtrl::kRowV1S1, ""},
        {"v2 present", [](SensorParameters& s) { s.v2.Store("1.873"); }, SensorListCtrl::kRowV2S2, "1.873"},
        {"error answer", [](SensorParameters& s) { s.concentration.StoreError("0101"); },
         SensorListCtrl::kRowConcentration, "ошибка"},
        {"no answer", [](SensorParameters& s) { s.concentration.Clear(); }, SensorListCtrl::kRowConcentration, ""},
        {"temperature error", [](SensorParameters& s) { s.sensorTemperature.StoreError("1"); },
         SensorListCtrl::kRowSensorTemperature, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SensorParameters s = SampleSensor();
        c.change(s);
        SensorListCtrl list;
        list.Refresh(SensorModbusInterface::kTaskSensorPolling, s);
        EXPECT_EQ(list.CellText(c.row, 2), QString::fromUtf8(c.shown));
    }
}

TEST(SensorList, StatusAndRowsFollowTheLineState)
{
    using S = SensorModbusInterface;
    SensorParameters onlyHart; // fields the page does not show do not count
    onlyHart.hartId.Store(3);
    onlyHart.modbusId.Store(1);
    const struct {
        const char* name;
        int state;
        SensorParameters record;
        const char* status; // null: unchanged
        bool rows;
    } cases[] = {
        {"idle, nothing shown read", S::kReady, onlyHart, "Параметры сенсора не прочитаны.", false},
        {"closed with values", S::kClosed, SampleSensor(), "Производится чтение...", true},
        {"reading", S::kTaskReadSensor, SampleSensor(), "Производится чтение...", true},
        {"no port", S::kNoPort, SampleSensor(), "В настройках приложения не задан порт обмена по MODBUS/ASCII!", false},
        {"port busy", S::kPortUnavailable, SampleSensor(),
         "Нет доступа к порту обмена по MODBUS/ASCII! Порт отсутствует или занят другим приложением.", false},
        {"no answer", S::kFailed, SampleSensor(),
         "Ошибка обмена с датчиком! Датчик не подключен или не отвечает по MODBUS/ASCII.", false},
        {"polling", S::kTaskSensorPolling, SampleSensor(), nullptr, true},
        {"connecting", S::kTaskReadAll, SampleSensor(), nullptr, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SensorListCtrl list;
        list.SetStatusText("before");
        list.Refresh(c.state, c.record);
        EXPECT_EQ(list.StatusText(), c.status ? QString::fromUtf8(c.status) : QString("before"));
        EXPECT_EQ(list.RowCount(), c.rows ? SensorListCtrl::kRowCount : 0);
    }
}

TEST(SensorList, EditsAreHighlightedOnlyWhenTheTextDiffers)
{
    const struct {
        int row;
        const char* typed;
        bool highlighted;
        const char* stored;
    } cases[] = {
        {SensorListCtrl::kRowSerialNumber, "20240117", false, "20240117"},
        {SensorListCtrl::kRowSerialNumber, "20240118", true, "20240118"},
        {SensorListCtrl::kRowManufacturer, "корван", true, "корван"},
        {SensorListCtrl::kRowUnits, " мг/м3 ", false, "мг/м3"},
        {SensorListCtrl::kRowUpperLimit, "250", true, "250"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        SensorListCtrl list;
        list.Refresh(SensorModbusInterface::kTaskReadSensor, SampleSensor());
        TypeAndCommit(list, c.row, QString::fromUtf8(c.typed));
        EXPECT_EQ(Highlighted(list, c.row), c.highlighted);
        const TextSlot& slot = list.Edited().*SensorListCtrl::EditableField(c.row);
        EXPECT_EQ(slot.text, Cp1251::FromUtf8(c.stored));
        EXPECT_EQ(slot.valid, 1u);
        for (int other = 0; other < SensorListCtrl::kRowCount; ++other) {
            if (other != c.row) {
                EXPECT_FALSE(Highlighted(list, other)) << other;
            }
        }
    }
}

TEST(SensorList, ATextTheDevicesCodePageCannotHoldIsRefused)
{
    SensorListCtrl list;
    list.Refresh(SensorModbusInterface::kTaskReadSensor, SampleSensor());
    TypeAndCommit(list, SensorListCtrl::kRowManufacturer, QString::fromUtf8("Ω-Co"));
    EXPECT_EQ(list.CellText(SensorListCtrl::kRowManufacturer, 2), "Корван");
    EXPECT_EQ(list.Edited(), list.Shown());
}

TEST(SensorList, TheEditsChangedMessageReachesThePage)
{
    struct Target : QObject {
        int edits = 0;
        void customEvent(QEvent* e) override
        {
            if (e->type() == WindowMessageEvent::EventType() &&
                static_cast<WindowMessageEvent*>(e)->Message() == ParameterListCtrl::WM_EDITS_CHANGED)
                ++edits;
        }
    } target;
    SensorListCtrl list;
    list.SetEditsTarget(&target);
    list.Refresh(SensorModbusInterface::kTaskReadSensor, SampleSensor());
    TypeAndCommit(list, SensorListCtrl::kRowSerialNumber, "1");
    EXPECT_EQ(target.edits, 1);
    // A cancelled edit says nothing.
    QWidget* editor = list.EditCell(SensorListCtrl::kRowSerialNumber, 2);
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_Escape);
    Settle();
    EXPECT_EQ(target.edits, 1);
}

} // namespace
