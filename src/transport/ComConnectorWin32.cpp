// Win32 serial port: CreateFileA on \\.\COMn without sharing, the DCB fields
// and timeouts of the line, synchronous ReadFile/WriteFile, PurgeComm.
#include "ComConnector.h"
#include "ComPortPath.h"
#include "Win32LineSettings.h"

#include <string>

#include <windows.h>

void MakeWin32Dcb(const LineSettings& s, DCB& dcb)
{
    const bool odd = s.parity == LineSettings::Parity::Odd;
    dcb.DCBlength = sizeof dcb;
    dcb.BaudRate = s.baudRate;
    dcb.ByteSize = static_cast<BYTE>(s.dataBits);
    dcb.Parity = odd ? ODDPARITY : NOPARITY;
    dcb.fParity = odd ? 1 : 0;
    dcb.StopBits = s.stopBits == 2 ? TWOSTOPBITS : ONESTOPBIT;
    dcb.fOutxCtsFlow = 0;
    dcb.fOutxDsrFlow = 0;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fOutX = 0;
    dcb.fInX = 0;
    dcb.XonLim = 0;
    dcb.XoffLim = 0;
    dcb.XonChar = 0;
    dcb.XoffChar = 0;
    // Drivers keep the previous program's DCB across opens. Modbus frames
    // carry every byte value, so zero bytes must not be dropped, bytes with
    // a parity error must reach the master (its check value rejects the
    // frame) instead of being replaced, a modem that never raises DSR must
    // not silence the input, and one line error must not fail every later
    // read until someone clears it: the masters only purge and retry.
    dcb.fBinary = 1;
    dcb.fNull = 0;
    dcb.fErrorChar = 0;
    dcb.fDsrSensitivity = 0;
    dcb.fAbortOnError = 0;
}

COMMTIMEOUTS MakeWin32Timeouts()
{
    COMMTIMEOUTS t{};
    t.ReadIntervalTimeout = 2;
    t.ReadTotalTimeoutMultiplier = 1;
    t.ReadTotalTimeoutConstant = 0;
    t.WriteTotalTimeoutMultiplier = 0;
    t.WriteTotalTimeoutConstant = 0;
    return t;
}

namespace {

HANDLE H(std::intptr_t h) { return reinterpret_cast<HANDLE>(h); }

// While a stop event is attached, one ReadFile waits at most this long, so
// that the event is looked at between slices; the line's own total timeout
// (1 ms per requested byte) is kept by the loop around the slices.
constexpr DWORD kStopSliceMs = 20;

COMMTIMEOUTS SlicedTimeouts()
{
    COMMTIMEOUTS t = MakeWin32Timeouts();
    t.ReadTotalTimeoutMultiplier = 0;
    t.ReadTotalTimeoutConstant = kStopSliceMs;
    return t;
}

bool ApplyLineSettings(HANDLE h, const LineSettings& s)
{
    DCB dcb;
    ZeroMemory(&dcb, sizeof dcb);
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(h, &dcb))
        return false;
    MakeWin32Dcb(s, dcb);
    if (!SetCommState(h, &dcb)) {
        // A driver may keep a setting of the previous open that it could
        // only half take and then refuse the same settings as "no change"
        // (Wine on a pseudo-terminal keeps the odd-parity flag without
        // parity, so a second 8O1 open failed). From no parity, the wanted
        // settings are a change it takes; a driver that cannot do them at
        // all still refuses.
        DCB plain = dcb;
        plain.Parity = NOPARITY;
        plain.fParity = 0;
        if (!SetCommState(h, &plain) || !SetCommState(h, &dcb))
            return false;
    }
    COMMTIMEOUTS t = MakeWin32Timeouts();
    return SetCommTimeouts(h, &t) != 0;
}

} // namespace

ComConnector::~ComConnector()
{
    Close();
}

bool ComConnector::OpenPort(int portNumber, const LineSettings& settings)
{
    if (handle_ != kInvalidHandle)
        return false;
    if (portNumber < 1) {
        lastOpenError_ = OpenError::NotSet;
        return false;
    }
    const std::string name = ComPortPath(portNumber);
    HANDLE h = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        lastOpenError_ = OpenErrorOf(static_cast<int>(GetLastError()));
        return false;
    }
    if (!ApplyLineSettings(h, settings)) {
        lastOpenError_ = OpenError::Failed;
        CloseHandle(h);
        return false;
    }
    PurgeComm(h, PURGE_TXCLEAR | PURGE_RXCLEAR);
    handle_ = reinterpret_cast<std::intptr_t>(h);
    if (stop_ != nullptr) {
        COMMTIMEOUTS t = SlicedTimeouts();
        SetCommTimeouts(h, &t);
    }
    lastOpenError_ = OpenError::None;
    return true;
}

ComConnector::OpenError ComConnector::OpenErrorOf(int systemError)
{
    switch (systemError) {
    case 0: return OpenError::None;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return OpenError::NotFound;
    // A COM port that another program holds answers "access denied": on
    // Windows that is a busy port, not a missing right.
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION: return OpenError::Busy;
    default: return OpenError::Failed;
    }
}

void ComConnector::Close()
{
    if (handle_ != kInvalidHandle)
        CloseHandle(H(handle_));
    handle_ = kInvalidHandle;
}

bool ComConnector::Write(int unit, const std::uint8_t* data, int length)
{
    (void)unit;
    if (handle_ == kInvalidHandle || length < 0 || StopSet())
        return false;
    DWORD written = 0;
    if (!WriteFile(H(handle_), data, static_cast<DWORD>(length), &written, nullptr))
        return false;
    return written == static_cast<DWORD>(length);
}

bool ComConnector::Read(int unit, std::uint8_t* buffer, int capacity, int& count)
{
    (void)unit;
    count = 0;
    if (handle_ == kInvalidHandle || capacity < 0 || StopSet())
        return false;
    if (stop_ == nullptr) {
        DWORD got = 0;
        if (!ReadFile(H(handle_), buffer, static_cast<DWORD>(capacity), &got, nullptr))
            return false;
        count = static_cast<int>(got);
        return true;
    }
    // Slices of at most 20 ms until bytes came (the 2 ms gap after them
    // ends a slice early), the total timeout ran out, or the stop is set.
    // Overlapped reads would wait on the event directly, but not every
    // serial driver (nor Wine) completes them the same way.
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(capacity);
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(H(handle_), buffer, static_cast<DWORD>(capacity), &got, nullptr))
            return false;
        if (StopSet())
            return false;
        if (got > 0 || capacity == 0) {
            count = static_cast<int>(got);
            return true;
        }
        if (GetTickCount64() >= deadline)
            return true;
    }
}

void ComConnector::SetStopEvent(const ManualResetEvent* stop)
{
    stop_ = stop;
    if (handle_ != kInvalidHandle) {
        COMMTIMEOUTS t = stop_ != nullptr ? SlicedTimeouts() : MakeWin32Timeouts();
        SetCommTimeouts(H(handle_), &t);
    }
}

bool ComConnector::StopSet() const
{
    return stop_ != nullptr && stop_->IsSet();
}

void ComConnector::PurgeInput()
{
    if (handle_ != kInvalidHandle)
        PurgeComm(H(handle_), PURGE_RXCLEAR);
}
