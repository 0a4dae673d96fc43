#pragma once

#include <cstdint>
#include <vector>

#include "ITimeSource.h"

// A clock that moves only when something sleeps or a scripted line waits.
class VirtualTime : public ITimeSource {
public:
    void SleepMs(std::uint32_t ms) override;
    std::uint32_t TickMs() override { return static_cast<std::uint32_t>(now_); }
    std::tm LocalNow() override { return local_; }

    std::uint64_t Now() const { return now_; }
    void Advance(std::uint64_t ms) { now_ += ms; }
    void SetLocal(const std::tm& t) { local_ = t; }
    const std::vector<std::uint32_t>& Sleeps() const { return sleeps_; }

private:
    std::uint64_t now_ = 0;
    std::tm local_{};
    std::vector<std::uint32_t> sleeps_;
};
