#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

// A manual-reset event: once set it stays set, releasing every wait, until
// reset. The workers' stop events; their loops pace themselves by waiting on
// it, so a stop request is seen at once.
//
// Beside the condition variable the event keeps an operating-system object
// in the same state (an eventfd on Linux, an event object on Windows), so
// that a connector blocked on its port can wait on the stop as well and
// return the moment it is set, instead of when the line's timeouts run out.
class ManualResetEvent {
public:
    ManualResetEvent();
    ~ManualResetEvent();
    ManualResetEvent(const ManualResetEvent&) = delete;
    ManualResetEvent& operator=(const ManualResetEvent&) = delete;

    void Set();
    void Reset();

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

    // The waitable object: a descriptor that polls readable while the event
    // is set (POSIX), or an event HANDLE signalled while it is set (Windows).
    // -1 when the system gave none; waits then fall back to IsSet().
    std::intptr_t NativeWaitHandle() const { return native_; }

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable cv_;
    bool set_ = false;
    std::intptr_t native_ = -1;
};
