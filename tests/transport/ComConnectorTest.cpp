// The serial connector on pseudo-terminals: the test holds the master side
// and links the slave side as comN in a temporary per-user ports folder.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include <termios.h>
#include <unistd.h>

#include "ComConnector.h"
#include "ComPortPath.h"
#include "HartComConnector.h"
#include "IConnector.h"
#include "ModbusComConnector.h"
#include "PosixLineSettings.h"
#include "TestPorts.h"

namespace {

class ConnectorOnPty : public ::testing::Test {
protected:
    static constexpr int kPort = 7;

    void SetUp() override { home_.LinkPort(kPort, pty_.SlavePath()); }

    std::string ReadAll(ComConnector& c, int capacity, int attempts = 20)
    {
        std::string out;
        std::uint8_t buf[256];
        for (int i = 0; i < attempts && static_cast<int>(out.size()) < capacity; ++i) {
            int got = 0;
            if (!c.Read(0, buf, capacity - static_cast<int>(out.size()), got))
                break;
            out.append(reinterpret_cast<char*>(buf), static_cast<std::size_t>(got));
        }
        return out;
    }

    TempConfigHome home_;
    PtyPair pty_;
};

TEST_F(ConnectorOnPty, OpensByNumberAndMovesBytesBothWays)
{
    EXPECT_EQ(ComPortPath(kPort), home_.PortsFolder() + "/com7");
    ModbusComConnector c;
    ASSERT_TRUE(c.Open(kPort));

    const std::uint8_t frame[] = {0x01, 0x04, 0x08, 0x00, 0x00, 0x02, 0x73, 0xAB, 0x00, 0xFF};
    ASSERT_TRUE(c.Write(1, frame, sizeof frame));
    EXPECT_EQ(pty_.Receive(1000, sizeof frame), std::string(reinterpret_cast<const char*>(frame), sizeof frame));

    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    ASSERT_TRUE(pty_.Send(all));
    EXPECT_EQ(ReadAll(c, 256), all);
}

TEST_F(ConnectorOnPty, SecondOpenFailsWhileFirstStaysUsable)
{
    ModbusComConnector first;
    ASSERT_TRUE(first.Open(kPort));

    ModbusComConnector second;
    EXPECT_FALSE(second.Open(kPort));
    HartComConnector third;
    EXPECT_FALSE(third.Open(kPort));
    // Opening an open connector again changes nothing.
    EXPECT_FALSE(first.Open(kPort));

    const std::uint8_t byte = 0x5A;
    ASSERT_TRUE(first.Write(0, &byte, 1));
    EXPECT_EQ(pty_.Receive(1000), "\x5A");

    // Once released, the port can be opened again.
    first.Close();
    EXPECT_TRUE(second.Open(kPort));
}

struct LineCase {
    const char* name;
    bool hart;
    speed_t speed;
    bool parity;
    bool odd;
};

class LineSettingsOnPty : public ConnectorOnPty, public ::testing::WithParamInterface<LineCase> {};

void ExpectLine(const termios& t, const LineCase& lc, bool parityKept)
{
    EXPECT_EQ(cfgetispeed(&t), lc.speed);
    EXPECT_EQ(cfgetospeed(&t), lc.speed);
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    if (parityKept) {
        EXPECT_EQ((t.c_cflag & PARENB) != 0, lc.parity);
        EXPECT_EQ((t.c_iflag & INPCK) != 0, lc.parity);
    }
    EXPECT_EQ((t.c_cflag & PARODD) != 0, lc.odd);
    EXPECT_EQ(t.c_cflag & CSTOPB, 0u);
    EXPECT_EQ(t.c_cflag & CRTSCTS, 0u);
    EXPECT_NE(t.c_cflag & CLOCAL, 0u);
    EXPECT_NE(t.c_cflag & CREAD, 0u);
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF), 0u);
    // Raw: no line editing, no echo, no translation of CR and LF.
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(t.c_iflag & (ICRNL | INLCR | IGNCR), 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
}

TEST_P(LineSettingsOnPty, TermiosIsBuiltAsTheLineNeeds)
{
    const LineCase& lc = GetParam();
    termios t{};
    // Start from a cooked terminal with flow control, as a fresh port may be.
    t.c_iflag = ICRNL | IXON | IXOFF;
    t.c_oflag = OPOST | ONLCR;
    t.c_cflag = CS7 | CSTOPB | CRTSCTS;
    t.c_lflag = ICANON | ECHO | ISIG;
    ASSERT_TRUE(MakePosixTermios(lc.hart ? HartComConnector::Settings() : ModbusComConnector::Settings(), t));
    ExpectLine(t, lc, true);
}

