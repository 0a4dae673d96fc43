// The engine end to end on the Win32 connector, against the simulated
// detector behind real COM ports. The test thread plays the user-interface
// thread: it runs the engine's event steps on 4124 and 4025 as the main
// window does.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "Engine.h"
#include "IWindowPoster.h"
#include "ModbusAsciiMaster.h"
#include "SimScenario.h"

namespace {

using namespace wine_sim;

// Long enough for a loaded machine running Wine; only a broken line waits
// this long.
constexpr int kPatienceMs = 120000;

// Keeps the posted messages in order, as a window's queue would.
class QueuePoster : public IWindowPoster {
public:
    bool Post(WindowHandle, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            queue_.push_back({message, wParam, lParam});
            if (message == NotificationId::ModeChanged)
                modeChanges_.emplace_back(static_cast<int>(wParam), static_cast<int>(lParam));
        }
        cv_.notify_all();
        return true;
    }

    struct Message {
        std::uint32_t id;
        std::uintptr_t wParam;
        std::intptr_t lParam;
    };

    bool Take(Message& out, int timeoutMs)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        if (!cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return !queue_.empty(); }))
            return false;
        out = queue_.front();
        queue_.pop_front();
        return true;
    }

    std::vector<std::pair<int, int>> ModeChanges()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return modeChanges_;
    }

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<Message> queue_;
    std::vector<std::pair<int, int>> modeChanges_;
};

class EngineOnSim : public ::testing::Test {
protected:
    static constexpr WindowHandle kWindow{1};

    void SetUp() override
    {
        if (!PortsNamed())
            GTEST_FAIL() << kNoPorts;
        engine_ = std::make_unique<Engine>(&poster_);
        for (std::uint32_t id = 4024; id <= 4028; ++id)
            engine_->Register(kWindow, id);
        for (std::uint32_t id = 4124; id <= 4134; ++id)
            engine_->Register(kWindow, id);
        engine_->SetPasswords(kManufacturerPassword, kCalibrationPassword);
        engine_->modbusPort = DevicePort();
        engine_->hartPort = HartPort();
        engine_->mgPort = MultigasPort();
        engine_->mgCount = 2;
        engine_->mode = Engine::kModeIdle;
    }

    void TearDown() override
    {
        // Closes both lines, so the next test process finds the ports free.
        engine_.reset();
    }

    // Runs the event steps until `done` holds or patience runs out.
    bool Pump(const std::function<bool()>& done)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(kPatienceMs);
        while (!done()) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now()).count();
            if (left <= 0)
                return false;
            QueuePoster::Message m{};
            if (!poster_.Take(m, static_cast<int>(left)))
                return done();
            if (m.id == NotificationId::LineTaskEvent)
                engine_->OnLineWorkerEvent();
            else if (m.id == NotificationId::HartEvent)
                engine_->OnHartWorkerEvent();
        }
        return true;
    }

    bool PumpUntilMode(int mode)
    {
        return Pump([&] { return engine_->mode == mode; });
    }

    // One text exchange on the device line, with the engine's line closed.
    std::string AskSensor(const std::string& command, const std::string& keyword)
    {
        ModbusAsciiMaster master;
        if (!master.Open(DevicePort()))
            return "<device line would not open>";
        std::string answer;
        if (!master.Request(command, keyword, answer, true))
            return "<no answer to " + command + ">";
        return answer;
    }

    QueuePoster poster_;
    std::unique_ptr<Engine> engine_;
};

