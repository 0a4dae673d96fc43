#pragma once

#include <cstdint>

// A one-byte parameter (Modbus identifier, HART address, detector setting),
// kept in a 32-bit field, and its valid flag.
struct ByteSlot {
    std::uint32_t value = 0;
    std::uint32_t valid = 0;

    void Store(std::uint8_t byte)
    {
        value = byte;
        valid = 1;
    }

    void Clear()
    {
        value = 0;
        valid = 0;
    }

    bool operator==(const ByteSlot&) const = default;
};
