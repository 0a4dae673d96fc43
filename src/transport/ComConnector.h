#pragma once

#include <cstdint>

#include "IConnector.h"
#include "LineSettings.h"
#include "ManualResetEvent.h"

// The shared serial connector: exclusive open of a COM port by number, the
// line settings and read timeouts of the line, synchronous reads and writes,
// input purge. The operating-system code lives in ComConnectorPosix.cpp and
// ComConnectorWin32.cpp; only one of them is compiled.
//
// ModbusComConnector and HartComConnector differ only in the settings they
// open the port with.
class ComConnector : public IConnector {
public:
    // The invalid handle: -1 is both a closed POSIX descriptor and
    // INVALID_HANDLE_VALUE as an integer.
    static constexpr std::intptr_t kInvalidHandle = -1;

    ComConnector() = default;
    ComConnector(const ComConnector&) = delete;
    ComConnector& operator=(const ComConnector&) = delete;
    ~ComConnector() override;

    void Close() override;
    bool Write(int unit, const std::uint8_t* data, int length) override;
    bool Read(int unit, std::uint8_t* buffer, int capacity, int& count) override;
    void PurgeInput() override;
    void SetStopEvent(const ManualResetEvent* stop) override;

    bool IsOpen() const { return handle_ != kInvalidHandle; }

    // Why the last open failed, so that the engineer can be told what to do:
    // a port the user has no rights to (Linux: not in the dialout group)
    // needs another remedy than a missing or busy one.
    enum class OpenError {
        None,             // the last open succeeded (or none was tried)
        NotSet,           // port number below 1
        NotFound,         // no such device
        Busy,             // held by another program or connector
        PermissionDenied, // the user may not open the device
        Failed,           // anything else (the driver refused the settings, ...)
    };
    OpenError LastOpenError() const { return lastOpenError_; }
    // The operating system's error of a failed open, as the layer's code.
    static OpenError OpenErrorOf(int systemError);

    // The operating-system handle (a file descriptor on POSIX, a HANDLE on
    // Windows); kInvalidHandle while closed. For diagnostics and tests.
    std::intptr_t NativeHandle() const { return handle_; }

protected:
    // Opens the port once: false if already open (the open port stays as it
    // is), if the port is missing or held elsewhere, or if the driver refuses
    // the settings (then nothing stays open).
    bool OpenPort(int portNumber, const LineSettings& settings);

private:
    bool StopSet() const;

    std::intptr_t handle_ = kInvalidHandle;
    OpenError lastOpenError_ = OpenError::None;
    const ManualResetEvent* stop_ = nullptr;
};