TEST_F(EngineOnSim, ConnectReadsSensorDeviceAndHartIdentityThenMonitors)
{
    ASSERT_EQ(engine_->Connect(), 1);
    ASSERT_TRUE(PumpUntilMode(Engine::kModeConnected)) << "mode " << engine_->mode;
    EXPECT_EQ(poster_.ModeChanges(), (std::vector<std::pair<int, int>>{{1, 2}, {2, 3}}));
    EXPECT_EQ(engine_->LineState(), SensorModbusInterface::kTaskMonitoring);
    EXPECT_EQ(engine_->HartState(), SensorHartInterface::kMonitoring);

    SensorParameters s;
    engine_->CopySensorParameters(s);
    EXPECT_EQ(s.modbusId.valid, 1u);
    EXPECT_EQ(s.modbusId.value, kModbusId);
    EXPECT_EQ(s.hartId.valid, 1u);
    EXPECT_EQ(s.hartId.value, kHartAddress);
    EXPECT_EQ(s.serialNumber.text, kSerialNumber);
    EXPECT_EQ(s.calibrationDate.text, kSensorCalibrationDate);
    EXPECT_EQ(s.analyteCode.text, kSensorAnalyte);
    EXPECT_EQ(s.units.text, kUnits);
    EXPECT_EQ(s.sensorType.text, kSensorType);

    DeviceParameters d;
    engine_->CopyDeviceParameters(d);
    EXPECT_EQ(d.softwareIdentification.text, kSoftwareId);
    EXPECT_EQ(d.deviceAnalyteCode.text, kDeviceAnalyte);
    EXPECT_EQ(d.deviceUnits.text, kUnits);
    EXPECT_EQ(d.deviceText8.text, kDeviceText8);
    ASSERT_EQ(d.deviceCalibrationDate.valid, 1u);
    EXPECT_EQ(d.deviceCalibrationDate.day, kCalibrationDay);
    EXPECT_EQ(d.deviceCalibrationDate.month, kCalibrationMonth);
    EXPECT_EQ(d.deviceCalibrationDate.year, kCalibrationYear);
    ASSERT_EQ(d.thresholdsValid, 1u);
    EXPECT_FLOAT_EQ(d.threshold1, static_cast<float>(kThreshold1));
    EXPECT_FLOAT_EQ(d.threshold2, static_cast<float>(kThreshold2));
    EXPECT_EQ(d.soundMode, kSoundMode);
    EXPECT_EQ(d.o2Flag, kO2Flag);
    ASSERT_EQ(d.ecoModeValid, 1u);
    EXPECT_EQ(d.ecoMode, kEcoMode);
    ASSERT_EQ(d.journalIndices.valid, 1u);
    EXPECT_EQ(d.journalIndices.value, (std::array<std::uint16_t, 6>{kEventFirst, kEventLast, kThresholdFirst,
                                                                     kThresholdLast, kEventCapacity,
                                                                     kThresholdCapacity}));
    ASSERT_EQ(d.deviceClock.valid, 1u);
    EXPECT_GE(d.deviceClock.value, kClockAtStart);

    HartParameters h;
    engine_->CopyHartParameters(h);
    EXPECT_EQ(h.pollingAddress.valid, 1u);
    EXPECT_EQ(h.pollingAddress.value, kHartAddress);
    EXPECT_EQ(h.uniqueId.text, kUniqueIdText);
    EXPECT_EQ(h.shortTag.text, kTag);
    EXPECT_EQ(h.descriptor.text, kDescriptor);
    EXPECT_EQ(h.date.text, kDateText);

    engine_->StopActivity();
    EXPECT_EQ(engine_->mode, Engine::kModeIdle);
    EXPECT_EQ(engine_->LineState(), SensorModbusInterface::kClosed);
}

