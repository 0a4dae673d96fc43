#include "ConsolePoster.h"

#include <chrono>

bool ConsolePoster::Post(WindowHandle window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam)
{
    (void)window;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        queue_.push_back({message, wParam, lParam});
    }
    cv_.notify_one();
    return true;
}

bool ConsolePoster::Take(Message& out, int timeoutMs)
{
    std::unique_lock<std::mutex> lock(mutex_);
    if (!cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return !queue_.empty(); }))
        return false;
    out = queue_.front();
    queue_.pop_front();
    return true;
}
