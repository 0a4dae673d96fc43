#include "QtWindowPoster.h"

#include "WindowMessageEvent.h"
#include "WindowRegistry.h"

bool QtWindowPoster::Post(WindowHandle window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam)
{
    return windows_.Post(window, new WindowMessageEvent(message, wParam, lParam));
}
