#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <ctime>
#include <array>
#include <ostream>
#include <string>
#include <vector>

#include "CalibrationPollSettings.h"
#include "DeviceParameters.h"
#include "JournalBuffer.h"
#include "MultigasChannelTexts.h"
#include "SensorCalibrationLoopMeasurements.h"
#include "SensorCalibrationLoopMeasurementsPoint.h"
#include "SensorCommandRequest.h"
#include "SensorIntlog.h"
#include "SensorKind.h"
#include "SensorParameters.h"
#include "SensorTerminalLog.h"

namespace {

using Point = SensorCalibrationLoopMeasurementsPoint;

// A record with something in every kind of slot, so that Reset and copies
// have work to do.
SensorParameters FilledSensorParameters()
{
    SensorParameters p;
    p.modbusId.Store(44);
    p.hartId.Store(3);
    p.concentration.StoreValue("12.5");
    p.adc.Store("1023");
    p.sensorTemperature.StoreError("sensor fault");
    p.sensorType.Store("Semi");
    p.serialNumber.Store("SN-001");
    p.daa.Store(255);
    p.ul.Store("0.5");
    p.coeffK.Store(0, "1.0");
    p.coeffK.Store(4, "-2.5");
    p.thReading.StoreValues({"350", "360"});
    p.pvValues.Store({"1.1", "2.2", "3.3"});
    p.r0Values.Store({"10", "", "20", ""});
    p.dwReading.StoreValues({"1", "2", "-1"});
    p.le.Store("50.0");
    return p;
}

} // namespace

// ---- sensor kind -----------------------------------------------------------

struct KindCase {
    const char* name;
    std::string text;
    SensorKind expected;
};

void PrintTo(const KindCase& c, std::ostream* os)
{
    *os << c.name;
}

class SensorKindTable : public ::testing::TestWithParam<KindCase> {};

