// The sensor command set on a scripted line in virtual time: what
// each command puts on the line, and how each answer form is taken apart.
// Suite names begin with "commandset" so that `ctest -R commandset` finds
// them among the discovered tests.

#include <gtest/gtest.h>

#include <charconv>

#include <clocale>
#include <cstdio>
#include <functional>
#include <memory>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "ModbusAsciiMaster.h"
#include "ScriptedConnector.h"
#include "SensorCommandSet.h"
#include "VirtualTime.h"

namespace {

namespace C = SensorCommands;

using Outputs = std::vector<std::string>;

// One master on one scripted line, with the command set over it.
struct Bench {
    VirtualTime vt;
    ModbusAsciiMaster master;
    ScriptedConnector* line = nullptr;
    SensorCommandSet set{master};

    Bench()
    {
        master.SetTimeSource(&vt);
        auto connector = std::make_unique<ScriptedConnector>(vt);
        line = connector.get();
        master.Open(std::move(connector));
    }

    void Answer(const std::string& text) { line->AddReply(TextBytes(text + "\r\n")); }

    // The lines sent, each without its CR LF (checked to be there).
    std::vector<std::string> Sent() const
    {
        std::vector<std::string> lines;
        for (const Bytes& bytes : line->Written()) {
            std::string text(bytes.begin(), bytes.end());
            EXPECT_GE(text.size(), 2u);
            EXPECT_EQ(text.substr(text.size() - 2), "\r\n") << text;
            lines.push_back(text.size() >= 2 ? text.substr(0, text.size() - 2) : text);
        }
        return lines;
    }
};

using Call = std::function<bool(SensorCommandSet&, Outputs&)>;

Call Text(SensorTextRead command)
{
    return [command](SensorCommandSet& set, Outputs& got) {
        std::string value;
        const bool ok = set.ReadText(command, value, false);
        got = {value};
        return ok;
    };
}

Call Fields(SensorFieldRead command)
{
    return [command](SensorCommandSet& set, Outputs& got) {
        std::vector<std::string> fields;
        const bool ok = set.ReadFields(command, fields, false);
        got = fields;
        return ok;
    };
}

// Outputs: the three values, "error" or "", the error text.
Call Reading(SensorReadingRead command)
{
    return [command](SensorCommandSet& set, Outputs& got) {
        SensorReading reading;
        const bool ok = set.ReadReading(command, reading, false);
        got = {reading.values[0], reading.values[1], reading.values[2], reading.isError ? "error" : "",
               reading.errorText};
        return ok;
    };
}

Call WriteText(SensorTextWrite command, std::string password, std::string value)
{
    return [=](SensorCommandSet& set, Outputs& got) {
        std::string held;
        const bool ok = set.WriteText(command, password, value, held, false);
        got = {held};
        return ok;
    };
}

Call WriteFields(SensorFieldWrite command, std::string password, std::vector<std::string> values)
{
    return [=](SensorCommandSet& set, Outputs& got) {
        std::vector<std::string> fields;
        const bool ok = set.WriteFields(command, password, values, fields, false);
        got = fields;
        return ok;
    };
}

Call Byte(bool (SensorCommandSet::*read)(std::uint8_t&, bool))
{
    return [read](SensorCommandSet& set, Outputs& got) {
        std::uint8_t value = 0;
        const bool ok = (set.*read)(value, false);
        got = {std::to_string(value)};
        return ok;
    };
}

Call ReadK(unsigned index)
{
    return [index](SensorCommandSet& set, Outputs& got) {
        std::string value;
        const bool ok = set.ReadCoefficient(index, value, false);
        got = {value};
        return ok;
    };
}

Call WriteK(unsigned index, std::string password, std::string value)
{
    return [=](SensorCommandSet& set, Outputs& got) {
        std::string held;
        const bool ok = set.WriteCoefficient(index, password, value, held, false);
        got = {held};
        return ok;
    };
}

// printf of the C locale ("%g", "%.1f"), whatever locale the test process
// runs in: the expectations must not follow the locale the code must ignore.
std::string CFormat(double value, std::chars_format format, int precision)
{
    char text[400];
    const auto result = std::to_chars(text, text + sizeof text, value, format, precision);
    return std::string(text, result.ptr);
}

Call WriteLE(std::string password, double value)
{
    return [=](SensorCommandSet& set, Outputs& got) {
        double held = -1.0;
        const bool ok = set.WriteLE(password, value, held, false);
        got = {CFormat(held, std::chars_format::general, 6)};
        return ok;
    };
}

Call LogRecord(std::string password)
{
    return [=](SensorCommandSet& set, Outputs& got) {
        SensorLogFields fields;
        const bool ok = set.ReadLogRecord(password, fields);
        got = {fields[0], fields[1], fields[2]};
        return ok;
    };
}

Call Multigas()
{
    return [](SensorCommandSet& set, Outputs& got) {
        std::vector<std::string> items{"stale"};
        const bool ok = set.ReadMultigasList(items, false);
        got = items;
        return ok;
    };
}

Call SelectChannel(std::string channel)
{
    return [=](SensorCommandSet& set, Outputs& got) {
        std::string answer;
        const bool ok = set.SelectMultigasChannel(channel, answer, false);
        got = {answer};
        return ok;
    };
}

Call SaveFactory(std::string password)
{
    return [=](SensorCommandSet& set, Outputs& got) {
        got.clear();
        return set.SaveFactorySettings(password, false);
    };
}

Call LoadFactory(std::string password)
{
    return [=](SensorCommandSet& set, Outputs& got) {
        got.clear();
        return set.LoadFactorySettings(password, false);
    };
}

struct CommandCase {
    const char* name;
    Call call;
    const char* sent;     // the request line without CR LF; nullptr: nothing may be sent
    const char* answer;   // the answer line without CR LF; nullptr: the device stays silent
    bool ok;
    Outputs expected;     // compared on success only
};

void PrintTo(const CommandCase& c, std::ostream* os)
{
    *os << c.name;
}

const std::vector<CommandCase>& Cases()
{
    static const std::vector<CommandCase> cases = {
        // Single text values: trimmed, otherwise as received.
        {"TextTrimmed", Text(C::kSerialNumber), "@RRIS", "@RAIS  42 ", true, {"42"}},
        {"TextKeywordAlone", Text(C::kSerialNumber), "@RRIS", "@RAIS", true, {""}},
        {"TextKeepsInnerBlanksAndCommas", Text(C::kManufacturer), "@RRIM", "@RAIM OOO Korvan, Ltd ", true,
         {"OOO Korvan, Ltd"}},
        {"TextWrongKeyword", Text(C::kSerialNumber), "@RRIS", "@RAID 42", false, {}},
        {"TextSilent", Text(C::kSerialNumber), "@RRIS", nullptr, false, {}},
        {"R0WholeText", Text(C::kR0), "@RRR0", "@RAR0 10.5, 11.5", true, {"10.5, 11.5"}},
        {"SoftwareIdWholeText", Text(C::kSoftwareId), "@RDSF", "@ADSF KSS,1.02,A1B2", true, {"KSS,1.02,A1B2"}},
        {"ConcentrationPlain", Text(C::kConcentrationPlain), "@RRDT", "@RADT 0.25", true, {"0.25"}},
        {"ConcentrationPlainErrorFails", Text(C::kConcentrationPlain), "@RRDT", "@ERDT 63, overload", false, {}},

        // Integer reads.
        {"ModbusId", Byte(&SensorCommandSet::ReadModbusId), "@RRID", "@RAID 5", true, {"5"}},
        {"ModbusId300Gives44", Byte(&SensorCommandSet::ReadModbusId), "@RRID", "@RAID 300", true, {"44"}},
        {"ModbusIdMinus1Gives255", Byte(&SensorCommandSet::ReadModbusId), "@RRID", "@RAID -1", true, {"255"}},
        {"ModbusIdNoDigitsGives0", Byte(&SensorCommandSet::ReadModbusId), "@RRID", "@RAID x7", true, {"0"}},
        {"ModbusIdDigitsUpToOther", Byte(&SensorCommandSet::ReadModbusId), "@RRID", "@RAID 17abc", true, {"17"}},
        {"ModbusIdEmptyFails", Byte(&SensorCommandSet::ReadModbusId), "@RRID", "@RAID  ", false, {}},
        {"HartId258Gives2", Byte(&SensorCommandSet::ReadHartId), "@RRHA", "@RAHA 258", true, {"2"}},
        {"HartIdEmptyFails", Byte(&SensorCommandSet::ReadHartId), "@RRHA", "@RAHA", false, {}},
        {"Daa", Byte(&SensorCommandSet::ReadDaa), "@RDAA", "@ADAA 17", true, {"17"}},
        {"Daa0", Byte(&SensorCommandSet::ReadDaa), "@RDAA", "@ADAA 0", true, {"0"}},
        {"Daa255", Byte(&SensorCommandSet::ReadDaa), "@RDAA", "@ADAA 255", true, {"255"}},
        {"Daa300Gives255", Byte(&SensorCommandSet::ReadDaa), "@RDAA", "@ADAA 300", true, {"255"}},
        {"DaaMinus1Gives255", Byte(&SensorCommandSet::ReadDaa), "@RDAA", "@ADAA -1", true, {"255"}},
        {"DaaEmptyFails", Byte(&SensorCommandSet::ReadDaa), "@RDAA", "@ADAA", false, {}},

        // Field lists.
        {"PV", Fields(C::kPV), "@RRPV", "@RAPV 1.1, 2.2 ,3.3", true, {"1.1", "2.2", "3.3"}},
        {"PVOneCommaFails", Fields(C::kPV), "@RRPV", "@RAPV 1.1,2.2", false, {}},
        {"PVThreeCommasLastKeepsComma", Fields(C::kPV), "@RRPV", "@RAPV 1.1,2.2,3.3,4.4", true,
         {"1.1", "2.2", "3.3,4.4"}},
        {"PVNoCommaFails", Fields(C::kPV), "@RRPV", "@RAPV 1.1", false, {}},
        {"PVCommaFirstFails", Fields(C::kPV), "@RRPV", "@RAPV ,2.2,3.3", false, {}},
        {"PVEmptyMiddleFieldFails", Fields(C::kPV), "@RRPV", "@RAPV 1.1,,3.3", false, {}},
        {"PVBlankMiddleFieldFails", Fields(C::kPV), "@RRPV", "@RAPV 1.1, ,3.3", false, {}},
        {"PVEmptyLastFieldAllowed", Fields(C::kPV), "@RRPV", "@RAPV 1.1,2.2,", true, {"1.1", "2.2", ""}},
        {"PVEmptyAnswerFails", Fields(C::kPV), "@RRPV", "@RAPV", false, {}},
        {"PI", Fields(C::kPI), "@RRPI", "@RAPI 10,0.5,2", true, {"10", "0.5", "2"}},
        {"CP", Fields(C::kCP), "@RRCP", "@RACP 30,60,90,450", true, {"30", "60", "90", "450"}},
        {"LP", Fields(C::kLP), "@RRLP", "@RALP 1,2,3,60", true, {"1", "2", "3", "60"}},
        {"LPThreeFieldsFails", Fields(C::kLP), "@RRLP", "@RALP 1,2,3", false, {}},
        {"R0Pair", Fields(C::kR0Pair), "@RRR0", "@RAR0 10.5 , 11.5", true, {"10.5", "11.5"}},
        {"R0PairOneValueFails", Fields(C::kR0Pair), "@RRR0", "@RAR0 10.5", false, {}},

        // Measured values with the error answer.
        {"Concentration", Reading(C::kConcentration), "@RRDT", "@RADT 12.5", true, {"12.5", "", "", "", ""}},
        {"ConcentrationError", Reading(C::kConcentration), "@RRDT", "@ERDT 63, text", true,
         {"", "", "", "error", "text"}},
        {"ConcentrationErrorKeywordAlone", Reading(C::kConcentration), "@RRDT", "@ERDT 63,", true,
         {"", "", "", "error", ""}},
        {"ConcentrationErrorWithoutCodeFails", Reading(C::kConcentration), "@RRDT", "@ERDT 62, text", false, {}},
        {"ConcentrationForeignFails", Reading(C::kConcentration), "@RRDT", "@RAST 20", false, {}},
        {"SensorTemperature", Reading(C::kSensorTemperature), "@RRST", "@RAST 21.5", true,
         {"21.5", "", "", "", ""}},
        {"SensorTemperatureError", Reading(C::kSensorTemperature), "@RRST", "@ERST 63, no sensor", true,
         {"", "", "", "error", "no sensor"}},
        {"THOneValueKeepsCommas", Reading(C::kTH), "@RRTH", "@RATH 300,310", true, {"300,310", "", "", "", ""}},
        {"THError", Reading(C::kTH), "@RRTH", "@ERTH 63, heater, broken", true,
         {"", "", "", "error", "heater, broken"}},
        {"TH2", Reading(C::kTH2), "@RRTH", "@RATH 300, 310", true, {"300", "310", "", "", ""}},
        {"TH2OneValueFails", Reading(C::kTH2), "@RRTH", "@RATH 300", false, {}},
        {"TH2Error", Reading(C::kTH2), "@RRTH", "@ERTH 63,open", true, {"", "", "", "error", "open"}},
        {"RP", Reading(C::kRP), "@RRRP", "@RARP 1500", true, {"1500", "", "", "", ""}},
        {"RPError", Reading(C::kRP), "@RRRP", "@ERRP 63,x", true, {"", "", "", "error", "x"}},
        {"RH", Reading(C::kRH), "@RRRH", "@RARH 12.1", true, {"12.1", "", "", "", ""}},
        {"RH2", Reading(C::kRH2), "@RRRH", "@RARH 12.1,13.2", true, {"12.1", "13.2", "", "", ""}},
        {"RH2Error", Reading(C::kRH2), "@RRRH", "@ERRH 63, y", true, {"", "", "", "error", "y"}},
        {"SH", Reading(C::kSH), "@RRSH", "@RASH 45", true, {"45", "", "", "", ""}},
        {"SHError", Reading(C::kSH), "@RRSH", "@ERSH 63, no humidity", true,
         {"", "", "", "error", "no humidity"}},
        {"DW", Reading(C::kDW), "@RRDW", "@RADW 1.5,1.25,0.25", true, {"1.5", "1.25", "0.25", "", ""}},
        {"DWTwoFieldsFails", Reading(C::kDW), "@RRDW", "@RADW 1.5,1.25", false, {}},
        {"DWError", Reading(C::kDW), "@RRDW", "@ERDW 63, cold", true, {"", "", "", "error", "cold"}},
        {"AdcNoErrorForm", Text(C::kAdc), "@RRDV", "@RADV 1023", true, {"1023"}},
        {"PW", Text(C::kPW), "@RRPW", "@RAPW 40", true, {"40"}},

        // Writes with the calibration password and one value.
        {"WriteV1", WriteText(C::kWriteV1, "1234", "0.5"), "@WCV1 1234,0.5", "@RAV1 0.50", true, {"0.50"}},
        {"WriteValueSentAsItIs", WriteText(C::kWriteAV, "pw", " 8 x"), "@WCAV pw, 8 x", "@RAAV 8", true, {"8"}},
        {"WriteEmptyValueSendsNothing", WriteText(C::kWriteV1, "1234", ""), nullptr, nullptr, false, {}},
        {"WriteEmptyPasswordSendsNothing", WriteText(C::kWriteV1, "", "0.5"), nullptr, nullptr, false, {}},
        {"WriteRejectedPassword", WriteText(C::kWriteV1, "0000", "0.5"), "@WCV1 0000,0.5", "@ERPW", false, {}},
        {"CalibrateC1", WriteText(C::kCalibrateC1, "pw", "50"), "@CSC1 pw,50", "@RAC1 50.0", true, {"50.0"}},
        {"BalanceBridge", WriteText(C::kBalanceBridge, "pw", "1"), "@CSBB pw,1", "@RABB 512", true, {"512"}},

        // Writes whose answer is a field list.
        {"WritePI", WriteFields(C::kWritePI, "pw", {"10", "0.5", "2"}), "@WCPI pw,10,0.5,2", "@RAPI 10, 0.5, 2",
         true, {"10", "0.5", "2"}},
        {"WritePIEmptyValueSendsNothing", WriteFields(C::kWritePI, "pw", {"10", "", "2"}), nullptr, nullptr, false,
         {}},
        {"WritePIEmptyPasswordSendsNothing", WriteFields(C::kWritePI, "", {"10", "0.5", "2"}), nullptr, nullptr,
         false, {}},
        {"WritePIWrongCountSendsNothing", WriteFields(C::kWritePI, "pw", {"10", "0.5"}), nullptr, nullptr, false,
         {}},
        {"WritePIShortAnswerFails", WriteFields(C::kWritePI, "pw", {"10", "0.5", "2"}), "@WCPI pw,10,0.5,2",
         "@RAPI 10,0.5", false, {}},
        {"WriteCP", WriteFields(C::kWriteCP, "pw", {"30", "60", "90", "450"}), "@WCCP pw,30,60,90,450",
         "@RACP 30,60,90,450", true, {"30", "60", "90", "450"}},
        {"WriteLP", WriteFields(C::kWriteLP, "pw", {"1", "2", "3", "60"}), "@WCLP pw,1,2,3,60", "@RALP 1,2,3,60",
         true, {"1", "2", "3", "60"}},
        {"CreateLog", WriteFields(C::kCreateLog, "pw", {"1", "3"}), "@WCLS pw,1,3", "@RALS 1,3", true, {"1", "3"}},
        {"CalibrateR0Pair", WriteFields(C::kCalibrateR0Pair, "pw", {"20.0"}), "@CSR0 pw,20.0",
         "@RAR0 10.1, 10.5", true, {"10.1", "10.5"}},
        {"CalibrateR0Quad", WriteFields(C::kCalibrateR0Quad, "pw", {"20.0"}), "@CSR0 pw,20.0",
         "@RAR0 10.1,10.5,11.1,11.5", true, {"10.1", "10.5", "11.1", "11.5"}},
        {"CalibrateR0QuadTwoFieldsFails", WriteFields(C::kCalibrateR0Quad, "pw", {"20.0"}), "@CSR0 pw,20.0",
         "@RAR0 10.1,10.5", false, {}},

        // Coefficients K0 .. K4.
        {"ReadK0", ReadK(0), "@RRK0", "@RAK0 1.5", true, {"1.5"}},
        {"ReadK4", ReadK(4), "@RRK4", "@RAK4 -2e-3", true, {"-2e-3"}},
        {"ReadK4OtherIndexAnswerFails", ReadK(4), "@RRK4", "@RAK3 1", false, {}},
        {"ReadK5SendsNothing", ReadK(5), nullptr, nullptr, false, {}},
        {"WriteK3", WriteK(3, "pw", "1e-3"), "@WCK3 pw,1e-3", "@RAK3 0.001", true, {"0.001"}},
        {"WriteK5SendsNothing", WriteK(5, "pw", "1"), nullptr, nullptr, false, {}},
        {"WriteKEmptyValueSendsNothing", WriteK(0, "pw", ""), nullptr, nullptr, false, {}},

        // "@WCLE": one decimal out, a real number back.
        {"WriteLE12345Sends123", WriteLE("pw", 12.345), "@WCLE pw,12.3", "@RALE 12.3", true, {"12.3"}},
        {"WriteLERoundsUp", WriteLE("pw", 4.96), "@WCLE pw,5.0", "@RALE 5.0", true, {"5"}},
        {"WriteLENegative", WriteLE("pw", -0.26), "@WCLE pw,-0.3", "@RALE -0.3", true, {"-0.3"}},
        {"WriteLEEmptyAnswerReadsZero", WriteLE("pw", 3.0), "@WCLE pw,3.0", "@RALE", true, {"0"}},
        {"WriteLEEmptyPasswordSendsNothing", WriteLE("", 12.345), nullptr, nullptr, false, {}},
        {"WriteLEWrongAnswerFails", WriteLE("pw", 1.0), "@WCLE pw,1.0", "@RALP 1.0", false, {}},
        // Too large for the field ("%.1f" gives 72 characters): refused, not cut.
        {"WriteLETooLargeSendsNothing", WriteLE("pw", 1e70), nullptr, nullptr, false, {}},

        // A comma would split the value into two fields on the line.
        {"WriteCommaValueSendsNothing", WriteText(C::kWriteV1, "pw", "0,5"), nullptr, nullptr, false, {}},
        {"WriteFieldsCommaValueSendsNothing", WriteFields(C::kWritePI, "pw", {"10", "0,5", "2"}), nullptr, nullptr,
         false, {}},
        {"WriteKCommaValueSendsNothing", WriteK(1, "pw", "1,5"), nullptr, nullptr, false, {}},
        {"WriteCommaPasswordSendsNothing", WriteText(C::kWriteV1, "p,w", "0.5"), nullptr, nullptr, false, {}},
        {"SelectChannelCommaSendsNothing", SelectChannel("1,2"), nullptr, nullptr, false, {}},

        // Factory settings: the password goes out even when empty.
        {"SaveFactory", SaveFactory("wr"), "@WMMC wr,1", "@RAMC 1", true, {}},
        {"SaveFactoryEmptyPasswordSent", SaveFactory(""), "@WMMC ,1", "@RAMC", true, {}},
        {"LoadFactory", LoadFactory("st"), "@CSMC st,1", "@RAMC 1", true, {}},
        {"LoadFactoryEmptyPasswordSent", LoadFactory(""), "@CSMC ,1", "@ERMC", false, {}},

        // The sensor's measurement log record.
        {"LogThreeFields", LogRecord("pw"), "@WCL1 pw,1", "1.5; 2.5 ;3.5", true, {"1.5", "2.5", "3.5"}},
        {"LogTwoFieldsThirdEmpty", LogRecord("pw"), "@WCL1 pw,1", "1.5;2.5", true, {"1.5", "2.5", ""}},
        {"LogOneField", LogRecord("pw"), "@WCL1 pw,1", " 42 ", true, {"42", "", ""}},
        {"LogAfterThirdIgnored", LogRecord("pw"), "@WCL1 pw,1", "1;2;3;4;5", true, {"1", "2", "3"}},
        {"LogEmptyInnerField", LogRecord("pw"), "@WCL1 pw,1", "1;;3", true, {"1", "", "3"}},
        {"LogRefusal", LogRecord("pw"), "@WCL1 pw,1", "@RAL1 end", false, {}},
        {"LogRefusalAfterBlanks", LogRecord("pw"), "@WCL1 pw,1", "  @", false, {}},
        {"LogBlankAnswerFails", LogRecord("pw"), "@WCL1 pw,1", "   ", false, {}},
        {"LogEmptyPasswordSendsNothing", LogRecord(""), nullptr, nullptr, false, {}},

        // Multigas.
        {"SelectChannel", SelectChannel("3"), "@MWCH 3", "@MACH 3", true, {"3"}},
        {"SelectChannelEmptySendsNothing", SelectChannel(""), nullptr, nullptr, false, {}},
        {"MultigasKeywordAlone", Multigas(), "@MRDF", "@MADF", true, {}},
        {"MultigasItems", Multigas(), "@MRDF", "@MADF 0, CH4 , 1.5,NS,ND", true, {"0", "CH4", "1.5", "NS", "ND"}},
        {"MultigasTrailingComma", Multigas(), "@MRDF", "@MADF a,b,", true, {"a", "b"}},
        {"MultigasOneItem", Multigas(), "@MRDF", "@MADF a", true, {"a"}},
        {"MultigasCommaFirstEndsCutting", Multigas(), "@MRDF", "@MADF a,,b,c", true, {"a", ",b,c"}},
        {"MultigasCommaFirstOfAnswer", Multigas(), "@MRDF", "@MADF ,x", true, {",x"}},
        {"MultigasBlankItemKept", Multigas(), "@MRDF", "@MADF a, ,b", true, {"a", "", "b"}},
        {"MultigasWrongKeywordFails", Multigas(), "@MRDF", "@MACH 1", false, {}},
    };
    return cases;
}

class CommandTable : public ::testing::TestWithParam<CommandCase> {};

TEST_P(CommandTable, SendsAndTakesApart)
{
    const CommandCase& c = GetParam();
    Bench bench;
    if (c.answer != nullptr)
        bench.Answer(c.answer);
    else
        bench.line->AddSilence();

    Outputs got;
    const bool ok = c.call(bench.set, got);

    const std::vector<std::string> sent = bench.Sent();
    if (c.sent == nullptr) {
        EXPECT_TRUE(bench.line->Written().empty()) << "sent " << (sent.empty() ? "" : sent.front());
    } else {
        ASSERT_EQ(sent.size(), 1u);
        EXPECT_EQ(sent[0], c.sent);
    }
    EXPECT_EQ(ok, c.ok);
    if (c.ok && ok) {
        EXPECT_EQ(got, c.expected);
    }
}

INSTANTIATE_TEST_SUITE_P(commandset, CommandTable, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<CommandCase>& info) {
                             return std::string(info.param.name);
                         });

