// A stop ends the line worker's task at once, whatever the line is doing:
// a silent read gives up its tries, a journal block its retries, and what
// the worker held stays as it was. Checked by what the simulated detector
// received and by what the worker kept, never by the clock.
#include "LineWorkerFixture.h"

#include <algorithm>
#include <functional>
#include <thread>

namespace {

using namespace std::chrono_literals;
using W = SensorModbusInterface;

// Waits until the detector has received `count` requests that satisfy
// `match`; false after a long time.
template <class Match>
bool AwaitReceived(const std::function<std::vector<std::string>()>& received, Match match, std::size_t count = 1)
{
    for (int i = 0; i < 6000; ++i) {
        const std::vector<std::string> r = received();
        if (static_cast<std::size_t>(std::count_if(r.begin(), r.end(), match)) >= count)
            return true;
        std::this_thread::sleep_for(5ms);
    }
    return false;
}

class LineStopTest : public LineWorkerTest {
protected:
    bool AwaitRequest(const std::string& prefix, std::size_t count = 1)
    {
        return AwaitReceived([this] { return Received(); },
                             [&](const std::string& r) { return r.rfind(prefix, 0) == 0; }, count);
    }
    std::size_t CountReceived(const std::string& prefix) const
    {
        const std::vector<std::string> r = Received();
        return static_cast<std::size_t>(
            std::count_if(r.begin(), r.end(), [&](const std::string& x) { return x.rfind(prefix, 0) == 0; }));
    }
};

TEST_F(LineStopTest, StopDuringASilentReadDropsItsRemainingTries)
{
    // The manufacture date is the one sensor read that gets three tries.
    StartSim("[faults]\n@RRDS = silence\n");
    ASSERT_TRUE(worker_->StartReadSensor());
    ASSERT_TRUE(AwaitRequest("@RRDS"));
    worker_->StopThread();
    EXPECT_EQ(CountReceived("@RRDS"), 1u) << "the stop waited for another try";
    EXPECT_EQ(Received().back(), "@RRDS");
    // Stopped, not failed: no task event, the worker ready for the next task.
    EXPECT_EQ(worker_->State(), W::kReady);
    EXPECT_EQ(worker_->Count(NotificationId::LineTaskEvent), 0u);
}

TEST_F(LineStopTest, StoppedPollKeepsTheLastValueItRead)
{
    StartSim("");
    ASSERT_TRUE(worker_->StartSensorPolling());
    // The set and one poll cycle have been read.
    ASSERT_TRUE(AwaitRequest("@RRDT", 2));
    ASSERT_TRUE(sim_->ArmFault("@RRDT", "silence").empty());
    const std::size_t asked = CountReceived("@RRDT");
    // The worker now waits for an answer that will not come.
    ASSERT_TRUE(AwaitRequest("@RRDT", asked + 1));
    SensorParameters before;
    worker_->CopySensorParameters(before);
    ASSERT_EQ(before.concentration.valid, 1u);
    worker_->StopThread();

    SensorParameters after;
    worker_->CopySensorParameters(after);
    EXPECT_EQ(after.concentration.valid, 1u) << "a read cut short by the stop cleared the value";
    EXPECT_EQ(after.concentration.values[0], before.concentration.values[0]);
    EXPECT_EQ(worker_->State(), W::kReady);
}

TEST_F(LineStopTest, StopDuringASilentJournalBlockKeepsTheRecordsRead)
{
    StartSim("[journal]\nevent_capacity = 1000\nevent_first = 0\nevent_last = 600\n");
    ASSERT_TRUE(worker_->StartJournalRead(W::Journal::Event));
    // The start raises one data notification; wait for the first block,
    // then let the device fall silent for the blocks.
    ASSERT_TRUE(worker_->WaitFor(NotificationId::EventJournalData, 2));
    ASSERT_TRUE(sim_->ArmFault("F4", "silence").empty());
    ClearReceived();
    ASSERT_TRUE(AwaitRequest("F4:"));
    worker_->StopThread();
    // A block gets three tries; the stop ended the first.
    EXPECT_EQ(CountReceived("F4:"), 1u) << "the stop waited for the block's retries";
    EXPECT_EQ(worker_->State(), W::kReady);
    EXPECT_EQ(worker_->Count(NotificationId::LineTaskEvent), 0u);
    JournalReadStatus status{};
    std::uint32_t read = 0, expected = 0;
    worker_->JournalProgress(W::Journal::Event, status, read, expected);
    EXPECT_EQ(status, JournalReadStatus::Finished);
    EXPECT_GE(read, 15u);
    EXPECT_LT(read, 600u);
    SensorJournalContent content;
    worker_->CopyEventJournal(content);
    EXPECT_EQ(content.size(), read);
}

} // namespace
