#pragma once

#include <string>

// One exchange from the terminal page: the line sent and the answer, empty
// when none came.
struct SensorTerminalLogRecord {
    std::string command;
    std::string answer;

    bool operator==(const SensorTerminalLogRecord&) const = default;
};
