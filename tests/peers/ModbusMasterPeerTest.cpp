// The Modbus master against an independent implementation: a libmodbus RTU
// server on a pseudo-terminal. Two pseudo-terminals are bridged master to
// master, so libmodbus holds one slave side and the connector opens the other
// as a COM number.
#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <thread>

#include <modbus.h>
#include <poll.h>
#include <unistd.h>

#include "ModbusMaster.h"
#include "TestPorts.h"

namespace {

constexpr int kUnit = 17;
constexpr int kPort = 4;
constexpr int kRegisters = 0x4000;

class BridgedPtys {
public:
    BridgedPtys() : thread_([this] { Run(); }) {}
    ~BridgedPtys()
    {
        stop_ = true;
        thread_.join();
    }
    const std::string& ServerPath() const { return a_.SlavePath(); }
    const std::string& ClientPath() const { return b_.SlavePath(); }

private:
    void Run()
    {
        pollfd fds[2] = {{a_.MasterFd(), POLLIN, 0}, {b_.MasterFd(), POLLIN, 0}};
        while (!stop_) {
            if (::poll(fds, 2, 20) <= 0)
                continue;
            for (int i = 0; i < 2; ++i) {
                if ((fds[i].revents & POLLIN) == 0)
                    continue;
                char buf[512];
                const ssize_t n = ::read(fds[i].fd, buf, sizeof buf);
                if (n > 0) {
                    ssize_t off = 0;
                    while (off < n) {
                        const ssize_t w = ::write(fds[1 - i].fd, buf + off, static_cast<size_t>(n - off));
                        if (w <= 0)
                            break;
                        off += w;
                    }
                }
            }
            // A side whose slave is not open reports hang-up; do not spin on it.
            if (((fds[0].revents | fds[1].revents) & POLLHUP) != 0)
                ::usleep(2000);
        }
    }

    PtyPair a_;
    PtyPair b_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

class LibmodbusServer {
public:
    explicit LibmodbusServer(const std::string& device)
    {
        ctx_ = modbus_new_rtu(device.c_str(), 9600, 'N', 8, 1);
        if (ctx_ == nullptr)
            return;
        modbus_set_slave(ctx_, kUnit);
        mapping_ = modbus_mapping_new(0, 0, kRegisters, kRegisters);
        if (mapping_ == nullptr || modbus_connect(ctx_) != 0)
            return;
        // Wake up now and then to see the stop flag.
        modbus_set_indication_timeout(ctx_, 0, 100000);
        ok_ = true;
    }
    ~LibmodbusServer()
    {
        Stop();
        if (mapping_ != nullptr)
            modbus_mapping_free(mapping_);
        if (ctx_ != nullptr) {
            modbus_close(ctx_);
            modbus_free(ctx_);
        }
    }
    bool Ok() const { return ok_; }
    std::uint16_t* Input() { return mapping_->tab_input_registers; }
    std::uint16_t* Holding() { return mapping_->tab_registers; }

    void Start() { thread_ = std::thread([this] { Serve(); }); }
    void Stop()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
    }

private:
    void Serve()
    {
        std::uint8_t query[MODBUS_RTU_MAX_ADU_LENGTH];
        while (!stop_) {
            const int rc = modbus_receive(ctx_, query);
            if (rc > 0)
                modbus_reply(ctx_, query, rc, mapping_);
        }
    }

