#include "ManualResetEvent.h"

#include <cerrno>
#include <cstdint>

#include <sys/eventfd.h>
#include <unistd.h>

ManualResetEvent::ManualResetEvent()
{
    const int fd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    native_ = fd >= 0 ? fd : -1;
}

ManualResetEvent::~ManualResetEvent()
{
    if (native_ >= 0)
        ::close(static_cast<int>(native_));
}

void ManualResetEvent::Set()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!set_ && native_ >= 0) {
            // The counter stays non-zero, so the descriptor polls readable
            // until Reset drains it.
            const std::uint64_t one = 1;
            ssize_t n;
            do
                n = ::write(static_cast<int>(native_), &one, sizeof one);
            while (n < 0 && errno == EINTR);
        }
        set_ = true;
    }
    cv_.notify_all();
}

void ManualResetEvent::Reset()
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (set_ && native_ >= 0) {
        std::uint64_t value = 0;
        ssize_t n;
        do
            n = ::read(static_cast<int>(native_), &value, sizeof value);
        while (n < 0 && errno == EINTR);
    }
    set_ = false;
}
