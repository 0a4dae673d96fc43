// Lines pulled out and put back, and devices that fall silent or answer
// garbage, as a tool losing its line meets them.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

#include "LineWideFault.h"
#include "RunningSim.h"

namespace {

using Line = Simulator::Line;
namespace fs = std::filesystem;

const std::vector<std::uint8_t> kGarbage{0x00, 0xFF, '#', 0x7E};

bool LinkExists(const std::string& link)
{
    return fs::exists(fs::symlink_status(link));
}

std::size_t Entries(const char* folder)
{
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(folder))
        ++n;
    return n;
}

// Waits, without any fixed sleep counting as a result, until `done` holds.
bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 10000)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

TEST(LinePlug, UnplugHangsUpTheClientAndRemovesTheLink)
{
    RunningSim s;
    auto client = s.DeviceClient();
    ASSERT_EQ(client->Ask("@RRID"), "@RAID 1");
    EXPECT_FALSE(client->HungUp(100)) << "a live line is not hung up";
    const std::string link = s.sim->DeviceLink();

    EXPECT_TRUE(s.sim->Unplug(Line::Device));
    EXPECT_FALSE(s.sim->Plugged(Line::Device));
    EXPECT_FALSE(LinkExists(link));
    EXPECT_EQ(s.sim->DeviceLink(), link) << "the link's path stays known";
    EXPECT_EQ(s.sim->DevicePty(), "");
    EXPECT_TRUE(client->HungUp(5000));
    EXPECT_FALSE(client->Write("@RRID\r\n")) << "a write to a pulled line fails";
    EXPECT_FALSE(SimLineClient(link).IsOpen());

    // The other lines stay in and serve.
    EXPECT_TRUE(s.sim->Plugged(Line::Multigas));
    const auto sw = s.MultigasClient()->ReadInput(1, MultigasRack::kSwitchRegister, 1);
    EXPECT_EQ(sw.size(), 7u);
}

TEST(LinePlug, ReplugServesTheSameDeviceUnderTheSameNumber)
{
    RunningSim s;
    {
        auto device = s.DeviceClient();
        ASSERT_EQ(device->Ask("@WCTG 680429,417"), "@RATG 417");
        auto rack = s.MultigasClient();
        const auto on = SimLineClient::Request(2, 6, MultigasRack::kSwitchRegister, 1);
        ASSERT_EQ(rack->WriteRegister(2, MultigasRack::kSwitchRegister, 1), on);
    }
    const std::string link = s.sim->DeviceLink();
    auto old = s.DeviceClient();
    ASSERT_TRUE(old->IsOpen());

    s.sim->UnplugAll();
    for (Line l : {Line::Device, Line::Hart, Line::Multigas})
        EXPECT_FALSE(s.sim->Plugged(l));
    EXPECT_TRUE(old->HungUp(5000));
    s.sim->ReplugAll();
    EXPECT_TRUE(s.sim->Plugged(Line::Device));
    EXPECT_TRUE(s.sim->Plugged(Line::Multigas));

    EXPECT_EQ(s.sim->DeviceLink(), link);
    ASSERT_TRUE(LinkExists(link));
    EXPECT_EQ(fs::read_symlink(link).string(), s.sim->DevicePty());
    auto device = s.DeviceClient();
    ASSERT_TRUE(device->IsOpen());
    EXPECT_EQ(device->Ask("@RRTG"), "@RATG 417") << "the value written before the unplug";
    EXPECT_TRUE(old->HungUp(1000)) << "the port opened before stays dead";

    const auto sw = s.MultigasClient()->ReadInput(2, MultigasRack::kSwitchRegister, 1);
    ASSERT_EQ(sw.size(), 7u);
    EXPECT_EQ(sw[4], 1) << "set 2 is still switched on";
}

TEST(LinePlug, AnswersOnTheirWayAreLostWithTheLine)
{
    RunningSim s;
    ASSERT_EQ(s.sim->ArmFault("@RRIS", "late 800 x1"), "");
    auto client = s.DeviceClient();
    ASSERT_TRUE(client->Write("@RRIS\r\n"));
    ASSERT_TRUE(WaitUntil([&] { return s.sim->Detector().Received().Size() == 1; }));
    s.sim->Unplug(Line::Device);
    s.sim->Replug(Line::Device);
    auto again = s.DeviceClient();
    EXPECT_EQ(again->Ask("@RRID"), "@RAID 1");
    EXPECT_TRUE(again->ReadAll(1200).empty()) << "the late answer went with the old line";
}

