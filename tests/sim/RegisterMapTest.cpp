// The detector's Modbus registers and ring journals, decoded by hand.

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>

#include "RunningSim.h"

namespace {

const char* kScenario =
    "[detector]\n"
    "kind = Elchem\n"
    "modbus_id = 17\n"
    "concentration = 42.5\n"
    "noise = 0\n"
    "device_analyte = CO-SENSOR-A\n"
    "device_units = mg/m3\n"
    "device_text8 = ABCDEFGH\n"
    "calibration_date = 05.11.2023\n"
    "clock = 1700000000\n"
    "threshold1 = 1.234\n"
    "threshold2 = -2.5\n"
    "sound_mode = 2\n"
    "o2_flag = 1\n"
    "eco_mode = 1\n"
    "[journal]\n"
    "event_capacity = 100\n"
    "event_first = 90\n"
    "event_last = 10\n"
    "threshold_capacity = 100\n"
    "threshold_first = 0\n"
    "threshold_last = 40\n"
    "newest_time = 1699990000\n"
    "interval_s = 60\n";

constexpr std::uint8_t kUnit = 17;

// The register data of a normal function 4 answer, checked on the way.
std::vector<std::uint8_t> Data(const std::vector<std::uint8_t>& frame, std::uint16_t count)
{
    EXPECT_EQ(frame.size(), 5u + 2u * count);
    if (frame.size() != 5u + 2u * count)
        return {};
    EXPECT_EQ(frame[0], kUnit);
    EXPECT_EQ(frame[1], 4);
    EXPECT_EQ(frame[2], 2 * count);
    EXPECT_TRUE(SimLineClient::CrcOk(frame));
    return {frame.begin() + 3, frame.end() - 2};
}

std::uint16_t Reg(const std::vector<std::uint8_t>& data, std::size_t i)
{
    return static_cast<std::uint16_t>((data.at(2 * i) << 8) | data.at(2 * i + 1));
}

// Two characters per register, the first in the low byte, up to a NUL.
std::string Text(const std::vector<std::uint8_t>& data)
{
    std::string out;
    for (std::size_t i = 0; i + 1 < data.size(); i += 2) {
        for (std::uint8_t c : {data[i + 1], data[i]}) {
            if (c == 0)
                return out;
            out.push_back(static_cast<char>(c));
        }
    }
    return out;
}

class RegisterMap : public ::testing::Test {
protected:
    RunningSim s{kScenario};
    std::unique_ptr<SimLineClient> line = s.DeviceClient();

