#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// One piece of a simulated answer: sent `delayMs` after the previous piece
// (the first piece: after the request was complete).
struct SimPiece {
    std::uint32_t delayMs = 0;
    std::vector<std::uint8_t> bytes;
};
using SimAnswer = std::vector<SimPiece>;

// What stands at the far end of one simulated line. The line server feeds it
// the bytes as they arrive and sends back the answers it produces, paced as
// the line is. Implementations are called from the line's thread and guard
// their own state, since tests inspect and change them from another thread.
class LineDevice {
public:
    virtual ~LineDevice() = default;

    // Bytes received from the line, in arrival order. Appends one answer per
    // request that these bytes completed (an empty answer is silence).
    virtual void Feed(const std::uint8_t* data, std::size_t length, std::vector<SimAnswer>& answers) = 0;

    // The line has been quiet since the last byte for longer than a request
    // could pause: a device drops a partial request it holds.
    virtual void LineIdle() {}
};
