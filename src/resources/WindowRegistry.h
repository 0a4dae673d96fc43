#pragma once

#include <QMetaObject>
#include <QPointer>

#include <cstdint>
#include <mutex>
#include <unordered_map>

#include "WindowHandle.h"

class QEvent;
class QObject;

// The live widgets behind the engine's window handles. A handle is a number
// handed out once and never again, so a registration that a destroyed
// window left in the engine can never reach a later widget.
//
// Add, Remove and Find belong to the user-interface thread; Post is called
// from the workers' threads too. A widget leaves the table at the start of
// its destruction, under the table's lock, so no event is posted to it once
// Qt has begun to take it apart.
class WindowRegistry {
public:
    WindowRegistry() = default;
    WindowRegistry(const WindowRegistry&) = delete;
    WindowRegistry& operator=(const WindowRegistry&) = delete;
    ~WindowRegistry();

    // The widget's handle; a widget added twice keeps its first one.
    WindowHandle Add(QObject* window);
    void Remove(WindowHandle window);
    // The handle of a widget in the table, else no window.
    WindowHandle HandleOf(const QObject* window) const;
    QObject* Find(WindowHandle window) const;
    bool IsLive(WindowHandle window) const { return Find(window) != nullptr; }

    // Queues `event` for the widget and takes it over; false (and the event
    // deleted) when the widget is gone.
    bool Post(WindowHandle window, QEvent* event);

private:
    struct Entry {
        QPointer<QObject> object;
        QMetaObject::Connection destroyed;
    };

    mutable std::mutex mutex_;
    std::uintptr_t next_ = 1;
    std::unordered_map<std::uintptr_t, Entry> windows_;
};
