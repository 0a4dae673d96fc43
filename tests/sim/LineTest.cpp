// The pseudo-terminal line server and the devices' robustness on it.

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include <unistd.h>

#include "DetectorDevice.h"
#include "MultigasRack.h"
#include "PtyLine.h"
#include "RunningSim.h"

namespace {

TEST(PtyLine, LinksTheSlaveAndRemovesTheLinkWhenGone)
{
    TempConfigHome home;
    DetectorDevice device;
    std::string link;
    {
        PtyLine::Options o;
        o.portNumber = 7;  // the default folder comes from XDG_CONFIG_HOME
        PtyLine line(device, o);
        link = line.LinkPath();
        EXPECT_EQ(link, home.PortsFolder() + "/com7");
        EXPECT_EQ(std::filesystem::read_symlink(link).string(), line.DevicePath());
        SimLineClient client(link);
        EXPECT_EQ(client.Ask("@RRID"), "@RAID 1");
    }
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));
}

TEST(PtyLine, ServesClientAfterClientAndStopsWhileOneIsOpen)
{
    RunningSim s;
    for (int i = 0; i < 3; ++i) {
        SimLineClient client(s.sim->DeviceLink());
        ASSERT_TRUE(client.IsOpen());
        EXPECT_EQ(client.Ask("@RRID"), "@RAID 1") << "session " << i;
    }
    // Between sessions nobody holds the port; the line must not have died.
    SimLineClient last(s.sim->DeviceLink());
    EXPECT_EQ(last.Ask("@RRKS"), "@RAKS Semi");
    s.sim->Stop();  // must not hang with a client still open
    EXPECT_FALSE(s.sim->Running());
    EXPECT_EQ(last.Ask("@RRID", 200), "");
}

TEST(PtyLine, RefusesABadPortNumber)
{
    TempConfigHome home;
    DetectorDevice device;
    PtyLine::Options o;
    o.portNumber = 0;
    EXPECT_THROW(PtyLine(device, o), std::runtime_error);
}

TEST(PtyLine, PacingSpreadsALongAnswerOverTheLine)
{
    // A journal block of 10 records is a 165-byte answer: about a sixth of a
    // second at 9600 baud, so it trickles in over many reads instead of one.
    RunningSim paced("", true);
    auto line = paced.DeviceClient();
    line->Write(SimLineClient::Request(1, 4, 0x4000 + 90, 8 * 10));
    int reads = 0;
    const auto got = line->ReadUntilQuiet(2000, 200, &reads);
    EXPECT_EQ(got.size(), 5u + 160u);
    EXPECT_TRUE(SimLineClient::CrcOk(got));
    EXPECT_GT(reads, 10);

    RunningSim fast;
    auto l2 = fast.DeviceClient();
    l2->Write(SimLineClient::Request(1, 4, 0x4000 + 90, 8 * 10));
    const auto got2 = l2->ReadUntilQuiet(2000, 200, &reads);
    EXPECT_EQ(got2.size(), 5u + 160u);
    EXPECT_LT(reads, 4);
}

TEST(PtyLine, AnswerDelayHoldsEveryAnswerBack)
{
    RunningSim s;
    s.sim->SetAnswerDelay(300);
    auto line = s.DeviceClient();
    line->Write("@RRID\r\n");
    EXPECT_TRUE(line->ReadAll(100).empty());
    EXPECT_EQ(line->ReadLine(3000), "@RAID 1\r\n");
}

