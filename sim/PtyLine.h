#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "LineDevice.h"

// One simulated serial line on a pseudo-terminal. The line holds the master
// side and links the slave side as "comN" in a ports folder, where the tool
// finds its COM ports. A thread feeds the device every byte that arrives,
// tells it when the line has gone quiet, and sends the device's answers with
// their delays, optionally at the pace of the line's baud rate.
class PtyLine {
public:
    struct Options {
        std::string portsFolder;        // empty: $XDG_CONFIG_HOME/Korvan/ports, else ~/.config/Korvan/ports
        int portNumber = 1;
        unsigned baud = 9600;
        unsigned bitsPerByte = 10;      // 8N1: start, 8 data, stop; 8O1 adds the parity bit
        bool pace = false;              // send answers no faster than the line carries them
        unsigned answerDelayMs = 0;     // the device's reaction time before every answer
        unsigned idleGapMs = 20;        // quiet time after which a partial request is dropped
    };

    // Throws std::runtime_error when the pseudo-terminal or the link cannot
    // be made.
    PtyLine(LineDevice& device, const Options& options);
    ~PtyLine();
    PtyLine(const PtyLine&) = delete;
    PtyLine& operator=(const PtyLine&) = delete;

    const std::string& LinkPath() const { return linkPath_; }
    const std::string& DevicePath() const { return devicePath_; }
    int PortNumber() const { return options_.portNumber; }

    void SetPacing(bool pace) { pace_ = pace; }
    void SetAnswerDelay(unsigned ms) { answerDelayMs_ = ms; }

    // Bytes that crossed the line each way since the start, for timing
    // harnesses that compare a run with the line's wire time.
    std::uint64_t BytesReceived() const { return bytesReceived_.load(); }
    std::uint64_t BytesSent() const { return bytesSent_.load(); }
    const Options& LineOptions() const { return options_; }

    static std::string DefaultPortsFolder();

private:
    void Run();

    LineDevice& device_;
    const Options options_;
    std::atomic<bool> pace_;
    std::atomic<unsigned> answerDelayMs_;
    std::atomic<std::uint64_t> bytesReceived_{0};
    std::atomic<std::uint64_t> bytesSent_{0};
    int master_ = -1;
    int slave_ = -1;
    int wake_[2] = {-1, -1};
    std::string devicePath_;
    std::string linkPath_;
    std::thread thread_;
};
