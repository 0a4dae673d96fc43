// The simulated detector read by independent Modbus masters: libmodbus and
// the mbpoll tool. Both must get the scenario's values.

#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <map>
#include <memory>
#include <regex>
#include <string>

#include <modbus.h>

#include "Simulator.h"
#include "TestPorts.h"

namespace {

const char* kScenario =
    "[detector]\n"
    "kind = Oksik\n"
    "modbus_id = 5\n"
    "device_analyte = O2\n"
    "calibration_date = 05.11.2023\n"
    "clock = 1700000000\n"
    "threshold1 = 19.5\n"
    "threshold2 = 23.5\n"
    "sound_mode = 3\n"
    "o2_flag = 1\n"
    "eco_mode = 2\n"
    "[journal]\n"
    "event_capacity = 50\n"
    "event_first = 10\n"
    "event_last = 30\n"
    "newest_time = 1699990000\n"
    "interval_s = 120\n";

class Peers : public ::testing::Test {
protected:
    void SetUp() override
    {
        Simulator::Options o;
        o.portsFolder = home.PortsFolder();
        o.devicePort = 4;
        o.scenarioText = kScenario;
        sim = std::make_unique<Simulator>(o);
        sim->Start();
    }

    TempConfigHome home;
    std::unique_ptr<Simulator> sim;
};

struct ModbusCtx {
    explicit ModbusCtx(const std::string& path) : ctx(modbus_new_rtu(path.c_str(), 9600, 'N', 8, 1))
    {
        if (ctx != nullptr) {
            modbus_set_slave(ctx, 5);
            modbus_set_response_timeout(ctx, 2, 0);
            if (modbus_connect(ctx) != 0) {
                modbus_free(ctx);
                ctx = nullptr;
            }
        }
    }
    ~ModbusCtx()
    {
        if (ctx != nullptr) {
            modbus_close(ctx);
            modbus_free(ctx);
        }
    }
    modbus_t* ctx;
};

TEST_F(Peers, LibmodbusReadsTheRegisterMap)
{
    ModbusCtx m(sim->DeviceLink());
    ASSERT_NE(m.ctx, nullptr) << modbus_strerror(errno);

    std::array<std::uint16_t, 8> r{};
    ASSERT_EQ(modbus_read_input_registers(m.ctx, 1008, 3, r.data()), 3) << modbus_strerror(errno);
    EXPECT_EQ(r[0], 5);
    EXPECT_EQ(r[1], 11);
    EXPECT_EQ(r[2], 2023);

    ASSERT_EQ(modbus_read_input_registers(m.ctx, 1000, 8, r.data()), 8);
    EXPECT_EQ(r[0], ('2' << 8) | 'O') << "first character in the low byte";
    EXPECT_EQ(r[1], 0);

    ASSERT_EQ(modbus_read_input_registers(m.ctx, 2052, 6, r.data()), 6);
    EXPECT_EQ((static_cast<std::uint32_t>(r[1]) << 16) | r[0], 19500u);
    EXPECT_EQ((static_cast<std::uint32_t>(r[3]) << 16) | r[2], 23500u);
    EXPECT_EQ(r[4], 0x0301);

    ASSERT_EQ(modbus_read_input_registers(m.ctx, 2058, 2, r.data()), 2);
    EXPECT_EQ(r[0], 0x0200);

    ASSERT_EQ(modbus_read_input_registers(m.ctx, 2048, 2, r.data()), 2);
    const std::uint32_t clock = (static_cast<std::uint32_t>(r[1]) << 16) | r[0];
    EXPECT_GE(clock, 1700000000u);
    EXPECT_LT(clock, 1700000000u + 600u);

    // Read as ordinary registers, the journal state shows its bytes swapped.
    ASSERT_EQ(modbus_read_input_registers(m.ctx, 0x3FF0, 6, r.data()), 6);
    EXPECT_EQ(r[0], 10 << 8);
    EXPECT_EQ(r[1], 30 << 8);
    EXPECT_EQ(r[4], 50 << 8);

    // The newest event record, at last - 1.
    ASSERT_EQ(modbus_read_input_registers(m.ctx, 0x4000 + 29, 8, r.data()), 8);
    const std::uint32_t time = ((r[1] & 0xFF) << 24) | ((r[1] >> 8) << 16) | ((r[0] & 0xFF) << 8) | (r[0] >> 8);
    EXPECT_EQ(time, 1699990000u);

    std::uint16_t one = 0;
    EXPECT_EQ(modbus_read_input_registers(m.ctx, 1011, 1, &one), -1);
    EXPECT_EQ(errno, EMBXILADD);
}

std::string RunCommand(const std::string& command)
{
    std::string out;
    FILE* p = ::popen((command + " 2>&1").c_str(), "r");
    if (p == nullptr)
        return out;
    char buf[512];
    while (std::fgets(buf, sizeof buf, p) != nullptr)
        out += buf;
    ::pclose(p);
    return out;
}

// "[1008]: 	0x0005" lines of mbpoll's output.
std::map<int, long> Values(const std::string& output)
{
    std::map<int, long> out;
    const std::regex line(R"(\[(\d+)\]:\s+(0x[0-9A-Fa-f]+|-?\d+))");
    for (auto it = std::sregex_iterator(output.begin(), output.end(), line); it != std::sregex_iterator(); ++it)
        out[std::stoi((*it)[1])] = std::stol((*it)[2], nullptr, 0);
    return out;
}

TEST_F(Peers, MbpollReadsTheScenarioValues)
{
    const std::string base = "timeout 20 mbpoll -m rtu -a 5 -b 9600 -P none -0 -1 -o 2 -t 3:hex ";
    // -0: references are the register addresses themselves.
    auto v = Values(RunCommand(base + "-r 1008 -c 3 " + sim->DeviceLink()));
    ASSERT_EQ(v.size(), 3u) << "mbpoll gave nothing usable";
    EXPECT_EQ(v[1008], 5);
    EXPECT_EQ(v[1009], 11);
    EXPECT_EQ(v[1010], 2023);

    v = Values(RunCommand(base + "-r 2052 -c 6 " + sim->DeviceLink()));
    ASSERT_EQ(v.size(), 6u);
    EXPECT_EQ((v[2053] << 16) | v[2052], 19500);
    EXPECT_EQ((v[2055] << 16) | v[2054], 23500);
    EXPECT_EQ(v[2056], 0x0301);

    // Without -0 mbpoll counts from 1: reference 2059 is register 2058.
    const std::string oneBased = "timeout 20 mbpoll -m rtu -a 5 -b 9600 -P none -1 -o 2 -t 3:hex ";
    v = Values(RunCommand(oneBased + "-r 2059 -c 1 " + sim->DeviceLink()));
    ASSERT_EQ(v.count(2059), 1u);
    EXPECT_EQ(v[2059], 0x0200);

    const auto frames = sim->Detector().Received().Frames();
    ASSERT_GE(frames.size(), 3u);
    EXPECT_EQ(frames.back()[1], 4);
}

}  // namespace