TEST_F(EngineOnSim, EventJournalReadsTheWholeRing)
{
    ASSERT_EQ(engine_->ReadEventJournal(), 1);
    ASSERT_TRUE(PumpUntilMode(Engine::kModeIdle)) << "mode " << engine_->mode;
    EXPECT_EQ(poster_.ModeChanges(), (std::vector<std::pair<int, int>>{{1, 9}, {9, 1}}));

    JournalReadStatus status{};
    std::uint32_t read = 0, expected = 0;
    engine_->JournalProgress(SensorModbusInterface::Journal::Event, status, read, expected);
    EXPECT_EQ(status, JournalReadStatus::Finished);
    EXPECT_EQ(read, kEventRecords);

    SensorJournalContent content;
    engine_->CopyEventJournal(content);
    ASSERT_EQ(content.size(), kEventRecords);
    EXPECT_EQ(content.capacity, kEventCapacity);
    EXPECT_EQ(content.first, kEventFirst);
    EXPECT_EQ(content.last, kEventLast);
    // Newest first; no two records of the ring share a time.
    for (std::size_t i = 1; i < content.size(); ++i)
        EXPECT_GT(content[i - 1].Time(), content[i].Time()) << i;
}

TEST_F(EngineOnSim, MultigasSelectionConnectsTheChosenSet)
{
    // The sensor reports the channels of whichever set is switched on.
    ASSERT_EQ(engine_->SelectMultigasChannel(1), 1);
    const std::string second = AskSensor("@MRDF", "@MADF");
    EXPECT_NE(second.find("," + kSet2FirstChannel + ","), std::string::npos) << second;
    EXPECT_EQ(second.find("," + kSet1FirstChannel + ","), std::string::npos) << second;

    ASSERT_EQ(engine_->SelectMultigasChannel(0), 1);
    const std::string first = AskSensor("@MRDF", "@MADF");
    EXPECT_NE(first.find("," + kSet1FirstChannel + ","), std::string::npos) << first;
    EXPECT_EQ(first.find("," + kSet2FirstChannel + ","), std::string::npos) << first;
    EXPECT_TRUE(poster_.ModeChanges().empty());
}

TEST_F(EngineOnSim, WrittenValueIsReadBackByAReread)
{
    using Pairs = std::vector<std::pair<int, int>>;
    const std::string written = "0.437";
    const std::string changedBehind = "0.452";
    ASSERT_NE(written, kV1);
    SensorCommandRequest write;
    write.code = 1;
    write.texts[0] = written;
    ASSERT_EQ(engine_->WriteParameter(write), 1);
    ASSERT_TRUE(PumpUntilMode(Engine::kModeIdle)) << "mode " << engine_->mode;
    SensorParameters s;
    engine_->CopySensorParameters(s);
    EXPECT_EQ(s.v1.text, written);

    ASSERT_EQ(engine_->RereadParameter(0), 1);
    ASSERT_TRUE(PumpUntilMode(Engine::kModeIdle)) << "mode " << engine_->mode;
    engine_->CopySensorParameters(s);
    EXPECT_EQ(s.v1.valid, 1u);
    EXPECT_EQ(s.v1.text, written);
    EXPECT_EQ(poster_.ModeChanges(), (Pairs{{1, 21}, {21, 1}, {1, 20}, {20, 1}}));

    // The sensor holds it too; and a value changed behind the engine's back
    // shows after the next re-read, so the re-read did ask the sensor.
    engine_->StopActivity();
    EXPECT_EQ(AskSensor("@RRV1", "@RAV1"), written);
    EXPECT_EQ(AskSensor("@WCV1 " + kCalibrationPassword + "," + changedBehind, "@RAV1"), changedBehind);
    ASSERT_EQ(engine_->RereadParameter(0), 1);
    ASSERT_TRUE(PumpUntilMode(Engine::kModeIdle)) << "mode " << engine_->mode;
    engine_->CopySensorParameters(s);
    EXPECT_EQ(s.v1.text, changedBehind);

    // The scenario's value again, for whoever reads it next.
    write.texts[0] = kV1;
    ASSERT_EQ(engine_->WriteParameter(write), 1);
    ASSERT_TRUE(PumpUntilMode(Engine::kModeIdle)) << "mode " << engine_->mode;
    engine_->StopActivity();
    EXPECT_EQ(AskSensor("@RRV1", "@RAV1"), kV1);
}

} // namespace