    std::vector<std::uint8_t> Read(std::uint16_t start, std::uint16_t count)
    {
        return Data(line->ReadInput(kUnit, start, count), count);
    }
};

TEST_F(RegisterMap, TextBlocksArePackedFirstCharacterLow)
{
    EXPECT_EQ(Text(Read(1000, 8)), "CO-SENSOR-A");
    EXPECT_EQ(Text(Read(1018, 4)), "mg/m3");
    EXPECT_EQ(Text(Read(1050, 4)), "ABCDEFGH");
}

TEST_F(RegisterMap, CalibrationDateConcentrationAndClock)
{
    const auto date = Read(1008, 3);
    EXPECT_EQ(Reg(date, 0), 5);
    EXPECT_EQ(Reg(date, 1), 11);
    EXPECT_EQ(Reg(date, 2), 2023);

    const auto conc = Read(1012, 2);
    const std::uint32_t bits = (static_cast<std::uint32_t>(Reg(conc, 1)) << 16) | Reg(conc, 0);
    float f = 0;
    std::memcpy(&f, &bits, sizeof f);
    EXPECT_FLOAT_EQ(f, 42.5f);

    const auto c1 = Read(2048, 2);
    const std::uint32_t t1 = (static_cast<std::uint32_t>(Reg(c1, 1)) << 16) | Reg(c1, 0);
    EXPECT_GE(t1, 1700000000u);
    EXPECT_LT(t1, 1700000000u + 600u);
    // A second boundary may fall between the read on the line and this one.
    const std::uint32_t now = s.sim->Detector().ClockNow();
    EXPECT_GE(now, t1);
    EXPECT_LE(now, t1 + 1u);
}

TEST_F(RegisterMap, ThresholdsSoundO2AndEco)
{
    const auto d = Read(2052, 6);
    const auto t1 = static_cast<std::int32_t>((static_cast<std::uint32_t>(Reg(d, 1)) << 16) | Reg(d, 0));
    const auto t2 = static_cast<std::int32_t>((static_cast<std::uint32_t>(Reg(d, 3)) << 16) | Reg(d, 2));
    EXPECT_EQ(t1, 1234);
    EXPECT_EQ(t2, -2500);
    EXPECT_EQ(d[8], 2) << "sound mode in the high byte of 2056";
    EXPECT_EQ(d[9], 1) << "O2 flag in the low byte";
    const auto eco = Read(2058, 2);
    EXPECT_EQ(eco[0], 1) << "ECO mode in the high byte of 2058";
    EXPECT_EQ(eco[1], 0);
}

TEST_F(RegisterMap, JournalStateGoesLowByteFirst)
{
    const auto d = Read(0x3FF0, 6);
    const std::uint8_t expected[] = {90, 0, 10, 0, 0, 0, 40, 0, 100, 0, 100, 0};
    EXPECT_EQ(d, std::vector<std::uint8_t>(std::begin(expected), std::end(expected)));
}

TEST_F(RegisterMap, ExceptionsForAddressesOutsideTheMapAndLongReads)
{
    struct Case {
        std::uint8_t function;
        std::uint16_t start;
        std::uint16_t count;
        std::uint8_t code;
    };
    const Case cases[] = {
        {4, 1011, 1, 2},             // a gap in the map
        {4, 1000, 12, 2},            // runs into the gap
        {4, 2050, 2, 2},
        {4, 0, 1, 2},
        {4, 0x3FF0, 7, 2},           // past the journal state
        {4, 0x4000 + 99, 16, 2},     // record 100 does not exist
        {4, 0x5000 + 100, 8, 2},
        {4, 1000, 126, 3},
        {4, 1000, 0, 3},
        {3, 1000, 1, 1},             // holding registers: not this device's
        {6, 1000, 5, 2},             // the analyte code is not writable
        {6, 2058, 0x0300, 3},        // no ECO level 3
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.function) + " at " + std::to_string(c.start));
        line->Write(SimLineClient::Request(kUnit, c.function, c.start, c.count));
        const auto f = line->ReadUntilQuiet(2000, 60);
        ASSERT_EQ(f.size(), 5u);
        EXPECT_EQ(f[0], kUnit);
        EXPECT_EQ(f[1], c.function | 0x80);
        EXPECT_EQ(f[2], c.code);
        EXPECT_TRUE(SimLineClient::CrcOk(f));
    }
}

TEST_F(RegisterMap, FramesForOtherUnitsAreIgnored)
{
    EXPECT_TRUE(line->ReadInput(1, 2048, 2, 300).empty());
    EXPECT_TRUE(line->ReadInput(kUnit + 1, 2048, 2, 300).empty());
    EXPECT_EQ(line->ReadInput(kUnit, 2048, 2).size(), 9u);
}

TEST_F(RegisterMap, WritesChangeRegistersAndAddJournalEvents)
{
    auto echo = line->WriteRegister(kUnit, 2058, 0x0200);
    EXPECT_EQ(echo, SimLineClient::Request(kUnit, 6, 2058, 0x0200));
    EXPECT_EQ(Read(2058, 1)[0], 2);
    EXPECT_EQ(line->WriteRegister(kUnit, 2052, 5000).size(), 8u);
    EXPECT_EQ(line->WriteRegister(kUnit, 2053, 0).size(), 8u);
    EXPECT_DOUBLE_EQ(s.sim->Detector().Threshold1(), 5.0);
    const auto state = Read(0x3FF0, 2);
    EXPECT_EQ(state[2], 13) << "three events written at last = 10, 11, 12";
    const RingJournal j = s.sim->Detector().EventJournal();
    EXPECT_EQ(RingJournal::TypeOf(j.At(10)), 11);
    EXPECT_EQ(RingJournal::TypeOf(j.At(11)), 7);
}

struct Entry {
    std::uint32_t time;
    std::uint16_t type;
    std::uint32_t value;
};

