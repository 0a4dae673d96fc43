// The HART page's list on its own, fed with records as the engine copies
// them out: the chain of rows, the status by the HART worker's state, the
// scan progress, and the edits with their fitting and packed-text rule.
#include <gtest/gtest.h>

#include "QtPrinters.h"

#include <QApplication>
#include <QBrush>
#include <QCoreApplication>
#include <QFont>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>

#include <functional>

#include "CGridEditorComboBox.h"
#include "Cp1251.h"
#include "HartListCtrl.h"
#include "SensorHartInterface.h"

namespace {

using S = SensorHartInterface;

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

// The list with its commit reachable as the grid calls it, for texts that
// the packed editor's typing rule would stop before they arrive (a paste
// of a cell whose text came from elsewhere).
class OpenHartList : public HartListCtrl {
public:
    using HartListCtrl::OnEditComplete;
};

HartParameters SampleHart()
{
    HartParameters h;
    h.pollingAddress.Store(5);
    h.uniqueId.Store("#2A510012AB");
    h.loopCurrentMode.Store(1);
    h.shortTag.Store("GD-0001 ");
    h.longTag.Store("Gas detector, boiler room 2");
    h.message.Store("CALIBRATED" + std::string(22, ' '));
    h.descriptor.Store("GAS DETECTOR    ");
    h.date.Store("15.03.2024");
    h.sensorSerial.Store("01010001");
    h.upperRange.Store(Cp1251::FromUtf8("500 г/м3"));
    h.primaryValue.Store(Cp1251::FromUtf8("250 г/м3"));
    h.outputCurrent.Store(Cp1251::FromUtf8("12.0 мА"));
    return h;
}

void TypeAndCommit(ParameterListCtrl& list, int row, const QString& text)
{
    auto* editor = qobject_cast<QLineEdit*>(list.EditCell(row, ParameterListCtrl::kValueColumn));
    ASSERT_NE(editor, nullptr) << "row " << row;
    editor->selectAll();
    editor->del();
    for (QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, int(ch.toUpper().unicode()), Qt::NoModifier, QString(ch));
        QApplication::sendEvent(editor, &press);
    }
    QTest::keyClick(editor, Qt::Key_Return);
    Settle();
}

TEST(HartList, FillsTheTwelveRowsWithTheirLabelsAndValues)
{
    HartListCtrl list;
    EXPECT_EQ(list.StatusText(), "Параметры HART не прочитаны");
    list.Refresh(S::kReady, SampleHart());
    EXPECT_EQ(list.StatusText(), "Производится чтение...");
    EXPECT_EQ(Labels(list), (QStringList{"Короткий идентификатор", "Управление выходным током",
                                        "Короткая метка (Short Tag)", "Длинная метка (Long Tag)", "Сообщение (Message)",
                                        "Уникальный адрес (Device Type/Unique ID)", "Описание (Descriptor)", "Дата",
                                        "Серийный номер измерительного модуля", "Верхний предел измерения",
                                        "Концентрация", "Выходной ток"}));
    EXPECT_EQ(Values(list), (QStringList{"5", "включено", "GD-0001 ", "Gas detector, boiler room 2",
                                        "CALIBRATED" + QString(22, ' '), "#2A510012AB", "GAS DETECTOR    ",
                                        "15.03.2024", "01010001", "500 г/м3", "250 г/м3", "12.0 мА"}));
    for (int row = 0; row < HartListCtrl::kRowCount; ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(Bold(list, row), row < HartListCtrl::kEditableRows);
        EXPECT_FALSE(Highlighted(list, row));
    }
    HartParameters off = SampleHart();
    off.loopCurrentMode.Store(0);
    list.Refresh(S::kReady, off);
    EXPECT_EQ(list.CellText(HartListCtrl::kRowLoopCurrentMode, 2), "выключено");
}

TEST(HartList, TheFirstFieldNotReadEndsTheList)
{
    const struct {
        const char* name;
        std::function<void(HartParameters&)> drop;
        int rows;
    } cases[] = {
        {"long tag", [](HartParameters& h) { h.longTag.Clear(); }, 3},
        {"polling address", [](HartParameters& h) { h.pollingAddress.Clear(); }, 0},
        {"unique identifier", [](HartParameters& h) { h.uniqueId.Clear(); }, 5},
        {"loop current mode", [](HartParameters& h) { h.loopCurrentMode.Clear(); }, 1},
        {"output current", [](HartParameters& h) { h.outputCurrent.Clear(); }, 11},
        {"nothing", [](HartParameters&) {}, 12},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        HartListCtrl list;
        HartParameters h = SampleHart();
        c.drop(h);
        list.Refresh(S::kMonitoring, h);
        EXPECT_EQ(list.RowCount(), c.rows);
    }
}

