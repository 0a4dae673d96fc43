// The loop-current test's fixed output against the simulated field device:
// whatever ends the engine's work, a current it fixed is released on the
// device, and a release asked for while a command runs follows that command.
#include "EngineFixture.h"

#include <cstring>

namespace {

using Pairs = std::vector<std::pair<int, int>>;

// The currents of the command-40 requests the device heard, in order.
std::vector<float> FixedCurrentRequests(const HartDevice& device)
{
    std::vector<float> out;
    for (const HartRecordedFrame& f : device.ReceivedFrames()) {
        if (f.command != 40 || f.data.size() != 4)
            continue;
        const std::uint32_t bits = std::uint32_t(f.data[0]) << 24 | std::uint32_t(f.data[1]) << 16 |
                                   std::uint32_t(f.data[2]) << 8 | f.data[3];
        float value = 0.0f;
        std::memcpy(&value, &bits, sizeof value);
        out.push_back(value);
    }
    return out;
}

class EngineLoopCurrentTest : public EngineTest {
protected:
    void StartDevice()
    {
        StartSim("[detector]\nhart_address = 0\n[hart]\npv_noise = 0\n");
        engine_->SetHartAddress(0);
    }

    // Fixes the loop current at `current` and waits for the command's end.
    void Fix(float current)
    {
        ASSERT_EQ(engine_->SetHartLoopCurrent(current, 1), 1);
        ASSERT_TRUE(PumpUntilMode(Engine::kModeIdle, 60000));
        ASSERT_EQ(engine_->HartState(), SensorHartInterface::kReady);
        ASSERT_TRUE(sim_->Hart().FixedCurrentMode());
        ASSERT_FLOAT_EQ(sim_->Hart().FixedCurrent(), current);
        ASSERT_TRUE(engine_->LoopCurrentFixed());
        ASSERT_FLOAT_EQ(engine_->FixedLoopCurrent(), current);
    }
};

TEST_F(EngineLoopCurrentTest, EveryWayTheEngineEndsItsWorkReleasesTheFixedCurrentOnTheDevice)
{
    const struct {
        const char* name;
        std::function<void(std::unique_ptr<Engine>&)> end;
    } cases[] = {
        {"StopActivity", [](std::unique_ptr<Engine>& e) { e->StopActivity(); }},
        {"closing the HART line", [](std::unique_ptr<Engine>& e) { e->SensorHartInterface::Close(); }},
        {"destroying the engine", [](std::unique_ptr<Engine>& e) { e.reset(); }},
        {"another activity", [](std::unique_ptr<Engine>& e) { ASSERT_EQ(e->ReadSensorParameters(), 1); }},
    };
    StartDevice();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (!engine_) {
            engine_ = std::make_unique<Engine>(&poster_);
            for (std::uint32_t id : {4024u, 4025u, 4026u, 4124u})
                engine_->Register(kWindow, id);
            engine_->hartPort = kHartPort;
            engine_->modbusPort = kDevicePort;
            engine_->mode = Engine::kModeIdle;
            engine_->SetHartAddress(0);
        }
        ASSERT_NO_FATAL_FAILURE(Fix(12.0f));
        sim_->Hart().ClearReceivedFrames();
        c.end(engine_);
        EXPECT_FALSE(sim_->Hart().FixedCurrentMode());
        // Exactly one release went out.
        EXPECT_EQ(FixedCurrentRequests(sim_->Hart()), std::vector<float>{0.0f});
        if (engine_) {
            EXPECT_FALSE(engine_->LoopCurrentFixed());
            EXPECT_FLOAT_EQ(engine_->FixedLoopCurrent(), 0.0f);
            engine_->StopActivity();
        }
    }
}

TEST_F(EngineLoopCurrentTest, NothingIsSentWhenNoCurrentWasFixed)
{
    StartDevice();
    ASSERT_EQ(engine_->HartConnect(), 1);
    ASSERT_TRUE(PumpUntilMode(Engine::kModeIdle, 60000));
    engine_->StopActivity();
    engine_.reset();
    EXPECT_TRUE(FixedCurrentRequests(sim_->Hart()).empty());
}

