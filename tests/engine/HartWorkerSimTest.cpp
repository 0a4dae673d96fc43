// The HART worker against the simulator's field device on a pseudo-terminal,
// in real time: the modem line settings, the master's real sleeps and the
// device's own framing meet here. Each task costs a few seconds, so these
// are kept to the two that only a real line can show.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

#include "Cp1251.h"
#include "HartDevice.h"
#include "HartParameters.h"
#include "SensorHartInterface.h"
#include "Simulator.h"
#include "TestPorts.h"

namespace {

using namespace std::chrono_literals;

constexpr int kHartPort = 4;

class EventCountingWorker : public SensorHartInterface {
public:
    ~EventCountingWorker() override { StopThread(); }

    void NotifyEvent() override
    {
        {
            std::lock_guard<std::mutex> l(mutex_);
            ++events_;
        }
        changed_.notify_all();
    }

    // Bounded, so a silent line fails the test instead of hanging it.
    bool WaitForEvents(int count)
    {
        std::unique_lock<std::mutex> l(mutex_);
        const bool ok = changed_.wait_for(l, 60s, [&] { return events_ >= count; });
        l.unlock();
        StopThread();
        return ok;
    }

    HartParameters Copy()
    {
        HartParameters p;
        CopyHartParameters(p);
        return p;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int events_ = 0;
};

class HartWorkerSimTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Simulator::Options o;
        o.portsFolder = home_.PortsFolder();
        o.hartPort = kHartPort;
        sim_ = std::make_unique<Simulator>(o);
        HartDeviceSettings s;
        s.pollingAddress = 0;           // found by the first search step: a silent address costs 4 s
        s.manufacturerId = 0x2A;
        s.deviceType = 0x51;
        s.deviceId = 0x0012AB;
        s.pv = 250.0;
        s.pvUnit = 170;
        s.pvNoise = 0.0;
        s.rangeLower = 0.0;
        s.rangeUpper = 500.0;
        s.sensorUpper = 500.0;
        s.tag = "GD-0001";
        s.descriptor = "GAS DETECTOR";
        s.message = "CALIBRATED";
        s.longTag = "Gas detector, boiler room 2";
        s.day = 15;
        s.month = 3;
        s.year = 2024;
        s.sensorSerial = 0x044001;
        sim_->Hart().SetSettings(s);
        sim_->Start();
    }

    TempConfigHome home_;
    std::unique_ptr<Simulator> sim_;
};

TEST_F(HartWorkerSimTest, FullReadFillsEveryField)
{
    EventCountingWorker worker;
    ASSERT_TRUE(worker.Open(kHartPort, 255));
    ASSERT_TRUE(worker.StartRead());
    ASSERT_TRUE(worker.WaitForEvents(1));
    EXPECT_EQ(worker.State(), SensorHartInterface::kReady);

    const HartParameters p = worker.Copy();
    EXPECT_EQ(p.pollingAddress.value, 0u);
    EXPECT_EQ(p.uniqueId.text, "#2A510012AB");
    EXPECT_EQ(p.loopCurrentMode.value, 1u);
    EXPECT_EQ(p.shortTag.text, "GD-0001 ");
    EXPECT_EQ(p.descriptor.text, "GAS DETECTOR    ");
    EXPECT_EQ(p.date.text, "15.03.2024");
    EXPECT_EQ(p.longTag.text, "Gas detector, boiler room 2");
    EXPECT_EQ(p.message.text, "CALIBRATED" + std::string(22, ' '));
    EXPECT_EQ(p.sensorSerial.text, "01010001");
    EXPECT_EQ(Cp1251::ToUtf8(p.upperRange.text), "500 г/м3");
    EXPECT_EQ(Cp1251::ToUtf8(p.primaryValue.text), "250 г/м3");
    EXPECT_EQ(Cp1251::ToUtf8(p.outputCurrent.text), "12.0 мА");   // half the range
    for (std::uint32_t valid : {p.pollingAddress.valid, p.uniqueId.valid, p.primaryValue.valid, p.outputCurrent.valid,
                                p.loopCurrentMode.valid, p.shortTag.valid, p.descriptor.valid, p.date.valid,
                                p.longTag.valid, p.message.valid, p.sensorSerial.valid, p.upperRange.valid})
        EXPECT_EQ(valid, 1u);
    worker.Close();
}

TEST_F(HartWorkerSimTest, LoopCurrentTaskFixesAndReleasesTheCurrent)
{
    EventCountingWorker worker;
    ASSERT_TRUE(worker.Open(kHartPort, 0));

    ASSERT_TRUE(worker.StartLoopCurrent(1, 16.5f));
    ASSERT_TRUE(worker.WaitForEvents(1));
    EXPECT_EQ(worker.State(), SensorHartInterface::kReady);
    EXPECT_TRUE(sim_->Hart().FixedCurrentMode());
    EXPECT_FLOAT_EQ(sim_->Hart().FixedCurrent(), 16.5f);
    EXPECT_EQ(Cp1251::ToUtf8(worker.Copy().outputCurrent.text), "16.5 мА");

    // Enable 0 sends 0 mA: the device follows its reading again.
    ASSERT_TRUE(worker.StartLoopCurrent(0, 16.5f));
    ASSERT_TRUE(worker.WaitForEvents(2));
    EXPECT_EQ(worker.State(), SensorHartInterface::kReady);
    EXPECT_FALSE(sim_->Hart().FixedCurrentMode());
    EXPECT_EQ(Cp1251::ToUtf8(worker.Copy().outputCurrent.text), "12.0 мА");
    worker.Close();
}

} // namespace
