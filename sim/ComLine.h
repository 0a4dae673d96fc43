#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "LineDevice.h"
#include "ModbusComConnector.h"

// One simulated serial line on Windows, where no pseudo-terminal can be made:
// the far end of a null-modem pair of COM ports. The program opens COMn, the
// line serves COM(n + kFarEndOffset), and the pair's driver (com0com on
// Windows; under Wine, tests/windows/com_pair_bridge.py, which joins two
// pseudo-terminals linked as the two numbers) carries the bytes between them.
// Same interface and timing as PtyLine: a thread feeds the device every byte
// that arrives, tells it when the line has gone quiet and sends its answers
// with their delays, optionally at the pace of the line's baud rate.
//
// A COM port of a pair cannot be pulled out from here: Unplug and Replug are
// refused (kCanUnplug is false) and the line stays in.
class ComLine {
public:
    static constexpr int kFarEndOffset = 100;
    static constexpr bool kCanUnplug = false;

    struct Options {
        std::string portsFolder;        // not used: Windows has no ports folder
        int portNumber = 1;             // the number the program opens
        unsigned baud = 9600;
        unsigned bitsPerByte = 10;
        bool pace = false;
        unsigned answerDelayMs = 0;
        unsigned idleGapMs = 20;
    };

    // Throws std::runtime_error when the far end's port cannot be opened.
    ComLine(LineDevice& device, const Options& options);
    ~ComLine();
    ComLine(const ComLine&) = delete;
    ComLine& operator=(const ComLine&) = delete;

    // The port as the program names it ("COM4"), for both.
    const std::string& LinkPath() const { return name_; }
    std::string DevicePath() const { return name_; }
    int PortNumber() const { return options_.portNumber; }

    void Unplug() {}
    void Replug() {}
    bool Plugged() const { return true; }

    void SetPacing(bool pace) { pace_ = pace; }
    void SetAnswerDelay(unsigned ms) { answerDelayMs_ = ms; }

    std::uint64_t BytesReceived() const { return bytesReceived_.load(); }
    std::uint64_t BytesSent() const { return bytesSent_.load(); }
    const Options& LineOptions() const { return options_; }

private:
    void Run();

    LineDevice& device_;
    const Options options_;
    const std::string name_;
    std::atomic<bool> pace_;
    std::atomic<unsigned> answerDelayMs_;
    std::atomic<std::uint64_t> bytesReceived_{0};
    std::atomic<std::uint64_t> bytesSent_{0};
    std::atomic<bool> stop_{false};
    ModbusComConnector port_;
    std::thread thread_;
};
