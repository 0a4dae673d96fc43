#include "SensorCalibrationLoopMeasurements.h"

void SensorCalibrationLoopMeasurements::Append(const SensorCalibrationLoopMeasurementsPoint& point)
{
    while (points_.size() >= kMaxPoints)
        points_.pop_front();
    points_.push_back(point);
}

std::size_t SensorCalibrationLoopMeasurements::CopyNewest(std::size_t max,
                                                          std::vector<SensorCalibrationLoopMeasurementsPoint>& out) const
{
    out.clear();
    const std::size_t count = max < points_.size() ? max : points_.size();
    out.assign(points_.end() - static_cast<std::ptrdiff_t>(count), points_.end());
    return count;
}
