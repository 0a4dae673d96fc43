#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "HartFrame.h"

// A request frame as the reader took it off the line.
struct HartReceivedRequest {
    HartFrame frame;
    bool checkByteOk = false;
};

// Finds master requests in the byte stream a field device hears: stray bytes
// until a 0xFF, at least two 0xFF preambles (a modem may lose the first ones,
// so any number is fine), a request delimiter (0x02 short, 0x82 long),
// address, command, byte count, data, check byte. Anything else is line noise
// or another device's answer and is passed over.
class HartRequestReader {
public:
    static constexpr std::size_t kMinPreambles = 2;
    // Never more than two preambles and the longest possible request.
    static constexpr std::size_t kMaxHeld =
        kMinPreambles + 1 + HartFrame::kLongAddressLength + 2 + 255 + 1;

    // Appends every request frame that these bytes completed, with a wrong
    // check byte too (the caller decides what that means).
    void Feed(const std::uint8_t* data, std::size_t length, std::vector<HartReceivedRequest>& requests);

    // The line went quiet in the middle of a frame: the rest will not come.
    void Reset() { held_.clear(); }

    std::size_t HeldBytes() const { return held_.size(); }

private:
    void Scan(std::vector<HartReceivedRequest>& requests);

    std::vector<std::uint8_t> held_;
};
