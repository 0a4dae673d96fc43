#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

#include "LineDevice.h"

// The timing of one simulated line, whatever carries its bytes: feeds the
// device what arrives, tells it when the line has gone quiet, and holds the
// answers until they are due, each after the device's reaction time and its
// pieces' delays and, when paced, no faster than the line's baud rate. The
// line's thread asks it how long it may wait for bytes, hands it what came,
// and lets it send what is due.
class LineSchedule {
public:
    using Clock = std::chrono::steady_clock;

    LineSchedule(LineDevice& device, unsigned baud, unsigned bitsPerByte, unsigned idleGapMs);

    // Bytes read from the line at `now`.
    void Received(const std::uint8_t* data, std::size_t length, Clock::time_point now, bool pace,
                  unsigned answerDelayMs);
    // When the line's thread must act again without new bytes;
    // Clock::time_point::max() when nothing waits.
    Clock::time_point WakeAt() const;
    // Tells the device of a quiet line and hands `send` every piece that is
    // due.
    void Due(Clock::time_point now, const std::function<void(const std::vector<std::uint8_t>&)>& send);

private:
    struct Outgoing {
        Clock::time_point due;
        std::vector<std::uint8_t> bytes;
    };

    LineDevice& device_;
    const std::chrono::microseconds byteTime_;
    const std::chrono::milliseconds idleGap_;
    std::deque<Outgoing> outgoing_;
    Clock::time_point lineFreeAt_ = Clock::now();
    Clock::time_point lastByte_ = Clock::now();
    bool idlePending_ = false;
    std::vector<SimAnswer> answers_;
};