TEST(HartList, RowsBeyondTheChainKeepAnEarlierFillUntilTheListIsEmptied)
{
    HartListCtrl list;
    list.Refresh(S::kReady, SampleHart());
    HartParameters h = SampleHart();
    h.message.Clear();
    h.shortTag.Store("NEW-TAG ");
    h.outputCurrent.Store(Cp1251::FromUtf8("4.00 мА"));
    list.Refresh(S::kMonitoring, h);
    ASSERT_EQ(list.RowCount(), HartListCtrl::kRowCount);
    EXPECT_EQ(list.CellText(HartListCtrl::kRowShortTag, 2), "NEW-TAG ");
    EXPECT_EQ(list.CellText(HartListCtrl::kRowMessage, 2), "CALIBRATED" + QString(22, ' '));
    EXPECT_EQ(list.CellText(HartListCtrl::kRowOutputCurrent, 2), "12.0 мА");

    list.Refresh(S::kNoAnswer, h);
    EXPECT_EQ(list.RowCount(), 0);
    list.Refresh(S::kMonitoring, h);
    EXPECT_EQ(list.RowCount(), 4);
}

TEST(HartList, StatusAndRowsFollowTheHartWorkersState)
{
    HartParameters incomplete = SampleHart();
    incomplete.date.Clear();
    const struct {
        const char* name;
        std::uint32_t state;
        HartParameters hart;
        const char* status; // null: unchanged
        int rows;
    } cases[] = {
        {"no port", S::kNoPort, SampleHart(), "В настройках приложения не задан порт обмена по HART!", 0},
        {"port busy", S::kOpenFailed, SampleHart(),
         "Нет доступа к порту обмена по HART! Порт отсутствует или занят другим приложением.", 0},
        {"no answer", S::kNoAnswer, SampleHart(),
         "Ошибка обмена с датчиком! Датчик не подключен или не отвечает по HART.", 0},
        {"closed, every flag set", S::kClosed, SampleHart(), "Производится чтение...", 12},
        {"closed, one flag missing", S::kClosed, incomplete, "Параметры HART не прочитаны", 0},
        {"closed, nothing read", S::kClosed, HartParameters{}, "Параметры HART не прочитаны", 0},
        {"ready", S::kReady, SampleHart(), "Производится чтение...", 12},
        {"reading", S::kReadingAll, SampleHart(), "Производится чтение...", 12},
        {"monitoring", S::kMonitoring, SampleHart(), nullptr, 12},
        {"loop current", S::kLoopCurrent, SampleHart(), nullptr, 12},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        HartListCtrl list;
        list.SetStatusText("before");
        list.Refresh(c.state, c.hart);
        EXPECT_EQ(list.StatusText(), c.status ? QString::fromUtf8(c.status) : QString("before"));
        EXPECT_EQ(list.RowCount(), c.rows);
        if (c.rows == 0) {
            EXPECT_EQ(list.Shown(), HartParameters{});
            EXPECT_EQ(list.Edited(), HartParameters{});
        } else {
            EXPECT_EQ(list.Shown(), c.hart);
        }
    }
    // A port the user may not open: the page's text for it replaces the
    // "missing or busy" one, and only for that state.
    {
        const QString denied = "Нет прав на порт /dev/ttyUSB1: добавьте пользователя в группу dialout и войдите в систему заново.";
        HartListCtrl list;
        list.Refresh(S::kReady, SampleHart());
        list.SetPortDeniedText(denied);
        list.Refresh(S::kOpenFailed, SampleHart());
        EXPECT_EQ(list.StatusText(), denied);
        EXPECT_EQ(list.RowCount(), 0);
        list.Refresh(S::kNoPort, SampleHart());
        EXPECT_EQ(list.StatusText(), "В настройках приложения не задан порт обмена по HART!");
        list.SetPortDeniedText(QString());
        list.Refresh(S::kOpenFailed, SampleHart());
        EXPECT_EQ(list.StatusText(), "Нет доступа к порту обмена по HART! Порт отсутствует или занят другим приложением.");
    }
    // A state above 8 changes nothing.
    HartListCtrl list;
    list.Refresh(S::kReady, SampleHart());
    list.Refresh(9, HartParameters{});
    EXPECT_EQ(list.RowCount(), HartListCtrl::kRowCount);
    EXPECT_EQ(list.Shown(), SampleHart());
}

TEST(HartList, ScanProgressShowsTheTriedAddressAndNoRows)
{
    HartListCtrl list;
    list.Refresh(S::kReady, SampleHart());
    list.ShowProgress(7);
    EXPECT_EQ(list.StatusText(), "Производится сканирование... (ID=7)");
    EXPECT_EQ(list.RowCount(), 0);
    EXPECT_EQ(list.Shown(), HartParameters{});
}

