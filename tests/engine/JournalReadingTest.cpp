// Reading the device's ring journals: block selection against the simulated
// detector, failures and aborts, and a short block on a scripted line.
#include "LineWorkerFixture.h"

#include <algorithm>
#include <thread>

#include "ModbusCrc.h"
#include "ScriptedConnector.h"
#include "VirtualTime.h"

namespace {

using namespace std::chrono_literals;
using W = SensorModbusInterface;

std::string JournalScenario(int capacity, int first, int last)
{
    return "[journal]\nevent_capacity = " + std::to_string(capacity) + "\nevent_first = " + std::to_string(first) +
           "\nevent_last = " + std::to_string(last) + "\n";
}

std::vector<std::string> RecordFrames(const std::vector<std::string>& received)
{
    std::vector<std::string> out;
    for (const std::string& r : received) {
        if (r.rfind("F4:", 0) == 0 && r != "F4:16368x6")
            out.push_back(r);
    }
    return out;
}

struct RingCase {
    const char* name;
    int capacity, first, last;
    std::vector<std::string> frames;
    std::uint32_t expected;
};

class JournalRing : public LineWorkerTest, public ::testing::WithParamInterface<RingCase> {};

TEST_P(JournalRing, ReadsNewestBlocksFirstWithoutWrappingPastZero)
{
    const RingCase& c = GetParam();
    StartSim(JournalScenario(c.capacity, c.first, c.last));
    ASSERT_TRUE(worker_->StartJournalRead(W::Journal::Event));
    ASSERT_TRUE(AwaitTaskEvent());
    EXPECT_EQ(worker_->State(), W::kReady);
    EXPECT_EQ(RecordFrames(Received()), c.frames);

    JournalReadStatus status{};
    std::uint32_t read = 0, expected = 0;
    worker_->JournalProgress(W::Journal::Event, status, read, expected);
    EXPECT_EQ(status, JournalReadStatus::Finished);
    EXPECT_EQ(read, c.expected);
    EXPECT_EQ(expected, c.expected);

    SensorJournalContent content;
    worker_->CopyEventJournal(content);
    ASSERT_EQ(content.size(), c.expected);
    EXPECT_EQ(content.expected, c.expected);
    // Newest first, slot for slot the device's records: last - 1 down to first.
    const RingJournal ring = sim_->Detector().EventJournal();
    std::uint32_t slot = c.last == 0 ? c.capacity - 1 : c.last - 1;
    for (std::size_t i = 0; i < content.size(); ++i) {
        const auto& device = ring.At(static_cast<std::uint16_t>(slot));
        EXPECT_TRUE(std::equal(device.begin(), device.end(), content[i].raw.begin())) << "entry " << i;
        EXPECT_EQ(content[i].Time(), RingJournal::TimeOf(device)) << "entry " << i;
        EXPECT_EQ(content[i].Type(), RingJournal::TypeOf(device)) << "entry " << i;
        if (i > 0) {
            EXPECT_GE(content[i - 1].Time(), content[i].Time()) << i;
        }
        slot = slot == 0 ? c.capacity - 1 : slot - 1;
    }

    // A second reading reads everything again.
    ClearReceived();
    ASSERT_TRUE(worker_->StartJournalRead(W::Journal::Event));
    ASSERT_TRUE(AwaitTaskEvent(2));
    EXPECT_EQ(RecordFrames(Received()), c.frames);
    SensorJournalContent again;
    worker_->CopyEventJournal(again);
    EXPECT_EQ(again, content);
}

INSTANTIATE_TEST_SUITE_P(
    Rings, JournalRing,
    ::testing::Values(RingCase{"Empty", 100, 0, 0, {}, 0},
                      RingCase{"Wrapped", 100, 90, 10, {"F4:16384x80", "F4:16474x80"}, 20},
                      RingCase{"FromZero", 100, 0, 40, {"F4:16409x120", "F4:16394x120", "F4:16384x80"}, 40},
                      RingCase{"Full", 30, 7, 6, {"F4:16384x48", "F4:16399x120", "F4:16391x64"}, 29}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LineWorkerTest, ThresholdJournalUsesItsOwnRegistersAndNotifications)
{
    StartSim("[journal]\nthreshold_capacity = 20\nthreshold_first = 2\nthreshold_last = 12\n");
    ASSERT_TRUE(worker_->StartJournalRead(W::Journal::Threshold));
    ASSERT_TRUE(AwaitTaskEvent());
    EXPECT_EQ(RecordFrames(Received()), (std::vector<std::string>{"F4:20482x80"}));
    SensorJournalContent content;
    worker_->CopyThresholdJournal(content);
    EXPECT_EQ(content.size(), 10u);
    EXPECT_GE(worker_->Count(NotificationId::ThresholdJournalData), 2u);
    EXPECT_EQ(worker_->Count(NotificationId::EventJournalData), 0u);
}

TEST_F(LineWorkerTest, FailedBlockKeepsTheRecordsAlreadyRead)
{
    StartSim(JournalScenario(100, 0, 40) + "[faults]\nF4:16394 = bad-crc\n");
    ASSERT_TRUE(worker_->StartJournalRead(W::Journal::Event));
    ASSERT_TRUE(AwaitTaskEvent());
    worker_->StopThread();
    EXPECT_EQ(worker_->State(), W::kFailed);
    EXPECT_EQ(worker_->Count(NotificationId::LineTaskEvent), 1u);
    // Three attempts at the failing block, none further.
    EXPECT_EQ(RecordFrames(Received()),
              (std::vector<std::string>{"F4:16409x120", "F4:16394x120", "F4:16394x120", "F4:16394x120"}));
    JournalReadStatus status{};
    std::uint32_t read = 0, expected = 0;
    worker_->JournalProgress(W::Journal::Event, status, read, expected);
    EXPECT_EQ(status, JournalReadStatus::Failed);
    EXPECT_EQ(read, 15u);
    SensorJournalContent content;
    worker_->CopyEventJournal(content);
    EXPECT_EQ(content.size(), 15u);
}

TEST_F(LineWorkerTest, SilentDeviceFailsTheReadingBeforeAnyBlock)
{
    StartSim("[faults]\n* = silence\n");
    ASSERT_TRUE(worker_->StartJournalRead(W::Journal::Event));
    ASSERT_TRUE(AwaitTaskEvent());
    worker_->StopThread();
    JournalReadStatus status{};
    std::uint32_t read = 0, expected = 0;
    worker_->JournalProgress(W::Journal::Event, status, read, expected);
    EXPECT_EQ(status, JournalReadStatus::Failed);
    EXPECT_EQ(worker_->State(), W::kFailed);
}

TEST_F(LineWorkerTest, AbortDuringTheBlocksKeepsWhatWasReadAsFinished)
{
    // Paced at 9600 baud a block of 15 records takes a quarter second.
    StartSim(JournalScenario(1000, 0, 600), true);
    ASSERT_TRUE(worker_->StartJournalRead(W::Journal::Event));
    // The start raises one data notification; wait for the first block.
    ASSERT_TRUE(worker_->WaitFor(NotificationId::EventJournalData, 2));
    worker_->StopThread();
    EXPECT_EQ(worker_->State(), W::kReady);
    EXPECT_EQ(worker_->Count(NotificationId::LineTaskEvent), 0u);
    JournalReadStatus status{};
    std::uint32_t read = 0, expected = 0;
    worker_->JournalProgress(W::Journal::Event, status, read, expected);
    EXPECT_EQ(status, JournalReadStatus::Finished);
    EXPECT_EQ(expected, 600u);
    EXPECT_GE(read, 15u);
    EXPECT_LT(read, 600u);
    SensorJournalContent content;
    worker_->CopyEventJournal(content);
    EXPECT_EQ(content.size(), read);
}

TEST_F(LineWorkerTest, AbortBeforeTheIndicesLeavesTheJournalNotRead)
{
    StartSim("", false, 300);
    ASSERT_TRUE(worker_->StartJournalRead(W::Journal::Event));
    std::this_thread::sleep_for(50ms);
    worker_->StopThread();
    JournalReadStatus status{};
    std::uint32_t read = 0, expected = 0;
    worker_->JournalProgress(W::Journal::Event, status, read, expected);
    EXPECT_EQ(status, JournalReadStatus::NotRead);
    EXPECT_EQ(read, 0u);
    EXPECT_EQ(worker_->Count(NotificationId::LineTaskEvent), 0u);
}

// A block reply carrying fewer bytes than the block asks for, on a scripted
// line: 120 registers asked, 200 data bytes answered.
TEST(JournalShortBlock, ShortReplyFailsTheBlockAndKeepsEarlierRecords)
{
    VirtualTime time;
    RecordingWorker worker;
    worker.SetTimeSource(&time);
    auto line = std::make_unique<ScriptedConnector>(time);
    ScriptedConnector* script = line.get();
    ASSERT_TRUE(worker.Open(std::move(line), true));

    script->AddReply(TextBytes("@RAID 1\r\n"));
    script->AddReply(TextBytes("@RAHA 3\r\n"));
    // Indices low byte first: event first 0, last 30, capacity 100.
    script->AddReply(WithModbusCrc(HexBytes("01 04 0C 00 00 1E 00 00 00 00 00 64 00 00 00")));
    Bytes block = HexBytes("01 04 F0");
    block.resize(3 + 240, 0x11);
    script->AddReply(WithModbusCrc(block));   // records 15-29
    Bytes shortBlock = HexBytes("01 04 C8");
    shortBlock.resize(3 + 200, 0x22);
    for (int i = 0; i < 3; ++i)
        script->AddReply(WithModbusCrc(shortBlock));

    ASSERT_TRUE(worker.StartJournalRead(W::Journal::Event));
    ASSERT_TRUE(worker.WaitFor(NotificationId::LineTaskEvent));
    worker.StopThread();
    EXPECT_EQ(worker.State(), W::kFailed);
    ASSERT_EQ(script->Written().size(), 3u + 1u + 3u);
    EXPECT_EQ(script->Written()[3], WithModbusCrc(HexBytes("01 04 40 0F 00 78")));
    EXPECT_EQ(script->Written()[4], WithModbusCrc(HexBytes("01 04 40 00 00 78")));
    SensorJournalContent content;
    worker.CopyEventJournal(content);
    ASSERT_EQ(content.size(), 15u);
    EXPECT_EQ(content[0].raw[0], 0x11);
    EXPECT_EQ(content.expected, 30u);
}

// A damaged index block, on a scripted line: the reading fails (status 2)
// without reading a single block, instead of finishing empty or reading
// registers that are not the journal's.
struct DamagedIndicesCase {
    const char* name;
    W::Journal journal;
    std::uint16_t first, last, capacity;
};

class JournalDamagedIndices : public ::testing::TestWithParam<DamagedIndicesCase> {};

TEST_P(JournalDamagedIndices, AreRefusedWithoutReadingABlock)
{
    const DamagedIndicesCase& c = GetParam();
    VirtualTime time;
    RecordingWorker worker;
    worker.SetTimeSource(&time);
    auto line = std::make_unique<ScriptedConnector>(time);
    ScriptedConnector* script = line.get();
    ASSERT_TRUE(worker.Open(std::move(line), true));

    script->AddReply(TextBytes("@RAID 1\r\n"));
    script->AddReply(TextBytes("@RAHA 3\r\n"));
    // Six registers low byte first: event first, last, threshold first,
    // last, event capacity, threshold capacity; the other journal is sound.
    const bool event = c.journal == W::Journal::Event;
    const std::uint16_t regs[6] = {event ? c.first : std::uint16_t{0}, event ? c.last : std::uint16_t{5},
                                   event ? std::uint16_t{0} : c.first, event ? std::uint16_t{5} : c.last,
                                   event ? c.capacity : std::uint16_t{100}, event ? std::uint16_t{100} : c.capacity};
    Bytes reply = HexBytes("01 04 0C");
    for (std::uint16_t r : regs) {
        reply.push_back(static_cast<std::uint8_t>(r & 0xFF));
        reply.push_back(static_cast<std::uint8_t>(r >> 8));
    }
    script->AddReply(WithModbusCrc(reply));
    // Records, should the worker ask for any.
    Bytes block = HexBytes("01 04 10");
    block.resize(3 + 16, 0x11);
    script->AddReply(WithModbusCrc(block));

    ASSERT_TRUE(worker.StartJournalRead(c.journal));
    ASSERT_TRUE(worker.WaitFor(NotificationId::LineTaskEvent));
    worker.StopThread();
    EXPECT_EQ(worker.State(), W::kFailed);
    EXPECT_EQ(script->Written().size(), 3u);   // identifier, HART address, indices
    JournalReadStatus status{};
    std::uint32_t read = 0, expected = 0;
    worker.JournalProgress(c.journal, status, read, expected);
    EXPECT_EQ(status, JournalReadStatus::Failed);
    EXPECT_EQ(read, 0u);
    SensorJournalContent content;
    if (event)
        worker.CopyEventJournal(content);
    else
        worker.CopyThresholdJournal(content);
    EXPECT_TRUE(content.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Indices, JournalDamagedIndices,
    ::testing::Values(
        // "all slots" and "empty" at once
        DamagedIndicesCase{"LastAtCapacityFromZero", W::Journal::Event, 0, 100, 100},
        // record 0xB00F would be register 0x5000 + 0xB00F, past 0xFFFF
        DamagedIndicesCase{"ThresholdCapacityBeyondTheRegisters", W::Journal::Threshold, 0, 10, 0xB010},
        DamagedIndicesCase{"EventCapacityBeyondTheRegisters", W::Journal::Event, 0xC000, 10, 0xC001}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