// Every command of the sensor's command tables, spelled out here independently of the
// header: the request goes out exactly, the answer keyword is the one given.

struct TextReadRow {
    SensorTextRead command;
    const char* request;
    const char* answer;
};

TEST(commandset_Catalogue, TextReads)
{
    const TextReadRow rows[] = {
        {C::kSerialNumber, "@RRIS", "@RAIS"},       {C::kManufactureDate, "@RRDS", "@RADS"},
        {C::kCalibrationDate, "@RRCD", "@RACD"},    {C::kAnalyteCode, "@RRCA", "@RACA"},
        {C::kUnits, "@RRUT", "@RAUT"},              {C::kUpperLimit, "@RRCH", "@RACH"},
        {C::kLowerLimit, "@RRCL", "@RACL"},         {C::kManufacturer, "@RRIM", "@RAIM"},
        {C::kSensorType, "@RRKS", "@RAKS"},         {C::kSoftwareVersion, "@RRSS", "@RASS"},
        {C::kLE, "@RRLE", "@RALE"},                 {C::kC1, "@RRC1", "@RAC1"},
        {C::kC2, "@RRC2", "@RAC2"},                 {C::kV1, "@RRV1", "@RAV1"},
        {C::kV2, "@RRV2", "@RAV2"},                 {C::kS1, "@RRS1", "@RAS1"},
        {C::kS2, "@RRS2", "@RAS2"},                 {C::kSettingAV, "@RRAV", "@RAAV"},
        {C::kSettingRG, "@RRRG", "@RARG"},          {C::kSettingRL, "@RRRL", "@RARL"},
        {C::kSettingBS, "@RRBS", "@RABS"},          {C::kSettingSB, "@RRSB", "@RASB"},
        {C::kSettingIZ, "@RRIZ", "@RAIZ"},          {C::kSettingRS, "@RRRS", "@RARS"},
        {C::kSettingMD, "@RRMD", "@RAMD"},          {C::kSettingFS, "@RRFS", "@RAFS"},
        {C::kSettingU0, "@RRU0", "@RAU0"},          {C::kSettingKK, "@RRKK", "@RAKK"},
        {C::kSettingUL, "@RRUL", "@RAUL"},          {C::kHeater, "@RRWH", "@RAWH"},
        {C::kBB, "@RRBB", "@RABB"},                 {C::kBR, "@RRBR", "@RABR"},
        {C::kTG, "@RRTG", "@RATG"},                 {C::kA1, "@RRA1", "@RAA1"},
        {C::kKT, "@RRKT", "@RAKT"},                 {C::kT0, "@RRT0", "@RAT0"},
        {C::kH0, "@RRH0", "@RAH0"},                 {C::kMG, "@RRMG", "@RAMG"},
        {C::kMP, "@RRMP", "@RAMP"},                 {C::kR0, "@RRR0", "@RAR0"},
        {C::kSoftwareId, "@RDSF", "@ADSF"},         {C::kAdc, "@RRDV", "@RADV"},
        {C::kPW, "@RRPW", "@RAPW"},                 {C::kConcentrationPlain, "@RRDT", "@RADT"},
    };
    for (const TextReadRow& row : rows) {
        SCOPED_TRACE(row.request);
        Bench bench;
        bench.Answer(std::string(row.answer) + " v-1 ");
        std::string value;
        EXPECT_TRUE(bench.set.ReadText(row.command, value, false));
        EXPECT_EQ(value, "v-1");
        EXPECT_EQ(bench.Sent(), std::vector<std::string>{row.request});
    }
}

