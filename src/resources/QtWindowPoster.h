#pragma once

#include "IWindowPoster.h"

class WindowRegistry;

// The engine's notifications as queued Qt events: each message becomes a
// WindowMessageEvent for the widget behind the handle.
class QtWindowPoster : public IWindowPoster {
public:
    explicit QtWindowPoster(WindowRegistry& windows) : windows_(windows) {}
    bool Post(WindowHandle window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;

private:
    WindowRegistry& windows_;
};
