#pragma once

#include <array>
#include <cstdint>
#include <string>

// One write a page asks the line worker for, or the calibration command
// waiting for the next cycle of the polling loop: the command code and up
// to five argument texts (arguments 1 to 5 in texts[0] … texts[4]).
struct SensorCommandRequest {
    std::int32_t code = 0;
    std::array<std::string, 5> texts;

    void Clear() { *this = SensorCommandRequest{}; }

    bool operator==(const SensorCommandRequest&) const = default;
};