struct TextWriteRow {
    SensorTextWrite command;
    const char* request;
    const char* answer;
};

TEST(commandset_Catalogue, TextWrites)
{
    const TextWriteRow rows[] = {
        {C::kWriteV1, "@WCV1", "@RAV1"},     {C::kWriteV2, "@WCV2", "@RAV2"},
        {C::kWriteS1, "@WCS1", "@RAS1"},     {C::kWriteS2, "@WCS2", "@RAS2"},
        {C::kCalibrateC1, "@CSC1", "@RAC1"}, {C::kCalibrateC2, "@CSC2", "@RAC2"},
        {C::kWriteAV, "@WCAV", "@RAAV"},     {C::kWriteRG, "@WCRG", "@RARG"},
        {C::kWriteRL, "@WCRL", "@RARL"},     {C::kWriteBS, "@WCBS", "@RABS"},
        {C::kWriteSB, "@WCSB", "@RASB"},     {C::kWriteIZ, "@WCIZ", "@RAIZ"},
        {C::kWriteRS, "@WCRS", "@RARS"},     {C::kWriteMD, "@WCMD", "@RAMD"},
        {C::kWriteFS, "@WCFS", "@RAFS"},     {C::kWriteU0, "@WCU0", "@RAU0"},
        {C::kWriteKK, "@WCKK", "@RAKK"},     {C::kWriteUL, "@WCUL", "@RAUL"},
        {C::kWriteHeater, "@WCWH", "@RAWH"}, {C::kWriteBR, "@WCBR", "@RABR"},
        {C::kWriteTG, "@WCTG", "@RATG"},     {C::kWriteA1, "@WCA1", "@RAA1"},
        {C::kWriteKT, "@WCKT", "@RAKT"},     {C::kWriteT0, "@WCT0", "@RAT0"},
        {C::kWriteH0, "@WCH0", "@RAH0"},     {C::kWriteMG, "@WCMG", "@RAMG"},
        {C::kWriteMP, "@WCMP", "@RAMP"},     {C::kBalanceBridge, "@CSBB", "@RABB"},
    };
    for (const TextWriteRow& row : rows) {
        SCOPED_TRACE(row.request);
        Bench bench;
        bench.Answer(std::string(row.answer) + " 7.5");
        std::string held;
        EXPECT_TRUE(bench.set.WriteText(row.command, "St12", "7", held, false));
        EXPECT_EQ(held, "7.5");
        EXPECT_EQ(bench.Sent(), std::vector<std::string>{std::string(row.request) + " St12,7"});
    }
}