TEST(Robustness, RandomBytesNeverGrowTheBuffersAndTheDeviceRecovers)
{
    DetectorDevice detector;
    MultigasRack rack(std::make_shared<MultigasState>());
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> chunk(1, 300);
    std::vector<SimAnswer> answers;
    std::size_t most = 0;
    for (int round = 0; round < 2000; ++round) {
        std::vector<std::uint8_t> junk(static_cast<std::size_t>(chunk(rng)));
        for (auto& b : junk) {
            b = static_cast<std::uint8_t>(byte(rng));
            if (round % 3 == 0 && b % 7 == 0)
                b = '@';  // plenty of false starts of text lines
        }
        answers.clear();
        detector.Feed(junk.data(), junk.size(), answers);
        rack.Feed(junk.data(), junk.size(), answers);
        most = std::max({most, detector.BufferedBytes(), rack.BufferedBytes()});
    }
    EXPECT_LE(most, DetectorDevice::kMaxLine + 1);
    detector.LineIdle();
    EXPECT_EQ(detector.BufferedBytes(), 0u);
    const std::string cmd = "@RRID\r\n";
    answers.clear();
    detector.Feed(reinterpret_cast<const std::uint8_t*>(cmd.data()), cmd.size(), answers);
    ASSERT_EQ(answers.size(), 1u);
    ASSERT_EQ(answers[0].size(), 1u);
    EXPECT_EQ(std::string(answers[0][0].bytes.begin(), answers[0][0].bytes.end()), "@RAID 1\r\n");

    rack.LineIdle();
    EXPECT_EQ(rack.BufferedBytes(), 0u);
    const std::vector<std::uint8_t> on = SimLineClient::Request(2, 6, MultigasRack::kSwitchRegister, 1);
    answers.clear();
    rack.Feed(on.data(), on.size(), answers);
    ASSERT_EQ(answers.size(), 1u);
    ASSERT_EQ(answers[0].size(), 1u);
    EXPECT_EQ(answers[0][0].bytes, on) << "the rack echoes the switch write";
}

TEST(Robustness, GarbageOnTheLineThenRequestsAreAnswered)
{
    RunningSim s;
    auto line = s.DeviceClient();
    std::mt19937 rng(11);
    std::vector<std::uint8_t> junk(20000);
    for (auto& b : junk)
        b = static_cast<std::uint8_t>(rng());
    line->Write(junk);
    line->ReadAll(300);  // whatever the noise provoked
    EXPECT_EQ(line->Ask("@RRID"), "@RAID 1");
    // Noise right before a request, within one burst: the device resyncs on "@".
    line->Write(std::string("\x13\x77zz") + "@RRIS\r\n");
    EXPECT_EQ(line->ReadLine(2000), "@RAIS 210457\r\n");
    // A frame and a text line back to back.
    auto bytes = SimLineClient::Request(1, 4, 1008, 3);
    const std::string text = "@RRID\r\n";
    bytes.insert(bytes.end(), text.begin(), text.end());
    line->Write(bytes);
    const auto both = line->ReadUntilQuiet(2000, 80);
    ASSERT_EQ(both.size(), 11u + 9u);
    EXPECT_TRUE(SimLineClient::CrcOk(std::vector<std::uint8_t>(both.begin(), both.begin() + 11)));
    EXPECT_EQ(std::string(both.begin() + 11, both.end()), "@RAID 1\r\n");
}

TEST(Robustness, PartialRequestIsDroppedWhenTheLineGoesQuiet)
{
    RunningSim s;
    auto line = s.DeviceClient();
    line->Write("@RRI");
    ::usleep(100000);
    line->Write("D\r\n@RRID\r\n");
    EXPECT_EQ(line->ReadLine(2000), "@RAID 1\r\n");
    EXPECT_TRUE(line->ReadAll(200).empty()) << "the stale half was not joined to the next bytes";
}

#ifdef KORVAN_SIM_HAS_HART
TEST(Hart, ServedOnItsOwnLineAtTheSensorsAddress)
{
    RunningSim s("[detector]\nhart_address = 5\n");
    ASSERT_NE(s.sim->HartLine(), nullptr);
    EXPECT_TRUE(std::filesystem::exists(s.sim->HartLink()));
    EXPECT_EQ(s.sim->Hart().Settings().pollingAddress, 5);
    auto line = s.DeviceClient();
    EXPECT_EQ(line->Ask("@RRHA"), "@RAHA 5");
}
#endif

}  // namespace
