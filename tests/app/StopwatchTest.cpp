// The stopwatch driven by a clock of the test's own: no test here waits for
// real time to pass.
#include <gtest/gtest.h>

#include "QtPrinters.h"

#include <QDir>
#include <QPushButton>

#include "StringTable.h"
#include "TimerDlg.h"
#include "VirtualTime.h"

namespace {

TEST(StopwatchTextTest, MinutesAreNotCappedAt59)
{
    struct Case {
        std::uint32_t ms;
        const char* text;
    };
    const Case cases[] = {{0, "00:00"},           {999, "00:00"},         {59999, "00:59"},
                          {60000, "01:00"},       {3599999, "59:59"},      {100 * 60000, "100:00"},
                          {0xFFFFFFFFu, "71582:47"}};
    for (const Case& c : cases)
        EXPECT_EQ(TimerDlg::ElapsedText(c.ms), QString::fromUtf8(c.text)) << c.ms;
}

class StopwatchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        clock.Advance(123456); // any start; the stopwatch counts differences
        dlg = std::make_unique<TimerDlg>(clock);
        dlg->Open(QPoint(10, 10));
    }
    void Pass(std::uint64_t ms)
    {
        clock.Advance(ms);
        dlg->OnTick();
    }

    VirtualTime clock;
    std::unique_ptr<TimerDlg> dlg;
};

TEST_F(StopwatchTest, OpensStoppedAtZero)
{
    EXPECT_EQ(dlg->Text(), "00:00");
    EXPECT_FALSE(dlg->IsRunning());
    EXPECT_TRUE(dlg->StartButton()->isEnabled());
    EXPECT_FALSE(dlg->StopButton()->isEnabled());
    EXPECT_EQ(dlg->windowTitle(), "Таймер");
    EXPECT_EQ(dlg->StartButton()->text(), "Старт");
    EXPECT_EQ(dlg->StopButton()->text(), "Стоп");
    EXPECT_EQ(dlg->ResetButton()->text(), "Сброс");
    // A tick while stopped changes nothing.
    Pass(5000);
    EXPECT_EQ(dlg->Text(), "00:00");
}

TEST_F(StopwatchTest, RunsFromStartToTheMinuteAndPastAnHour)
{
    dlg->StartButton()->click();
    EXPECT_TRUE(dlg->IsRunning());
    EXPECT_TRUE(dlg->IsTicking());
    EXPECT_FALSE(dlg->StartButton()->isEnabled());
    EXPECT_TRUE(dlg->StopButton()->isEnabled());
    Pass(59999);
    EXPECT_EQ(dlg->Text(), "00:59");
    const int fiveCharacterHeight = dlg->FontHeight();
    Pass(1);
    EXPECT_EQ(dlg->Text(), "01:00");
    Pass(99 * 60000);
    EXPECT_EQ(dlg->Text(), "100:00");
    // The longer text took a size of its own that fits the area.
    EXPECT_GT(dlg->FontHeight(), 2);
    EXPECT_LT(dlg->FontHeight(), fiveCharacterHeight);

    const QString dir = QStringLiteral(KORVAN_TEST_ARTIFACT_DIR);
    ASSERT_TRUE(QDir().mkpath(dir));
    EXPECT_TRUE(dlg->grab().save(dir + "/stopwatch-100-minutes.png"));
}

TEST_F(StopwatchTest, ResetWhileRunningKeepsRunningFromZero)
{
    dlg->StartButton()->click();
    Pass(42000);
    dlg->ResetButton()->click();
    EXPECT_EQ(dlg->Text(), "00:00");
    EXPECT_TRUE(dlg->IsRunning());
    EXPECT_TRUE(dlg->IsTicking());
    Pass(3000);
    EXPECT_EQ(dlg->Text(), "00:03");
}

TEST_F(StopwatchTest, ResetWhileStoppedShowsZeroAndStaysStopped)
{
    dlg->StartButton()->click();
    Pass(5000);
    dlg->StopButton()->click();
    dlg->ResetButton()->click();
    EXPECT_EQ(dlg->Text(), "00:00");
    EXPECT_FALSE(dlg->IsRunning());
    EXPECT_FALSE(dlg->IsTicking());
}

TEST_F(StopwatchTest, StartAfterStopCountsFromZero)
{
    dlg->StartButton()->click();
    Pass(7000);
    clock.Advance(400);
    dlg->StopButton()->click();
    EXPECT_EQ(dlg->Text(), "00:07");
    EXPECT_FALSE(dlg->IsTicking());
    Pass(30000);
    EXPECT_EQ(dlg->Text(), "00:07");
    dlg->StartButton()->click();
    EXPECT_EQ(dlg->Text(), "00:00");
    Pass(1000);
    EXPECT_EQ(dlg->Text(), "00:01");
}

TEST_F(StopwatchTest, CountsAcrossTheWrapOfTheTickCounter)
{
    clock.Advance(0x100000000ull - 123456 - 2000); // two seconds before the wrap
    dlg->StartButton()->click();
    Pass(10000);
    EXPECT_EQ(dlg->Text(), "00:10");
}

} // namespace
