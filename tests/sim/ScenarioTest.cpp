// Scenario files: the form, and refusals that name file and line.

#include <gtest/gtest.h>

#include <fstream>

#include "RunningSim.h"
#include "Scenario.h"
#include "Simulator.h"

namespace {

std::string ErrorOf(const std::string& text)
{
    try {
        Simulator::Options o;
        o.scenarioText = text;
        Simulator sim(o);
    } catch (const ScenarioError& e) {
        return e.what();
    }
    return {};
}

TEST(Scenario, BadLinesAreRefusedNamingTheLine)
{
    struct Case {
        std::string text;
        std::string message;  // a part of the error
    };
    const std::vector<Case> cases{
        {"[detector]\nkind = Semi\nwhatever = 1\n", "<scenario text>:3: unknown key \"whatever\""},
        {"[detector]\nmodbus_id = 0\n", ":2: modbus_id must be 1 to 247"},
        {"[detector]\nkind = Catalytic\n", ":2: unknown sensor type"},
        {"[sensor]\n", ":1: unknown section"},
        {"kind = Semi\n", ":1: key outside any section"},
        {"[detector]\nkind Semi\n", ":2: expected key = value"},
        {"[detector\n", ":1: a section header"},
        {"[detector]\nerror.DT = 12\n", ":2: an error word"},
        {"[detector]\nkind = Elchem\nerror.TH = 1\n", ":3: no error form"},
        {"[detector]\ncalibration_date = 31.13.2020\n", ":2: calibration_date"},
        {"[detector]\nthreshold1 = lots\n", ":2: threshold1"},
        {"[journal]\nevent_capacity = 10\nevent_first = 12\n", ":3: event journal"},
        {"[journal]\nevent_capacity = 5000\n", ":2: event_capacity"},
        {"[multigas]\nsets = 0\n", ":2: set count"},
        {"[multigas]\nset1.ch13 = A,1\n", ":2: channel must be"},
        {"[multigas]\nset1.ch2 = A\n", ":2: set1.ch2 must be NAME,VALUE"},
        {"[faults]\n@RRIS = sometimes\n", ":2: fault"},
    };
    for (const Case& c : cases) {
        const std::string error = ErrorOf(c.text);
        EXPECT_NE(error.find(c.message), std::string::npos) << c.text << " gave: " << error;
    }
}

TEST(Scenario, FileErrorsNameTheFile)
{
    TempConfigHome home;
    const std::string path = home.Path() + "/bad.ini";
    std::ofstream(path) << "# comment\n\n[detector]\n; another\nkind = Nope\n";
    Simulator::Options o;
    o.scenarioFile = path;
    try {
        Simulator sim(o);
        FAIL() << "a bad kind was taken";
    } catch (const ScenarioError& e) {
        EXPECT_EQ(std::string(e.what()).rfind(path + ":5: ", 0), 0u) << e.what();
    }
    o.scenarioFile = home.Path() + "/missing.ini";
    EXPECT_THROW(Simulator sim(o), ScenarioError);
}

TEST(Scenario, SettingsReachTheDevices)
{
    RunningSim s("[multigas]\nselected_set = 3\nsets = 3\nset3.ch1 = Метан,1.5\nchannel = 2\n"
                 "[detector]\nparam.IS = 99-1\nkind = Oksik\nhart_address = 9\ndaa = 300\n"
                 "calibration_password = 1234\nmanufacturer_password = 5678\n");
    EXPECT_EQ(s.sim->Multigas().SetCount(), 3);
    EXPECT_EQ(s.sim->Multigas().SelectedSet(), 3);
    EXPECT_EQ(s.sim->Multigas().ChannelOf(3, 1).name, "\xCC\xE5\xF2\xE0\xED");
    EXPECT_EQ(s.sim->Detector().CalibrationPassword(), "1234");
    EXPECT_EQ(s.sim->Detector().ManufacturerPassword(), "5678");
    auto line = s.DeviceClient();
    EXPECT_EQ(line->Ask("@RRKS"), "@RAKS Oksik");
    EXPECT_EQ(line->Ask("@RRIS"), "@RAIS 99-1") << "param. survives the kind's defaults";
    EXPECT_EQ(line->Ask("@RRHA"), "@RAHA 9");
    EXPECT_EQ(line->Ask("@RDAA"), "@ADAA 300");
    EXPECT_EQ(line->Ask("@MRDF").rfind("@MADF 2,\xCC\xE5\xF2\xE0\xED,1.", 0), 0u);
}

TEST(Scenario, BuiltInScenarioParses)
{
    const Scenario sc = Scenario::FromText(Simulator::DefaultScenario());
    EXPECT_FALSE(sc.Entries().empty());
    Simulator::Options o;
    Simulator sim(o);
    EXPECT_EQ(sim.Detector().SensorType(), "Semi");
    EXPECT_EQ(sim.Detector().EventJournal().Count(), 20u);
}

}  // namespace
