// A line lost under a running poll, against the simulator: the adapter
// pulled (the pseudo-terminal and its link gone), the device silent, or only
// garbage on the line. The engine must say so, keep the poll's mode, wait
// for the line and resume the poll by itself when the device answers again.
#include "EngineFixture.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>

namespace {

enum class Loss { PortVanishes, DeviceSilent, Garbage };
enum class Poll { Device, Sensor, Calibration, Hart };

struct LossCase {
    const char* name;
    Loss loss;
    Poll poll;
};

class LineLoss : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        engine_->Register(kWindow, NotificationId::LineLinkChanged);
        engine_->Register(kWindow, NotificationId::HartLinkChanged);
    }

    static Simulator::Line LineOf(Poll p) { return p == Poll::Hart ? Simulator::Line::Hart : Simulator::Line::Device; }

    LineLinkReport Link(Poll p) const
    {
        return p == Poll::Hart ? engine_->CopyHartLink() : engine_->CopyLineLink();
    }

    static std::uint32_t DataOf(Poll p)
    {
        switch (p) {
        case Poll::Device: return NotificationId::DeviceParametersChanged;
        case Poll::Sensor: return NotificationId::SensorParametersChanged;
        case Poll::Calibration: return NotificationId::MeasurementsChanged;
        case Poll::Hart: return NotificationId::HartDataChanged;
        }
        return 0;
    }

    // Starts the poll; returns the engine's mode while it runs.
    int StartPoll(Poll p, const std::string& measurementFile = {})
    {
        switch (p) {
        case Poll::Device:
            EXPECT_EQ(engine_->SetDevicePolling(true), 1);
            return Engine::kModeDevicePolling;
        case Poll::Sensor:
            EXPECT_EQ(engine_->SetSensorPolling(true), 1);
            return Engine::kModeSensorPolling;
        case Poll::Calibration: {
            CalibrationPollSettings s;
            s.pollPeriodMs = 200;
            s.readConcentration = 1;
            if (!measurementFile.empty()) {
                s.toFile = 1;
                s.filePath = measurementFile;
            }
            EXPECT_EQ(engine_->SetCalibrationPolling(s), 1);
            return Engine::kModeCalibrationPolling;
        }
        case Poll::Hart:
            // The HART address comes from the sensor.
            EXPECT_EQ(engine_->Connect(), 1);
            EXPECT_TRUE(PumpUntilMode(Engine::kModeConnected, 60000));
            EXPECT_EQ(engine_->SetHartPolling(true), 1);
            return Engine::kModeHartPolling;
        }
        return -1;
    }

    // Whether the poll's newest values are there.
    bool ValuesFlow(Poll p)
    {
        switch (p) {
        case Poll::Device: {
            DeviceParameters d;
            engine_->CopyDeviceParameters(d);
            return d.deviceConcentration.valid != 0;
        }
        case Poll::Sensor: {
            SensorParameters s;
            engine_->CopySensorParameters(s);
            return s.concentration.valid == 1;
        }
        case Poll::Calibration: {
            std::vector<SensorCalibrationLoopMeasurementsPoint> points;
            engine_->CopyMeasurements(1, points);
            return !points.empty() && points.back().valid[SensorCalibrationLoopMeasurementsPoint::kConcentration] == 1;
        }
        case Poll::Hart: {
            HartParameters h;
            engine_->CopyHartParameters(h);
            return h.primaryValue.valid != 0;
        }
        }
        return false;
    }

    // Fresh values: two more data notifications, then the values valid.
    bool AwaitFreshValues(Poll p)
    {
        const std::size_t seen = poster_.Count(DataOf(p));
        return Pump([&] { return poster_.Count(DataOf(p)) >= seen + 2 && ValuesFlow(p); }, 90000);
    }

    void Lose(Poll p, Loss loss)
    {
        switch (loss) {
        case Loss::PortVanishes: ASSERT_TRUE(sim_->Unplug(LineOf(p))); break;
        case Loss::DeviceSilent: ASSERT_TRUE(sim_->SetSilent(LineOf(p), true)); break;
        case Loss::Garbage: ASSERT_TRUE(sim_->SetGarbage(LineOf(p), true)); break;
        }
    }

    void Restore(Poll p, Loss loss)
    {
        switch (loss) {
        case Loss::PortVanishes: ASSERT_TRUE(sim_->Replug(LineOf(p))); break;
        case Loss::DeviceSilent: ASSERT_TRUE(sim_->SetSilent(LineOf(p), false)); break;
        case Loss::Garbage: ASSERT_TRUE(sim_->SetGarbage(LineOf(p), false)); break;
        }
    }
};

class LineLossTable : public LineLoss, public ::testing::WithParamInterface<LossCase> {};

