#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

// The names and values of the twelve channels of a multigas rack, as the
// sensor lists them in its "@MRDF" answer.
struct MultigasChannelTexts {
    static constexpr std::size_t kChannels = 12;

    std::array<std::string, kChannels> names;
    std::array<std::string, kChannels> values;

    // Replaces both arrays from the answer's items: the first item is not a
    // channel; then name, value, name, value … for channels 1 to 12. The
    // rack marks an empty place with the name "NS" and a missing value with
    // "ND"; those stay empty so that no channel shows a fake reading. A
    // short list leaves the remaining channels empty; items past the 25th
    // are ignored.
    void Fill(const std::vector<std::string>& items);

    void Clear();

    // Empty for an index outside 0 … 11.
    std::string Name(std::size_t index) const;
    std::string Value(std::size_t index) const;

    bool operator==(const MultigasChannelTexts&) const = default;
};
