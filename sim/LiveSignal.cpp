#include "LiveSignal.h"

#include <cmath>

double LiveSignal::Mean(double seconds) const
{
    const double t = seconds - origin_;
    double v = level_ + driftPerS_ * t;
    if (stepPeriodS_ > 0.0 && static_cast<long long>(std::floor(seconds / stepPeriodS_)) % 2 == 1)
        v += step_;
    return v;
}

double LiveSignal::At(double seconds, std::mt19937& rng) const
{
    double v = Mean(seconds);
    if (noise_ > 0.0) {
        std::uniform_real_distribution<double> d(-noise_, noise_);
        v += d(rng);
    }
    return v;
}
