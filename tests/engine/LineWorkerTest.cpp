// The line worker's tasks against the simulated detector, in real time: which
// requests each task sends (from the simulator's record), what lands in the
// records, and how tasks end and stop.
#include "LineWorkerFixture.h"

#include <algorithm>
#include <atomic>
#include <fstream>
#include <functional>
#include <iterator>
#include <thread>

#include <unistd.h>

namespace {

using namespace std::chrono_literals;
using W = SensorModbusInterface;

TEST_F(LineWorkerTest, ReadAllSendsItsRequestsInOrderAndFillsBothRecords)
{
    StartSim("[detector]\nkind = Semi\nmodbus_id = 7\nthreshold1 = 12.5\n");
    ASSERT_TRUE(worker_->StartReadAll());
    ASSERT_TRUE(AwaitTaskEvent());
    EXPECT_EQ(worker_->State(), W::kReady);

    const std::vector<std::string> expected = {
        "@RRID", "@RRIS", "@RRDS", "@RRCD", "@RRCA", "@RRUT", "@RRCH", "@RRCL", "@RRIM", "@RRKS", "@RRSS",
        "@RRV1", "@RRC1", "@RRV2", "@RRC2", "@RRS1", "@RRS2", "@RDSF",
        "F4:2052x6", "F4:2058x2", "F4:1050x4", "F4:16368x6", "F4:1000x8", "F4:1018x4", "F4:1008x3",
        "@RRDT", "@RRDV", "@RRST", "F4:1012x2", "F4:2048x2", "@RRHA", "@RDAA"};
    EXPECT_EQ(Received(), expected);

    SensorParameters sp;
    worker_->CopySensorParameters(sp);
    EXPECT_EQ(sp.modbusId.valid, 1u);
    EXPECT_EQ(sp.modbusId.value, 7u);
    EXPECT_EQ(worker_->SlaveAddress(), 7);
    EXPECT_EQ(sp.serialNumber.valid, 1u);
    EXPECT_EQ(sp.serialNumber.text, sim_->Detector().Parameter("IS"));
    EXPECT_EQ(sp.sensorType.text, "Semi");
    EXPECT_EQ(sp.concentration.valid, 1u);

    DeviceParameters dp;
    worker_->CopyDeviceParameters(dp);
    EXPECT_EQ(dp.thresholdsValid, 1u);
    EXPECT_FLOAT_EQ(dp.threshold1, 12.5f);
    EXPECT_EQ(dp.journalIndices.valid, 1u);
    EXPECT_EQ(dp.journalIndices.value[DeviceParameters::kEventFirst], 90);
    EXPECT_EQ(dp.journalIndices.value[DeviceParameters::kEventLast], 10);
    EXPECT_EQ(dp.journalIndices.value[DeviceParameters::kEventCapacity], 100);
    EXPECT_EQ(dp.deviceClock.valid, 1u);
    EXPECT_EQ(dp.deviceCalibrationDate.valid, 1u);
    EXPECT_EQ(dp.softwareIdentification.valid, 1u);

    EXPECT_EQ(worker_->Count(NotificationId::LineTaskEvent), 1u);
    EXPECT_GE(worker_->Count(NotificationId::SensorParametersChanged), 20u);
    EXPECT_EQ(worker_->Count(NotificationId::DeviceParametersChanged), 10u);
}

TEST_F(LineWorkerTest, SensorSilentOnItsIdentifierStillGetsItsTextsReadButNoDeviceFields)
{
    StartSim("[faults]\n@RRID = silence\n");
    ASSERT_TRUE(worker_->StartReadAll());
    ASSERT_TRUE(AwaitTaskEvent());
    EXPECT_EQ(worker_->State(), W::kReady);
    for (const std::string& r : Received())
        EXPECT_NE(r[0], 'F') << "a Modbus frame went out without a known unit address: " << r;

    SensorParameters sp;
    worker_->CopySensorParameters(sp);
    EXPECT_EQ(sp.modbusId.valid, 0u);
    EXPECT_EQ(sp.serialNumber.valid, 1u);
    EXPECT_EQ(sp.manufacturer.valid, 1u);
    EXPECT_EQ(sp.sensorType.valid, 1u);
    DeviceParameters dp;
    worker_->CopyDeviceParameters(dp);
    EXPECT_EQ(dp.thresholdsValid, 0u);
    EXPECT_EQ(dp.journalIndices.valid, 0u);
    EXPECT_EQ(dp.deviceClock.valid, 0u);
    EXPECT_EQ(dp.deviceAnalyteCode.valid, 0u);
}

TEST_F(LineWorkerTest, ReadDeviceWithSilentSensorEndsAfterItsFirstExchange)
{
    StartSim("[faults]\n* = silence\n");
    ASSERT_TRUE(worker_->StartReadDevice());
    ASSERT_TRUE(AwaitTaskEvent());
    // The thread has ended: nothing more can come.
    worker_->StopThread();
    EXPECT_EQ(worker_->State(), W::kFailed);
    EXPECT_EQ(worker_->Count(NotificationId::LineTaskEvent), 1u);
    // The required identifier read gets its three tries, then the task ends.
    EXPECT_EQ(Received(), (std::vector<std::string>{"@RRID", "@RRID", "@RRID"}));
    // A failed task may be followed by another.
    EXPECT_TRUE(worker_->StartMonitoring());
}

struct CalibrationSetCase {
    const char* kind;
    std::vector<std::string> after;   // requests after "@RRKS", "@RRSS", "@RRIS"
    bool twoHeaterValues;
};

class CalibrationSetByKind : public LineWorkerTest, public ::testing::WithParamInterface<CalibrationSetCase> {};

TEST_P(CalibrationSetByKind, ReadsTheSetOfItsSensorKind)
{
    const CalibrationSetCase& c = GetParam();
    StartSim(std::string("[detector]\nkind = ") + c.kind + "\n");
    worker_->ClearNotes();
    ASSERT_TRUE(worker_->StartReadCalibrationSet());
    ASSERT_TRUE(AwaitTaskEvent());
    EXPECT_EQ(worker_->State(), W::kReady);
    std::vector<std::string> expected = {"@RRKS", "@RRSS", "@RRIS"};
    expected.insert(expected.end(), c.after.begin(), c.after.end());
    EXPECT_EQ(Keywords(), expected);
    // The measurement list is emptied first.
    EXPECT_EQ(worker_->Notes().front().id, NotificationId::MeasurementsChanged);

    SensorParameters sp;
    worker_->CopySensorParameters(sp);
    if (std::find(c.after.begin(), c.after.end(), "@RRTH") != c.after.end()) {
        ASSERT_EQ(sp.thReading.valid, 1u);
        ASSERT_EQ(sp.rhReading.valid, 1u);
        EXPECT_FALSE(sp.thReading.values[0].empty());
        EXPECT_EQ(sp.thReading.values[1].empty(), !c.twoHeaterValues);
        EXPECT_EQ(sp.rhReading.values[1].empty(), !c.twoHeaterValues);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, CalibrationSetByKind,
    ::testing::Values(
        CalibrationSetCase{"OptoDyn", {"@RRLE"}, false},
        CalibrationSetCase{"Elchem",
                           {"@RRAV", "@RRRG", "@RRRL", "@RRBS", "@RRSB", "@RRIZ", "@RRRS", "@RRMD", "@RRFS", "@RRU0",
                            "@RRKK", "@RRUL", "@RRK0", "@RRK1", "@RRK2", "@RRK3", "@RRK4", "@RRC1", "@RRC2", "@RRV1",
                            "@RRV2", "@RRDT", "@RRDV", "@RRST"},
                           false},
        CalibrationSetCase{"Oksik",
                           {"@RRAV", "@RRRG", "@RRK0", "@RRK1", "@RRK2", "@RRK3", "@RRK4", "@RRC1", "@RRC2", "@RRV1",
                            "@RRV2", "@RRDT", "@RRDV", "@RRST"},
                           false},
        CalibrationSetCase{"Semi",
                           {"@RRWH", "@RRTG", "@RRA1", "@RRKT", "@RRT0", "@RRH0", "@RRMG", "@RRMP", "@RRPI", "@RRC1",
                            "@RRC2", "@RRS1", "@RRS2", "@RRR0", "@RRLP", "@RRDT", "@RRST", "@RRTH", "@RRRP", "@RRPV",
                            "@RRRH", "@RRPW", "@RRSH"},
                           false},
        CalibrationSetCase{"TcatBrdg",
                           {"@RRWH", "@RRBB", "@RRRG", "@RRBR", "@RRC1", "@RRC2", "@RRV1", "@RRV2", "@RRDT", "@RRDV"},
                           false},
        CalibrationSetCase{"TcatPWR",
                           {"@RRWH", "@RRTG", "@RRKT", "@RRMG", "@RRMP", "@RRCP", "@RRPI", "@RRC1", "@RRC2", "@RRS1",
                            "@RRS2", "@RRR0", "@RRLP", "@RRDT", "@RRTH", "@RRRH", "@RRDW"},
                           true},
        CalibrationSetCase{"CondTerm", {}, false}),
    [](const auto& info) { return std::string(info.param.kind); });

TEST_F(LineWorkerTest, PollingStoppedDuringItsWaitEndsReadyWithoutTaskEvent)
{
    StartSim("");
    ASSERT_TRUE(worker_->StartDevicePolling());
    // The software identification and the seven register blocks, then the wait.
    ASSERT_TRUE(worker_->WaitFor(NotificationId::DeviceParametersChanged, 8));
    std::this_thread::sleep_for(100ms);
    worker_->StopThread();
    EXPECT_EQ(worker_->State(), W::kReady);
    EXPECT_EQ(worker_->Count(NotificationId::LineTaskEvent), 0u);
}

TEST_F(LineWorkerTest, StopEndsARunningTaskWithinOneExchange)
{
    StartSim("", false, 150);
    ASSERT_TRUE(worker_->StartReadAll());
    ASSERT_TRUE(worker_->WaitFor(NotificationId::SensorParametersChanged, 3));
    const std::size_t sentBefore = Received().size();
    worker_->StopThread();
    EXPECT_LE(Received().size(), sentBefore + 1);
    EXPECT_EQ(worker_->State(), W::kReady);
    EXPECT_EQ(worker_->Count(NotificationId::LineTaskEvent), 0u);
}

TEST_F(LineWorkerTest, StartOperationsNeedAReadyOrFailedWorker)
{
    StartSim("");
    RecordingWorker other;
    EXPECT_FALSE(other.Open(kDevicePort, true));
    EXPECT_EQ(other.State(), W::kPortUnavailable);
    EXPECT_FALSE(other.StartReadAll());
    EXPECT_FALSE(other.StartTerminal("@RRIS"));
    EXPECT_FALSE(other.Open(0, true));
    EXPECT_EQ(other.State(), W::kNoPort);
    EXPECT_TRUE(sim_->Detector().Received().Entries().empty());
}

// --- calibration polling loop ---------------------------------------------------

TEST_F(LineWorkerTest, FirstPointWaitsForAFullPeriod)
{
    StartSim("");
    CalibrationPollSettings s;
    s.readConcentration = 1;
    s.readAdc = 1;
    // With a long period the loop only waits: nothing goes out, no point comes.
    s.pollPeriodMs = 600000;
    ASSERT_TRUE(worker_->UpdatePollSettings(s));
    EXPECT_FALSE(worker_->WaitFor(NotificationId::SensorParametersChanged, 1, 300));
    ASSERT_TRUE(worker_->UpdatePollSettings(CalibrationPollSettings{}));
    EXPECT_EQ(worker_->Count(NotificationId::MeasurementsChanged), 0u);
    EXPECT_TRUE(Received().empty());

    s.pollPeriodMs = 100;
    ASSERT_TRUE(worker_->UpdatePollSettings(s));
    ASSERT_TRUE(worker_->WaitFor(NotificationId::MeasurementsChanged, 2));

    std::vector<SensorCalibrationLoopMeasurementsPoint> points;
    EXPECT_GE(worker_->CopyMeasurements(64, points), 2u);
    EXPECT_EQ(points[0].valid[SensorCalibrationLoopMeasurementsPoint::kConcentration], 1u);
    EXPECT_EQ(points[0].valid[SensorCalibrationLoopMeasurementsPoint::kAdc], 1u);
    EXPECT_EQ(points[0].valid[SensorCalibrationLoopMeasurementsPoint::kSensorTemperature], 0u);
    const std::vector<std::string> sent = Keywords();
    ASSERT_GE(sent.size(), 2u);
    EXPECT_EQ(sent[0], "@RRDT");
    EXPECT_EQ(sent[1], "@RRDV");
}

TEST_F(LineWorkerTest, CyclicLoopRunsThePendingCalibrationAfterHeatingAndBeforeTheReads)
{
    StartSim("");
    CalibrationPollSettings s;
    s.cyclic = 1;
    s.cyclePeriodMs = 300;
    s.heatingTimeMs = 100;
    s.readConcentration = 1;
    ASSERT_TRUE(worker_->UpdatePollSettings(s));
    SensorCommandRequest calibrate;
    calibrate.code = 3;
    calibrate.texts[0] = "50";
    ASSERT_TRUE(worker_->QueueCalibrationCommand(calibrate));
    EXPECT_TRUE(worker_->IsPollBusy());
    // One 4124 for taking the command, one when it has run.
    ASSERT_TRUE(AwaitTaskEvent(2));
    EXPECT_FALSE(worker_->IsPollBusy());
    ASSERT_TRUE(worker_->WaitFor(NotificationId::MeasurementsChanged));
    worker_->StopThread();

    const std::vector<std::string> r = Received();
    ASSERT_GE(r.size(), 4u);
    EXPECT_EQ(r[0], "@WCWH 680429,1");
    EXPECT_EQ(r[1], "@CSC1 680429,50");
    EXPECT_EQ(r[2], "@RRDT");
    EXPECT_EQ(r[3], "@WCWH 680429,0");
    SensorParameters sp;
    worker_->CopySensorParameters(sp);
    EXPECT_EQ(sp.c1.valid, 1u);
    EXPECT_EQ(sp.c1.text, "50");
}

TEST_F(LineWorkerTest, QueueingNeedsARunningCyclicLoop)
{
    StartSim("");
    SensorCommandRequest calibrate;
    calibrate.code = 3;
    calibrate.texts[0] = "50";
    EXPECT_FALSE(worker_->QueueCalibrationCommand(calibrate));
    CalibrationPollSettings s;
    s.readAdc = 1;
    ASSERT_TRUE(worker_->UpdatePollSettings(s));
    EXPECT_FALSE(worker_->QueueCalibrationCommand(calibrate));
    EXPECT_FALSE(worker_->IsPollBusy());
}

TEST_F(LineWorkerTest, NothingSelectedEndsTheLoopWithATaskEvent)
{
    StartSim("");
    CalibrationPollSettings s;
    s.pollPeriodMs = 100;
    s.readAdc = 1;
    ASSERT_TRUE(worker_->UpdatePollSettings(s));
    ASSERT_TRUE(worker_->WaitFor(NotificationId::MeasurementsChanged));
    EXPECT_EQ(worker_->State(), W::kTaskCalibrationPolling);
    ASSERT_TRUE(worker_->UpdatePollSettings(CalibrationPollSettings{}));
    EXPECT_EQ(worker_->State(), W::kReady);
    EXPECT_EQ(worker_->Count(NotificationId::LineTaskEvent), 1u);
    EXPECT_FALSE(worker_->IsPollBusy());
}

TEST_F(LineWorkerTest, MeasurementFileHoldsOneLinePerAppendedPoint)
{
    StartSim("");
    char tmpl[] = "/tmp/korvan-looplog-XXXXXX";
    const int fd = ::mkstemp(tmpl);
    ASSERT_GE(fd, 0);
    ::close(fd);
    CalibrationPollSettings s;
    s.pollPeriodMs = 100;
    s.readConcentration = 1;
    s.readSensorTemperature = 1;
    s.toFile = 1;
    s.filePath = tmpl;
    ASSERT_TRUE(worker_->UpdatePollSettings(s));
    ASSERT_TRUE(worker_->WaitFor(NotificationId::MeasurementsChanged, 3));
    ASSERT_TRUE(worker_->UpdatePollSettings(CalibrationPollSettings{}));
    const std::size_t points = worker_->Count(NotificationId::MeasurementsChanged);

    std::ifstream in(tmpl, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    std::size_t lines = 0;
    for (std::size_t at = bytes.find("\r\n"); at != std::string::npos; at = bytes.find("\r\n", at + 2))
        ++lines;
    EXPECT_EQ(lines, points + 1);   // the heading and one line per point
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
    std::remove(tmpl);
}

// A loop asked for so many points keeps exactly those, writes exactly those,
// and ends as a task ends.
TEST_F(LineWorkerTest, LoopWithAPointLimitEndsAfterItsLastPoint)
{
    StartSim("");
    char tmpl[] = "/tmp/korvan-looplimit-XXXXXX";
    const int fd = ::mkstemp(tmpl);
    ASSERT_GE(fd, 0);
    ::close(fd);
    CalibrationPollSettings s;
    s.pollPeriodMs = 100;
    s.readConcentration = 1;
    s.maxPoints = 3;
    s.toFile = 1;
    s.filePath = tmpl;
    ASSERT_TRUE(worker_->UpdatePollSettings(s));
    ASSERT_TRUE(AwaitTaskEvent());
    EXPECT_EQ(worker_->State(), W::kReady);
    EXPECT_EQ(worker_->Count(NotificationId::MeasurementsChanged), 3u);
    std::vector<SensorCalibrationLoopMeasurements::Entry> entries;
    std::uint64_t next = 0;
    EXPECT_EQ(worker_->CopyMeasurementsFrom(0, entries, next), 3u);
    EXPECT_EQ(next, 3u);
    EXPECT_EQ(worker_->CopyMeasurementFileStatus().pointsWritten, 3u);
    worker_->StopMeasurementFile();

    std::ifstream in(tmpl, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    std::string expected = MeasurementFile::HeaderBytes();
    for (const auto& entry : entries)
        expected += MeasurementFile::LineBytes(entry.point, entry.localTime);
    EXPECT_EQ(bytes, expected); // the lines carry the times the list keeps
    std::remove(tmpl);
}

// A file that will not open, and a disk that takes nothing: the user is told,
// the loop goes on measuring.
struct FileFailureCase {
    const char* name;
    bool inMissingFolder;      // else /dev/full
    std::uint32_t toFileAfter; // what the running settings say afterwards
};

class MeasurementFileFailure : public LineWorkerTest, public ::testing::WithParamInterface<FileFailureCase> {};

TEST_P(MeasurementFileFailure, IsToldAndPollingGoesOn)
{
    const FileFailureCase& c = GetParam();
    if (!c.inMissingFolder && ::access("/dev/full", W_OK) != 0)
        GTEST_SKIP() << "no /dev/full";
    StartSim("");
    CalibrationPollSettings s;
    s.pollPeriodMs = 100;
    s.readConcentration = 1;
    s.toFile = 1;
    s.filePath = c.inMissingFolder ? home_.PortsFolder() + "/no-such-folder/looplog.csv" : "/dev/full";
    ASSERT_TRUE(worker_->UpdatePollSettings(s));
    ASSERT_TRUE(worker_->WaitFor(NotificationId::MeasurementFileFailed));
    ASSERT_TRUE(worker_->WaitFor(NotificationId::MeasurementsChanged, 3));
    EXPECT_EQ(worker_->State(), W::kTaskCalibrationPolling);
    EXPECT_EQ(worker_->PollSettings().toFile, c.toFileAfter);
    const W::MeasurementFileStatus status = worker_->CopyMeasurementFileStatus();
    EXPECT_EQ(status.failed, 1u);
    EXPECT_NE(status.text.find(s.filePath), std::string::npos) << status.text;
    // Told once, not once per lost line.
    EXPECT_EQ(worker_->Count(NotificationId::MeasurementFileFailed), 1u);
    if (!c.inMissingFolder) {
        EXPECT_GE(status.linesLost, 3u);   // the heading and the points so far
    }
    ASSERT_TRUE(worker_->UpdatePollSettings(CalibrationPollSettings{}));
}

INSTANTIATE_TEST_SUITE_P(Files, MeasurementFileFailure,
                         ::testing::Values(FileFailureCase{"MissingFolder", true, 0},
                                           FileFailureCase{"DevFull", false, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

// A disk that fills in the middle of a line, behind the worker: the file the
// user opens afterwards parses, every row whole.
class DiskFullAfter : public FileOs {
public:
    explicit DiskFullAfter(std::size_t room) : room_(room) {}
    std::size_t Write(std::FILE* file, const char* data, std::size_t size) override
    {
        const std::size_t taken = FileOs::Write(file, data, std::min(size, room_.load()));
        room_ -= taken;
        return taken;
    }

private:
    std::atomic<std::size_t> room_;
};

TEST_F(LineWorkerTest, DiskFullMidLineLeavesOnlyWholeRows)
{
    StartSim("");
    char tmpl[] = "/tmp/korvan-looplog-XXXXXX";
    const int fd = ::mkstemp(tmpl);
    ASSERT_GE(fd, 0);
    ::close(fd);
    // The heading, then room for a line and a half.
    DiskFullAfter disk(MeasurementFile::HeaderBytes().size() + 75);
    worker_->SetFileOs(disk);
    CalibrationPollSettings s;
    s.pollPeriodMs = 100;
    s.readConcentration = 1;
    s.toFile = 1;
    s.filePath = tmpl;
    ASSERT_TRUE(worker_->UpdatePollSettings(s));
    ASSERT_TRUE(worker_->WaitFor(NotificationId::MeasurementFileFailed));
    ASSERT_TRUE(worker_->WaitFor(NotificationId::MeasurementsChanged, 3));
    ASSERT_TRUE(worker_->UpdatePollSettings(CalibrationPollSettings{}));

    std::ifstream in(tmpl, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    std::remove(tmpl);
    ASSERT_GE(bytes.size(), MeasurementFile::HeaderBytes().size());
    EXPECT_EQ(bytes.substr(0, MeasurementFile::HeaderBytes().size()), MeasurementFile::HeaderBytes());
    const std::string rows = bytes.substr(MeasurementFile::HeaderBytes().size());
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows.substr(rows.size() - 2), "\r\n");
    // Every row: the time stamp and 30 fields.
    std::size_t start = 0;
    for (std::size_t end = rows.find("\r\n"); end != std::string::npos; end = rows.find("\r\n", start)) {
        const std::string row = rows.substr(start, end - start);
        EXPECT_EQ(std::count(row.begin(), row.end(), ';'), 30) << row;
        start = end + 2;
    }
    EXPECT_EQ(start, rows.size());
    const W::MeasurementFileStatus status = worker_->CopyMeasurementFileStatus();
    EXPECT_EQ(status.failed, 1u);
    EXPECT_GE(status.linesLost, 1u);
}

// --- a queued calibration point and the heater, when the loop changes or stops ---

class QueuedCalibration : public LineWorkerTest {
protected:
    // A cyclic loop that waits long before its first cycle, with point 1
    // queued.
    void StartWaitingLoopWithPointQueued()
    {
        StartSim("");
        settings_.cyclic = 1;
        settings_.cyclePeriodMs = 600000;
        settings_.heatingTimeMs = 10;
        settings_.readConcentration = 1;
        ASSERT_TRUE(worker_->UpdatePollSettings(settings_));
        SensorCommandRequest calibrate;
        calibrate.code = 3;
        calibrate.texts[0] = "50";
        ASSERT_TRUE(worker_->QueueCalibrationCommand(calibrate));
        ASSERT_TRUE(worker_->IsPollBusy());
    }

    bool Sent(const std::string& request) const
    {
        const std::vector<std::string> r = Received();
        return std::find(r.begin(), r.end(), request) != r.end();
    }

    CalibrationPollSettings settings_;
};

TEST_F(QueuedCalibration, LoopEndingBeforeItIsSentSaysSo)
{
    StartWaitingLoopWithPointQueued();
    ASSERT_TRUE(worker_->UpdatePollSettings(CalibrationPollSettings{}));
    EXPECT_EQ(worker_->State(), W::kReady);
    EXPECT_FALSE(Sent("@CSC1 680429,50"));
    EXPECT_EQ(worker_->Count(NotificationId::CalibrationNotSent), 1u);
    const W::CalibrationNotSentReport report = worker_->CopyCalibrationNotSent();
    EXPECT_EQ(report.notSent, 1u);
    EXPECT_EQ(report.request.code, 3);
    EXPECT_EQ(report.request.texts[0], "50");
    EXPECT_FALSE(worker_->IsPollBusy());
}

TEST_F(QueuedCalibration, LoopLeavingCyclicModeSaysSoAndGoesOn)
{
    StartWaitingLoopWithPointQueued();
    settings_.cyclic = 0;
    settings_.pollPeriodMs = 600000;
    ASSERT_TRUE(worker_->UpdatePollSettings(settings_));
    EXPECT_EQ(worker_->State(), W::kTaskCalibrationPolling);
    EXPECT_EQ(worker_->Count(NotificationId::CalibrationNotSent), 1u);
    EXPECT_EQ(worker_->CopyCalibrationNotSent().request.texts[0], "50");
    EXPECT_FALSE(worker_->IsPollBusy());
    // A new point queued later clears the report.
    settings_.cyclic = 1;
    ASSERT_TRUE(worker_->UpdatePollSettings(settings_));
    SensorCommandRequest calibrate;
    calibrate.code = 4;
    calibrate.texts[0] = "10";
    ASSERT_TRUE(worker_->QueueCalibrationCommand(calibrate));
    EXPECT_EQ(worker_->CopyCalibrationNotSent().notSent, 0u);
}

TEST_F(LineWorkerTest, QueuedPointIsSentAfterAChangeOfTheCyclicSettings)
{
    StartSim("");
    CalibrationPollSettings s;
    s.cyclic = 1;
    s.cyclePeriodMs = 300;
    s.heatingTimeMs = 100;
    s.readConcentration = 1;
    ASSERT_TRUE(worker_->UpdatePollSettings(s));
    SensorCommandRequest calibrate;
    calibrate.code = 3;
    calibrate.texts[0] = "50";
    ASSERT_TRUE(worker_->QueueCalibrationCommand(calibrate));
    s.readAdc = 1;
    s.heatingTimeMs = 50;
    ASSERT_TRUE(worker_->UpdatePollSettings(s));
    // One 4124 for taking the command, one when it has run.
    ASSERT_TRUE(AwaitTaskEvent(2));
    worker_->StopThread();
    const std::vector<std::string> r = Received();
    EXPECT_NE(std::find(r.begin(), r.end(), "@CSC1 680429,50"), r.end());
    EXPECT_EQ(worker_->Count(NotificationId::CalibrationNotSent), 0u);
}

// Stopped while the heater is on (in its heating wait, or in the reads), the
// loop switches it off before it ends: one more exchange, no wait.
struct HeaterStopCase {
    const char* name;
    std::int32_t heatingTimeMs;
    const char* faults;
    std::size_t changes;  // sensor-record changes to wait for before the stop
};

class HeaterOnStop : public LineWorkerTest, public ::testing::WithParamInterface<HeaterStopCase> {};

TEST_P(HeaterOnStop, SwitchesTheHeaterOff)
{
    StartSim(GetParam().faults);
    CalibrationPollSettings s;
    s.cyclic = 1;
    s.cyclePeriodMs = 100;
    s.heatingTimeMs = GetParam().heatingTimeMs;
    s.readConcentration = 1;
    s.readAdc = 1;
    s.readSensorTemperature = 1;
    ASSERT_TRUE(worker_->UpdatePollSettings(s));
    // The heater-on answer has come back (and, in the reads, the silent
    // concentration read has given up): the loop is past it.
    ASSERT_TRUE(worker_->WaitFor(NotificationId::SensorParametersChanged, GetParam().changes));
    worker_->StopThread();
    const std::vector<std::string> r = Received();
    ASSERT_FALSE(r.empty());
    EXPECT_EQ(r.front(), "@WCWH 680429,1");
    EXPECT_EQ(r.back(), "@WCWH 680429,0");
    EXPECT_EQ(worker_->State(), W::kReady);
}

INSTANTIATE_TEST_SUITE_P(
    Stops, HeaterOnStop,
    ::testing::Values(HeaterStopCase{"InTheHeatingWait", 600000, "", 1},
                      HeaterStopCase{"InTheReads", 0, "[faults]\n@RRDT = silence\n@RRDV = silence\n", 2}),
    [](const auto& info) { return std::string(info.param.name); });

// --- sensor log and terminal -------------------------------------------------------

struct SensorLogCase {
    int linesOnSensor;
    std::size_t recordsKept;   // the first line read is not a log line
};

class SensorLogRead : public LineWorkerTest, public ::testing::WithParamInterface<SensorLogCase> {};

TEST_P(SensorLogRead, SkipsTheFirstLineAndEndsOnTheRefusal)
{
    StartSim("[detector]\nlog_records = " + std::to_string(GetParam().linesOnSensor) + "\n");
    // Switching the heater on starts the sensor's log.
    SensorCommandRequest heaterOn;
    heaterOn.code = 18;
    heaterOn.texts[0] = "1";
    ASSERT_TRUE(worker_->StartWrite(heaterOn));
    ASSERT_TRUE(AwaitTaskEvent());
    ASSERT_TRUE(worker_->StartSensorLog());
    ASSERT_TRUE(AwaitTaskEvent(2));
    EXPECT_EQ(worker_->State(), W::kReady);
    std::vector<SensorIntlogRecord> records;
    ASSERT_EQ(worker_->CopyIntlog(0, records), GetParam().recordsKept);
    for (const SensorIntlogRecord& r : records)
        EXPECT_FALSE(r.texts[0].empty());
    const auto notes = worker_->Notes();
    EXPECT_EQ(notes.back().id, NotificationId::LineTaskEvent);
}

INSTANTIATE_TEST_SUITE_P(Lines, SensorLogRead,
                         ::testing::Values(SensorLogCase{1, 0}, SensorLogCase{3, 2}),
                         [](const auto& info) { return "Lines" + std::to_string(info.param.linesOnSensor); });

TEST_F(LineWorkerTest, TerminalWithoutAnswerKeepsTheCommandWithAnEmptyAnswer)
{
    StartSim("[faults]\n@RRSS = silence\n");
    ASSERT_TRUE(worker_->StartTerminal("@RRIS"));
    ASSERT_TRUE(AwaitTaskEvent());
    ASSERT_TRUE(worker_->StartTerminal("@RRSS"));
    ASSERT_TRUE(AwaitTaskEvent(2));
    // The log's notification follows the task's end: wait for it, not only
    // for the 4124 before it.
    ASSERT_TRUE(worker_->WaitFor(NotificationId::TerminalLogChanged, 2));
    std::vector<SensorTerminalLogRecord> log;
    worker_->CopyTerminalLog(log);
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].command, "@RRIS");
    EXPECT_EQ(log[0].answer, "@RAIS " + sim_->Detector().Parameter("IS"));
    EXPECT_EQ(log[1].command, "@RRSS");
    EXPECT_EQ(log[1].answer, "");
    EXPECT_EQ(worker_->Notes().back().id, NotificationId::TerminalLogChanged);
    EXPECT_EQ(worker_->Notes().back().count, 2u);
}

// --- write and re-read codes ------------------------------------------------------

struct CodeCase {
    int code;
    std::vector<std::string> sent;   // requests as the detector received them
};

class CodeTableTest : public LineWorkerTest {
protected:
    // Starts one task per code and checks what reached the detector; every
    // task, known code or not, ends ready with one 4124.
    void ExpectCodeTable(const std::vector<CodeCase>& cases, const char* what, const std::function<bool(int)>& start)
    {
        std::size_t events = 0;
        for (const CodeCase& c : cases) {
            ClearReceived();
            ASSERT_TRUE(start(c.code)) << what << " " << c.code;
            ASSERT_TRUE(AwaitTaskEvent(++events)) << what << " " << c.code;
            worker_->StopThread();
            EXPECT_EQ(Received(), c.sent) << what << " " << c.code;
            EXPECT_EQ(worker_->State(), W::kReady) << what << " " << c.code;
        }
    }
};

TEST_F(CodeTableTest, EveryWriteCodeSendsItsCommand)
{
    StartSim("[detector]\nkind = Semi\n");
    const std::vector<CodeCase> cases = {
        {1, {"@WCV1 680429,t1"}},   {2, {"@WCV2 680429,t1"}},    {3, {"@CSC1 680429,t1"}},
        {4, {"@CSC2 680429,t1"}},   {5, {"@WCAV 680429,t1"}},    {6, {"@WCRG 680429,t1"}},
        {7, {"@WCRL 680429,t1"}},   {8, {"@WCBS 680429,t1"}},    {9, {"@WCSB 680429,t1"}},
        {10, {"@WCIZ 680429,t1"}},  {11, {"@WCRS 680429,t1"}},   {12, {"@WCMD 680429,t1"}},
        {13, {"@WCFS 680429,t1"}},  {14, {"@WCU0 680429,t1"}},   {15, {"@WCKK 680429,t1"}},
        {16, {"@WCUL 680429,t1"}},
        {17, {"@WCK0 680429,t1", "@WCK1 680429,t2", "@WCK2 680429,t3", "@WCK3 680429,t4", "@WCK4 680429,t5"}},
        {18, {"@WCWH 680429,t1"}},  {19, {"@CSBB 680429,t1"}},   {20, {"@WCBR 680429,t1"}},
        {21, {"@WCTG 680429,t1"}},  {22, {"@WCA1 680429,t1"}},   {23, {"@WCKT 680429,t1"}},
        {24, {"@WCT0 680429,t1"}},  {25, {"@WCH0 680429,t1"}},   {26, {"@WCMG 680429,t1"}},
        {27, {"@WCMP 680429,t1"}},  {28, {"@WCPI 680429,t1,t2,t3"}},
        {29, {"@WCS1 680429,t1"}},  {30, {"@WCS2 680429,t1"}},   {31, {"@CSR0 680429,t1"}},
        {32, {"@WCLP 680429,t1,t2,t3,t4"}},                      {33, {"@CSR0 680429,t1"}},
        {34, {"@WCCP 680429,t1,t2,t3,t4"}},                      {35, {"@WCLS 680429,t1,t2"}},
        {37, {"@MWCH t1"}},         {99, {}}};
    ExpectCodeTable(cases, "write code", [this](int code) {
        SensorCommandRequest r;
        r.code = code;
        r.texts = {"t1", "t2", "t3", "t4", "t5"};
        return worker_->StartWrite(r);
    });
}

TEST_F(LineWorkerTest, WriteOfTheLowerExplosiveLimitSendsOneDecimal)
{
    StartSim("[detector]\nkind = OptoDyn\n");
    SensorCommandRequest r;
    r.code = 36;
    r.texts[0] = "12.345";
    ASSERT_TRUE(worker_->StartWrite(r));
    ASSERT_TRUE(AwaitTaskEvent());
    EXPECT_EQ(Received(), (std::vector<std::string>{"@WCLE 680429,12.3"}));
    SensorParameters sp;
    worker_->CopySensorParameters(sp);
    EXPECT_EQ(sp.le.valid, 1u);
    EXPECT_EQ(sp.le.text, "12.3");
}

// What a Russian keyboard types: a decimal comma is the point where the value
// goes as a number, and refused (nothing sent, the task not started) where it
// would split a text field.
struct TypedValueCase {
    const char* name;
    int code;
    std::vector<std::string> texts;
    SensorValueProblem problem;
    std::vector<std::string> sent;
};

TEST_F(LineWorkerTest, TypedValuesAreSentOrRefusedByOneRule)
{
    StartSim("[detector]\nkind = OptoDyn\n");
    using P = SensorValueProblem;
    const TypedValueCase cases[] = {
        {"leDecimalComma", 36, {"12,345"}, P::None, {"@WCLE 680429,12.3"}},
        {"leTooLarge", 36, {"1e70"}, P::TooLarge, {}},
        {"leOverLongDigits", 36, {std::string(400, '9')}, P::TooLarge, {}},
        {"leNotANumber", 36, {"abc"}, P::NotANumber, {}},
        {"textComma", 1, {"0,5"}, P::Comma, {}},
        {"textPoint", 1, {"0.5"}, P::None, {"@WCV1 680429,0.5"}},
        {"fourthFieldComma", 32, {"1", "2", "3", "6,0"}, P::Comma, {}},
        {"coefficientLineBreak", 17, {"1", "2", "3", "4", "5\r\n@WMMC"}, P::LineBreak, {}},
        {"channelComma", 37, {"1,2"}, P::Comma, {}},
    };
    std::size_t events = 0;
    for (const TypedValueCase& c : cases) {
        SensorCommandRequest r;
        r.code = c.code;
        for (std::size_t i = 0; i < c.texts.size(); ++i)
            r.texts[i] = c.texts[i];
        EXPECT_EQ(W::CheckWriteRequest(r), c.problem) << c.name;
        ClearReceived();
        const bool started = worker_->StartWrite(r);
        EXPECT_EQ(started, c.problem == P::None) << c.name;
        if (started) {
            ASSERT_TRUE(AwaitTaskEvent(++events)) << c.name;
            worker_->StopThread();
        }
        EXPECT_EQ(Received(), c.sent) << c.name;
    }
    SensorParameters sp;
    worker_->CopySensorParameters(sp);
    EXPECT_EQ(sp.le.text, "12.3");

    // The cyclic loop's queue follows the same rule.
    CalibrationPollSettings s;
    s.cyclic = 1;
    s.cyclePeriodMs = 600000;
    s.readConcentration = 1;
    ASSERT_TRUE(worker_->UpdatePollSettings(s));
    SensorCommandRequest calibrate;
    calibrate.code = 3;
    calibrate.texts[0] = "2,5";
    EXPECT_FALSE(worker_->QueueCalibrationCommand(calibrate));
    calibrate.texts[0] = "2.5";
    EXPECT_TRUE(worker_->QueueCalibrationCommand(calibrate));
}

TEST_F(CodeTableTest, EveryRereadCodeSendsItsRead)
{
    StartSim("[detector]\nkind = Semi\n");
    const std::vector<CodeCase> cases = {
        {0, {"@RRV1"}},  {1, {"@RRV2"}},  {2, {"@RRC1"}},  {3, {"@RRC2"}},  {4, {"@RRAV"}},  {5, {"@RRRG"}},
        {6, {"@RRRL"}},  {7, {"@RRBS"}},  {8, {"@RRSB"}},  {9, {"@RRIZ"}},  {10, {"@RRRS"}}, {11, {"@RRMD"}},
        {12, {"@RRFS"}}, {13, {"@RRU0"}}, {14, {"@RRKK"}}, {15, {"@RRUL"}},
        {16, {"@RRK0", "@RRK1", "@RRK2", "@RRK3", "@RRK4"}},
        {17, {"@RRWH"}}, {18, {"@RRBB"}}, {19, {"@RRBR"}}, {20, {"@RRTG"}}, {21, {"@RRA1"}}, {22, {"@RRKT"}},
        {23, {"@RRT0"}}, {24, {"@RRH0"}}, {25, {"@RRMG"}}, {26, {"@RRMP"}}, {27, {"@RRPI"}}, {28, {"@RRS1"}},
        {29, {"@RRS2"}}, {30, {"@RRR0"}}, {31, {"@RRLP"}}, {32, {"@RRR0"}}, {33, {"@RRCP"}}, {34, {"@RRLE"}},
        {35, {}},        {-1, {}}};
    ExpectCodeTable(cases, "re-read code", [this](int code) { return worker_->StartReread(code); });
}

TEST_F(LineWorkerTest, HeaterOnEmptiesTheSensorLog)
{
    StartSim("[detector]\nlog_records = 4\n");
    SensorCommandRequest r;
    r.code = 18;
    r.texts[0] = "1";
    ASSERT_TRUE(worker_->StartWrite(r));
    ASSERT_TRUE(AwaitTaskEvent());
    ASSERT_TRUE(worker_->StartSensorLog());
    ASSERT_TRUE(AwaitTaskEvent(2));
    std::vector<SensorIntlogRecord> records;
    ASSERT_EQ(worker_->CopyIntlog(0, records), 3u);

    worker_->ClearNotes();
    r.texts[0] = "0";   // heater off keeps the log
    ASSERT_TRUE(worker_->StartWrite(r));
    ASSERT_TRUE(AwaitTaskEvent());
    records.clear();
    EXPECT_EQ(worker_->CopyIntlog(0, records), 3u);
    EXPECT_EQ(worker_->Count(NotificationId::SensorLogChanged), 0u);

    r.code = 21;        // a new heating temperature starts a new log
    r.texts[0] = "300";
    ASSERT_TRUE(worker_->StartWrite(r));
    ASSERT_TRUE(AwaitTaskEvent(2));
    records.clear();
    EXPECT_EQ(worker_->CopyIntlog(0, records), 0u);
    EXPECT_EQ(worker_->Count(NotificationId::SensorLogChanged), 1u);
}

} // namespace