TEST(commandset_Catalogue, SettingFamiliesInTableOrder)
{
    const char* codes[] = {"AV", "RG", "RL", "BS", "SB", "IZ", "RS", "MD", "FS", "U0", "KK", "UL"};
    for (std::size_t i = 0; i < 12; ++i) {
        EXPECT_EQ(std::string(C::kSettingReads[i].request), std::string("@RR") + codes[i]);
        EXPECT_EQ(std::string(C::kSettingReads[i].answer), std::string("@RA") + codes[i]);
        EXPECT_EQ(std::string(C::kSettingWrites[i].request), std::string("@WC") + codes[i]);
        EXPECT_EQ(std::string(C::kSettingWrites[i].answer), std::string("@RA") + codes[i]);
    }
}

TEST(commandset_Catalogue, EveryCoefficientIndex)
{
    for (unsigned i = 0; i < SensorCommandSet::kCoefficientCount; ++i) {
        Bench bench;
        const std::string n = std::to_string(i);
        bench.Answer("@RAK" + n + " " + n);
        bench.Answer("@RAK" + n + " 1" + n);
        std::string value;
        std::string held;
        EXPECT_TRUE(bench.set.ReadCoefficient(i, value, false));
        EXPECT_TRUE(bench.set.WriteCoefficient(i, "pw", "1" + n, held, false));
        EXPECT_EQ(value, n);
        EXPECT_EQ(held, "1" + n);
        EXPECT_EQ(bench.Sent(), (std::vector<std::string>{"@RRK" + n, "@WCK" + n + " pw,1" + n}));
    }
}

