#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "LineFault.h"

// The faults armed on one line, by target: a text keyword ("@RRIS"), a
// Modbus function ("F4"), a function at a start register ("F4:2048"), or
// "*" for every request. Tests arm and clear them from their own thread
// while the line runs.
class LineFaults {
public:
    void Set(const std::string& target, const LineFault& fault);
    void Clear(const std::string& target);
    void ClearAll();
    std::map<std::string, LineFault> All() const;

    // The fault for a request, looked up in the order of `targets` (most
    // specific first); a fault limited to N requests counts one down.
    std::optional<LineFault> Take(const std::vector<std::string>& targets);

private:
    mutable std::mutex mutex_;
    std::map<std::string, LineFault> faults_;
};
