#pragma once

// The engine against the simulator on pseudo-terminals, with a recording
// poster. The test thread plays the user-interface thread: it runs the
// engine's event steps on 4124 and 4025 as the main window does.

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "Engine.h"
#include "IWindowPoster.h"
#include "Simulator.h"
#include "TestPorts.h"

struct PostedMessage {
    std::uint32_t message;
    std::uintptr_t wParam;
    std::intptr_t lParam;
};

// Keeps every posted message in order, as a window's queue would.
class RecordingPoster : public IWindowPoster {
public:
    bool Post(WindowHandle window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override
    {
        (void)window;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            queue_.push_back({message, wParam, lParam});
            all_.push_back({message, wParam, lParam});
        }
        cv_.notify_all();
        return true;
    }

    // The next message not yet taken, waiting up to `timeoutMs`.
    bool Take(PostedMessage& out, int timeoutMs)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        if (!cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return !queue_.empty(); }))
            return false;
        out = queue_.front();
        queue_.pop_front();
        return true;
    }

    std::vector<PostedMessage> All() const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return all_;
    }

    // The 4024 pairs (old mode, new mode) posted so far.
    std::vector<std::pair<int, int>> ModeChanges() const
    {
        std::vector<std::pair<int, int>> out;
        for (const PostedMessage& m : All()) {
            if (m.message == NotificationId::ModeChanged)
                out.emplace_back(static_cast<int>(m.wParam), static_cast<int>(m.lParam));
        }
        return out;
    }

    std::size_t Count(std::uint32_t message) const
    {
        std::size_t n = 0;
        for (const PostedMessage& m : All())
            n += m.message == message ? 1 : 0;
        return n;
    }

    void Clear()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        queue_.clear();
        all_.clear();
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<PostedMessage> queue_;
    std::vector<PostedMessage> all_;
};

class EngineTest : public ::testing::Test {
protected:
    static constexpr int kDevicePort = 1;
    static constexpr int kHartPort = 2;
    static constexpr int kMultigasPort = 3;
    static constexpr WindowHandle kWindow{1};

    void SetUp() override
    {
        engine_ = std::make_unique<Engine>(&poster_);
        for (std::uint32_t id : {4024u, 4025u, 4026u, 4027u, 4028u, 4124u, 4125u, 4126u, 4127u, 4128u, 4129u, 4130u,
                                 4131u, 4132u, 4133u, 4134u})
            engine_->Register(kWindow, id);
        engine_->SetPasswords("47093518", "680429");
        engine_->mode = Engine::kModeIdle;
    }

    void TearDown() override
    {
        engine_.reset();
        if (sim_)
            sim_->Stop();
    }

    void StartSim(const std::string& scenario, bool pace = false)
    {
        Simulator::Options o;
        o.portsFolder = home_.PortsFolder();
        o.devicePort = kDevicePort;
        o.hartPort = kHartPort;
        o.multigasPort = kMultigasPort;
        o.scenarioText = scenario;
        o.pace = pace;
        sim_ = std::make_unique<Simulator>(o);
        sim_->Start();
        engine_->modbusPort = kDevicePort;
        engine_->hartPort = kHartPort;
        engine_->mgPort = kMultigasPort;
        engine_->mgCount = 2;
    }

    // Runs the event steps as the main window does, until `done` holds or
    // the time is up.
    bool Pump(const std::function<bool()>& done, int timeoutMs = 30000)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (!done()) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                return false;
            PostedMessage m{};
            if (!poster_.Take(m, static_cast<int>(left.count())))
                return done();
            if (m.message == NotificationId::LineTaskEvent)
                engine_->OnLineWorkerEvent();
            else if (m.message == NotificationId::HartEvent)
                engine_->OnHartWorkerEvent();
        }
        return true;
    }

    bool PumpUntilMode(int mode, int timeoutMs = 30000)
    {
        return Pump([&] { return engine_->mode == mode; }, timeoutMs);
    }

    // Runs the event steps until `count` messages `id` have been posted.
    bool PumpUntilPosted(std::uint32_t id, std::size_t count = 1, int timeoutMs = 30000)
    {
        return Pump([&] { return poster_.Count(id) >= count; }, timeoutMs);
    }

    TempConfigHome home_;
    RecordingPoster poster_;
    std::unique_ptr<Simulator> sim_;
    std::unique_ptr<Engine> engine_;
};
