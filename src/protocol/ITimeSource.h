#pragma once

#include <cstdint>
#include <ctime>

#include "ManualResetEvent.h"

// The clock and the sleeps of the protocol masters and workers. The fixed
// sleeps of the line protocols are kept exactly; tests put a virtual clock
// here so that a scripted line runs without real waiting.
class ITimeSource {
public:
    virtual ~ITimeSource() = default;

    virtual void SleepMs(std::uint32_t ms) = 0;

    // Sleeps `ms` unless `stop` (may be nullptr) is or becomes set; true when
    // it was set. A virtual clock sleeps its virtual time and then looks.
    virtual bool SleepOrStop(std::uint32_t ms, const ManualResetEvent* stop)
    {
        if (stop != nullptr && stop->IsSet())
            return true;
        SleepMs(ms);
        return stop != nullptr && stop->IsSet();
    }

    // Wrapping 32-bit millisecond count from a monotonic clock.
    virtual std::uint32_t TickMs() = 0;

    // The current local time (exchange log lines).
    virtual std::tm LocalNow() = 0;
};

// The real clock: std::this_thread::sleep_for, steady_clock, localtime.
ITimeSource& SystemTimeSource();
