#pragma once

#include <cstdint>
#include <functional>

// A window as the engine knows it: an opaque number, never a pointer the
// engine could follow. The user interface hands out the numbers and keeps
// the table from number to live widget; it should not reuse a number for a
// later widget, so that a registration forgotten by a destroyed window can
// never reach a new one. 0 is no window.
struct WindowHandle {
    std::uintptr_t value = 0;

    constexpr WindowHandle() = default;
    constexpr explicit WindowHandle(std::uintptr_t v) : value(v) {}

    constexpr explicit operator bool() const { return value != 0; }
    constexpr bool operator==(const WindowHandle&) const = default;
};

template <>
struct std::hash<WindowHandle> {
    std::size_t operator()(const WindowHandle& h) const noexcept { return std::hash<std::uintptr_t>{}(h.value); }
};
