#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

// N texts read one by one by indexed commands ("@RRK0" … "@RRK4"), each with
// its own flag: the texts first, then the flags.
template <std::size_t N>
struct TextArraySlot {
    std::array<std::string, N> texts;
    std::array<std::uint32_t, N> valid{};

    // An index outside the array is refused: the commands that fill these
    // are built from a number, and a bad number must not write elsewhere.
    bool Store(std::size_t index, const std::string& value)
    {
        if (index >= N)
            return false;
        texts[index] = value;
        valid[index] = 1;
        return true;
    }

    bool Clear(std::size_t index)
    {
        if (index >= N)
            return false;
        texts[index].clear();
        valid[index] = 0;
        return true;
    }

    void ClearAll()
    {
        for (std::size_t i = 0; i < N; ++i)
            Clear(i);
    }

    static constexpr std::size_t Size() { return N; }

    bool operator==(const TextArraySlot&) const = default;
};
