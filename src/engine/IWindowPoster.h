#pragma once

#include <cstdint>

#include "WindowHandle.h"

// How a notification reaches a window. Post queues the message for the
// window's thread and returns at once; it never waits for the window, since
// the line worker calls it in the middle of its task. It returns false when
// the window no longer exists.
class IWindowPoster {
public:
    virtual ~IWindowPoster() = default;
    virtual bool Post(WindowHandle window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) = 0;
};