TEST_P(SensorKindTable, Classifies)
{
    EXPECT_EQ(ClassifySensorKind(GetParam().text), GetParam().expected) << "text \"" << GetParam().text << "\"";
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SensorKindTable,
    ::testing::Values(KindCase{"OptoDyn", "OptoDyn", SensorKind::OptoDyn},
                      KindCase{"OptoMIP", "OptoMIP", SensorKind::OptoMIP},
                      KindCase{"Elchem", "Elchem", SensorKind::Elchem},
                      KindCase{"ElchLP", "ElchLP", SensorKind::Elchem},
                      KindCase{"Oksik", "Oksik", SensorKind::Oksik},
                      KindCase{"Semi", "Semi", SensorKind::Semi},
                      KindCase{"SemiCycl", "SemiCycl", SensorKind::SemiCycl},
                      KindCase{"TcatBrdg", "TcatBrdg", SensorKind::TcatBrdg},
                      KindCase{"TcatPWR", "TcatPWR", SensorKind::TcatPWR},
                      KindCase{"CondTerm", "CondTerm", SensorKind::CondTerm},
                      KindCase{"CondConv", "CondConv", SensorKind::CondConv},
                      KindCase{"LowerCase", "semi", SensorKind::Semi},
                      KindCase{"UpperCaseBlanks", "  SEMI \t", SensorKind::Semi},
                      KindCase{"LineEndsAround", "\r\ntcatpwr\r\n", SensorKind::TcatPWR},
                      KindCase{"MixedCaseLonger", "sEMIcYCL", SensorKind::SemiCycl},
                      KindCase{"ElchemWithDigit", "Elchem1", SensorKind::Unknown},
                      KindCase{"ElchemWithLetter", "ElchemX", SensorKind::Unknown},
                      KindCase{"PrefixOnly", "Sem", SensorKind::Unknown},
                      KindCase{"BlankInside", "Semi Cycl", SensorKind::Unknown},
                      KindCase{"Empty", "", SensorKind::Unknown},
                      KindCase{"OnlyBlanks", "   ", SensorKind::Unknown},
                      KindCase{"CyrillicBytes", "\xD1\xE5\xEC\xE8", SensorKind::Unknown},
                      KindCase{"EmbeddedNul", std::string("Semi\0", 5), SensorKind::Unknown}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- slots -----------------------------------------------------------------

TEST(ReadingSlot, ErrorAnswerLeavesValueFlagZeroAndErrorFlagOne)
{
    SensorParameters p;
    p.concentration.StoreValue("12.5");
    p.concentration.StoreOutcome(true, true, {}, "overrange");

    EXPECT_EQ(p.concentration.valid, 0u);
    EXPECT_EQ(p.concentration.errorValid, 1u);
    EXPECT_EQ(p.concentration.values[0], "");
    EXPECT_EQ(p.concentration.error, "overrange");
}

TEST(ReadingSlot, ThreeOutcomesKeepAtMostOneFlag)
{
    ReadingSlot<2> slot;
    slot.StoreOutcome(true, true, {}, "E1");
    slot.StoreOutcome(true, false, {"350"}, "");
    // The single-value form of a two-heater reading leaves the second empty.
    EXPECT_EQ(slot.valid, 1u);
    EXPECT_EQ(slot.errorValid, 0u);
    EXPECT_EQ(slot.values[0], "350");
    EXPECT_EQ(slot.values[1], "");
    EXPECT_EQ(slot.error, "");

    slot.StoreOutcome(true, false, {"350", "360", "surplus"}, "");
    EXPECT_EQ(slot.values[1], "360");

    slot.StoreOutcome(false, false, {"ignored"}, "ignored");
    EXPECT_EQ(slot, ReadingSlot<2>{});
}

TEST(TextArraySlot, RefusesIndexOutsideArray)
{
    TextArraySlot<5> k;
    EXPECT_TRUE(k.Store(4, "x"));
    EXPECT_FALSE(k.Store(5, "y"));
    EXPECT_FALSE(k.Clear(5));
    EXPECT_EQ(k.texts[4], "x");
    EXPECT_EQ(k.valid[4], 1u);
    EXPECT_EQ(k.valid[0], 0u);
}

TEST(MultiTextSlot, ShorterAnswerEmptiesTheRest)
{
    MultiTextSlot<4> r0;
    r0.Store({"a", "b", "c", "d"});
    r0.Store({"whole"});
    EXPECT_EQ(r0.valid, 1u);
    EXPECT_EQ(r0.texts[0], "whole");
    EXPECT_EQ(r0.texts[1], "");
    EXPECT_EQ(r0.texts[3], "");
}

// ---- parameter records -----------------------------------------------------

TEST(SensorParameters, FreshRecordIsEmptyEverywhere)
{
    const SensorParameters p;
    // Spot checks of each shape; the equality below covers every field.
    EXPECT_EQ(p.modbusId.value, 0u);
    EXPECT_EQ(p.modbusId.valid, 0u);
    EXPECT_EQ(p.concentration.errorValid, 0u);
    EXPECT_EQ(p.coeffK.valid[2], 0u);
    EXPECT_TRUE(p.le.text.empty());
    EXPECT_NE(p, FilledSensorParameters());
}

TEST(SensorParameters, ResetReturnsEveryFieldToTheFreshState)
{
    SensorParameters p = FilledSensorParameters();
    p.Reset();
    EXPECT_EQ(p, SensorParameters{});
    EXPECT_EQ(p.modbusId.value, 0u); // numbers too, not only flags
    EXPECT_EQ(p.daa.value, 0u);
}

TEST(SensorParameters, CopyIsDeepAndIndependent)
{
    SensorParameters original = FilledSensorParameters();
    SensorParameters copy = original;
    SensorParameters assigned;
    assigned = original;

    original.serialNumber.Store("changed");
    original.coeffK.Clear(0);
    original.thReading.StoreError("E");
    original.modbusId.Store(1);

    const SensorParameters expected = FilledSensorParameters();
    EXPECT_EQ(copy, expected);
    EXPECT_EQ(assigned, expected);
    EXPECT_EQ(copy.serialNumber.text, "SN-001");
    EXPECT_EQ(copy.coeffK.texts[0], "1.0");
    EXPECT_EQ(copy.thReading.values[1], "360");
}

TEST(DeviceParameters, ResetEmptiesTextsAndClearsFlagsButKeepsNumbers)
{
    DeviceParameters d;
    d.deviceClock.Store(1700000000u);
    d.deviceText8.Store("ABCDEFGH");
    d.deviceConcentration.Store(2.5f);
    d.threshold1 = 10.0f;
    d.threshold2 = 20.0f;
    d.soundMode = 2;
    d.o2Flag = 1;
    d.thresholdsValid = 1;
    d.ecoMode = 1;
    d.ecoModeValid = 1;
    d.journalIndices.Store({1, 2, 3, 4, 100, 200});
    d.deviceAnalyteCode.Store("CH4");
    d.deviceUnits.Store("%LEL");
    d.deviceCalibrationDate.Store(5, 6, 2024);
    d.softwareIdentification.Store("FW,1.2,ABCD");

    const DeviceParameters copy = d;
    d.Reset();

    EXPECT_EQ(d.deviceClock.valid, 0u);
    EXPECT_EQ(d.deviceClock.value, 1700000000u);
    EXPECT_EQ(d.deviceText8.valid, 0u);
    EXPECT_EQ(d.deviceText8.text, "");
    EXPECT_EQ(d.deviceConcentration.valid, 0u);
    EXPECT_EQ(d.deviceConcentration.value, 2.5f);
    EXPECT_EQ(d.thresholdsValid, 0u);
    EXPECT_EQ(d.threshold2, 20.0f);
    EXPECT_EQ(d.soundMode, 2);
    EXPECT_EQ(d.ecoModeValid, 0u);
    EXPECT_EQ(d.ecoMode, 1);
    EXPECT_EQ(d.journalIndices.valid, 0u);
    EXPECT_EQ(d.journalIndices.value[DeviceParameters::kThresholdCapacity], 200);
    EXPECT_EQ(d.deviceAnalyteCode.text, "");
    EXPECT_EQ(d.deviceUnits.valid, 0u);
    EXPECT_EQ(d.deviceCalibrationDate.valid, 0u);
    EXPECT_EQ(d.deviceCalibrationDate.year, 2024);
    EXPECT_EQ(d.softwareIdentification.text, "");

    // The copy taken before is untouched.
    EXPECT_EQ(copy.deviceText8.text, "ABCDEFGH");
    EXPECT_EQ(copy.thresholdsValid, 1u);
}

TEST(DeviceParameters, FreshRecordHasZeroNumbersAndFlags)
{
    const DeviceParameters d;
    EXPECT_EQ(d.deviceClock.value, 0u);
    EXPECT_EQ(d.threshold1, 0.0f);
    EXPECT_EQ(d.journalIndices.value[0], 0);
    EXPECT_EQ(d.deviceCalibrationDate.day, 0);
    EXPECT_EQ(d.softwareIdentification.valid, 0u);
}

TEST(SensorCommandRequest, CopiesCodeAndFiveTexts)
{
    SensorCommandRequest r;
    r.code = 17;
    r.texts = {"k0", "k1", "k2", "k3", "k4"};
    SensorCommandRequest copy = r;
    r.Clear();
    EXPECT_EQ(r, SensorCommandRequest{});
    EXPECT_EQ(copy.code, 17);
    EXPECT_EQ(copy.texts[4], "k4");
}

// ---- poll settings ---------------------------------------------------------

TEST(CalibrationPollSettings, DefaultsSelectNothing)
{
    const CalibrationPollSettings s;
    EXPECT_EQ(s.cyclic, 0);
    EXPECT_EQ(s.cyclePeriodMs, 10000);
    EXPECT_EQ(s.heatingTimeMs, 2000);
    EXPECT_EQ(s.pollPeriodMs, 500);
    EXPECT_EQ(s.toFile, 0);
    EXPECT_TRUE(s.filePath.empty());
    EXPECT_FALSE(s.AnythingSelected());
}

TEST(CalibrationPollSettings, AnyOneOfTheThirteenReadFlagsSelects)
{
    using Flag = std::int32_t CalibrationPollSettings::*;
    const Flag flags[] = {
        &CalibrationPollSettings::readConcentration, &CalibrationPollSettings::readAdc,
        &CalibrationPollSettings::readSensorTemperature, &CalibrationPollSettings::readTh,
        &CalibrationPollSettings::readRp, &CalibrationPollSettings::readPv,
        &CalibrationPollSettings::readRh, &CalibrationPollSettings::readPw,
        &CalibrationPollSettings::readSh, &CalibrationPollSettings::readTh2,
        &CalibrationPollSettings::readRh2, &CalibrationPollSettings::readDw,
        &CalibrationPollSettings::readMultigas,
    };
    for (std::size_t i = 0; i < std::size(flags); ++i) {
        CalibrationPollSettings s;
        s.*flags[i] = 1;
        EXPECT_TRUE(s.AnythingSelected()) << "flag " << i;
    }
    CalibrationPollSettings other;
    other.cyclic = 1;
    other.toFile = 1;
    EXPECT_FALSE(other.AnythingSelected());
}

// ---- multigas --------------------------------------------------------------

TEST(MultigasChannelTexts, FillSkipsFirstItemAndBlanksMarkers)
{
    MultigasChannelTexts mg;
    mg.names[11] = "old";
    std::vector<std::string> items = {"hdr"};
    for (int ch = 1; ch <= 12; ++ch) {
        items.push_back("N" + std::to_string(ch));
        items.push_back(std::to_string(ch) + ".5");
    }
    items[1] = "ns";   // channel 1 name: empty place
    items[4] = "Nd";   // channel 2 value: no data
    items.push_back("extra-26th");
    mg.Fill(items);

    EXPECT_EQ(mg.Name(0), "");
    EXPECT_EQ(mg.Value(0), "1.5");
    EXPECT_EQ(mg.Name(1), "N2");
    EXPECT_EQ(mg.Value(1), "");
    EXPECT_EQ(mg.Name(11), "N12");
    EXPECT_EQ(mg.Value(11), "12.5");
    EXPECT_EQ(mg.Name(12), "");
    EXPECT_EQ(mg.Value(99), "");
}

TEST(MultigasChannelTexts, ShortListEmptiesRemainingChannels)
{
    MultigasChannelTexts mg;
    mg.names.fill("old");
    mg.values.fill("9");
    mg.Fill({"hdr", "CH4", "NSX", "CO"});
    EXPECT_EQ(mg.Name(0), "CH4");
    EXPECT_EQ(mg.Value(0), "NSX"); // only the exact marker blanks a text
    EXPECT_EQ(mg.Name(1), "CO");
    EXPECT_EQ(mg.Value(1), "");
    EXPECT_EQ(mg.Name(2), "");
    EXPECT_EQ(mg.Value(11), "");

    mg.Fill({});
    EXPECT_EQ(mg, MultigasChannelTexts{});
}

// ---- measurement points ----------------------------------------------------

TEST(SensorCalibrationLoopMeasurementsPoint, SlotNeedsReadFlagAndValidSource)
{
    SensorParameters p;
    p.concentration.StoreValue("12.5abc");
    p.adc.Store("1023");                     // not selected
    p.sensorTemperature.StoreError("E");     // selected, but only an error
    p.thReading.StoreValues({"350", "360"});
    p.pvValues.Store({"1.5", "x", "-3"});
    p.dwReading.StoreValues({"0.25", "0.5", "-0.25"});
    MultigasChannelTexts mg;
    mg.values[0] = "7.25";
    mg.values[11] = "oops"; // not a number: 0, but present

    CalibrationPollSettings s;
    s.readConcentration = 1;
    s.readSensorTemperature = 1;
    s.readTh = 1;
    s.readTh2 = 1;
    s.readPv = 1;
    s.readDw = 1;
    s.readMultigas = 1;
    s.readRh = 1; // field never read

    const Point point = Point::Build(p, mg, s);

    EXPECT_EQ(point.valid[Point::kConcentration], 1u);
    EXPECT_FLOAT_EQ(point.values[Point::kConcentration], 12.5f);
    EXPECT_EQ(point.valid[Point::kAdc], 0u);
    EXPECT_EQ(point.valid[Point::kSensorTemperature], 0u);
    EXPECT_FLOAT_EQ(point.values[Point::kHeaterTemperature], 350.0f);
    EXPECT_FLOAT_EQ(point.values[Point::kHeaterTemperatureCat], 350.0f);
    EXPECT_FLOAT_EQ(point.values[Point::kHeaterTemperaturePlt], 360.0f);
    EXPECT_EQ(point.valid[Point::kPv1 + 1], 1u);
    EXPECT_FLOAT_EQ(point.values[Point::kPv1 + 1], 0.0f);
    EXPECT_FLOAT_EQ(point.values[Point::kPv1 + 2], -3.0f);
    EXPECT_EQ(point.valid[Point::kHeaterResistance], 0u);
    EXPECT_FLOAT_EQ(point.values[Point::kPowerDifference], -0.25f);
    EXPECT_EQ(point.valid[18], 0u);
    EXPECT_EQ(point.valid[19], 0u);
    EXPECT_EQ(point.valid[Point::kMultigas1], 1u);
    EXPECT_FLOAT_EQ(point.values[Point::kMultigas1], 7.25f);
    EXPECT_EQ(point.valid[Point::kMultigas1 + 1], 0u);
    EXPECT_EQ(point.valid[Point::kMultigas1 + 11], 1u);
    EXPECT_FLOAT_EQ(point.values[Point::kMultigas1 + 11], 0.0f);
    EXPECT_TRUE(point.AnyValid());

    EXPECT_FALSE(Point::Build(p, mg, CalibrationPollSettings{}).AnyValid());
}

TEST(SensorCalibrationLoopMeasurements, KeepsTheNewestThousandPoints)
{
    SensorCalibrationLoopMeasurements list;
    for (int i = 0; i < 1001; ++i) {
        Point point;
        point.values[0] = static_cast<float>(i);
        point.valid[0] = 1;
        list.Append(point);
    }
    ASSERT_EQ(list.Size(), 1000u);
    EXPECT_EQ(list.At(0).values[0], 1.0f); // the first point is gone
    EXPECT_EQ(list.At(999).values[0], 1000.0f);

    std::vector<Point> out(3);
    EXPECT_EQ(list.CopyNewest(64, out), 64u);
    ASSERT_EQ(out.size(), 64u);
    EXPECT_EQ(out.front().values[0], 937.0f);
    EXPECT_EQ(out.back().values[0], 1000.0f);
    EXPECT_EQ(list.CopyNewest(5000, out), 1000u);

    list.Clear();
    EXPECT_EQ(list.CopyNewest(64, out), 0u);
    EXPECT_TRUE(out.empty());
}

// Every read flag fills the slots SlotsRead names for it, and no other.
TEST(SensorCalibrationLoopMeasurementsPoint, SlotsReadAreTheSlotsBuildFills)
{
    SensorParameters p;
    p.concentration.StoreValue("1");
    p.adc.Store("2");
    p.sensorTemperature.StoreValue("3");
    p.thReading.StoreValues({"4", "5"});
    p.rpReading.StoreValues({"6"});
    p.pvValues.Store({"7", "8", "9"});
    p.rhReading.StoreValues({"10", "11"});
    p.pw.Store("12");
    p.shReading.StoreValues({"13"});
    p.dwReading.StoreValues({"14", "15", "16"});
    MultigasChannelTexts mg;
    for (std::string& v : mg.values)
        v = "17";
    std::int32_t CalibrationPollSettings::*const flags[] = {
        &CalibrationPollSettings::readConcentration, &CalibrationPollSettings::readAdc,
        &CalibrationPollSettings::readSensorTemperature, &CalibrationPollSettings::readTh,
        &CalibrationPollSettings::readRp, &CalibrationPollSettings::readPv, &CalibrationPollSettings::readRh,
        &CalibrationPollSettings::readPw, &CalibrationPollSettings::readSh, &CalibrationPollSettings::readTh2,
        &CalibrationPollSettings::readRh2, &CalibrationPollSettings::readDw, &CalibrationPollSettings::readMultigas};
    std::array<int, Point::kSlots> filledBy{};
    for (std::size_t f = 0; f < std::size(flags); ++f) {
        CalibrationPollSettings s;
        s.*flags[f] = 1;
        const Point point = Point::Build(p, mg, s);
        const std::array<bool, Point::kSlots> slots = Point::SlotsRead(s);
        for (std::size_t slot = 0; slot < Point::kSlots; ++slot) {
            EXPECT_EQ(point.valid[slot] == 1, slots[slot]) << "flag " << f << " slot " << slot;
            filledBy[slot] += slots[slot] ? 1 : 0;
        }
    }
    // Each slot but 18 and 19 belongs to exactly one flag.
    for (std::size_t slot = 0; slot < Point::kSlots; ++slot)
        EXPECT_EQ(filledBy[slot], slot == 18 || slot == 19 ? 0 : 1) << slot;
}

// A reader that asks for the points from the number it has not seen yet gets
// each point once, with its time, also across a Clear and the full list.
TEST(SensorCalibrationLoopMeasurements, CopyFromGivesEachNewPointOnce)
{
    using List = SensorCalibrationLoopMeasurements;
    List list;
    std::vector<List::Entry> out;
    EXPECT_EQ(list.CopyFrom(0, out), 0u);
    std::tm t{};
    for (int i = 0; i < 5; ++i) {
        Point point;
        point.values[0] = static_cast<float>(i);
        point.valid[0] = 1;
        t.tm_sec = i;
        list.Append(point, t);
    }
    ASSERT_EQ(list.CopyFrom(3, out), 2u);
    EXPECT_EQ(out[0].sequence, 3u);
    EXPECT_EQ(out[0].point.values[0], 3.0f);
    EXPECT_EQ(out[1].localTime.tm_sec, 4);
    EXPECT_EQ(list.NextSequence(), 5u);
    EXPECT_EQ(list.CopyFrom(5, out), 0u);

    list.Clear(); // numbers go on
    Point point;
    point.valid[1] = 1;
    list.Append(point);
    ASSERT_EQ(list.CopyFrom(3, out), 1u);
    EXPECT_EQ(out[0].sequence, 5u);

    // A reader left far behind gets the points still kept, oldest first.
    for (std::size_t i = 0; i < List::kMaxPoints + 10; ++i)
        list.Append(point);
    ASSERT_EQ(list.CopyFrom(0, out), List::kMaxPoints);
    EXPECT_EQ(out.front().sequence, list.NextSequence() - List::kMaxPoints);
    EXPECT_EQ(out.back().sequence, list.NextSequence() - 1);
}

// ---- sensor log and terminal log -------------------------------------------

TEST(SensorIntlogRecord, EmptyTextGivesZero)
{
    const auto r = SensorIntlogRecord::FromTexts("12.5", "", "-3e2x");
    EXPECT_EQ(r.texts[1], "");
    EXPECT_FLOAT_EQ(r.values[0], 12.5f);
    EXPECT_EQ(r.values[1], 0.0f);
    EXPECT_FLOAT_EQ(r.values[2], -300.0f);
    EXPECT_EQ(SensorIntlogRecord::FromTexts("abc", "", "").values[0], 0.0f);
}

TEST(SensorIntlog, CopyFromAppendsOnlyTheRequestedTail)
{
    SensorIntlog log;
    for (int i = 0; i < 5; ++i)
        log.Append(SensorIntlogRecord::FromTexts(std::to_string(i), "", ""));

    std::vector<SensorIntlogRecord> out{SensorIntlogRecord::FromTexts("kept", "", "")};
    EXPECT_EQ(log.CopyFrom(3, out), 2u);
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[0].texts[0], "kept");
    EXPECT_EQ(out[1].texts[0], "3");
    EXPECT_EQ(out[2].texts[0], "4");
    EXPECT_EQ(log.CopyFrom(-1, out), 0u);
    EXPECT_EQ(log.CopyFrom(5, out), 0u);
    EXPECT_EQ(out.size(), 3u);
}

TEST(SensorTerminalLog, KeepsExchangesInOrder)
{
    SensorTerminalLog log;
    log.Append({"@RRID", "@RAID 44"});
    log.Append({"@RRXX", ""});
    SensorTerminalLog copy = log;
    log.Clear();
    EXPECT_EQ(log.Size(), 0u);
    ASSERT_EQ(copy.Size(), 2u);
    EXPECT_EQ(copy.At(0).answer, "@RAID 44");
    EXPECT_EQ(copy.At(1).answer, "");
}

// ---- journal buffer --------------------------------------------------------

TEST(JournalBuffer, ExpectedCountFollowsTheRing)
{
    EXPECT_EQ(JournalBuffer::ExpectedCount(0, 0, 100), 0u);
    EXPECT_EQ(JournalBuffer::ExpectedCount(90, 10, 100), 20u);
    EXPECT_EQ(JournalBuffer::ExpectedCount(0, 40, 100), 40u);
}

TEST(JournalBuffer, AllocateKeepsArraysForSameCapacityAndClearsLoaded)
{
    JournalBuffer j;
    ASSERT_TRUE(j.Allocate(90, 10, 100));
    EXPECT_EQ(j.status, JournalReadStatus::Reading);
    EXPECT_EQ(j.expectedCount, 20u);
    std::uint8_t bytes[32];
    for (int i = 0; i < 32; ++i)
        bytes[i] = static_cast<std::uint8_t>(i);
    ASSERT_TRUE(j.StoreRecords(98, bytes, 2));
    EXPECT_TRUE(j.IsLoaded(99));
    EXPECT_EQ(j.records[99][15], 31);
    EXPECT_FALSE(j.StoreRecords(99, bytes, 2)); // would run past the ring

    j.PrepareForRead();
    EXPECT_EQ(j.allocated, 0u);
    EXPECT_FALSE(j.IsLoaded(99));
    EXPECT_EQ(j.status, JournalReadStatus::NotRead);
    EXPECT_EQ(j.expectedCount, 0u);
    EXPECT_FALSE(j.StoreRecords(0, bytes, 1)); // not allocated

    ASSERT_TRUE(j.Allocate(0, 40, 100));
    EXPECT_EQ(j.records.size(), 100u);
    ASSERT_TRUE(j.Allocate(0, 5, 50));
    EXPECT_EQ(j.records.size(), 50u);
    EXPECT_TRUE(j.Usable());
}

TEST(JournalBuffer, RefusesIndicesOutsideTheRing)
{
    JournalBuffer j;
    EXPECT_FALSE(j.Allocate(150, 10, 100));
    EXPECT_FALSE(j.Usable());
    EXPECT_FALSE(j.Allocate(0, 101, 100));
    EXPECT_FALSE(j.Allocate(1, 1, 0));
    EXPECT_TRUE(j.Allocate(0, 0, 0));
    EXPECT_EQ(j.expectedCount, 0u);
    EXPECT_TRUE(j.Allocate(10, 100, 100)); // last one past the top slot
    EXPECT_EQ(j.expectedCount, 90u);
    EXPECT_FALSE(j.Allocate(0, 100, 100));  // with first 0: all slots, or none?
    EXPECT_TRUE(j.Allocate(0, 10, 0xB000, 0xB000));
    EXPECT_FALSE(j.Allocate(0, 10, 0xB001, 0xB000)); // beyond what the registers address
}
