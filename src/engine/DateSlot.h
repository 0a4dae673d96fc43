#pragma once

#include <cstdint>

// A calibration date as the device keeps it: day, month and year in one
// register each, and one valid flag.
struct DateSlot {
    std::uint16_t day = 0;
    std::uint16_t month = 0;
    std::uint16_t year = 0;
    std::uint32_t valid = 0;

    void Store(std::uint16_t d, std::uint16_t m, std::uint16_t y)
    {
        day = d;
        month = m;
        year = y;
        valid = 1;
    }

    void Invalidate() { valid = 0; }

    bool operator==(const DateSlot&) const = default;
};