// The retry flag is the caller's: a silent device gets three tries with it
// and one without.

TEST(commandset_Retry, CallerFlagDecidesTries)
{
    struct Probe {
        const char* name;
        std::function<bool(SensorCommandSet&, bool)> call;
    };
    const Probe probes[] = {
        {"text", [](SensorCommandSet& s, bool r) { std::string v; return s.ReadText(C::kSerialNumber, v, r); }},
        {"fields", [](SensorCommandSet& s, bool r) { std::vector<std::string> f; return s.ReadFields(C::kPV, f, r); }},
        {"reading", [](SensorCommandSet& s, bool r) { SensorReading v; return s.ReadReading(C::kConcentration, v, r); }},
        {"byte", [](SensorCommandSet& s, bool r) { std::uint8_t v = 0; return s.ReadModbusId(v, r); }},
        {"write", [](SensorCommandSet& s, bool r) { std::string h; return s.WriteText(C::kWriteV1, "pw", "1", h, r); }},
        {"le", [](SensorCommandSet& s, bool r) { double h = 0; return s.WriteLE("pw", 1.0, h, r); }},
        {"factory", [](SensorCommandSet& s, bool r) { return s.SaveFactorySettings("wr", r); }},
        {"multigas", [](SensorCommandSet& s, bool r) { std::vector<std::string> i; return s.ReadMultigasList(i, r); }},
    };
    for (const Probe& probe : probes) {
        for (const bool retry : {true, false}) {
            SCOPED_TRACE(std::string(probe.name) + (retry ? " with retry" : " without retry"));
            Bench bench;
            EXPECT_FALSE(probe.call(bench.set, retry));
            EXPECT_EQ(bench.line->Written().size(), retry ? 3u : 1u);
        }
    }
}

