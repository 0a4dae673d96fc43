// Faults as they show on the line.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "RunningSim.h"

namespace {

const std::string kAnswer = "@RAIS 210457\r\n";
const std::vector<std::uint8_t> kRequest = SimLineClient::Request(1, 4, 1008, 3);

std::vector<std::uint8_t> NormalFrame(SimLineClient& line)
{
    line.Write(kRequest);
    return line.ReadUntilQuiet(2000, 80);
}

TEST(Faults, TextFaultsShapeTheAnswerLine)
{
    struct Case {
        std::string faultText;
        std::function<void(const std::vector<std::uint8_t>&, int reads)> check;
    };
    const std::vector<Case> cases{
        {"silence", [](const auto& got, int) { EXPECT_TRUE(got.empty()); }},
        {"garbage", [](const auto& got, int) {
             const std::string s(got.begin(), got.end());
             ASSERT_GT(s.size(), kAnswer.size());
             EXPECT_NE(s[0], '@');
             EXPECT_EQ(s.substr(s.size() - kAnswer.size()), kAnswer);
         }},
        {"garbage <junk>", [](const auto& got, int) { EXPECT_EQ(std::string(got.begin(), got.end()), "<junk>" + kAnswer); }},
        {"garbage-only <junk>", [](const auto& got, int) { EXPECT_EQ(std::string(got.begin(), got.end()), "<junk>"); }},
        {"wrong-keyword", [](const auto& got, int) { EXPECT_EQ(std::string(got.begin(), got.end()), "@RAZZ 210457\r\n"); }},
        {"split 3 60", [](const auto& got, int reads) {
             EXPECT_EQ(std::string(got.begin(), got.end()), kAnswer);
             EXPECT_GE(reads, 2) << "pieces 60 ms apart arrive in separate reads";
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.faultText);
        RunningSim s;
        ASSERT_EQ(s.sim->ArmFault("@RRIS", c.faultText), "");
        auto line = s.DeviceClient();
        line->Write("@RRIS\r\n");
        int reads = 0;
        const auto got = line->ReadUntilQuiet(400, 150, &reads);
        c.check(got, reads);
        // Another command is not hit.
        EXPECT_EQ(line->Ask("@RRID"), "@RAID 1");
    }
}

TEST(Faults, LateAnswerComesAfterTheDelay)
{
    RunningSim s;
    s.sim->ArmFault("@RRIS", "late 400");
    auto line = s.DeviceClient();
    line->Write("@RRIS\r\n");
    EXPECT_TRUE(line->ReadAll(150).empty()) << "nothing before the delay";
    EXPECT_EQ(line->ReadLine(3000), kAnswer);
}

TEST(Faults, FrameFaultsSpoilTheFrameAsNamed)
{
    std::vector<std::uint8_t> normal;
    {
        RunningSim s;
        auto line = s.DeviceClient();
        normal = NormalFrame(*line);
        ASSERT_EQ(normal.size(), 11u);
    }
    struct Case {
        std::string target;
        std::string faultText;
        std::function<void(const std::vector<std::uint8_t>&)> check;
    };
    const std::vector<Case> cases{
        {"F4:1008", "bad-crc", [&](const auto& f) {
             ASSERT_EQ(f.size(), normal.size());
             EXPECT_FALSE(SimLineClient::CrcOk(f));
             EXPECT_TRUE(std::equal(f.begin(), f.end() - 2, normal.begin()));
         }},
        {"F4", "foreign-unit", [&](const auto& f) {
             ASSERT_EQ(f.size(), normal.size());
             EXPECT_EQ(f[0], 2);
             EXPECT_TRUE(SimLineClient::CrcOk(f));
         }},
        {"modbus", "exception 11", [&](const auto& f) {
             ASSERT_EQ(f.size(), 5u);
             EXPECT_EQ(std::vector<std::uint8_t>(f.begin(), f.begin() + 3), std::vector<std::uint8_t>({1, 0x84, 11}));
             EXPECT_TRUE(SimLineClient::CrcOk(f));
         }},
        {"*", "exception 4", [&](const auto& f) {
             ASSERT_EQ(f.size(), 5u);
             EXPECT_EQ(f[2], 4);
         }},
        {"F4:1008", "wrong-keyword", [&](const auto& f) {
             ASSERT_EQ(f.size(), normal.size());
             EXPECT_NE(f[1], 4);
             EXPECT_TRUE(SimLineClient::CrcOk(f));
         }},
        {"F4", "garbage", [&](const auto& f) {
             ASSERT_EQ(f.size(), normal.size() + 4);
             EXPECT_TRUE(std::equal(f.end() - static_cast<long>(normal.size()), f.end(), normal.begin()));
         }},
        {"F4", "silence", [&](const auto& f) { EXPECT_TRUE(f.empty()); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target + " " + c.faultText);
        RunningSim s;
        ASSERT_EQ(s.sim->ArmFault(c.target, c.faultText), "");
        auto line = s.DeviceClient();
        line->Write(kRequest);
        c.check(line->ReadUntilQuiet(400, 80));
    }
}

TEST(Faults, LimitedFaultHitsOnlyTheNextRequests)
{
    RunningSim s("[faults]\nF4 = silence x2\n");
    auto line = s.DeviceClient();
    EXPECT_TRUE(line->ReadInput(1, 1008, 3, 300).empty());
    EXPECT_TRUE(line->ReadInput(1, 1008, 3, 300).empty());
    EXPECT_EQ(line->ReadInput(1, 1008, 3).size(), 11u);
    EXPECT_EQ(s.sim->Detector().Received().Frames().size(), 3u) << "a silent device still heard the request";
}

TEST(Faults, WholeLineFaultAndClearingAtRunTime)
{
    RunningSim s;
    auto line = s.DeviceClient();
    s.sim->Detector().Faults().Set("*", LineFault{});
    EXPECT_EQ(line->Ask("@RRID", 300), "");
    EXPECT_TRUE(line->ReadInput(1, 1008, 3, 300).empty());
    s.sim->Detector().Faults().ClearAll();
    EXPECT_EQ(line->Ask("@RRID"), "@RAID 1");
}

TEST(Faults, RackFaultsAndBadFaultTexts)
{
    RunningSim s("[multigas]\nfault.U2:F6 = exception 11\n");
    auto rack = s.MultigasClient();
    rack->Write(SimLineClient::Request(2, 6, 1012, 1));
    const auto f = rack->ReadUntilQuiet(2000, 80);
    ASSERT_EQ(f.size(), 5u);
    EXPECT_EQ(f[1], 0x86);
    EXPECT_EQ(f[2], 11);
    EXPECT_EQ(s.sim->Multigas().SelectedSet(), 1) << "a refused write switches nothing";

    for (const std::string bad : {"late", "late x", "split 1", "exception 0", "exception 300", "noise", "silence 5", "bad-crc x0"})
        EXPECT_NE(s.sim->ArmFault("@RRID", bad), "") << bad;
}

}  // namespace
