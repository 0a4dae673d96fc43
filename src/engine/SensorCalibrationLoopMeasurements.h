#pragma once

#include <cstddef>
#include <deque>
#include <vector>

#include "SensorCalibrationLoopMeasurementsPoint.h"

// The points of the calibration polling loop, oldest first. A loop may run
// for days, so only the newest kMaxPoints are kept.
class SensorCalibrationLoopMeasurements {
public:
    static constexpr std::size_t kMaxPoints = 1000;

    // Appends the point, dropping the oldest when the list is full.
    void Append(const SensorCalibrationLoopMeasurementsPoint& point);
    void Clear() { points_.clear(); }
    std::size_t Size() const { return points_.size(); }
    bool Empty() const { return points_.empty(); }
    // Index 0 is the oldest point kept.
    const SensorCalibrationLoopMeasurementsPoint& At(std::size_t index) const { return points_.at(index); }

    // Replaces `out` by the newest `max` points, oldest of them first, and
    // returns how many were copied.
    std::size_t CopyNewest(std::size_t max, std::vector<SensorCalibrationLoopMeasurementsPoint>& out) const;

private:
    std::deque<SensorCalibrationLoopMeasurementsPoint> points_;
};
