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
//
// The line can be pulled out and plugged back in, as a USB serial adapter
// is: Unplug closes the pseudo-terminal, so a program holding the port sees
// a hang-up (poll: POLLHUP; write: EIO; read: end of file or EIO), and
// removes the link; Replug makes a new pseudo-terminal and links it under the
// same number, served by the same device with its state. Both may be called
// from any thread while the line runs.
class PtyLine {
public:
    static constexpr bool kCanUnplug = true;

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

    // Where the link is while the line is plugged in (the same path after a
    // replug).
    const std::string& LinkPath() const { return linkPath_; }
    // The pseudo-terminal the link points to; a new one after each replug,
    // empty while unplugged.
    std::string DevicePath() const;
    int PortNumber() const { return options_.portNumber; }

    // Pulls the line out: answers still on their way are lost. Does nothing
    // when it is out already.
    void Unplug();
    // Plugs it back in; does nothing when it is in. Throws
    // std::runtime_error, and stays unplugged, when the pseudo-terminal or
    // the link cannot be made.
    void Replug();
    bool Plugged() const { return plugged_.load(); }

    void SetPacing(bool pace) { pace_ = pace; }
    void SetAnswerDelay(unsigned ms) { answerDelayMs_ = ms; }

    // Bytes that crossed the line each way since the start, for timing
    // harnesses that compare a run with the line's wire time.
    std::uint64_t BytesReceived() const { return bytesReceived_.load(); }
    std::uint64_t BytesSent() const { return bytesSent_.load(); }
    const Options& LineOptions() const { return options_; }

    static std::string DefaultPortsFolder();

private:
    void Open();
    void Close();
    void Run();

    LineDevice& device_;
    const Options options_;
    std::atomic<bool> pace_;
    std::atomic<unsigned> answerDelayMs_;
    std::atomic<std::uint64_t> bytesReceived_{0};
    std::atomic<std::uint64_t> bytesSent_{0};
    std::atomic<bool> plugged_{false};
    // Held while the line is plugged in or out and while its pseudo-terminal's
    // name is read. The thread only runs between Open and Close, so the
    // descriptors below are never changed under it.
    mutable std::mutex plugMutex_;
    int master_ = -1;
    int slave_ = -1;
    int wake_[2] = {-1, -1};
    std::string devicePath_;
    const std::string folder_;
    const std::string linkPath_;
    std::thread thread_;
};