TEST_P(LineSettingsOnPty, TermiosReadsBackFromTheOpenPort)
{
    const LineCase& lc = GetParam();
    ModbusComConnector modbus;
    HartComConnector hart;
    ComConnector& c = lc.hart ? static_cast<ComConnector&>(hart) : static_cast<ComConnector&>(modbus);
    ASSERT_TRUE(lc.hart ? hart.Open(kPort) : modbus.Open(kPort));

    termios t{};
    ASSERT_EQ(tcgetattr(static_cast<int>(c.NativeHandle()), &t), 0);
    // A pseudo-terminal has no parity generator and clears PARENB whatever
    // is asked; everything else reads back as set.
    ExpectLine(t, lc, false);
}

INSTANTIATE_TEST_SUITE_P(Lines, LineSettingsOnPty,
                         ::testing::Values(LineCase{"Modbus9600_8N1", false, B9600, false, false},
                                           LineCase{"Hart1200_8O1", true, B1200, true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ConnectorOnPty, EachLineOpensAgainAfterItWasClosed)
{
    // The engine opens a line anew for every activity; the HART line's odd
    // parity, which a pseudo-terminal cannot keep, must not make the second
    // opening fail.
    for (int round = 0; round < 3; ++round) {
        HartComConnector hart;
        ASSERT_TRUE(hart.Open(kPort)) << "HART round " << round;
        const std::uint8_t byte = 0x42;
        ASSERT_TRUE(hart.Write(0, &byte, 1));
        EXPECT_EQ(pty_.Receive(1000), "\x42");
    }
    for (int round = 0; round < 2; ++round) {
        ModbusComConnector modbus;
        ASSERT_TRUE(modbus.Open(kPort)) << "device line round " << round;
    }
    HartComConnector hart;
    EXPECT_TRUE(hart.Open(kPort));
}

TEST_F(ConnectorOnPty, ReadWithNothingOnTheLineReturnsEmptyAtOnce)
{
    ModbusComConnector c;
    ASSERT_TRUE(c.Open(kPort));
    std::uint8_t buf[64];
    for (int i = 0; i < 5; ++i) {
        int got = -1;
        EXPECT_TRUE(c.Read(0, buf, sizeof buf, got));
        EXPECT_EQ(got, 0);
    }
    int got = -1;
    EXPECT_TRUE(c.Read(0, buf, 0, got));
    EXPECT_EQ(got, 0);
}

TEST_F(ConnectorOnPty, ReadReturnsWhatHasArrivedWhenLessThanAsked)
{
    ModbusComConnector c;
    ASSERT_TRUE(c.Open(kPort));
    ASSERT_TRUE(pty_.Send("@RAIS 42\r\n"));
    EXPECT_EQ(ReadAll(c, 200, 3), "@RAIS 42\r\n");
}

TEST_F(ConnectorOnPty, PurgeDropsPendingInput)
{
    ModbusComConnector c;
    ASSERT_TRUE(c.Open(kPort));
    ASSERT_TRUE(pty_.Send("late answer\r\n"));
    // Let the bytes reach the slave's input queue before purging.
    ::usleep(50 * 1000);
    c.PurgeInput();
    std::uint8_t buf[64];
    int got = -1;
    ASSERT_TRUE(c.Read(0, buf, sizeof buf, got));
    EXPECT_EQ(got, 0);

    ASSERT_TRUE(pty_.Send("fresh\r\n"));
    EXPECT_EQ(ReadAll(c, 7), "fresh\r\n");
}

TEST_F(ConnectorOnPty, CloseTwiceIsHarmlessAndAClosedConnectorRefusesIo)
{
    ModbusComConnector c;
    ASSERT_TRUE(c.Open(kPort));
    c.Close();
    c.Close();
    EXPECT_FALSE(c.IsOpen());
    const std::uint8_t byte = 1;
    EXPECT_FALSE(c.Write(0, &byte, 1));
    std::uint8_t buf[4];
    int got = -1;
    EXPECT_FALSE(c.Read(0, buf, sizeof buf, got));
    EXPECT_EQ(got, 0);
    c.PurgeInput();
}

TEST_F(ConnectorOnPty, FarEndClosingTurnsReadsIntoFailures)
{
    ModbusComConnector c;
    ASSERT_TRUE(c.Open(kPort));
    pty_.CloseMaster();
    std::uint8_t buf[256];
    // Every read fails (the caller stops), none reports a silent line that
    // would make a poll loop go round forever.
    for (int i = 0; i < 3; ++i) {
        int got = -1;
        EXPECT_FALSE(c.Read(0, buf, sizeof buf, got));
        EXPECT_EQ(got, 0);
    }
    const std::uint8_t byte = 1;
    EXPECT_FALSE(c.Write(0, &byte, 1));
}

TEST(ConnectorWithoutPort, MissingPortFailsToOpen)
{
    TempConfigHome home;
    home.LinkPort(3, home.Path() + "/no-such-device");
    ModbusComConnector c;
    EXPECT_FALSE(c.Open(3));
    EXPECT_FALSE(c.IsOpen());
    EXPECT_FALSE(c.Open(0));
    EXPECT_FALSE(c.Open(-1));
}

TEST(ConnectorOpenErrors, TheSystemsErrorMapsToTheReasonTheEngineerIsTold)
{
    const struct {
        int error;
        ComConnector::OpenError reason;
    } cases[] = {
        {0, ComConnector::OpenError::None},
        {EACCES, ComConnector::OpenError::PermissionDenied},
        {EPERM, ComConnector::OpenError::PermissionDenied},
        {ENOENT, ComConnector::OpenError::NotFound},
        {ENODEV, ComConnector::OpenError::NotFound},
        {ENXIO, ComConnector::OpenError::NotFound},
        {EBUSY, ComConnector::OpenError::Busy},
        {EIO, ComConnector::OpenError::Failed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error);
        EXPECT_EQ(ComConnector::OpenErrorOf(c.error), c.reason);
    }
}

TEST_F(ConnectorOnPty, EachFailedOpenSaysWhy)
{
    home_.LinkPort(3, home_.Path() + "/no-such-device");
    ModbusComConnector c;
    EXPECT_EQ(c.LastOpenError(), ComConnector::OpenError::None);
    EXPECT_FALSE(c.Open(0));
    EXPECT_EQ(c.LastOpenError(), ComConnector::OpenError::NotSet);
    EXPECT_FALSE(c.Open(3));
    EXPECT_EQ(c.LastOpenError(), ComConnector::OpenError::NotFound);

    ModbusComConnector holder;
    ASSERT_TRUE(holder.Open(kPort));
    EXPECT_FALSE(c.Open(kPort));
    EXPECT_EQ(c.LastOpenError(), ComConnector::OpenError::Busy);
    holder.Close();

    {
        NoPortRights denied(pty_.SlavePath(), home_.Path());
        EXPECT_FALSE(c.Open(kPort));
    }
    EXPECT_EQ(c.LastOpenError(), ComConnector::OpenError::PermissionDenied);
    EXPECT_FALSE(c.IsOpen());

    // With the right back the same port opens, and the reason is cleared.
    ASSERT_TRUE(c.Open(kPort));
    EXPECT_EQ(c.LastOpenError(), ComConnector::OpenError::None);
}

TEST(ComPortPath, UnlinkedNumbersLeadToTheSerialDevices)
{
    TempConfigHome home;
    EXPECT_FALSE(ComPortIsLinked(1));
    EXPECT_EQ(ComPortPath(1), "/dev/ttyS0");
    EXPECT_EQ(ComPortPath(12), "/dev/ttyS11");
    home.LinkPort(12, "/dev/null");
    EXPECT_TRUE(ComPortIsLinked(12));
    EXPECT_EQ(ComPortPath(12), home.Path() + "/Korvan/ports/com12");
    EXPECT_EQ(ComPortFolder(), home.Path() + "/Korvan/ports");
}

TEST(IConnectorBase, DefaultOperationsFailOrDoNothing)
{
    IConnector base;
    std::uint8_t buf[4] = {};
    int got = 99;
    EXPECT_FALSE(base.Write(0, buf, 4));
    EXPECT_FALSE(base.Read(0, buf, 4, got));
    EXPECT_EQ(got, 0);
    base.Close();
    base.PurgeInput();
}

} // namespace
