#include "WindowRegistry.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

WindowRegistry::~WindowRegistry()
{
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto& [value, entry] : windows_)
        QObject::disconnect(entry.destroyed);
    windows_.clear();
}

WindowHandle WindowRegistry::Add(QObject* window)
{
    if (window == nullptr)
        return {};
    if (WindowHandle existing = HandleOf(window))
        return existing;
    std::lock_guard<std::mutex> lock(mutex_);
    const WindowHandle handle(next_++);
    Entry& entry = windows_[handle.value];
    entry.object = window;
    // A direct connection: it runs inside the widget's destructor, before Qt
    // drops the events still queued for it.
    entry.destroyed = QObject::connect(window, &QObject::destroyed, [this, handle] { Remove(handle); });
    return handle;
}

void WindowRegistry::Remove(WindowHandle window)
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = windows_.find(window.value);
    if (it == windows_.end())
        return;
    QObject::disconnect(it->second.destroyed);
    windows_.erase(it);
}

WindowHandle WindowRegistry::HandleOf(const QObject* window) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& [value, entry] : windows_)
        if (entry.object == window)
            return WindowHandle(value);
    return {};
}

QObject* WindowRegistry::Find(WindowHandle window) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = windows_.find(window.value);
    return it != windows_.end() ? it->second.object.data() : nullptr;
}

bool WindowRegistry::Post(WindowHandle window, QEvent* event)
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = windows_.find(window.value);
    if (it == windows_.end() || it->second.object.isNull()) {
        delete event;
        return false;
    }
    // Under the lock: the widget cannot leave the table (and so cannot be
    // destroyed) until the event is queued.
    QCoreApplication::postEvent(it->second.object.data(), event);
    return true;
}