TEST(LinePlug, NothingToPullWhenNotServed)
{
    TempConfigHome home;
    Simulator::Options o;
    o.portsFolder = home.PortsFolder();
    o.devicePort = 1;
    Simulator sim(o);
    EXPECT_FALSE(sim.Unplug(Line::Device)) << "not started";
    sim.Start();
    EXPECT_FALSE(sim.Served(Line::Multigas));
    EXPECT_FALSE(sim.Unplug(Line::Multigas));
    EXPECT_FALSE(sim.Replug(Line::Multigas));
    EXPECT_FALSE(sim.Plugged(Line::Multigas));
    EXPECT_EQ(sim.PortNumber(Line::Multigas), 0);
    EXPECT_EQ(sim.PortNumber(Line::Device), 1);
    EXPECT_TRUE(sim.Plugged(Line::Device));
}

TEST(LinePlug, RepeatedUnplugAndReplugLeaksNoDescriptorOrThread)
{
    RunningSim s;
    EXPECT_EQ(s.DeviceClient()->Ask("@RRID"), "@RAID 1");
    const std::size_t fds = Entries("/proc/self/fd");
    const std::size_t threads = Entries("/proc/self/task");
    for (int i = 0; i < 8; ++i) {
        SCOPED_TRACE(i);
        auto client = s.DeviceClient();
        ASSERT_EQ(client->Ask("@RRID"), "@RAID 1");
        s.sim->UnplugAll();
        s.sim->UnplugAll();  // a second pull does nothing
        EXPECT_TRUE(client->HungUp(5000));
        s.sim->ReplugAll();
        s.sim->ReplugAll();  // nor a second push
    }
    EXPECT_EQ(s.DeviceClient()->Ask("@RRID"), "@RAID 1");
    EXPECT_EQ(Entries("/proc/self/fd"), fds);
    // A joined thread's entry under /proc can outlive the join for a moment;
    // a thread that is still there once that has passed is a leak.
    WaitUntil([&] { return Entries("/proc/self/task") <= threads; }, 5000);
    EXPECT_EQ(Entries("/proc/self/task"), threads);
}

// One request per line and what its normal answer looks like.
struct LineCase {
    const char* name;
    Line line;
    std::function<std::vector<std::uint8_t>(Simulator&)> request;
    std::function<void(const std::vector<std::uint8_t>&)> normal;
};

std::vector<LineCase> LineCases()
{
    std::vector<LineCase> cases{
        {"device text", Line::Device,
            [](Simulator&) { const std::string r = "@RRIS\r\n"; return std::vector<std::uint8_t>(r.begin(), r.end()); },
            [](const auto& got) { EXPECT_EQ(std::string(got.begin(), got.end()), "@RAIS 210457\r\n"); }},
        {"device frame", Line::Device, [](Simulator&) { return SimLineClient::Request(1, 4, 1008, 3); },
            [](const auto& got) {
                EXPECT_EQ(got.size(), 11u);
                EXPECT_TRUE(SimLineClient::CrcOk(got));
            }},
        {"multigas frame", Line::Multigas,
            [](Simulator&) { return SimLineClient::Request(1, 4, MultigasRack::kSwitchRegister, 1); },
            [](const auto& got) {
                EXPECT_EQ(got.size(), 7u);
                EXPECT_TRUE(SimLineClient::CrcOk(got));
            }},
    };
#ifdef KORVAN_SIM_HAS_HART
    // Command 0 to the device's polling address, short frame from the
    // primary master; the check byte is the XOR of the frame.
    cases.push_back({"HART command 0", Line::Hart,
        [](Simulator& sim) {
            const auto address = static_cast<std::uint8_t>(0x80 | sim.Hart().Settings().pollingAddress);
            std::vector<std::uint8_t> f{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x02, address, 0x00, 0x00};
            f.push_back(static_cast<std::uint8_t>(0x02 ^ address));
            return f;
        },
        [](const auto& got) {
            ASSERT_GT(got.size(), 10u);
            EXPECT_EQ(got[0], 0xFF) << "preambles first";
            EXPECT_NE(std::find(got.begin(), got.end(), 0x06), got.end()) << "a slave's short-frame delimiter";
        }});
#endif
    return cases;
}

std::string LinkOf(const Simulator& sim, Line line)
{
    switch (line) {
    case Line::Device:
        return sim.DeviceLink();
    case Line::Hart:
        return sim.HartLink();
    case Line::Multigas:
        return sim.MultigasLink();
    }
    return {};
}

