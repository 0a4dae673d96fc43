#pragma once

#include <QEvent>

#include <cstdint>

// One of the program's own window messages (the engine's notifications,
// the forwarded key, the pages' messages) on its way to a widget: the
// message number with its two parameters, as a posted Qt event.
class WindowMessageEvent : public QEvent {
public:
    WindowMessageEvent(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);

    // The one event type all these messages travel as.
    static QEvent::Type EventType();

    std::uint32_t Message() const { return message_; }
    std::uintptr_t WParam() const { return wParam_; }
    std::intptr_t LParam() const { return lParam_; }

private:
    std::uint32_t message_;
    std::uintptr_t wParam_;
    std::intptr_t lParam_;
};