TEST_F(EngineLoopCurrentTest, AReleaseAskedForDuringTheCommandFollowsIt)
{
    StartDevice();
    ASSERT_EQ(engine_->SetHartLoopCurrent(12.0f, 1), 1);
    ASSERT_EQ(engine_->mode, Engine::kModeHartLoopCurrent);
    // Taken, not refused, and nothing changes until the command has ended.
    EXPECT_EQ(engine_->SetHartLoopCurrent(0.0f, 0), 1);
    EXPECT_TRUE(engine_->LoopCurrentReleasePending());
    EXPECT_EQ(engine_->mode, Engine::kModeHartLoopCurrent);
    // A new value is still refused while the command runs.
    EXPECT_EQ(engine_->SetHartLoopCurrent(15.0f, 1), 0);
    ASSERT_TRUE(PumpUntilMode(Engine::kModeIdle, 60000));
    EXPECT_EQ(FixedCurrentRequests(sim_->Hart()), (std::vector<float>{12.0f, 0.0f}));
    EXPECT_FALSE(sim_->Hart().FixedCurrentMode());
    EXPECT_FALSE(engine_->LoopCurrentFixed());
    EXPECT_FALSE(engine_->LoopCurrentReleasePending());
    EXPECT_EQ(poster_.ModeChanges(), (Pairs{{1, 8}, {8, 1}}));
}

TEST_F(EngineLoopCurrentTest, ANewValueReplacesTheFixedOneWithoutAReleaseBetween)
{
    StartDevice();
    ASSERT_NO_FATAL_FAILURE(Fix(12.0f));
    ASSERT_NO_FATAL_FAILURE(Fix(15.0f));
    EXPECT_EQ(FixedCurrentRequests(sim_->Hart()), (std::vector<float>{12.0f, 15.0f}));
}

TEST_F(EngineLoopCurrentTest, AReleaseTheDeviceRefusesKeepsTheCurrentRememberedUntilOneSucceeds)
{
    StartDevice();
    ASSERT_NO_FATAL_FAILURE(Fix(12.0f));
    HartFaults refuse;
    refuse.command = 40;
    refuse.responseCode = 16; // access restricted
    sim_->Hart().SetFaults(refuse);
    engine_->StopActivity();
    EXPECT_TRUE(sim_->Hart().FixedCurrentMode());
    EXPECT_TRUE(engine_->LoopCurrentFixed());
    EXPECT_FLOAT_EQ(engine_->FixedLoopCurrent(), 12.0f);

    // The device is released by its unique identifier, even once the engine
    // has lost the polling address.
    sim_->Hart().ClearFaults();
    engine_->SetHartAddress(255);
    EXPECT_EQ(engine_->SetHartLoopCurrent(15.0f, 1), 0);
    ASSERT_EQ(engine_->SetHartLoopCurrent(0.0f, 0), 1);
    ASSERT_TRUE(PumpUntilMode(Engine::kModeIdle, 60000));
    EXPECT_FALSE(sim_->Hart().FixedCurrentMode());
    EXPECT_FALSE(engine_->LoopCurrentFixed());
}

TEST_F(EngineLoopCurrentTest, AFixTheDeviceRefusesLeavesNothingToRelease)
{
    StartDevice();
    HartFaults refuse;
    refuse.command = 40;
    refuse.responseCode = HartDevice::kTooLarge;
    sim_->Hart().SetFaults(refuse);
    ASSERT_EQ(engine_->SetHartLoopCurrent(22.9f, 1), 1);
    ASSERT_TRUE(PumpUntilMode(Engine::kModeIdle, 60000));
    EXPECT_EQ(engine_->HartState(), SensorHartInterface::kNoAnswer);
    EXPECT_FALSE(engine_->LoopCurrentFixed());
    sim_->Hart().ClearFaults();
    sim_->Hart().ClearReceivedFrames();
    engine_->StopActivity();
    EXPECT_TRUE(FixedCurrentRequests(sim_->Hart()).empty());
}

} // namespace