TEST(commandset_Retry, RetryFindsALateAnswer)
{
    Bench bench;
    bench.line->AddSilence();
    bench.Answer("@RAIS 77");
    std::string value;
    EXPECT_TRUE(bench.set.ReadText(C::kSerialNumber, value, true));
    EXPECT_EQ(value, "77");
    EXPECT_EQ(bench.line->Written().size(), 2u);
}

TEST(commandset_Retry, LogRecordIsAlwaysOneTry)
{
    Bench bench;
    SensorLogFields fields;
    EXPECT_FALSE(bench.set.ReadLogRecord("pw", fields));
    EXPECT_EQ(bench.line->Written().size(), 1u);
}

TEST(commandset_Operations, LineNotOpenFails)
{
    ModbusAsciiMaster master;
    SensorCommandSet set(master);
    std::string value = "unchanged";
    EXPECT_FALSE(set.ReadText(C::kSerialNumber, value, true));
    EXPECT_EQ(value, "unchanged");
}

TEST(commandset_Operations, FailureLeavesOutputsUnchanged)
{
    Bench bench;
    bench.Answer("@RAPV 1,2");
    bench.Answer("@RADW 1,2");
    bench.Answer("@RAID");
    bench.Answer("@WCL1");
    std::vector<std::string> fields{"keep"};
    SensorReading reading;
    reading.values[0] = "keep";
    std::uint8_t id = 9;
    SensorLogFields log{"a", "b", "c"};
    EXPECT_FALSE(bench.set.ReadFields(C::kPV, fields, false));
    EXPECT_FALSE(bench.set.ReadReading(C::kDW, reading, false));
    EXPECT_FALSE(bench.set.ReadModbusId(id, false));
    EXPECT_FALSE(bench.set.ReadLogRecord("pw", log));
    EXPECT_EQ(fields, std::vector<std::string>{"keep"});
    EXPECT_EQ(reading.values[0], "keep");
    EXPECT_EQ(id, 9);
    EXPECT_EQ(log, (SensorLogFields{"a", "b", "c"}));
}

