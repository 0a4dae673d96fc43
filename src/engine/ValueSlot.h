#pragma once

#include <cstdint>

// A number the device holds in its registers, and its valid flag.
template <typename T>
struct ValueSlot {
    T value{};
    std::uint32_t valid = 0;

    void Store(const T& v)
    {
        value = v;
        valid = 1;
    }

    // The number stays: it means nothing while the flag is 0.
    void Invalidate() { valid = 0; }

    bool operator==(const ValueSlot&) const = default;
};
