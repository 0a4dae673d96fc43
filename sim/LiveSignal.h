#pragma once

#include <random>

// A measured quantity that moves as a real one does: a level, a slow drift,
// a step up and back down at a fixed period (gas on, gas off), and noise, so
// that successive polls never show the same frozen value.
class LiveSignal {
public:
    LiveSignal() = default;
    LiveSignal(double level, double noise, double driftPerS = 0.0, double step = 0.0, double stepPeriodS = 0.0)
        : level_(level), noise_(noise), driftPerS_(driftPerS), step_(step), stepPeriodS_(stepPeriodS) {}

    double At(double seconds, std::mt19937& rng) const;
    // The value without noise, for tests that check where a signal stands.
    double Mean(double seconds) const;

    double level_ = 0.0;
    double noise_ = 0.0;
    double driftPerS_ = 0.0;
    double step_ = 0.0;
    double stepPeriodS_ = 0.0;
    double origin_ = 0.0;  // the time the level was last set
};
