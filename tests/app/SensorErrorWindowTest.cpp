// The sensor-error window on records the test builds: which bits it lists,
// in what order, and that an unchanged error word leaves the list alone.
#include <gtest/gtest.h>

#include "QtPrinters.h"

#include <QCoreApplication>
#include <QListWidget>
#include <QScrollBar>

#include "DevErrorMessageDlg.h"
#include "Engine.h"
#include "SensorParameters.h"
#include "StringTable.h"
#include "WindowRegistry.h"

namespace {

QStringList Items(const QListWidget& list)
{
    QStringList out;
    for (int i = 0; i < list.count(); ++i)
        out << list.item(i)->text();
    return out;
}

TEST(SensorErrorBitsTest, RightmostCharacterIsBitZero)
{
    struct Case {
        std::string text;
        std::uint32_t word;
    };
    const Case cases[] = {
        {"", 0},
        {"0", 0},
        {"101", 0x5},
        {"1010000000", (1u << 7) | (1u << 9)},
        {"1x1", 0x5},             // only "1" sets a bit
        {"1" + std::string(31, '0'), 0x80000000u},
        {"1" + std::string(32, '0'), 0},  // beyond the 32nd character from the right
        {std::string(40, '1'), 0xFFFFFFFFu},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DevErrorMessageDlg::ErrorBits(c.text), c.word) << c.text;
}

TEST(SensorErrorBitsTest, TextsOfTheBits)
{
    EXPECT_EQ(DevErrorMessageDlg::BitText(0), "Нагреватель отключен");
    // The sensor's own wording, two spaces included.
    EXPECT_EQ(DevErrorMessageDlg::BitText(6), "Слишком высокое сопротивление полупроводникового слоя  (обрыв)");
    EXPECT_EQ(DevErrorMessageDlg::BitText(8), StringTable::Get(322));
    EXPECT_EQ(DevErrorMessageDlg::BitText(14), StringTable::Get(325));
    for (int bit : {7, 9, 10, 11, 15, 31})
        EXPECT_EQ(DevErrorMessageDlg::BitText(bit), "Неизвестная ошибка") << bit;
}

TEST(SensorErrorBitsTest, OnlyReadingsWithTheirErrorFlagCount)
{
    SensorParameters r;
    EXPECT_FALSE(DevErrorMessageDlg::AnyErrorFlag(r));
    r.concentration.error = "111"; // a text without its flag is not an error
    EXPECT_FALSE(DevErrorMessageDlg::AnyErrorFlag(r));
    EXPECT_EQ(DevErrorMessageDlg::ErrorWord(r), 0u);
    r.sensorTemperature.StoreError("1");
    r.dwReading.StoreError("100");
    EXPECT_TRUE(DevErrorMessageDlg::AnyErrorFlag(r));
    EXPECT_EQ(DevErrorMessageDlg::ErrorWord(r), 0x5u);
    for (auto set : std::initializer_list<void (*)(SensorParameters&)>{
             [](SensorParameters& p) { p.concentration.StoreError("0"); },
             [](SensorParameters& p) { p.thReading.StoreError("0"); },
             [](SensorParameters& p) { p.rpReading.StoreError("0"); },
             [](SensorParameters& p) { p.rhReading.StoreError("0"); },
             [](SensorParameters& p) { p.shReading.StoreError("0"); }}) {
        SensorParameters p;
        set(p);
        EXPECT_TRUE(DevErrorMessageDlg::AnyErrorFlag(p));
    }
}

TEST(SensorErrorPlacementTest, AboveTheOwnerButNeverAboveTheScreen)
{
    EXPECT_EQ(DevErrorMessageDlg::PlaceAbove(QRect(40, 500, 900, 600), QSize(800, 150), 0), QPoint(40, 350));
    EXPECT_EQ(DevErrorMessageDlg::PlaceAbove(QRect(40, 0, 900, 600), QSize(800, 150), 0), QPoint(40, 0));
    EXPECT_EQ(DevErrorMessageDlg::PlaceAbove(QRect(40, 100, 900, 600), QSize(800, 150), 0), QPoint(40, 0));
}

class SensorErrorWindowTest : public ::testing::Test {
protected:
    Engine engine;
    WindowRegistry windows;
    DevErrorMessageDlg dlg{engine, windows};
};

TEST_F(SensorErrorWindowTest, ListsTheSetBitsFromBitZeroUp)
{
    EXPECT_EQ(dlg.windowTitle(), "Ошибки сенсора");
    EXPECT_EQ(dlg.List()->count(), 0);
    EXPECT_EQ(engine.Registered(4125), std::vector<WindowHandle>{dlg.Handle()});

    SensorParameters r;
    r.concentration.StoreError("101");
    dlg.Refresh(r);
    EXPECT_EQ(Items(*dlg.List()), (QStringList{StringTable::Get(315), StringTable::Get(317)}));

    r.concentration.StoreError("1010000000");
    dlg.Refresh(r);
    EXPECT_EQ(Items(*dlg.List()), (QStringList{"Неизвестная ошибка", "Неизвестная ошибка"}));

    // A flag with a word of 0: nothing to list.
    r.concentration.StoreError("000");
    dlg.Refresh(r);
    EXPECT_EQ(dlg.List()->count(), 0);
    EXPECT_EQ(dlg.ShownWord(), 0u);
}

TEST_F(SensorErrorWindowTest, TheSameWordLeavesTheListAndItsScrollPosition)
{
    dlg.show();
    SensorParameters r;
    r.concentration.StoreError(std::string(32, '1'));
    dlg.Refresh(r);
    QCoreApplication::processEvents(); // the list lays its items out
    ASSERT_EQ(dlg.List()->count(), 32);
    QScrollBar* bar = dlg.List()->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    bar->setValue(bar->maximum());
    const QListWidgetItem* first = dlg.List()->item(0);

    // The same word again, this time from another reading.
    SensorParameters same;
    same.sensorTemperature.StoreError(std::string(32, '1'));
    dlg.Refresh(same);
    QCoreApplication::processEvents();
    EXPECT_EQ(dlg.List()->item(0), first);
    EXPECT_EQ(bar->value(), bar->maximum());

    r.concentration.StoreError("1");
    dlg.Refresh(r);
    EXPECT_EQ(Items(*dlg.List()), (QStringList{StringTable::Get(315)}));
}

TEST_F(SensorErrorWindowTest, UnregistersWhenDestroyed)
{
    auto* other = new DevErrorMessageDlg(engine, windows);
    const WindowHandle handle = other->Handle();
    EXPECT_EQ(engine.Registered(4125).size(), 2u);
    delete other;
    EXPECT_EQ(engine.Registered(4125), std::vector<WindowHandle>{dlg.Handle()});
    EXPECT_FALSE(windows.IsLive(handle));
}

} // namespace
