#include "ITimeSource.h"

#include <chrono>
#include <thread>

namespace {

class SystemTime final : public ITimeSource {
public:
    void SleepMs(std::uint32_t ms) override
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }

    bool SleepOrStop(std::uint32_t ms, const ManualResetEvent* stop) override
    {
        if (stop == nullptr) {
            SleepMs(ms);
            return false;
        }
        return stop->Wait(ms);
    }

    std::uint32_t TickMs() override
    {
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now().time_since_epoch()).count();
        return static_cast<std::uint32_t>(ms);
    }

    std::tm LocalNow() override
    {
        const std::time_t now = std::time(nullptr);
        std::tm out{};
#ifdef _WIN32
        localtime_s(&out, &now);
#else
        localtime_r(&now, &out);
#endif
        return out;
    }
};

} // namespace

ITimeSource& SystemTimeSource()
{
    static SystemTime instance;
    return instance;
}
