#include "SensorCalibrationLoopMeasurements.h"

void SensorCalibrationLoopMeasurements::Append(const SensorCalibrationLoopMeasurementsPoint& point)
{
    Append(point, std::tm{});
}

void SensorCalibrationLoopMeasurements::Append(const SensorCalibrationLoopMeasurementsPoint& point,
                                               const std::tm& localTime)
{
    while (entries_.size() >= kMaxPoints)
        entries_.pop_front();
    Entry entry;
    entry.sequence = next_++;
    entry.localTime = localTime;
    entry.point = point;
    entries_.push_back(entry);
}

std::size_t SensorCalibrationLoopMeasurements::CopyNewest(std::size_t max,
                                                          std::vector<SensorCalibrationLoopMeasurementsPoint>& out) const
{
    out.clear();
    const std::size_t count = max < entries_.size() ? max : entries_.size();
    out.reserve(count);
    for (auto it = entries_.end() - static_cast<std::ptrdiff_t>(count); it != entries_.end(); ++it)
        out.push_back(it->point);
    return count;
}

std::size_t SensorCalibrationLoopMeasurements::CopyFrom(std::uint64_t from, std::vector<Entry>& out) const
{
    out.clear();
    // The kept entries are numbered without gaps, oldest first.
    const std::uint64_t first = next_ - entries_.size();
    const std::uint64_t start = from > first ? from : first;
    if (start >= next_)
        return 0;
    out.assign(entries_.begin() + static_cast<std::ptrdiff_t>(start - first), entries_.end());
    return out.size();
}
