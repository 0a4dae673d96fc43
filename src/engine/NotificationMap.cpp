#include "NotificationMap.h"

#include <algorithm>

#include "TCsLock.h"

namespace {

// New lists start with room for a handful of windows; few ids have more.
constexpr std::size_t kListBlock = 10;

} // namespace

void NotificationMap::SetPoster(IWindowPoster* poster)
{
    TCsLock lock(lock_);
    poster_ = poster;
}

void NotificationMap::Register(WindowHandle window, std::uint32_t id)
{
    TCsLock lock(lock_);
    auto [it, created] = lists_.try_emplace(id);
    auto& list = it->second;
    if (created)
        list.reserve(kListBlock);
    if (std::find(list.begin(), list.end(), window) == list.end())
        list.push_back(window);
}

void NotificationMap::UnregisterAll(WindowHandle window)
{
    TCsLock lock(lock_);
    for (auto& [id, list] : lists_)
        list.erase(std::remove(list.begin(), list.end(), window), list.end());
}

void NotificationMap::Post(std::uint32_t id, std::uintptr_t wParam, std::intptr_t lParam)
{
    TCsLock lock(lock_);
    if (poster_ == nullptr)
        return;
    const auto it = lists_.find(id);
    if (it == lists_.end())
        return;
    // A copy, so that a poster which reacts by registering or unregistering
    // on this thread cannot pull the list from under the loop.
    const std::vector<WindowHandle> windows = it->second;
    for (const WindowHandle window : windows) {
        // A window destroyed without unregistering answers false; the
        // others still get their message.
        poster_->Post(window, id, wParam, lParam);
    }
}

bool NotificationMap::HasList(std::uint32_t id) const
{
    TCsLock lock(lock_);
    return lists_.find(id) != lists_.end();
}

std::size_t NotificationMap::ListCount() const
{
    TCsLock lock(lock_);
    return lists_.size();
}

std::vector<WindowHandle> NotificationMap::Registered(std::uint32_t id) const
{
    TCsLock lock(lock_);
    const auto it = lists_.find(id);
    return it == lists_.end() ? std::vector<WindowHandle>() : it->second;
}
