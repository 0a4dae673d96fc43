#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

// A manual-reset event: once set it stays set, releasing every wait, until
// reset. The workers' stop events; their loops pace themselves by waiting on
// it, so a stop request is seen at once.
class ManualResetEvent {
public:
    void Set()
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            set_ = true;
        }
        cv_.notify_all();
    }

    void Reset()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        set_ = false;
    }

    bool IsSet() const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return set_;
    }

    // True when the event is (or becomes) set within `ms` milliseconds.
    bool Wait(std::uint32_t ms) const
    {
        std::unique_lock<std::mutex> lock(mutex_);
        return cv_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return set_; });
    }

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable cv_;
    bool set_ = false;
};
