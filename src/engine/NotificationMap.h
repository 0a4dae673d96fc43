#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

#include "IWindowPoster.h"
#include "TCriticalSection.h"
#include "WindowHandle.h"

// Which windows want which notification, and the posting of it to them.
// Windows register on the user-interface thread; workers post from their
// own threads, so the map has its own lock, held while posting: posting
// never waits for a window, and the engine's data lock is never held at the
// same time.
class NotificationMap {
public:
    explicit NotificationMap(IWindowPoster* poster = nullptr) : poster_(poster) {}
    NotificationMap(const NotificationMap&) = delete;
    NotificationMap& operator=(const NotificationMap&) = delete;
    virtual ~NotificationMap() = default;

    // The poster must outlive the map, or be replaced before it goes.
    void SetPoster(IWindowPoster* poster);

    // Adds the window to the id's list once; a second registration for the
    // same id changes nothing.
    void Register(WindowHandle window, std::uint32_t id);

    // Every window that registered calls this before it is destroyed.
    void UnregisterAll(WindowHandle window);

    // Posts message `id` to each window of its list, in the order they
    // registered. A window gone without unregistering is skipped; an id
    // nobody registered for posts nothing.
    void Post(std::uint32_t id, std::uintptr_t wParam, std::intptr_t lParam);

    // Inspection for the engine's own checks and its tests.
    bool HasList(std::uint32_t id) const;
    std::size_t ListCount() const;
    std::vector<WindowHandle> Registered(std::uint32_t id) const;

private:
    mutable TCriticalSection lock_;
    IWindowPoster* poster_;
    // A list, once made, stays (possibly empty) until the map goes.
    std::map<std::uint32_t, std::vector<WindowHandle>> lists_;
};
