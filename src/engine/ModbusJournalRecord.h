#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

// One journal entry as the device stores it: 16 bytes, multi-byte fields in
// the device's own (little-endian) order.
//   0: time, seconds since 1970-01-01 00:00:00 UTC (32-bit unsigned)
//   4: event type (16-bit unsigned)
//   6: event value, a 32-bit float or unsigned integer by event type
//  10: six bytes the program does not use
struct ModbusJournalRecord {
    std::array<std::uint8_t, 16> raw{};

    std::uint32_t Time() const { return U32(0); }
    std::uint16_t Type() const { return static_cast<std::uint16_t>(raw[4] | (raw[5] << 8)); }
    std::uint32_t ValueUnsigned() const { return U32(6); }
    float ValueFloat() const
    {
        const std::uint32_t bits = U32(6);
        float f = 0.0f;
        std::memcpy(&f, &bits, sizeof f);
        return f;
    }

    bool operator==(const ModbusJournalRecord&) const = default;

private:
    std::uint32_t U32(int at) const
    {
        return static_cast<std::uint32_t>(raw[at]) | (static_cast<std::uint32_t>(raw[at + 1]) << 8) |
               (static_cast<std::uint32_t>(raw[at + 2]) << 16) | (static_cast<std::uint32_t>(raw[at + 3]) << 24);
    }
};

// A copied journal: its entries newest first, up to the first slot not yet
// read, and the header of the engine's buffer at the time of the copy.
struct SensorJournalContent : std::vector<ModbusJournalRecord> {
    std::uint32_t first = 0;
    std::uint32_t last = 0;
    std::uint32_t capacity = 0;
    std::uint32_t allocated = 0;
    std::uint32_t expected = 0;
};
