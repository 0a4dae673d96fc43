#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <deque>
#include <vector>

#include "SensorCalibrationLoopMeasurementsPoint.h"

// The points of the calibration polling loop, oldest first. A loop may run
// for days, so only the newest kMaxPoints are kept. Every point appended gets
// the next number of a count that only grows (a Clear does not restart it),
// so that a reader can take exactly the points it has not seen yet.
class SensorCalibrationLoopMeasurements {
public:
    static constexpr std::size_t kMaxPoints = 1000;

    // A point with its number and the local time it was taken at (the time
    // its line in the measurement file carries).
    struct Entry {
        std::uint64_t sequence = 0;
        std::tm localTime{};
        SensorCalibrationLoopMeasurementsPoint point;
    };

    // Appends the point, dropping the oldest when the list is full.
    void Append(const SensorCalibrationLoopMeasurementsPoint& point);
    void Append(const SensorCalibrationLoopMeasurementsPoint& point, const std::tm& localTime);
    void Clear() { entries_.clear(); }
    std::size_t Size() const { return entries_.size(); }
    bool Empty() const { return entries_.empty(); }
    // Index 0 is the oldest point kept.
    const SensorCalibrationLoopMeasurementsPoint& At(std::size_t index) const { return entries_.at(index).point; }
    // The number the next point appended will get: the count of points ever
    // appended.
    std::uint64_t NextSequence() const { return next_; }

    // Replaces `out` by the newest `max` points, oldest of them first, and
    // returns how many were copied.
    std::size_t CopyNewest(std::size_t max, std::vector<SensorCalibrationLoopMeasurementsPoint>& out) const;
    // Replaces `out` by the kept points numbered `from` or later, oldest
    // first, and returns how many were copied.
    std::size_t CopyFrom(std::uint64_t from, std::vector<Entry>& out) const;

private:
    std::deque<Entry> entries_;
    std::uint64_t next_ = 0;
};
