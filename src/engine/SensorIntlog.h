#pragma once

#include <cstddef>
#include <vector>

#include "SensorIntlogRecord.h"

// The sensor's measurement log as read so far, in the order the sensor sent
// it. It is as long as the sensor's own log.
class SensorIntlog {
public:
    void Append(const SensorIntlogRecord& record) { records_.push_back(record); }
    void Clear() { records_.clear(); }
    std::size_t Size() const { return records_.size(); }
    const SensorIntlogRecord& At(std::size_t index) const { return records_.at(index); }

    // Appends copies of the records from position `from` on (counting from
    // 0) to `out`; nothing when `from` is negative or past the end. Returns
    // how many were appended, so a reader can ask only for what is new.
    std::size_t CopyFrom(long long from, std::vector<SensorIntlogRecord>& out) const
    {
        if (from < 0 || static_cast<unsigned long long>(from) >= records_.size())
            return 0;
        const auto begin = records_.begin() + static_cast<std::ptrdiff_t>(from);
        out.insert(out.end(), begin, records_.end());
        return static_cast<std::size_t>(records_.end() - begin);
    }

private:
    std::vector<SensorIntlogRecord> records_;
};
