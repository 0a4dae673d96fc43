#pragma once

#include <array>
#include <string>

// One line of the sensor's internal measurement log: up to three fields as
// the sensor sent them, and each one's leading decimal number (0 for an
// empty field or one that is not a number) for the graph.
struct SensorIntlogRecord {
    std::array<std::string, 3> texts;
    std::array<float, 3> values{};

    static SensorIntlogRecord FromTexts(const std::string& first, const std::string& second,
                                        const std::string& third);

    bool operator==(const SensorIntlogRecord&) const = default;
};