// Reads a journal as the tool does: newest first, blocks of at most 15
// records that never wrap past index 0.
std::map<int, Entry> ReadJournal(SimLineClient& line, std::uint16_t base, int capacity, int first, int last)
{
    std::map<int, Entry> out;
    std::set<int> loaded;
    const int upper = last == 0 ? capacity : last;
    int index = upper - 1;
    const int count = last >= first ? last - first : last + capacity - first;
    while (static_cast<int>(loaded.size()) < count) {
        int low = index;
        while (low > 0 && index - low + 1 < 15 && low != first)
            --low;
        const int n = index - low + 1;
        const auto f = line.ReadInput(kUnit, static_cast<std::uint16_t>(base + low), static_cast<std::uint16_t>(8 * n));
        EXPECT_EQ(f.size(), 5u + 16u * n);
        if (f.size() != 5u + 16u * n)
            return out;
        for (int k = 0; k < n; ++k) {
            const std::uint8_t* r = f.data() + 3 + 16 * k;
            Entry e{};
            e.time = r[0] | (r[1] << 8) | (r[2] << 16) | (static_cast<std::uint32_t>(r[3]) << 24);
            e.type = static_cast<std::uint16_t>(r[4] | (r[5] << 8));
            e.value = r[6] | (r[7] << 8) | (r[8] << 16) | (static_cast<std::uint32_t>(r[9]) << 24);
            out[low + k] = e;
            loaded.insert(low + k);
        }
        index = low == 0 ? capacity - 1 : low - 1;
    }
    return out;
}

TEST_F(RegisterMap, EventJournalRingHoldsEveryEventTypeNewestAtLast)
{
    const auto entries = ReadJournal(*line, 0x4000, 100, 90, 10);
    ASSERT_EQ(entries.size(), 20u);
    std::set<int> types;
    for (const auto& [index, e] : entries) {
        EXPECT_TRUE((index >= 90 && index <= 99) || (index >= 0 && index <= 9)) << index;
        types.insert(e.type);
    }
    for (int t = 1; t <= 14; ++t)
        EXPECT_EQ(types.count(t), 1u) << "type " << t;
    EXPECT_EQ(entries.at(9).time, 1699990000u);
    EXPECT_EQ(entries.at(8).time, 1699990000u - 60u);
    EXPECT_EQ(entries.at(90).time, 1699990000u - 19u * 60u);
    // A sensor change carries the new serial number, a threshold a float.
    for (const auto& [index, e] : entries) {
        if (e.type == 3) {
            EXPECT_GT(e.value, 0u);
        }
        if (e.type == 1) {
            float f = 0;
            std::memcpy(&f, &e.value, sizeof f);
            EXPECT_GT(f, 0.0f);
            EXPECT_LT(f, 1000.0f);
        }
    }
}

TEST_F(RegisterMap, ThresholdJournalIsReadInItsBlocks)
{
    const auto entries = ReadJournal(*line, 0x5000, 100, 0, 40);
    ASSERT_EQ(entries.size(), 40u);
    const auto frames = s.sim->Detector().Received().Frames();
    ASSERT_EQ(frames.size(), 3u);
    // 25-39, 10-24, 0-9
    EXPECT_EQ((frames[0][2] << 8) | frames[0][3], 0x5000 + 25);
    EXPECT_EQ((frames[1][2] << 8) | frames[1][3], 0x5000 + 10);
    EXPECT_EQ((frames[2][2] << 8) | frames[2][3], 0x5000 + 0);
    std::set<int> types;
    for (const auto& [index, e] : entries)
        types.insert(e.type);
    EXPECT_EQ(types.size(), 14u);
}

TEST_F(RegisterMap, SlotsOutsideTheRingReadAsErasedMemory)
{
    const auto f = line->ReadInput(kUnit, 0x4000 + 50, 8);
    ASSERT_EQ(f.size(), 21u);
    for (int i = 3; i < 19; ++i)
        EXPECT_EQ(f[i], 0xFF);
}

TEST(Registers, EmptyJournalAndUnitAddressFollowTheScenario)
{
    RunningSim s("[detector]\nmodbus_id = 64\n[journal]\nevent_capacity = 10\nevent_first = 3\nevent_last = 3\n");
    auto line = s.DeviceClient();
    EXPECT_EQ(line->Ask("@RRID"), "@RAID 64");
    // Unit 64 is "@": the line still tells frames from text.
    const auto f = line->ReadInput(64, 0x3FF0, 6);
    ASSERT_EQ(f.size(), 17u);
    EXPECT_EQ(f[3], 3);
    EXPECT_EQ(f[5], 3);
    EXPECT_EQ(f[11], 10);
    EXPECT_EQ(line->Ask("@RRID"), "@RAID 64");
}

}  // namespace
