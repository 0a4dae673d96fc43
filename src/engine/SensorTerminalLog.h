#pragma once

#include <cstddef>
#include <vector>

#include "SensorTerminalLogRecord.h"

// The terminal page's exchanges, oldest first, until the user clears them.
class SensorTerminalLog {
public:
    void Append(const SensorTerminalLogRecord& record) { records_.push_back(record); }
    void Clear() { records_.clear(); }
    std::size_t Size() const { return records_.size(); }
    const SensorTerminalLogRecord& At(std::size_t index) const { return records_.at(index); }
    const std::vector<SensorTerminalLogRecord>& Records() const { return records_; }

private:
    std::vector<SensorTerminalLogRecord> records_;
};
