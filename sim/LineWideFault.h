#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

#include "LineDevice.h"
#include "LineFault.h"

// A device as its line carries it when the whole line misbehaves: a device
// that has fallen silent (it still takes every request, state changes
// included, but no answer reaches the line) or a line that turns every
// answer into garbage. Unlike the faults a device arms by target, this one
// is ahead of all of them, knows no framing, and works the same on every
// line, the HART line included. Set and cleared from any thread while the
// line runs.
class LineWideFault : public LineDevice {
public:
    explicit LineWideFault(LineDevice& device) : device_(device) {}

    void Feed(const std::uint8_t* data, std::size_t length, std::vector<SimAnswer>& answers) override;
    void LineIdle() override { device_.LineIdle(); }

    // Arms `fault` for every answer (or the next N, "xN"), replacing the one
    // armed before; nullopt clears it. Refuses, with false, a fault that
    // would need to know the framing (wrong-keyword, bad-crc, foreign-unit,
    // exception).
    bool Set(const std::optional<LineFault>& fault);
    // Clears the armed fault only when it is of this kind.
    void Clear(LineFault::Kind kind);
    std::optional<LineFault> Armed() const;

private:
    LineDevice& device_;
    mutable std::mutex mutex_;
    std::optional<LineFault> fault_;
};