TEST(commandset_Operations, ReadingErrorClearsEarlierValues)
{
    Bench bench;
    bench.Answer("@ERTH 63, open");
    SensorReading reading;
    reading.values = {"1", "2", "3"};
    ASSERT_TRUE(bench.set.ReadReading(C::kTH2, reading, false));
    EXPECT_TRUE(reading.isError);
    EXPECT_EQ(reading.values, (std::array<std::string, 3>{"", "", ""}));
    EXPECT_EQ(reading.errorText, "open");
}

TEST(commandset_Operations, BuildLine)
{
    EXPECT_EQ(SensorCommandSet::BuildLine("@RRIS", {}), "@RRIS");
    EXPECT_EQ(SensorCommandSet::BuildLine("@MWCH", {"12"}), "@MWCH 12");
    EXPECT_EQ(SensorCommandSet::BuildLine("@WCCP", {"pw", "1", "2", "3", "4"}), "@WCCP pw,1,2,3,4");
}

// "%.1f" exactly as printf rounds in the C locale, for values on both sides
// of the rounding steps.
TEST(commandset_Operations, LeFormatIsPrintfOneDecimal)
{
    const double values[] = {0.0, 0.05, 0.15, 0.25, 0.35, 1.45, 2.675, 12.345, 12.35, 99.95, -0.04, -12.345, 1e6 + 0.05};
    for (const double value : values) {
        const std::string expected = "@WCLE pw," + CFormat(value, std::chars_format::fixed, 1);
        Bench bench;
        bench.Answer("@RALE 0");
        double held = 0;
        EXPECT_TRUE(bench.set.WriteLE("pw", value, held, false));
        EXPECT_EQ(bench.Sent(), std::vector<std::string>{expected}) << value;
    }
}

