// The DCB and timeouts the Win32 connector hands the port driver, checked
// field by field without a port (a pseudo-terminal under Wine keeps no parity).
#include <gtest/gtest.h>

#include <string>

#include <windows.h>

#include "ComPortPath.h"
#include "HartComConnector.h"
#include "ModbusComConnector.h"
#include "Win32LineSettings.h"

namespace {

struct DcbCase {
    const char* name;
    LineSettings settings;
    DWORD baud;
    BYTE parity;
    DWORD fParity;
};

class Win32Dcb : public ::testing::TestWithParam<DcbCase> {};

// What another program may have left in the driver: flow control of every
// kind, null stripping, error replacement, DSR gating, abort on error.
DCB LeftoverDcb()
{
    DCB d;
    ZeroMemory(&d, sizeof d);
    d.DCBlength = sizeof d;
    d.BaudRate = 115200;
    d.ByteSize = 7;
    d.Parity = EVENPARITY;
    d.fParity = 1;
    d.StopBits = TWOSTOPBITS;
    d.fBinary = 0;
    d.fOutxCtsFlow = 1;
    d.fOutxDsrFlow = 1;
    d.fDtrControl = DTR_CONTROL_HANDSHAKE;
    d.fRtsControl = RTS_CONTROL_TOGGLE;
    d.fDsrSensitivity = 1;
    d.fTXContinueOnXoff = 1;
    d.fOutX = 1;
    d.fInX = 1;
    d.fErrorChar = 1;
    d.fNull = 1;
    d.fAbortOnError = 1;
    d.XonLim = 2048;
    d.XoffLim = 512;
    d.XonChar = 0x11;
    d.XoffChar = 0x13;
    d.ErrorChar = '?';
    d.EofChar = 0x1A;
    d.EvtChar = '\n';
    return d;
}

TEST_P(Win32Dcb, SetsTheLineAndKeepsTheRestAsTheDriverHadIt)
{
    const DcbCase& c = GetParam();
    DCB d = LeftoverDcb();
    MakeWin32Dcb(c.settings, d);

    EXPECT_EQ(d.DCBlength, sizeof(DCB));
    EXPECT_EQ(d.BaudRate, c.baud);
    EXPECT_EQ(d.ByteSize, 8);
    EXPECT_EQ(d.Parity, c.parity);
    EXPECT_EQ(d.fParity, c.fParity);
    EXPECT_EQ(d.StopBits, ONESTOPBIT);
    EXPECT_EQ(d.fOutxCtsFlow, 0u);
    EXPECT_EQ(d.fOutxDsrFlow, 0u);
    EXPECT_EQ(d.fDtrControl, static_cast<DWORD>(DTR_CONTROL_ENABLE));
    EXPECT_EQ(d.fRtsControl, static_cast<DWORD>(RTS_CONTROL_ENABLE));
    EXPECT_EQ(d.fOutX, 0u);
    EXPECT_EQ(d.fInX, 0u);
    EXPECT_EQ(d.XonLim, 0);
    EXPECT_EQ(d.XoffLim, 0);
    EXPECT_EQ(d.XonChar, 0);
    EXPECT_EQ(d.XoffChar, 0);

    // Every byte value passes unchanged and a line error stays one failed read.
    EXPECT_EQ(d.fBinary, 1u);
    EXPECT_EQ(d.fNull, 0u);
    EXPECT_EQ(d.fErrorChar, 0u);
    EXPECT_EQ(d.fDsrSensitivity, 0u);
    EXPECT_EQ(d.fAbortOnError, 0u);

    // Nothing the line does not care about is touched.
    EXPECT_EQ(d.fTXContinueOnXoff, 1u);
    EXPECT_EQ(d.ErrorChar, '?');
    EXPECT_EQ(d.EofChar, 0x1A);
    EXPECT_EQ(d.EvtChar, '\n');
}

INSTANTIATE_TEST_SUITE_P(
    Lines, Win32Dcb,
    ::testing::Values(
        DcbCase{"DeviceLine9600_8N1", ModbusComConnector::Settings(), 9600, NOPARITY, 0},
        DcbCase{"HartLine1200_8O1", HartComConnector::Settings(), 1200, ODDPARITY, 1}),
    [](const ::testing::TestParamInfo<DcbCase>& info) { return std::string(info.param.name); });

TEST(Win32Timeouts, ReadsEndAfterAGapOrOneMillisecondPerByteAndWritesNever)
{
    const COMMTIMEOUTS t = MakeWin32Timeouts();
    EXPECT_EQ(t.ReadIntervalTimeout, 2u);
    EXPECT_EQ(t.ReadTotalTimeoutMultiplier, 1u);
    EXPECT_EQ(t.ReadTotalTimeoutConstant, 0u);
    EXPECT_EQ(t.WriteTotalTimeoutMultiplier, 0u);
    EXPECT_EQ(t.WriteTotalTimeoutConstant, 0u);
}

struct PathCase {
    int port;
    const char* path;
};

class Win32PortPath : public ::testing::TestWithParam<PathCase> {};

// The device namespace prefix is what makes COM10 and above reachable.
TEST_P(Win32PortPath, NamesTheDeviceByNumber)
{
    EXPECT_EQ(ComPortPath(GetParam().port), GetParam().path);
    EXPECT_FALSE(ComPortIsLinked(GetParam().port));
}

INSTANTIATE_TEST_SUITE_P(Numbers, Win32PortPath,
                         ::testing::Values(PathCase{1, "\\\\.\\COM1"},
                                           PathCase{9, "\\\\.\\COM9"},
                                           PathCase{12, "\\\\.\\COM12"},
                                           PathCase{256, "\\\\.\\COM256"}));

} // namespace
