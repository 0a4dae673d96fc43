#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "IWindowPoster.h"
#include "NotificationIds.h"
#include "NotificationMap.h"
#include "TCriticalSection.h"
#include "TCsLock.h"

namespace {

struct Posted {
    WindowHandle window;
    std::uint32_t message;
    std::uintptr_t wParam;
    std::intptr_t lParam;
    bool operator==(const Posted&) const = default;
};

// Stands in for the user interface: windows in `gone` were destroyed.
class RecordingPoster : public IWindowPoster {
public:
    bool Post(WindowHandle window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override
    {
        std::lock_guard<std::mutex> guard(mutex_);
        ++attempts_;
        if (gone_.count(window.value) != 0)
            return false;
        posted_.push_back({window, message, wParam, lParam});
        return true;
    }

    void Destroy(WindowHandle window)
    {
        std::lock_guard<std::mutex> guard(mutex_);
        gone_.insert(window.value);
    }

    std::vector<Posted> Taken()
    {
        std::lock_guard<std::mutex> guard(mutex_);
        return posted_;
    }

    int Attempts()
    {
        std::lock_guard<std::mutex> guard(mutex_);
        return attempts_;
    }

private:
    std::mutex mutex_;
    std::set<std::uintptr_t> gone_;
    std::vector<Posted> posted_;
    int attempts_ = 0;
};

const WindowHandle kMain{1};
const WindowHandle kSensorPage{2};
const WindowHandle kDevicePage{3};

} // namespace

TEST(NotificationIds, KeepTheirNumbers)
{
    EXPECT_EQ(NotificationId::ModeChanged, 4024u);
    EXPECT_EQ(NotificationId::HartEvent, 4025u);
    EXPECT_EQ(NotificationId::HartProgress, 4028u);
    EXPECT_EQ(NotificationId::LineTaskEvent, 4124u);
    EXPECT_EQ(NotificationId::SensorParametersChanged, 4125u);
    EXPECT_EQ(NotificationId::EventJournalStatus, 4128u);
    EXPECT_EQ(NotificationId::ThresholdJournalData, 4131u);
    EXPECT_EQ(NotificationId::MeasurementsChanged, 4132u);
    EXPECT_EQ(NotificationId::TerminalLogChanged, 4134u);
}

TEST(NotificationMap, PostsInRegistrationOrderWithParameters)
{
    RecordingPoster poster;
    NotificationMap map(&poster);
    map.Register(kSensorPage, NotificationId::ModeChanged);
    map.Register(kMain, NotificationId::ModeChanged);
    map.Register(kDevicePage, NotificationId::ModeChanged);
    map.Register(kMain, NotificationId::LineTaskEvent);

    map.Post(NotificationId::ModeChanged, 15, 1);

    const std::vector<Posted> expected = {
        {kSensorPage, 4024, 15, 1},
        {kMain, 4024, 15, 1},
        {kDevicePage, 4024, 15, 1},
    };
    EXPECT_EQ(poster.Taken(), expected);
}

TEST(NotificationMap, DuplicateRegistrationLeavesOneEntry)
{
    RecordingPoster poster;
    NotificationMap map(&poster);
    map.Register(kMain, NotificationId::SensorParametersChanged);
    map.Register(kMain, NotificationId::SensorParametersChanged);
    EXPECT_EQ(map.Registered(NotificationId::SensorParametersChanged), std::vector<WindowHandle>{kMain});

    map.Post(NotificationId::SensorParametersChanged, 0, 0);
    EXPECT_EQ(poster.Taken().size(), 1u);
}

TEST(NotificationMap, UnregisterOfAStrangerChangesNothing)
{
    RecordingPoster poster;
    NotificationMap map(&poster);
    map.Register(kMain, NotificationId::ModeChanged);
    map.Register(kSensorPage, NotificationId::ModeChanged);

    map.UnregisterAll(WindowHandle{77});

    EXPECT_EQ(map.Registered(NotificationId::ModeChanged), (std::vector<WindowHandle>{kMain, kSensorPage}));
    EXPECT_EQ(map.ListCount(), 1u);
}

TEST(NotificationMap, UnregisterAllRemovesFromEveryListButKeepsTheLists)
{
    RecordingPoster poster;
    NotificationMap map(&poster);
    map.Register(kSensorPage, NotificationId::ModeChanged);
    map.Register(kSensorPage, NotificationId::SensorParametersChanged);
    map.Register(kMain, NotificationId::ModeChanged);

    map.UnregisterAll(kSensorPage);
    map.Post(NotificationId::ModeChanged, 1, 2);
    map.Post(NotificationId::SensorParametersChanged, 0, 0);

    EXPECT_EQ(poster.Taken(), (std::vector<Posted>{{kMain, 4024, 1, 2}}));
    EXPECT_TRUE(map.HasList(NotificationId::SensorParametersChanged));
    EXPECT_TRUE(map.Registered(NotificationId::SensorParametersChanged).empty());
}

TEST(NotificationMap, WindowGoneWithoutUnregisteringIsSkipped)
{
    RecordingPoster poster;
    NotificationMap map(&poster);
    map.Register(kMain, NotificationId::TerminalLogChanged);
    map.Register(kSensorPage, NotificationId::TerminalLogChanged);
    map.Register(kDevicePage, NotificationId::TerminalLogChanged);
    poster.Destroy(kSensorPage);

    map.Post(NotificationId::TerminalLogChanged, 3, 0);

    EXPECT_EQ(poster.Taken(), (std::vector<Posted>{{kMain, 4134, 3, 0}, {kDevicePage, 4134, 3, 0}}));
}

TEST(NotificationMap, PostOfAnUnknownIdPostsNothingAndCreatesNoList)
{
    RecordingPoster poster;
    NotificationMap map(&poster);
    map.Register(kMain, NotificationId::ModeChanged);

    map.Post(NotificationId::HartProgress, 0, 42);

    EXPECT_EQ(poster.Attempts(), 0);
    EXPECT_FALSE(map.HasList(NotificationId::HartProgress));
    EXPECT_EQ(map.ListCount(), 1u);
}

TEST(NotificationMap, WithoutPosterNothingIsPosted)
{
    NotificationMap map;
    map.Register(kMain, NotificationId::ModeChanged);
    map.Post(NotificationId::ModeChanged, 0, 0); // must simply return

    RecordingPoster poster;
    map.SetPoster(&poster);
    map.Post(NotificationId::ModeChanged, 0, 0);
    EXPECT_EQ(poster.Taken().size(), 1u);
}

// A poster that reacts on the posting thread by unregistering: the loop must
// not trip over the list it is walking.
TEST(NotificationMap, PosterThatUnregistersDuringPostIsSafe)
{
    class Unregistering : public IWindowPoster {
    public:
        NotificationMap* map = nullptr;
        std::vector<WindowHandle> seen;
        bool Post(WindowHandle window, std::uint32_t, std::uintptr_t, std::intptr_t) override
        {
            seen.push_back(window);
            map->UnregisterAll(window);
            return true;
        }
    } poster;
    NotificationMap map(&poster);
    poster.map = &map;
    map.Register(kMain, NotificationId::ModeChanged);
    map.Register(kSensorPage, NotificationId::ModeChanged);

    map.Post(NotificationId::ModeChanged, 0, 0);

    EXPECT_EQ(poster.seen, (std::vector<WindowHandle>{kMain, kSensorPage}));
    EXPECT_TRUE(map.Registered(NotificationId::ModeChanged).empty());
}

TEST(NotificationMap, WorkersPostWhileWindowsComeAndGo)
{
    RecordingPoster poster;
    NotificationMap map(&poster);
    map.Register(kMain, NotificationId::MeasurementsChanged);
    constexpr int kPostsPerWorker = 500;
    std::vector<std::thread> workers;
    for (int t = 0; t < 2; ++t) {
        workers.emplace_back([&] {
            for (int i = 0; i < kPostsPerWorker; ++i)
                map.Post(NotificationId::MeasurementsChanged, 0, 0);
        });
    }
    for (int i = 0; i < 2000; ++i) {
        map.Register(WindowHandle{100u + static_cast<unsigned>(i % 7)}, NotificationId::MeasurementsChanged);
        map.UnregisterAll(WindowHandle{100u + static_cast<unsigned>((i + 3) % 7)});
    }
    for (auto& w : workers)
        w.join();

    // The window registered throughout got every post.
    int toMain = 0;
    for (const auto& p : poster.Taken())
        toMain += p.window == kMain;
    EXPECT_EQ(toMain, 2 * kPostsPerWorker);
    EXPECT_EQ(map.Registered(NotificationId::MeasurementsChanged).front(), kMain);
}

// ---- the lock pair ---------------------------------------------------------

TEST(TCsLock, ReentrantLockTakenTwiceOnOneThread)
{
    TCriticalSection section;
    {
        TCsLock outer(section);
        TCsLock inner(section); // would deadlock on a plain mutex
        EXPECT_TRUE(outer.IsLocked());
        EXPECT_TRUE(inner.IsLocked());
    }
    // Both left: another thread gets in (join would hang otherwise).
    bool entered = false;
    std::thread other([&] {
        TCsLock lock(section);
        entered = true;
    });
    other.join();
    EXPECT_TRUE(entered);
}

TEST(TCsLock, UnlockedEarlyIsNotLeftAgainOnDestruction)
{
    TCriticalSection section;
    std::atomic<bool> otherEntered{false};
    std::thread other;
    {
        TCsLock outer(section);
        {
            TCsLock inner(section);
            inner.Unlock();
            EXPECT_FALSE(inner.IsLocked());
            inner.Unlock(); // a second Unlock does nothing either
        }
        // Had `inner` left the section twice, `outer` would no longer hold
        // it and the other thread would get in now.
        other = std::thread([&] {
            TCsLock lock(section);
            otherEntered = true;
        });
        for (int i = 0; i < 50 && !otherEntered; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        EXPECT_FALSE(otherEntered.load());

        outer.Unlock();
        other.join();
        EXPECT_TRUE(otherEntered.load());
        // Leaving the scope must not leave a section `outer` no longer holds.
    }
    TCsLock again(section);
    EXPECT_TRUE(again.IsLocked());
}

TEST(TCsLock, LockAfterUnlockEntersAgain)
{
    TCriticalSection section;
    TCsLock lock(section);
    lock.Unlock();
    lock.Lock();
    lock.Lock(); // already held: not entered a second time
    EXPECT_TRUE(lock.IsLocked());

    std::atomic<bool> otherEntered{false};
    std::thread other([&] {
        TCsLock inOther(section);
        otherEntered = true;
    });
    for (int i = 0; i < 50 && !otherEntered; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_FALSE(otherEntered.load());
    lock.Unlock(); // one Leave suffices: the second Lock did not enter
    other.join();
    EXPECT_TRUE(otherEntered.load());
}
