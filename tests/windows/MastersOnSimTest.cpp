// The protocol masters on the Win32 connector, against the simulated
// detector behind real COM ports (under Wine: detector-sim's
// pseudo-terminals linked into the prefix). Every value checked is one that
// wine-sim.ini sets.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <string>
#include <thread>

#include "HartMaster.h"
#include "ModbusAsciiMaster.h"
#include "ModbusMaster.h"
#include "SimScenario.h"

namespace {

using namespace wine_sim;

class MastersOnSim : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!PortsNamed())
            GTEST_FAIL() << kNoPorts;
    }
};

TEST_F(MastersOnSim, ModbusTypedReadsGiveTheDetectorsRegisters)
{
    ModbusMaster master;
    ASSERT_TRUE(master.Open(DevicePort()));

    std::string text;
    ASSERT_TRUE(master.ReadAnalyteCode(kModbusId, text, true));
    EXPECT_EQ(text, kDeviceAnalyte);
    ASSERT_TRUE(master.ReadUnit(kModbusId, text, true));
    EXPECT_EQ(text, kUnits);
    ASSERT_TRUE(master.ReadText1050(kModbusId, text, true));
    EXPECT_EQ(text, kDeviceText8);

    std::uint16_t day = 0, month = 0, year = 0;
    ASSERT_TRUE(master.ReadCalibrationDate(kModbusId, day, month, year, true));
    EXPECT_EQ(day, kCalibrationDay);
    EXPECT_EQ(month, kCalibrationMonth);
    EXPECT_EQ(year, kCalibrationYear);

    ModbusThresholds th;
    ASSERT_TRUE(master.ReadThresholds(kModbusId, th, true));
    EXPECT_DOUBLE_EQ(th.threshold1, kThreshold1);
    EXPECT_DOUBLE_EQ(th.threshold2, kThreshold2);
    EXPECT_EQ(th.soundMode, kSoundMode);
    EXPECT_EQ(th.o2Flag, kO2Flag);

    // Low byte first in these six registers, unlike all others.
    std::array<std::uint8_t, 12> raw{};
    ASSERT_TRUE(master.ReadJournalState(kModbusId, raw, true));
    const std::array<std::uint8_t, 12> expected{kEventFirst, 0, kEventLast, 0, kThresholdFirst, 0,
                                                kThresholdLast, 0, kEventCapacity, 0, kThresholdCapacity, 0};
    EXPECT_EQ(raw, expected);

    // A unit nobody answers to leaves the output alone.
    text = "kept";
    EXPECT_FALSE(master.ReadAnalyteCode(kModbusId + 1, text, false));
    EXPECT_EQ(text, "kept");
}

TEST_F(MastersOnSim, ModbusClockTicksOnFromTheScenariosTime)
{
    ModbusMaster master;
    ASSERT_TRUE(master.Open(DevicePort()));
    std::uint32_t first = 0;
    const auto firstRead = std::chrono::steady_clock::now();
    ASSERT_TRUE(master.ReadClock(kModbusId, first, true));
    EXPECT_GE(first, kClockAtStart);
    // The simulator started with this stage; a clock a day ahead was not
    // set from the scenario.
    EXPECT_LT(first, kClockAtStart + 86400u);

    // Let the device's second roll over at least once.
    std::this_thread::sleep_for(std::chrono::milliseconds(2100));
    std::uint32_t second = 0;
    ASSERT_TRUE(master.ReadClock(kModbusId, second, true));
    const auto elapsed = std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - firstRead);
    EXPECT_GE(second, first + 2u);
    EXPECT_LE(second, first + static_cast<std::uint32_t>(elapsed.count()) + 1u);
}

TEST_F(MastersOnSim, TextExchangeReadsTheSerialNumber)
{
    ModbusAsciiMaster master;
    ASSERT_TRUE(master.Open(DevicePort()));
    std::string answer;
    ASSERT_TRUE(master.Request("@RRIS", "@RAIS", answer, true));
    EXPECT_EQ(answer, kSerialNumber);

    // The raw exchange keeps the keyword; an unknown command is refused.
    ASSERT_TRUE(master.RequestRaw("@RRKS", answer));
    EXPECT_EQ(answer, "@RAKS " + kSensorType);
    EXPECT_FALSE(master.Request("@RRQQ", "@RAQQ", answer, false));
}

TEST_F(MastersOnSim, HartCommandsZeroAndThirteenOnTheModemLine)
{
    HartMaster master;
    ASSERT_TRUE(master.Open(HartPort()));

    HartUniqueIdentifier id;
    ASSERT_EQ(master.ReadUniqueIdentifier(HartAddress{false, 0, kHartAddress}, id, true), HartMaster::kOk);
    EXPECT_EQ(id.expandedDeviceType, kExpandedDeviceType);
    EXPECT_EQ(id.deviceId, kDeviceId);

    HartTagDescriptorDate t;
    ASSERT_EQ(master.ReadTagDescriptorDate(HartAddress{true, id.expandedDeviceType, id.deviceId}, t, true),
              HartMaster::kOk);
    EXPECT_EQ(t.tag, kTag);
    EXPECT_EQ(t.descriptor, kDescriptor);
    EXPECT_EQ(t.day, kDay);
    EXPECT_EQ(t.month, kMonth);
    EXPECT_EQ(t.yearSince1900 + 1900, kYear);
}

} // namespace