    modbus_t* ctx_ = nullptr;
    modbus_mapping_t* mapping_ = nullptr;
    bool ok_ = false;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

void PutText(std::uint16_t* regs, int start, const char* text, int registers)
{
    // Two characters per register, the first in the low byte.
    for (int i = 0; i < registers; ++i) {
        const std::size_t len = std::strlen(text);
        const std::uint8_t lo = static_cast<std::size_t>(2 * i) < len ? static_cast<std::uint8_t>(text[2 * i]) : 0;
        const std::uint8_t hi = static_cast<std::size_t>(2 * i + 1) < len ? static_cast<std::uint8_t>(text[2 * i + 1]) : 0;
        regs[start + i] = static_cast<std::uint16_t>((hi << 8) | lo);
    }
}

TEST(ModbusMasterPeer, TypedReadsAndWriteAgainstLibmodbusServer)
{
    TempConfigHome home;
    BridgedPtys bridge;
    home.LinkPort(kPort, bridge.ClientPath());
    LibmodbusServer server(bridge.ServerPath());
    ASSERT_TRUE(server.Ok()) << modbus_strerror(errno);

    std::uint16_t* in = server.Input();
    in[2048] = 0x5E00;   // clock, low register first
    in[2049] = 0x65E9;
    PutText(in, 1000, "CH4", 8);
    PutText(in, 1018, "%LEL", 4);
    in[1008] = 17;
    in[1009] = 11;
    in[1010] = 2025;
    float conc = 23.75f;
    std::uint32_t bits;
    std::memcpy(&bits, &conc, sizeof bits);
    in[1012] = static_cast<std::uint16_t>(bits & 0xFFFF);
    in[1013] = static_cast<std::uint16_t>(bits >> 16);
    in[2052] = 1234;     // threshold 1 = 1.234
    in[2053] = 0;
    const std::uint32_t t2 = static_cast<std::uint32_t>(-2500);
    in[2054] = static_cast<std::uint16_t>(t2 & 0xFFFF);
    in[2055] = static_cast<std::uint16_t>(t2 >> 16);
    in[2056] = 0x0201;   // sound mode 2, O2 flag 1
    in[2057] = 0;
    for (int i = 0; i < 6; ++i)
        in[0x3FF0 + i] = static_cast<std::uint16_t>(0x0100 * (i + 1) + i);
    server.Start();

    ModbusMaster master;
    ASSERT_TRUE(master.Open(kPort));

    std::uint32_t clock = 0;
    ASSERT_TRUE(master.ReadClock(kUnit, clock, true));
    EXPECT_EQ(clock, 0x65E95E00u);

    std::string text;
    ASSERT_TRUE(master.ReadAnalyteCode(kUnit, text, true));
    EXPECT_EQ(text, "CH4");
    ASSERT_TRUE(master.ReadUnit(kUnit, text, true));
    EXPECT_EQ(text, "%LEL");

    std::uint16_t d = 0, m = 0, y = 0;
    ASSERT_TRUE(master.ReadCalibrationDate(kUnit, d, m, y, true));
    EXPECT_EQ(d, 17);
    EXPECT_EQ(m, 11);
    EXPECT_EQ(y, 2025);

    float value = 0;
    ASSERT_TRUE(master.ReadConcentration(kUnit, value, true));
    EXPECT_FLOAT_EQ(value, 23.75f);

    ModbusThresholds th;
    ASSERT_TRUE(master.ReadThresholds(kUnit, th, true));
    EXPECT_DOUBLE_EQ(th.threshold1, 1.234);
    EXPECT_DOUBLE_EQ(th.threshold2, -2.5);
    EXPECT_EQ(th.soundMode, 2);
    EXPECT_EQ(th.o2Flag, 1);

    std::array<std::uint8_t, 12> raw{};
    ASSERT_TRUE(master.ReadJournalState(kUnit, raw, true));
    EXPECT_EQ(raw[0], 0x01);
    EXPECT_EQ(raw[1], 0x00);
    EXPECT_EQ(raw[10], 0x06);
    EXPECT_EQ(raw[11], 0x05);

    // A register outside the server's map: libmodbus answers exception 2.
    const std::uint8_t* response = nullptr;
    int length = 0;
    EXPECT_EQ(master.Transact(kUnit, 4, kRegisters - 1, 2, nullptr, response, length, false), 2);

    ASSERT_TRUE(master.WriteRegister(kUnit, 1012, 0x0001, true));
    server.Stop();
    EXPECT_EQ(server.Holding()[1012], 1);
}

} // namespace
