#include <gtest/gtest.h>

#include <QWidget>

#include <memory>
#include <thread>

#include "AppTestSupport.h"
#include "QtWindowPoster.h"
#include "WindowRegistry.h"

namespace {

TEST(WindowRegistry, PostReachesTheWidgetWithItsParameters)
{
    WindowRegistry windows;
    QtWindowPoster poster(windows);
    MessageRecorder window;
    const WindowHandle h = windows.Add(&window);
    ASSERT_TRUE(h);
    EXPECT_EQ(windows.Add(&window), h);
    EXPECT_EQ(windows.HandleOf(&window), h);

    EXPECT_TRUE(poster.Post(h, 4024, 2, 3));
    EXPECT_TRUE(poster.Post(h, 4133, 0xFFFFFFFFu, -1));
    // Queued, not delivered during the call.
    EXPECT_TRUE(window.messages.empty());
    ASSERT_TRUE(PumpUntil([&] { return window.messages.size() == 2; }, 5000));
    EXPECT_EQ(window.messages[0], (MessageRecorder::Message{4024, 2, 3}));
    EXPECT_EQ(window.messages[1], (MessageRecorder::Message{4133, 0xFFFFFFFFu, -1}));
}

TEST(WindowRegistry, GoneWidgetIsNotPostedToAndItsNumberIsNeverReused)
{
    WindowRegistry windows;
    QtWindowPoster poster(windows);
    auto first = std::make_unique<MessageRecorder>();
    const WindowHandle h1 = windows.Add(first.get());
    first.reset();
    EXPECT_FALSE(windows.IsLive(h1));
    EXPECT_FALSE(poster.Post(h1, 4024, 0, 1));
    EXPECT_FALSE(poster.Post(WindowHandle(), 4024, 0, 1));

    MessageRecorder second;
    const WindowHandle h2 = windows.Add(&second);
    EXPECT_NE(h2, h1);
    EXPECT_FALSE(poster.Post(h1, 4024, 0, 1));
    PumpQueued();
    EXPECT_TRUE(second.messages.empty());

    windows.Remove(h2);
    EXPECT_FALSE(poster.Post(h2, 4024, 0, 1));
}

TEST(WindowRegistry, PostsFromAnotherThreadArriveOnTheWidgetsThread)
{
    WindowRegistry windows;
    QtWindowPoster poster(windows);
    MessageRecorder window;
    const WindowHandle h = windows.Add(&window);
    constexpr int kCount = 200;
    std::thread worker([&] {
        for (int i = 0; i < kCount; ++i)
            poster.Post(h, 4132, static_cast<std::uintptr_t>(i), 0);
    });
    worker.join();
    ASSERT_TRUE(PumpUntil([&] { return window.messages.size() == kCount; }, 10000));
    for (int i = 0; i < kCount; ++i)
        EXPECT_EQ(window.messages[i].wParam, static_cast<std::uintptr_t>(i));
}

TEST(WindowRegistry, WidgetDestroyedWhileAWorkerPostsIsNeverReached)
{
    WindowRegistry windows;
    QtWindowPoster poster(windows);
    for (int round = 0; round < 20; ++round) {
        auto window = std::make_unique<MessageRecorder>();
        const WindowHandle h = windows.Add(window.get());
        std::atomic<bool> stop{false};
        std::atomic<int> refused{0};
        std::thread worker([&] {
            while (!stop)
                if (!poster.Post(h, 4125, 0, 0))
                    refused++;
        });
        PumpQueued();
        window.reset();
        // After the widget is gone, every further post is refused.
        const int before = refused.load();
        ASSERT_TRUE(PumpUntil([&] { return refused.load() > before + 10; }, 5000));
        stop = true;
        worker.join();
        PumpQueued();
    }
}

} // namespace
