#pragma once

#include <cstdint>
#include <string>

// One parameter as the sensor sent it: the answer's value text and whether
// the sensor gave it (1) or it is unknown (0).
struct TextSlot {
    std::string text;
    std::uint32_t valid = 0;

    // The sensor answered (a read, or the echo of a write).
    void Store(const std::string& value)
    {
        text = value;
        valid = 1;
    }

    // No usable answer, a write under way, or a reset: an unknown value is
    // shown as an empty cell, so the old text must not linger.
    void Clear()
    {
        text.clear();
        valid = 0;
    }

    bool operator==(const TextSlot&) const = default;
};
