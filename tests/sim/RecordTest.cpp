// The record that `detector-sim --record FILE` keeps for manual work, and the
// defaults a manual session meets first.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <regex>
#include <sstream>

#include "RunningSim.h"

namespace {

std::vector<std::string> FileLines(const std::string& path)
{
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

TEST(SimRecord, OneLinePerRequestAndAnswerWithTimeLineAndContent)
{
    TempConfigHome home;
    const std::string path = home.PortsFolder() + "/record.txt";
    Simulator::Options o;
    o.portsFolder = home.PortsFolder();
    o.devicePort = 1;
    o.multigasPort = 3;
    o.recordFile = path;
    o.scenarioText = "[faults]\n@RRDS = silence\n";
    auto sim = std::make_unique<Simulator>(o);
    sim->Start();
    const std::string serial = sim->Detector().Parameter("IS");
    {
        SimLineClient device(sim->DeviceLink());
        ASSERT_EQ(device.Ask("@RRIS"), "@RAIS " + serial);
        EXPECT_EQ(device.Ask("@RRDS", 500), "");
        ASSERT_FALSE(device.ReadInput(1, 1012, 2).empty());
        SimLineClient rack(sim->MultigasLink());
        ASSERT_FALSE(rack.WriteRegister(2, 1012, 1).empty());
    }
    sim->Stop();

    const std::vector<std::string> lines = FileLines(path);
    const std::string stamp = R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} )";
    const std::vector<std::string> expected = {
        stamp + "device -> @RRIS",
        stamp + "device <- @RAIS " + serial,
        stamp + "device -> @RRDS",
        stamp + R"(device <- \(silence\))",
        stamp + R"(device -> \[01 04 03 F4 00 02 [0-9A-F]{2} [0-9A-F]{2}\])",
        stamp + R"(device <- \[01 04 04( [0-9A-F]{2}){6}\])",
        stamp + R"(multigas -> \[02 06 03 F4 00 01 [0-9A-F]{2} [0-9A-F]{2}\])",
        stamp + R"(multigas <- \[02 06 03 F4 00 01 [0-9A-F]{2} [0-9A-F]{2}\])",
    };
    ASSERT_EQ(lines.size(), expected.size());
    for (std::size_t i = 0; i < lines.size(); ++i)
        EXPECT_TRUE(std::regex_match(lines[i], std::regex(expected[i]))) << lines[i];
}

TEST(SimRecord, UnwritableRecordFileIsRefusedAtStart)
{
    TempConfigHome home;
    Simulator::Options o;
    o.portsFolder = home.PortsFolder();
    o.devicePort = 1;
    o.recordFile = home.PortsFolder() + "/no-such-folder/record.txt";
    Simulator sim(o);
    EXPECT_THROW(sim.Start(), std::runtime_error);
    EXPECT_FALSE(sim.Running());
}

// The device page edits the software's number and identifier as digits only.
TEST(SimDefaults, SoftwareIdentificationNumberAndIdentifierAreDigits)
{
    RunningSim sim;
    auto device = sim.DeviceClient();
    const std::string answer = device->Ask("@RDSF");
    ASSERT_EQ(answer.rfind("@ADSF ", 0), 0u) << answer;
    std::stringstream parts(answer.substr(6));
    std::string name, number, identifier;
    ASSERT_TRUE(std::getline(parts, name, ',') && std::getline(parts, number, ',') && std::getline(parts, identifier));
    EXPECT_FALSE(name.empty());
    for (const std::string& digits : {number, identifier}) {
        EXPECT_FALSE(digits.empty());
        EXPECT_LE(digits.size(), 8u);
        EXPECT_TRUE(std::all_of(digits.begin(), digits.end(), [](unsigned char c) { return std::isdigit(c) != 0; }))
            << digits;
    }
}

} // namespace