TEST(LineWideFaults, SilentThenGarbageThenNormalOnEveryLine)
{
    for (const LineCase& c : LineCases()) {
        SCOPED_TRACE(c.name);
        RunningSim s;
        SimLineClient client(LinkOf(*s.sim, c.line));
        ASSERT_TRUE(client.IsOpen());
        const auto request = c.request(*s.sim);

        ASSERT_TRUE(s.sim->SetSilent(c.line, true));
        EXPECT_TRUE(s.sim->Silent(c.line));
        for (int i = 0; i < 2; ++i) {
            client.Write(request);
            EXPECT_TRUE(client.ReadUntilQuiet(500, 100).empty()) << "request " << i;
        }

        ASSERT_TRUE(s.sim->SetGarbage(c.line, true));
        EXPECT_FALSE(s.sim->Silent(c.line)) << "garbage replaces silence";
        EXPECT_TRUE(s.sim->Garbage(c.line));
        for (int i = 0; i < 2; ++i) {
            client.Write(request);
            EXPECT_EQ(client.ReadUntilQuiet(2000, 150), kGarbage) << "request " << i;
        }

        s.sim->SetGarbage(c.line, false);
        EXPECT_FALSE(s.sim->Garbage(c.line));
        client.Write(request);
        c.normal(client.ReadUntilQuiet(2000, 150));
    }
}

TEST(LineWideFaults, SilenceIsAheadOfTargetFaultsAndOutlivesAnUnplug)
{
    RunningSim s;
    ASSERT_EQ(s.sim->ArmFault("@RRIS", "late 50"), "");
    ASSERT_TRUE(s.sim->SetSilent(Line::Device, true));
    auto client = s.DeviceClient();
    client->Write("@WCTG 680429,417\r\n@RRIS\r\n");
    EXPECT_TRUE(client->ReadUntilQuiet(600, 150).empty());
    // The silent device still takes what it hears.
    ASSERT_TRUE(WaitUntil([&] { return s.sim->Detector().Received().Size() == 2; }));
    EXPECT_EQ(s.sim->Detector().Parameter("TG"), "417");

    s.sim->SetGarbage(Line::Device, false);
    EXPECT_TRUE(s.sim->Silent(Line::Device)) << "turning garbage off leaves silence on";
    s.sim->Unplug(Line::Device);
    s.sim->Replug(Line::Device);
    client = s.DeviceClient();
    EXPECT_EQ(client->Ask("@RRID", 500), "");

    s.sim->SetSilent(Line::Device, false);
    EXPECT_EQ(client->Ask("@RRIS"), "@RAIS 210457");
    EXPECT_EQ(client->Ask("@RRTG"), "@RATG 417");
}

TEST(LineWideFaults, TakesOnlyFaultsThatNeedNoFraming)
{
    struct Case {
        const char* fault;
        bool taken;
    };
    const Case cases[] = {
        {"silence", true}, {"late 5", true}, {"split 2 5", true}, {"garbage", true}, {"garbage-only", true},
        {"wrong-keyword", false}, {"bad-crc", false}, {"foreign-unit", false}, {"exception 11", false},
    };
    DetectorDevice device;
    LineWideFault wide(device);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        std::string error;
        const auto f = LineFault::Parse(c.fault, error);
        ASSERT_TRUE(f) << error;
        EXPECT_EQ(wide.Set(*f), c.taken);
        EXPECT_EQ(wide.Armed().has_value(), c.taken);
        wide.Set(std::nullopt);
    }
}

TEST(LineWideFaults, CountedGarbageEndsAndUnansweredRequestsStaySilent)
{
    DetectorDevice device;
    LineWideFault wide(device);
    std::string error;
    const auto f = LineFault::Parse("garbage-only ~# x1", error);
    ASSERT_TRUE(f) << error;
    ASSERT_TRUE(wide.Set(*f));
    auto feed = [&](const std::vector<std::uint8_t>& bytes) {
        std::vector<SimAnswer> answers;
        wide.Feed(bytes.data(), bytes.size(), answers);
        std::string out;
        for (const SimAnswer& a : answers)
            for (const SimPiece& p : a)
                out.append(p.bytes.begin(), p.bytes.end());
        return std::make_pair(answers.size(), out);
    };
    const std::string rrid = "@RRID\r\n";
    const std::vector<std::uint8_t> ask(rrid.begin(), rrid.end());
    // A broadcast write gets no answer; it does not use up the count.
    EXPECT_EQ(feed(SimLineClient::Request(0, 6, 1008, 1)), std::make_pair(std::size_t{1}, std::string()));
    EXPECT_EQ(feed(ask), std::make_pair(std::size_t{1}, std::string("~#")));
    EXPECT_FALSE(wide.Armed());
    EXPECT_EQ(feed(ask), std::make_pair(std::size_t{1}, std::string("@RAID 1\r\n")));
}

}  // namespace
