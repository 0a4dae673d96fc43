// The sensor's text commands as a client on the device line sees them.

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <optional>
#include <map>
#include <set>
#include <sstream>

#include "RunningSim.h"

namespace {

std::vector<std::string> Split(const std::string& s, char sep)
{
    std::vector<std::string> out;
    std::string item;
    std::istringstream in(s);
    while (std::getline(in, item, sep))
        out.push_back(item);
    if (!s.empty() && s.back() == sep)
        out.emplace_back();
    return out;
}

// The whole field read as a number with a point, whatever the process's
// locale says (strtod would stop at the point in a Russian one).
std::optional<double> NumberIn(const std::string& s)
{
    double v = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (s.empty() || ec != std::errc() || end != s.data() + s.size())
        return std::nullopt;
    return v;
}

bool IsNumber(const std::string& s)
{
    return NumberIn(s).has_value();
}

// The value after "@RA<code> ", or a marker when the keyword is wrong.
std::string ValueOf(const std::string& answer, const std::string& keyword)
{
    if (answer.rfind(keyword + " ", 0) != 0)
        return "<" + answer + ">";
    return answer.substr(keyword.size() + 1);
}

struct KindCase {
    std::string file;
    std::string type;
    int kind;
    std::vector<std::string> reads;  // besides the common ones
};

void PrintTo(const KindCase& k, std::ostream* os)
{
    *os << k.type;
}

const std::vector<std::string> kCommonReads{"ID", "HA", "IS", "DS", "CD", "CA", "UT", "CH", "CL", "IM", "KS", "SS",
    "C1", "C2", "DT", "DV", "ST"};

// Everything any kind answers; a kind must refuse what it does not have.
const std::vector<std::string> kAllKindReads{"LE", "V1", "V2", "S1", "S2", "AV", "RG", "RL", "BS", "SB", "IZ", "RS",
    "MD", "FS", "U0", "KK", "UL", "K0", "K1", "K2", "K3", "K4", "WH", "BB", "BR", "TG", "A1", "KT", "T0", "H0", "MG",
    "MP", "PI", "CP", "LP", "R0", "TH", "RP", "PV", "RH", "PW", "SH", "DW"};

const std::map<std::string, std::size_t> kFieldCounts{{"PI", 3}, {"CP", 4}, {"LP", 4}, {"PV", 3}, {"DW", 3}};

const std::vector<KindCase> kKinds{
    {"optodyn.ini", "OptoDyn", 1, {"LE", "V1", "V2"}},
    {"optomip.ini", "OptoMIP", 2, {"LE", "V1", "V2"}},
    {"elchem.ini", "Elchem", 3, {"AV", "RG", "RL", "BS", "SB", "IZ", "RS", "MD", "FS", "U0", "KK", "UL", "K0", "K1", "K2", "K3", "K4", "V1", "V2"}},
    {"oksik.ini", "Oksik", 4, {"AV", "RG", "K0", "K1", "K2", "K3", "K4", "V1", "V2"}},
    {"semi.ini", "Semi", 5, {"WH", "TG", "A1", "KT", "T0", "H0", "MG", "MP", "PI", "S1", "S2", "R0", "LP", "TH", "RP", "PV", "RH", "PW", "SH"}},
    {"semicycl.ini", "SemiCycl", 6, {"WH", "TG", "A1", "KT", "T0", "H0", "MG", "MP", "PI", "S1", "S2", "R0", "LP", "TH", "RP", "PV", "RH", "PW", "SH"}},
    {"tcatbrdg.ini", "TcatBrdg", 7, {"WH", "BB", "RG", "BR", "V1", "V2"}},
    {"tcatpwr.ini", "TcatPWR", 8, {"WH", "TG", "KT", "MG", "MP", "CP", "PI", "S1", "S2", "R0", "LP", "TH", "RH", "DW", "PW"}},
    {"condterm.ini", "CondTerm", 9, {"V1", "V2"}},
    {"condconv.ini", "CondConv", 10, {"V1", "V2"}},
};

class EveryKind : public ::testing::TestWithParam<KindCase> {};

TEST_P(EveryKind, AnswersItsReadsInTheirFormsAndRefusesTheRest)
{
    const KindCase& k = GetParam();
    auto sim = RunningSim::FromFile(std::string(KORVAN_SIM_SCENARIO_DIR) + "/" + k.file);
    auto line = sim->DeviceClient();
    ASSERT_TRUE(line->IsOpen());

    std::vector<std::string> reads = kCommonReads;
    reads.insert(reads.end(), k.reads.begin(), k.reads.end());
    for (const std::string& code : reads) {
        const std::string value = ValueOf(line->Ask("@RR" + code), "@RA" + code);
        SCOPED_TRACE(code + " -> " + value);
        ASSERT_FALSE(value.empty());
        ASSERT_NE(value[0], '<');
        const auto fields = Split(value, ',');
        if (code == "KS") {
            EXPECT_EQ(value, k.type);
        } else if (code == "ID" || code == "HA") {
            EXPECT_EQ(value.find_first_not_of("0123456789"), std::string::npos);
        } else if (kFieldCounts.count(code) != 0) {
            EXPECT_EQ(fields.size(), kFieldCounts.at(code));
        } else if ((code == "TH" || code == "RH" || code == "R0") && k.type == "TcatPWR") {
            EXPECT_EQ(fields.size(), 2u);  // CAT and PLT
        }
        if (code == "DT" || code == "DV" || code == "ST" || code == "TH" || code == "RP" || code == "PV" || code == "RH"
            || code == "PW" || code == "SH" || code == "DW" || code == "C1" || code == "C2") {
            for (const std::string& f : fields)
                EXPECT_TRUE(IsNumber(f)) << f;
        }
    }
    for (const std::string& code : kAllKindReads) {
        if (std::find(k.reads.begin(), k.reads.end(), code) != k.reads.end())
            continue;
        EXPECT_EQ(line->Ask("@RR" + code), "@NACK CMD") << code;
    }
    EXPECT_EQ(line->Ask("@RDAA"), "@ADAA 1");
    EXPECT_EQ(Split(ValueOf(line->Ask("@RDSF"), "@ADSF"), ',').size(), 3u);
    EXPECT_EQ(sim->sim->Detector().Kind(), k.kind);
}

INSTANTIATE_TEST_SUITE_P(Kinds, EveryKind, ::testing::ValuesIn(kKinds),
    [](const ::testing::TestParamInfo<KindCase>& info) { return info.param.type; });

TEST(SensorText, ElectrochemicalUnitIsSentInTheDeviceCodePage)
{
    RunningSim s("[detector]\nkind = Elchem\n");
    auto line = s.DeviceClient();
    // "мг/м3" in windows-1251.
    EXPECT_EQ(line->Ask("@RRUT"), "@RAUT \xEC\xE3/\xEC" "3");
}

TEST(SensorText, LiveReadingsMoveBetweenPolls)
{
    RunningSim s;
    auto line = s.DeviceClient();
    for (const std::string code : {"DT", "DV", "ST", "TH", "RP"}) {
        std::set<std::string> seen;
        for (int i = 0; i < 6; ++i)
            seen.insert(line->Ask("@RR" + code));
        EXPECT_GT(seen.size(), 1u) << code;
    }
}

TEST(SensorText, WritesChangeLaterReadsForEveryWritableSetting)
{
    struct Write {
        std::string kind;
        std::string code;
        std::string value;
        std::string held;  // what the sensor then reports
    };
    const std::vector<Write> writes{
        {"Elchem", "AV", "0", "0"}, {"Elchem", "RG", "5", "5"}, {"Elchem", "RL", "2", "2"}, {"Elchem", "BS", "7", "7"},
        {"Elchem", "SB", "0", "0"}, {"Elchem", "IZ", "2", "2"}, {"Elchem", "RS", "1", "1"}, {"Elchem", "MD", "6", "6"},
        {"Elchem", "FS", "1", "1"}, {"Elchem", "U0", "2950", "2950"}, {"Elchem", "KK", "7.5", "7.5"},
        {"Elchem", "UL", "1570", "1570"}, {"Elchem", "K0", "1.01", "1.01"}, {"Elchem", "K4", "-0.5", "-0.5"},
        {"Elchem", "V1", "0.5", "0.5"}, {"Elchem", "V2", "1.9", "1.9"},
        {"OptoDyn", "LE", "12.345", "12.3"},
        {"Semi", "WH", "0", "0"}, {"Semi", "TG", "420", "420"}, {"Semi", "A1", "0.02", "0.02"},
        {"Semi", "KT", "0.003", "0.003"}, {"Semi", "T0", "21", "21"}, {"Semi", "H0", "55", "55"},
        {"Semi", "MG", "560", "560"}, {"Semi", "MP", "7000", "7000"}, {"Semi", "PI", "90,40,1", "90,40,1"},
        {"Semi", "S1", "1500", "1500"}, {"Semi", "S2", "300", "300"}, {"Semi", "LP", "1,4,6,49", "1,4,6,49"},
        {"TcatBrdg", "BR", "14", "14"}, {"TcatBrdg", "RG", "4", "4"},
        {"TcatPWR", "CP", "110,9000,210,2", "110,9000,210,2"},
    };
    std::string kind;
    std::unique_ptr<RunningSim> s;
    std::unique_ptr<SimLineClient> line;
    for (const Write& w : writes) {
        if (w.kind != kind) {
            line.reset();
            s = std::make_unique<RunningSim>("[detector]\nkind = " + w.kind + "\n");
            line = s->DeviceClient();
            kind = w.kind;
        }
        SCOPED_TRACE(w.kind + " " + w.code);
        EXPECT_NE(line->Ask("@RR" + w.code), "@RA" + w.code + " " + w.held) << "choose a value that differs";
        EXPECT_EQ(line->Ask("@WC" + w.code + " 680429," + w.value), "@RA" + w.code + " " + w.held);
        EXPECT_EQ(line->Ask("@RR" + w.code), "@RA" + w.code + " " + w.held);
    }
}

TEST(SensorText, WrongOrMissingPasswordIsRefusedAndChangesNothing)
{
    RunningSim s;
    auto line = s.DeviceClient();
    const std::string before = line->Ask("@RRTG");
    ASSERT_EQ(before, "@RATG 400");
    const std::vector<std::string> refused{
        "@WCTG 680428,420",       // wrong
        "@WCTG",                  // missing entirely
        "@WCTG ,420",             // empty
        "@WCTG 47093518,420",     // the manufacturer's is not the calibration password
        "@CSC1 000000,5",
        "@CSMC 1",
        "@WMMC 680429,1",         // factory save takes the manufacturer's
        "@WCL1 x,1",
    };
    for (const std::string& cmd : refused) {
        const std::string answer = line->Ask(cmd);
        EXPECT_EQ(answer, "@NACK PW") << cmd;
    }
    EXPECT_EQ(line->Ask("@RRTG"), before);
    EXPECT_EQ(line->Ask("@RRC1"), "@RAC1 0");

    s.sim->Detector().SetPasswords("1111", "2222");
    EXPECT_EQ(line->Ask("@WCTG 680429,420"), "@NACK PW");
    EXPECT_EQ(line->Ask("@WCTG 1111,420"), "@RATG 420");
}

TEST(SensorText, BadArgumentsAndUnknownCommandsAreRefused)
{
    RunningSim s;
    auto line = s.DeviceClient();
    for (const std::string cmd : {"@WCTG 680429,abc", "@WCPI 680429,1,2", "@WCWH 680429,2", "@WCLP 680429,9,0,0,1",
             "@MWCH 13", "@MWCH 0", "@RRIS 5", "@WMMC 47093518,2"})
        EXPECT_EQ(line->Ask(cmd), "@NACK ARG") << cmd;
    for (const std::string cmd : {"@RRZZ", "@XXXX", "@RRISX", "@WCV1 680429,1", "@RDXX", "@CSBB 680429,1"})
        EXPECT_EQ(line->Ask(cmd), "@NACK CMD") << cmd;
}

TEST(SensorText, CalibrationPointsTakeTheConcentrationAndTheSignal)
{
    RunningSim s("[detector]\nkind = Elchem\nnoise = 0.01\n");
    auto line = s.DeviceClient();
    const std::string v2Before = line->Ask("@RRV2");
    EXPECT_EQ(line->Ask("@CSC2 680429,50"), "@RAC2 50");
    EXPECT_EQ(line->Ask("@RRC2"), "@RAC2 50");
    EXPECT_NE(line->Ask("@RRV2"), v2Before);
    const std::optional<double> dt = NumberIn(ValueOf(line->Ask("@RRDT"), "@RADT"));
    ASSERT_TRUE(dt);
    EXPECT_NEAR(*dt, 50.0, 0.5);
    EXPECT_EQ(line->Ask("@CSC1 680429,0"), "@RAC1 0");
    const std::optional<double> dtAfter = NumberIn(ValueOf(line->Ask("@RRDT"), "@RADT"));
    ASSERT_TRUE(dtAfter);
    EXPECT_NEAR(*dtAfter, 0.0, 0.5);
}

TEST(SensorText, BridgeBalanceAndResistanceCalibration)
{
    {
        RunningSim s("[detector]\nkind = TcatBrdg\n");
        auto line = s.DeviceClient();
        const std::string answer = line->Ask("@CSBB 680429,1");
        ASSERT_EQ(answer.rfind("@RABB ", 0), 0u) << answer;
        EXPECT_EQ(line->Ask("@RRBB"), answer);
    }
    {
        RunningSim s;
        auto line = s.DeviceClient();
        const auto fields = Split(ValueOf(line->Ask("@CSR0 680429,25"), "@RAR0"), ',');
        ASSERT_EQ(fields.size(), 2u);
        EXPECT_EQ(line->Ask("@RRR0"), "@RAR0 " + fields[1]) << "the second field is R at 20 degrees";
    }
    {
        RunningSim s("[detector]\nkind = TcatPWR\n");
        auto line = s.DeviceClient();
        const auto fields = Split(ValueOf(line->Ask("@CSR0 680429,30"), "@RAR0"), ',');
        ASSERT_EQ(fields.size(), 4u);
        EXPECT_EQ(line->Ask("@RRR0"), "@RAR0 " + fields[2] + "," + fields[3]);
    }
}

TEST(SensorText, FactorySaveAndLoad)
{
    RunningSim s;
    auto line = s.DeviceClient();
    ASSERT_EQ(line->Ask("@WCTG 680429,410"), "@RATG 410");
    EXPECT_EQ(line->Ask("@WMMC 47093518,1").rfind("@RAMC", 0), 0u);
    EXPECT_EQ(s.sim->Detector().FactoryParameter("TG"), "410");
    ASSERT_EQ(line->Ask("@WCTG 680429,430"), "@RATG 430");
    EXPECT_EQ(line->Ask("@CSMC 680429,1").rfind("@RAMC", 0), 0u);
    EXPECT_EQ(line->Ask("@RRTG"), "@RATG 410");
}

TEST(SensorText, ErrorAnswersCarryTheBinaryWord)
{
    RunningSim s("[detector]\nkind = Semi\nerror.DT = 0000000000000101\n");
    auto line = s.DeviceClient();
    EXPECT_EQ(line->Ask("@RRDT"), "@ERDT 63,0000000000000101");
    for (const std::string code : {"ST", "TH", "RP", "RH", "SH"}) {
        s.sim->Detector().SetErrorWord(code, "100000001");
        EXPECT_EQ(line->Ask("@RR" + code), "@ER" + code + " 63,100000001");
        s.sim->Detector().SetErrorWord(code, "");
        EXPECT_EQ(line->Ask("@RR" + code).rfind("@RA" + code + " ", 0), 0u);
    }
    RunningSim p("[detector]\nkind = TcatPWR\nerror.DW = 1\n");
    auto l2 = p.DeviceClient();
    EXPECT_EQ(l2->Ask("@RRDW"), "@ERDW 63,1");
}

TEST(SensorText, MeasurementLogGivesOneRecordPerRequestThenRefuses)
{
    for (const std::string start : {"@WCWH 680429,1", "@WCTG 680429,400"}) {
        RunningSim s("[detector]\nkind = Semi\nlog_records = 4\n");
        auto line = s.DeviceClient();
        EXPECT_EQ(line->Ask("@WCL1 680429,1"), "@NACK LOG") << "no log before the heater was switched";
        ASSERT_EQ(line->Ask(start).rfind("@RA", 0), 0u);
        for (int i = 0; i < 4; ++i) {
            const std::string record = line->Ask("@WCL1 680429,1");
            SCOPED_TRACE(record);
            ASSERT_FALSE(record.empty());
            ASSERT_NE(record[0], '@');
            const auto fields = Split(record, ';');
            ASSERT_EQ(fields.size(), 3u);
            // The default log parameters are PWM, sensor resistance, none.
            EXPECT_TRUE(IsNumber(fields[0]));
            EXPECT_TRUE(IsNumber(fields[1]));
            EXPECT_TRUE(fields[2].empty());
        }
        EXPECT_EQ(line->Ask("@WCL1 680429,1"), "@NACK LOG");
    }
    RunningSim p("[detector]\nkind = TcatPWR\nlog_records = 2\n");
    auto line = p.DeviceClient();
    EXPECT_EQ(line->Ask("@WCLS 680429,1,0"), "@RALS 1,0");
    EXPECT_EQ(p.sim->Detector().LogLinesLeft(), 2u);
    const auto fields = Split(line->Ask("@WCL1 680429,1"), ';');
    ASSERT_EQ(fields.size(), 3u);
    for (const auto& f : fields)
        EXPECT_TRUE(IsNumber(f)) << f;  // heater temperature, heater resistance, PWM
}

TEST(SensorText, MeasurementLogSendsTheSelectedQuantitiesSideBySide)
{
    // P1 none, P2 PWM, P3 sensor resistance: the line starts with the PWM.
    RunningSim s("[detector]\nkind = Semi\nlog_records = 2\nparam.LP = 0,4,5,9\n");
    auto line = s.DeviceClient();
    ASSERT_EQ(line->Ask("@WCTG 680429,400").rfind("@RA", 0), 0u);
    const auto fields = Split(line->Ask("@WCL1 680429,1"), ';');
    ASSERT_EQ(fields.size(), 3u);
    EXPECT_TRUE(IsNumber(fields[0])) << fields[0];
    EXPECT_EQ(fields[0].find('.'), std::string::npos) << "a PWM count";
    EXPECT_TRUE(IsNumber(fields[1])) << fields[1];
    EXPECT_TRUE(fields[2].empty());
}

TEST(SensorText, MultigasReportFollowsChannelAndRackSet)
{
    RunningSim s;
    auto line = s.DeviceClient();
    auto fields = Split(ValueOf(line->Ask("@MRDF"), "@MADF"), ',');
    ASSERT_EQ(fields.size(), 25u);
    EXPECT_EQ(fields[0], "1");
    EXPECT_EQ(fields[1], "CH4");
    EXPECT_TRUE(IsNumber(fields[2]));
    EXPECT_EQ(fields[23], "NS");
    EXPECT_EQ(fields[24], "ND");

    EXPECT_EQ(line->Ask("@MWCH 7"), "@MACH 7");
    EXPECT_EQ(s.sim->Multigas().SelectedChannel(), 7);
    EXPECT_EQ(Split(ValueOf(line->Ask("@MRDF"), "@MADF"), ',')[0], "7");

    // The tool opens every other switch, then closes the wanted one.
    auto rack = s.MultigasClient();
    const auto off = SimLineClient::Request(1, 6, 1012, 0);
    rack->Write(off);
    EXPECT_EQ(rack->ReadBytes(8, 2000), off);
    const auto on = SimLineClient::Request(2, 6, 1012, 1);
    rack->Write(on);
    EXPECT_EQ(rack->ReadBytes(8, 2000), on);
    EXPECT_EQ(s.sim->Multigas().SelectedSet(), 2);
    fields = Split(ValueOf(line->Ask("@MRDF"), "@MADF"), ',');
    ASSERT_EQ(fields.size(), 25u);
    EXPECT_EQ(fields[1], "H2");
    EXPECT_EQ(fields[7], "NO2");
    EXPECT_EQ(fields[8], "ND");
    EXPECT_EQ(s.sim->Rack().Received().Frames().size(), 2u);
}

TEST(SensorText, ReceivedRecordKeepsCommandsInOrder)
{
    RunningSim s;
    auto line = s.DeviceClient();
    line->Ask("@RRID");
    line->Ask("@RRIS");
    line->Write(SimLineClient::Request(1, 4, 2048, 2));
    line->ReadBytes(9, 2000);
    const auto entries = s.sim->Detector().Received().Entries();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].text, "@RRID");
    EXPECT_EQ(entries[1].text, "@RRIS");
    EXPECT_TRUE(entries[2].frame);
    EXPECT_EQ(entries[2].text, "01 04 08 00 00 02 73 AB");
}

}  // namespace
