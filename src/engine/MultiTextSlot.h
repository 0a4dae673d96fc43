#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Several texts that arrive in one answer (a field list) and share one flag.
template <std::size_t N>
struct MultiTextSlot {
    std::array<std::string, N> texts;
    std::uint32_t valid = 0;

    // Fewer texts than N (the single-value form of a command) leave the rest
    // empty, so no text of an earlier answer survives beside the new one.
    void Store(const std::vector<std::string>& answer)
    {
        for (std::size_t i = 0; i < N; ++i)
            texts[i] = i < answer.size() ? answer[i] : std::string();
        valid = 1;
    }

    void Clear()
    {
        for (auto& t : texts)
            t.clear();
        valid = 0;
    }

    bool operator==(const MultiTextSlot&) const = default;
};
