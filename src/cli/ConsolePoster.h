#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>

#include "IWindowPoster.h"

// The command line's window: the engine's workers post from their threads,
// the main thread takes the notifications in order and runs the engine's
// event steps, as the desktop main window does with its message queue.
class ConsolePoster : public IWindowPoster {
public:
    struct Message {
        std::uint32_t id = 0;
        std::uintptr_t wParam = 0;
        std::intptr_t lParam = 0;
    };

    bool Post(WindowHandle window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
    // The next message, waiting up to `timeoutMs`; false when none came.
    bool Take(Message& out, int timeoutMs);

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<Message> queue_;
};