TEST(HartList, FittingAndThePackedTextRule)
{
    const struct {
        const char* in;
        int length;
        const char* fitted;
    } fits[] = {{"abc", 5, "abc  "}, {"abcdef", 4, "abcd"}, {"", 3, "   "}, {"exact", 5, "exact"}};
    for (const auto& c : fits)
        EXPECT_EQ(HartListCtrl::FitText(QString::fromUtf8(c.in), c.length), QString::fromUtf8(c.fitted)) << c.in;
    const struct {
        const char* in;
        const char* packed;
    } packs[] = {{"abc?", "ABC?"}, {"Жук", "@@@"}, {"a`b{z}~", "A@B@Z@@"}, {" !_09AZ", " !_09AZ"}, {"\t\x7f", "@@"}};
    for (const auto& c : packs)
        EXPECT_EQ(HartListCtrl::PackedText(QString::fromUtf8(c.in)), QString::fromUtf8(c.packed)) << c.in;
}

TEST(HartList, EditsAreFittedPackedStoredAndHighlighted)
{
    const struct {
        const char* name;
        int row;
        const char* typed;
        const char* shown;
        bool highlighted;
        bool paste; // past the editor's typing rule
    } cases[] = {
        {"short tag in lower case", HartListCtrl::kRowShortTag, "abc?", "ABC?    ", true, false},
        {"short tag with a Cyrillic letter", HartListCtrl::kRowShortTag, "aЖ1", "A@1     ", true, true},
        {"short tag as read", HartListCtrl::kRowShortTag, "GD-0001", "GD-0001 ", false, false},
        {"long tag of 40 characters", HartListCtrl::kRowLongTag, "0123456789012345678901234567890123456789",
         "01234567890123456789012345678901", true, true},
        {"long tag of 5 characters", HartListCtrl::kRowLongTag, "Boil1", "Boil1                           ", true, false},
        {"message", HartListCtrl::kRowMessage, "hello", "HELLO                           ", true, false},
        {"address 64", HartListCtrl::kRowPollingAddress, "64", "0", true, false},
        {"address 63", HartListCtrl::kRowPollingAddress, "63", "63", true, false},
        {"address as read", HartListCtrl::kRowPollingAddress, "05", "05", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OpenHartList list;
        list.Refresh(S::kReady, SampleHart());
        if (c.paste) {
            ASSERT_TRUE(list.OnEditComplete(c.row, ParameterListCtrl::kValueColumn, QString::fromUtf8(c.typed), 0));
            Settle();
        } else {
            TypeAndCommit(list, c.row, QString::fromUtf8(c.typed));
        }
        EXPECT_EQ(list.CellText(c.row, 2), QString::fromUtf8(c.shown));
        EXPECT_EQ(Highlighted(list, c.row), c.highlighted);
        for (int other = 0; other < HartListCtrl::kRowCount; ++other) {
            if (other != c.row) {
                EXPECT_FALSE(Highlighted(list, other)) << other;
            }
        }
        EXPECT_EQ(list.Shown(), SampleHart());
    }
    // The stored values.
    OpenHartList list;
    list.Refresh(S::kReady, SampleHart());
    TypeAndCommit(list, HartListCtrl::kRowPollingAddress, "64");
    EXPECT_EQ(list.Edited().pollingAddress.value, 0u);
    TypeAndCommit(list, HartListCtrl::kRowShortTag, "abc?");
    EXPECT_EQ(list.Edited().shortTag.text, "ABC?    ");
    TypeAndCommit(list, HartListCtrl::kRowLongTag, "Boil1");
    EXPECT_EQ(list.Edited().longTag.text, "Boil1" + std::string(27, ' '));
    // An emptied address is no address.
    TypeAndCommit(list, HartListCtrl::kRowPollingAddress, "");
    EXPECT_EQ(list.CellText(HartListCtrl::kRowPollingAddress, 2), "0");
}

TEST(HartList, ThePackedEditorTakesLowerCaseAsCapitalsAndRefusesCyrillic)
{
    HartListCtrl list;
    list.Refresh(S::kReady, SampleHart());
    TypeAndCommit(list, HartListCtrl::kRowShortTag, "abЖc");
    EXPECT_EQ(list.CellText(HartListCtrl::kRowShortTag, 2), "ABC     ");
}

TEST(HartList, TheLoopCurrentModeDropDownStoresItsItemData)
{
    HartListCtrl list;
    list.Refresh(S::kReady, SampleHart());
    auto* combo = qobject_cast<CGridEditorComboBox*>(list.EditCell(HartListCtrl::kRowLoopCurrentMode, 2));
    ASSERT_NE(combo, nullptr);
    QTest::keyClick(combo, Qt::Key_Up);
    QTest::keyClick(combo, Qt::Key_Return);
    Settle();
    EXPECT_EQ(list.CellText(HartListCtrl::kRowLoopCurrentMode, 2), "выключено");
    EXPECT_EQ(list.Edited().loopCurrentMode.value, 0u);
    EXPECT_TRUE(Highlighted(list, HartListCtrl::kRowLoopCurrentMode));
    // The next read replaces the edits.
    list.Refresh(S::kReady, SampleHart());
    EXPECT_FALSE(Highlighted(list, HartListCtrl::kRowLoopCurrentMode));
    EXPECT_EQ(list.CellText(HartListCtrl::kRowLoopCurrentMode, 2), "включено");
}

} // namespace