TEST_P(LineLossTable, IsToldAndThePollResumesByItself)
{
    const LossCase c = GetParam();
    StartSim("");
    const int pollMode = StartPoll(c.poll);
    ASSERT_TRUE(AwaitFreshValues(c.poll)) << "the poll never delivered values";

    Lose(c.poll, c.loss);
    ASSERT_TRUE(Pump([&] { return Link(c.poll).lost; }, 120000)) << "the loss was never told";
    const LineLinkReport lost = Link(c.poll);
    EXPECT_NE(lost.text.find("потеряна"), std::string::npos) << lost.text;
    EXPECT_NE(lost.text.find("Ожидание подключения..."), std::string::npos) << lost.text;
    if (c.loss == Loss::PortVanishes) {
        EXPECT_EQ(lost.cause, LineLinkReport::Cause::PortMissing);
        EXPECT_NE(lost.text.find("порт " + lost.port + " отсутствует"), std::string::npos) << lost.text;
        EXPECT_NE(lost.port.find("/dev/pts/"), std::string::npos) << lost.port;
    } else {
        EXPECT_EQ(lost.cause, LineLinkReport::Cause::Silent);
        EXPECT_NE(lost.text.find("не отвечает"), std::string::npos) << lost.text;
    }
    // The poll is still on: the page's toggle stays down while it waits.
    EXPECT_EQ(engine_->mode, pollMode);

    Restore(c.poll, c.loss);
    ASSERT_TRUE(Pump([&] { return Link(c.poll).restored; }, 120000)) << "the return was never told";
    const LineLinkReport back = Link(c.poll);
    EXPECT_FALSE(back.lost);
    EXPECT_EQ(back.text, c.poll == Poll::Hart ? "Связь с HART-устройством восстановлена." : "Связь с прибором восстановлена.");
    EXPECT_TRUE(AwaitFreshValues(c.poll)) << "no values after the line came back";
    EXPECT_EQ(engine_->mode, pollMode);
    // Told once when lost and once when back (a change of cause while
    // waiting may add one).
    const std::uint32_t linkId = c.poll == Poll::Hart ? NotificationId::HartLinkChanged : NotificationId::LineLinkChanged;
    EXPECT_GE(poster_.Count(linkId), 2u);
    EXPECT_LE(poster_.Count(linkId), 3u);
    engine_->StopActivity();
}

INSTANTIATE_TEST_SUITE_P(
    Losses, LineLossTable,
    ::testing::Values(LossCase{"PortVanishesUnderDevicePoll", Loss::PortVanishes, Poll::Device},
                      LossCase{"PortVanishesUnderSensorPoll", Loss::PortVanishes, Poll::Sensor},
                      LossCase{"PortVanishesUnderCalibrationPoll", Loss::PortVanishes, Poll::Calibration},
                      LossCase{"PortVanishesUnderHartPoll", Loss::PortVanishes, Poll::Hart},
                      LossCase{"SilentUnderDevicePoll", Loss::DeviceSilent, Poll::Device},
                      LossCase{"SilentUnderSensorPoll", Loss::DeviceSilent, Poll::Sensor},
                      LossCase{"SilentUnderCalibrationPoll", Loss::DeviceSilent, Poll::Calibration},
                      LossCase{"SilentUnderHartPoll", Loss::DeviceSilent, Poll::Hart},
                      LossCase{"GarbageUnderDevicePoll", Loss::Garbage, Poll::Device},
                      LossCase{"GarbageUnderSensorPoll", Loss::Garbage, Poll::Sensor},
                      LossCase{"GarbageUnderCalibrationPoll", Loss::Garbage, Poll::Calibration},
                      LossCase{"GarbageUnderHartPoll", Loss::Garbage, Poll::Hart}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LineLoss, MeasurementFileHoldsEveryPointAcrossTheGap)
{
    StartSim("");
    const std::string path = home_.Path() + "/gap.csv";
    StartPoll(Poll::Calibration, path);
    ASSERT_TRUE(PumpUntilPosted(NotificationId::MeasurementsChanged, 3, 60000));
    ASSERT_TRUE(sim_->Unplug(Simulator::Line::Device));
    ASSERT_TRUE(Pump([&] { return engine_->CopyLineLink().lost; }, 60000));
    const std::size_t beforeGap = poster_.Count(NotificationId::MeasurementsChanged);
    ASSERT_TRUE(sim_->Replug(Simulator::Line::Device));
    ASSERT_TRUE(PumpUntilPosted(NotificationId::MeasurementsChanged, beforeGap + 3, 90000));
    const auto status = engine_->CopyMeasurementFileStatus();
    engine_->StopActivity();

    EXPECT_EQ(status.failed, 0u) << status.text;
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    const std::string file = ss.str();
    ASSERT_FALSE(file.empty());
    ASSERT_EQ(file.substr(file.size() - 2), "\r\n");
    // The heading, then one whole line per point: 31 columns each, a
    // concentration in every one, before and after the gap alike.
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < file.size();) {
        const std::size_t end = file.find("\r\n", at);
        ASSERT_NE(end, std::string::npos);
        lines.push_back(file.substr(at, end - at));
        at = end + 2;
    }
    ASSERT_GE(lines.size(), 1u + 6u);
    EXPECT_EQ(lines.size() - 1, status.pointsWritten);
    EXPECT_GE(status.pointsWritten, beforeGap + 3);
    for (std::size_t i = 1; i < lines.size(); ++i) {
        EXPECT_EQ(std::count(lines[i].begin(), lines[i].end(), ';'), 30) << lines[i];
        const std::size_t first = lines[i].find(';');
        const std::size_t second = lines[i].find(';', first + 1);
        EXPECT_GT(second, first + 1) << "no concentration in " << lines[i];
    }
}

} // namespace
