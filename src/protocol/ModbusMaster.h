#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ComConnector.h"
#include "IConnector.h"
#include "ITimeSource.h"
#include "LineWatch.h"

// The detector's thresholds block (registers 2052..2057).
struct ModbusThresholds {
    double threshold1 = 0.0;
    double threshold2 = 0.0;
    std::uint8_t soundMode = 0;     // high byte of 2056: 0 off, 1 threshold 1, 2 threshold 2, 3 both
    std::uint8_t o2Flag = 0;        // low byte of 2056: nonzero "да"
    std::array<std::uint8_t, 2> register2057{};  // raw, wire order
};

// Modbus RTU master for function codes 4 (read input registers) and 6 (write
// single register) with the detector's fixed sleeps, read cycles and tries.
class ModbusMaster {
public:
    // Transaction result codes.
    static constexpr std::uint8_t kOk = 0;
    static constexpr std::uint8_t kUnsupported = 1;
    static constexpr std::uint8_t kNotOpen = 128;
    static constexpr std::uint8_t kLineFailed = 129;
    static constexpr std::uint8_t kNoAnswer = 255;

    // Validation statuses of one received frame.
    static constexpr int kComplete = 0;
    static constexpr int kCompleteException = 130;
    static constexpr int kTooShort = 131;
    static constexpr int kForeignUnit = 132;
    static constexpr int kIncomplete = 133;
    static constexpr int kBadByteCount = 134;
    static constexpr int kBadCrc = 135;
    static constexpr int kForeignFunction = 136;
    static constexpr int kBadEchoAddress = 137;

    static constexpr int kBufferSize = 256;
    static constexpr int kMaxReadCount = 125;   // 2n + 5 must fit the 256-byte buffer
    static constexpr std::uint32_t kCycleSleepMs = 50;
    static constexpr std::uint32_t kRetrySleepMs = 300;

    ModbusMaster();
    ModbusMaster(const ModbusMaster&) = delete;
    ModbusMaster& operator=(const ModbusMaster&) = delete;
    virtual ~ModbusMaster();

    // Opens a ModbusComConnector on the COM port; false if already open or
    // the port cannot be opened (LastOpenError then says why).
    bool Open(int portNumber);
    // Why the last Open(portNumber) failed; None after one that succeeded.
    ComConnector::OpenError LastOpenError() const { return lastOpenError_; }
    // Takes an already open connector (another transport, or a test line).
    bool Open(std::unique_ptr<IConnector> connector);
    void Close();
    bool IsOpen() const { return connector_ != nullptr; }

    // Sleeps and clock of the master; the real clock unless a test sets one.
    void SetTimeSource(ITimeSource* time);
    ITimeSource& Time() const { return *time_; }

    // The driving worker's stop event (nullptr: none): a stop ends the
    // running exchange at once, without its retries, and it counts neither
    // as an answer nor as a line failure. Kept across Close and Open.
    void SetStopEvent(const ManualResetEvent* stop);
    const LineWatch& Watch() const { return watch_; }
    LineWatch& Watch() { return watch_; }

    // One Modbus transaction. Function 4 reads `count` registers from
    // `address`; function 6 writes the two bytes at `data` (wire order) to
    // `address`. On success with function 4, `response` points at the register
    // data in the receive buffer (valid until the next transaction) and
    // `responseLength` holds its byte count; with function 6 it is 0.
    std::uint8_t Transact(std::uint8_t unit, std::uint8_t function, std::uint16_t address, std::uint16_t count,
                          const std::uint8_t* data, const std::uint8_t*& response, int& responseLength, bool retry);

    // Checks one received frame against the request; returns a validation
    // status, and for kCompleteException the exception code.
    static int ValidateFrame(const std::uint8_t* frame, int length, std::uint8_t unit, std::uint8_t function,
                             std::uint16_t address, std::uint16_t count, std::uint8_t& exceptionCode);

    // Typed operations: true only for result 0 with the stated data length;
    // on false the output is left unchanged.
    bool ReadClock(std::uint8_t unit, std::uint32_t& secondsSince1970, bool retry);
    bool ReadAnalyteCode(std::uint8_t unit, std::string& text, bool retry);
    bool ReadUnit(std::uint8_t unit, std::string& text, bool retry);
    bool ReadText1050(std::uint8_t unit, std::string& text, bool retry);
    bool ReadCalibrationDate(std::uint8_t unit, std::uint16_t& day, std::uint16_t& month, std::uint16_t& year, bool retry);
    bool ReadConcentration(std::uint8_t unit, float& value, bool retry);
    bool ReadThresholds(std::uint8_t unit, ModbusThresholds& thresholds, bool retry);
    bool ReadJournalState(std::uint8_t unit, std::array<std::uint8_t, 12>& raw, bool retry);
    // Function 6 with the value sent high byte first.
    bool WriteRegister(std::uint8_t unit, std::uint16_t address, std::uint16_t value, bool retry);

protected:
    bool ReadBlock(std::uint8_t unit, std::uint16_t address, std::uint16_t count, bool retry,
                   const std::uint8_t*& data);
    bool ReadSwappedText(std::uint8_t unit, std::uint16_t address, std::uint16_t count, std::string& text, bool retry);

    // kLineFailed for a connector that failed; a stop is marked apart.
    std::uint8_t ConnectorFailed();

    std::unique_ptr<IConnector> connector_;
    ComConnector::OpenError lastOpenError_ = ComConnector::OpenError::None;
    LineWatch watch_;
    int replyPollCount_ = 0;
    std::vector<std::uint8_t> transmit_;
    std::vector<std::uint8_t> receive_;
    ITimeSource* time_;
};
