#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "LineDevice.h"

// One way a device misbehaves on the line, for one request or for all of
// them. Written in scenarios and on the command line as, for example,
// "silence", "late 1500", "split 3 20", "garbage", "garbage ~#",
// "garbage-only", "garbage-only ~#", "wrong-keyword", "bad-crc",
// "foreign-unit", "exception 11", each optionally followed by "xN" to hit
// only the next N requests.
struct LineFault {
    // Garbage puts its bytes before the answer; GarbageOnly sends them
    // instead of it.
    enum class Kind { Silence, Late, Split, Garbage, GarbageOnly, WrongKeyword, BadCrc, ForeignUnit, Exception };

    Kind kind = Kind::Silence;
    std::uint32_t delayMs = 0;       // Late: added before the answer
    std::uint32_t pieces = 2;        // Split: number of pieces
    std::uint32_t gapMs = 10;        // Split: gap between pieces
    std::uint8_t exceptionCode = 4;  // Exception
    std::vector<std::uint8_t> garbage{0x00, 0xFF, '#', 0x7E};   // Garbage, GarbageOnly
    int remaining = -1;              // requests still to hit; -1 for all

    static std::optional<LineFault> Parse(std::string_view faultText, std::string& error);

    // Shapes a finished answer. `rtu` tells a Modbus frame (whose CRC and
    // unit byte may be spoiled) from a text line (whose keyword may be).
    // Exception and Silence are the device's to apply before this.
    void Shape(std::vector<std::uint8_t> bytes, bool rtu, SimAnswer& answer) const;

    // The fault leaves the answer's framing alone (silence, late, split,
    // garbage, garbage-only), so it can be applied to any answer without knowing
    // whether it is a frame or a text line.
    bool FramingFree() const;
};

// A finished answer as it goes out: shaped by `fault` when one is armed.
SimAnswer ShapedAnswer(const std::optional<LineFault>& fault, std::vector<std::uint8_t> bytes, bool rtu);