// A Russian desktop writes "12,3" with printf; the line must still carry
// "12.3", and "12.3" must still read back as 12.3.
class NumericLocale {
public:
    NumericLocale() : saved_(std::setlocale(LC_NUMERIC, nullptr)) {}
    ~NumericLocale() { std::setlocale(LC_NUMERIC, saved_.c_str()); }
    bool Set(const char* name) { return std::setlocale(LC_NUMERIC, name) != nullptr; }

private:
    std::string saved_;
};

TEST(commandset_Locale, WriteLeSendsDecimalPointUnderRussianLocale)
{
    NumericLocale locale;
    // POSIX names first, then those of the Windows C runtime.
    if (!locale.Set("ru_RU.UTF-8") && !locale.Set("ru_RU.utf8") && !locale.Set("Russian_Russia.1251") &&
        !locale.Set("ru-RU") && !locale.Set("Russian"))
        GTEST_SKIP() << "no Russian locale: the C runtime knows none of ru_RU.UTF-8, ru_RU.utf8 (POSIX), "
                        "Russian_Russia.1251, ru-RU, Russian (Windows)";
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 1.5);
    ASSERT_STREQ(probe, "1,5") << "the locale should write a decimal comma";

    Bench bench;
    bench.Answer("@RALE 12.3");
    double held = 0;
    ASSERT_TRUE(bench.set.WriteLE("pw", 12.345, held, false));
    EXPECT_EQ(bench.Sent(), std::vector<std::string>{"@WCLE pw,12.3"});
    EXPECT_DOUBLE_EQ(held, 12.3);
}

// Every splitter survives any input: no crash, no read past the text, and
// the results stay inside what was given.
TEST(commandset_Parsers, SurviveAnyInput)
{
    std::mt19937 random(1234);
    const char alphabet[] = {',', ';', '@', ' ', '\t', 'a', '1', '.', '\0', '\xff'};
    for (int round = 0; round < 20000; ++round) {
        std::string text(random() % 40, ' ');
        for (char& c : text)
            c = alphabet[random() % sizeof alphabet];
        std::vector<std::string> fields;
        const std::size_t count = random() % 6;
        if (SensorCommandSet::SplitFields(text, count, fields)) {
            EXPECT_EQ(fields.size(), count);
            for (std::size_t i = 0; i + 1 < fields.size(); ++i) {
                EXPECT_FALSE(fields[i].empty());
            }
        }
        const std::vector<std::string> items = SensorCommandSet::SplitMultigasList(text);
        EXPECT_LE(items.size(), text.size() / 2 + 1);
        SensorLogFields log;
        if (SensorCommandSet::SplitLogRecord(text, log)) {
            for (const std::string& f : log) {
                EXPECT_LE(f.size(), text.size());
            }
        }
    }
}

TEST(commandset_Parsers, SplitFieldsRules)
{
    std::vector<std::string> f;
    EXPECT_FALSE(SensorCommandSet::SplitFields("a,b", 0, f));
    ASSERT_TRUE(SensorCommandSet::SplitFields(" whole, text ", 1, f));
    EXPECT_EQ(f, std::vector<std::string>{"whole, text"});
    ASSERT_TRUE(SensorCommandSet::SplitFields("a,", 2, f));
    EXPECT_EQ(f, (std::vector<std::string>{"a", ""}));
    EXPECT_FALSE(SensorCommandSet::SplitFields(",b", 2, f));
    EXPECT_FALSE(SensorCommandSet::SplitFields("", 2, f));
}

} // namespace
