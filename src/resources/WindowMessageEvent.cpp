#include "WindowMessageEvent.h"

WindowMessageEvent::WindowMessageEvent(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam)
    : QEvent(EventType()), message_(message), wParam_(wParam), lParam_(lParam)
{
}

QEvent::Type WindowMessageEvent::EventType()
{
    static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}
