// The engine's mode machine over both workers, driven as the main window
// drives it, against the simulator.
#include "EngineFixture.h"

#include <set>
#include <thread>

#include "ModbusComConnector.h"

namespace {

using namespace std::chrono_literals;
using Pairs = std::vector<std::pair<int, int>>;

// --- which mode accepts which request -----------------------------------------

struct Operation {
    const char* name;
    int newMode;                       // the mode a started request enters
    std::set<int> accepted;            // modes in which it is accepted
    std::function<int(Engine&)> call;
};

const std::set<int> kSteady = {1, 3, 7, 9, 10, 14, 17, 19, 22};
const std::set<int> kSingle = {1, 3, 7, 9, 10, 14, 17, 19};
const std::set<int> kNoPoll = {1, 3, 7, 9, 10, 14, 17};

std::vector<Operation> Operations()
{
    SensorCommandRequest write;
    write.code = 1;
    write.texts[0] = "1";
    CalibrationPollSettings poll;
    poll.readAdc = 1;
    return {
        {"Connect", 2, kSteady, [](Engine& e) { return e.Connect(); }},
        {"ReadEventJournal", 9, kSteady, [](Engine& e) { return e.ReadEventJournal(); }},
        {"ReadThresholdJournal", 10, kSteady, [](Engine& e) { return e.ReadThresholdJournal(); }},
        {"ReadDeviceParameters", 12, kSteady, [](Engine& e) { return e.ReadDeviceParameters(); }},
        {"SetDevicePolling", 14, kSteady, [](Engine& e) { return e.SetDevicePolling(true); }},
        {"ReadSensorParameters", 15, kSteady, [](Engine& e) { return e.ReadSensorParameters(); }},
        {"SetSensorPolling", 17, kSteady, [](Engine& e) { return e.SetSensorPolling(true); }},
        {"ReadCalibrationSet", 18, kSteady, [](Engine& e) { return e.ReadCalibrationSet(); }},
        {"SendTerminalCommand", 23, kSteady, [](Engine& e) { return e.SendTerminalCommand("@RRIS"); }},
        {"RereadParameter", 20, kSingle, [](Engine& e) { return e.RereadParameter(0); }},
        {"WriteParameter", 21, kSingle, [write](Engine& e) { return e.WriteParameter(write); }},
        {"SaveFactorySettings", 24, kSingle, [](Engine& e) { return e.SaveFactorySettings(); }},
        {"LoadFactorySettings", 25, kSingle, [](Engine& e) { return e.LoadFactorySettings(); }},
        {"SetCalibrationPolling", 19, kSingle, [poll](Engine& e) { return e.SetCalibrationPolling(poll); }},
        {"ReadSensorLog", 22, kNoPoll, [](Engine& e) { return e.ReadSensorLog(); }},
        {"HartConnect", 5, kSteady, [](Engine& e) { return e.HartConnect(); }},
        {"SetHartPolling", 7, kNoPoll, [](Engine& e) { return e.SetHartPolling(true); }},
        {"SetHartLoopCurrent", 8, kSteady, [](Engine& e) { return e.SetHartLoopCurrent(12.0f, 1); }},
    };
}

TEST_F(EngineTest, EachModeAcceptsAndRefusesAsItShould)
{
    // No ports set: an accepted request fails to start, which shows as
    // 4024 (new mode, 1); a refused one changes nothing and posts nothing.
    engine_->SetHartAddress(5);
    const int modes[] = {0, 1, 2, 3, 5, 7, 8, 9, 10, 12, 14, 15, 17, 18, 19, 20, 21, 22, 23, 24, 25};
    for (const Operation& op : Operations()) {
        for (int m : modes) {
            poster_.Clear();
            // A line opened with its records reset forgets the HART address.
            engine_->SetHartAddress(5);
            engine_->mode = m;
            const int result = op.call(*engine_);
            const bool accepted = op.accepted.count(m) != 0;
            EXPECT_EQ(result, 0) << op.name << " in mode " << m;
            if (accepted) {
                EXPECT_EQ(engine_->mode, Engine::kModeIdle) << op.name << " in mode " << m;
                EXPECT_EQ(poster_.ModeChanges(), (Pairs{{op.newMode, 1}})) << op.name << " in mode " << m;
            } else {
                EXPECT_EQ(engine_->mode, m) << op.name << " in mode " << m;
                EXPECT_TRUE(poster_.All().empty()) << op.name << " in mode " << m;
            }
        }
    }
}

TEST_F(EngineTest, HartRequestsNeedAKnownHartAddress)
{
    engine_->hartPort = kHartPort;
    engine_->SetHartAddress(255);
    EXPECT_EQ(engine_->SetHartPolling(true), 0);
    EXPECT_EQ(engine_->SetHartLoopCurrent(4.0f, 1), 0);
    EXPECT_TRUE(poster_.All().empty());
    EXPECT_EQ(engine_->mode, Engine::kModeIdle);
}

// --- connecting -------------------------------------------------------------------

TEST_F(EngineTest, ConnectReadsTheLineThenTheHartIdentityThenMonitors)
{
    StartSim("[detector]\nhart_address = 4\n");
    ASSERT_EQ(engine_->Connect(), 1);
    EXPECT_EQ(engine_->mode, Engine::kModeConnecting);
    ASSERT_TRUE(PumpUntilMode(Engine::kModeConnected));
    EXPECT_EQ(poster_.ModeChanges(), (Pairs{{1, 2}, {2, 3}}));
    EXPECT_EQ(engine_->LineState(), SensorModbusInterface::kTaskMonitoring);
    EXPECT_EQ(engine_->HartState(), SensorHartInterface::kMonitoring);
    HartParameters hp;
    engine_->CopyHartParameters(hp);
    EXPECT_EQ(hp.pollingAddress.valid, 1u);
    EXPECT_EQ(hp.pollingAddress.value, 4u);
    EXPECT_EQ(hp.uniqueId.valid, 1u);
    // The HART identity came between the line's end and the monitoring.
    EXPECT_GE(poster_.Count(NotificationId::HartEvent), 1u);
    SensorParameters sp;
    engine_->CopySensorParameters(sp);
    EXPECT_EQ(sp.serialNumber.valid, 1u);
}

TEST_F(EngineTest, ConnectWithoutHartPortMonitorsTheLineAlone)
{
    StartSim("");
    engine_->hartPort = 0;
    ASSERT_EQ(engine_->Connect(), 1);
    ASSERT_TRUE(PumpUntilMode(Engine::kModeConnected));
    EXPECT_EQ(poster_.ModeChanges(), (Pairs{{1, 2}, {2, 3}}));
    EXPECT_EQ(engine_->HartState(), SensorHartInterface::kNoPort);
    EXPECT_EQ(engine_->LineState(), SensorModbusInterface::kTaskMonitoring);
    EXPECT_EQ(poster_.Count(NotificationId::HartEvent), 0u);
}

TEST_F(EngineTest, ConnectWithoutDevicePortFailsAtOnce)
{
    engine_->modbusPort = 0;
    EXPECT_EQ(engine_->Connect(), 0);
    EXPECT_EQ(engine_->mode, Engine::kModeIdle);
    EXPECT_EQ(poster_.ModeChanges(), (Pairs{{2, 1}}));
    EXPECT_EQ(engine_->LineState(), SensorModbusInterface::kNoPort);
}

TEST_F(EngineTest, ConnectToAPortHeldElsewhereLeavesStateTwo)
{
    StartSim("");
    ModbusComConnector other;
    ASSERT_TRUE(other.Open(kDevicePort));
    EXPECT_EQ(engine_->Connect(), 0);
    EXPECT_EQ(poster_.ModeChanges(), (Pairs{{2, 1}}));
    EXPECT_EQ(engine_->LineState(), SensorModbusInterface::kPortUnavailable);
}

TEST_F(EngineTest, SilentSensorEndsTheConnectionAttemptIdle)
{
    StartSim("[faults]\n* = silence\n");
    engine_->hartPort = 0;
    ASSERT_EQ(engine_->Connect(), 1);
    // Every read of the attempt goes unanswered; the task still ends.
    ASSERT_TRUE(PumpUntilMode(Engine::kModeConnected, 240000));
    EXPECT_EQ(poster_.ModeChanges(), (Pairs{{1, 2}, {2, 3}}));
}

TEST_F(EngineTest, ConnectIsRefusedWhileReadingTheDeviceButTakenWhileItIsPolled)
{
    StartSim("", false);
    sim_->SetAnswerDelay(200);
    ASSERT_EQ(engine_->ReadDeviceParameters(), 1);
    EXPECT_EQ(engine_->Connect(), 0);
    EXPECT_EQ(engine_->mode, Engine::kModeReadDevice);
    engine_->StopActivity();
    sim_->SetAnswerDelay(0);

    ASSERT_EQ(engine_->SetDevicePolling(true), 1);
    EXPECT_EQ(engine_->mode, Engine::kModeDevicePolling);
    poster_.Clear();
    ASSERT_EQ(engine_->Connect(), 1);
    EXPECT_EQ(engine_->mode, Engine::kModeConnecting);
    EXPECT_EQ(poster_.ModeChanges(), (Pairs{{1, 2}}));
    ASSERT_TRUE(PumpUntilMode(Engine::kModeConnected));
}

TEST_F(EngineTest, PollingSwitchedOffReturnsToIdle)
{
    StartSim("");
    ASSERT_EQ(engine_->SetSensorPolling(true), 1);
    EXPECT_EQ(engine_->SetDevicePolling(false), 0);   // that poll does not run
    ASSERT_EQ(engine_->SetSensorPolling(false), 1);
    EXPECT_EQ(engine_->mode, Engine::kModeIdle);
    EXPECT_EQ(poster_.ModeChanges(), (Pairs{{1, 17}, {17, 1}}));
    EXPECT_EQ(engine_->LineState(), SensorModbusInterface::kReady);
}

// --- calibration polling ------------------------------------------------------------

TEST_F(EngineTest, CalibrationPollingStartsChangesAndStops)
{
    StartSim("");
    CalibrationPollSettings s;
    s.pollPeriodMs = 100;
    s.readConcentration = 1;
    ASSERT_EQ(engine_->SetCalibrationPolling(s), 1);
    EXPECT_EQ(engine_->mode, Engine::kModeCalibrationPolling);
    ASSERT_TRUE(PumpUntilPosted(NotificationId::MeasurementsChanged, 2));

    s.readAdc = 1;
    ASSERT_EQ(engine_->SetCalibrationPolling(s), 1);
    EXPECT_EQ(engine_->PollSettings().readAdc, 1);
    EXPECT_EQ(poster_.ModeChanges(), (Pairs{{1, 19}}));

    poster_.Clear();
    ASSERT_EQ(engine_->SetCalibrationPolling(CalibrationPollSettings{}), 1);
    EXPECT_EQ(engine_->mode, Engine::kModeIdle);
    // The mode change first, then the emptied list.
    std::vector<std::uint32_t> order;
    for (const PostedMessage& m : poster_.All()) {
        if (m.message == NotificationId::ModeChanged || m.message == NotificationId::MeasurementsChanged)
            order.push_back(m.message);
    }
    EXPECT_EQ(order, (std::vector<std::uint32_t>{4024, 4132}));
    EXPECT_EQ(poster_.ModeChanges(), (Pairs{{19, 1}}));
    std::vector<SensorCalibrationLoopMeasurementsPoint> points;
    EXPECT_EQ(engine_->CopyMeasurements(64, points), 0u);
}

TEST_F(EngineTest, CalibrationPointDuringCyclicPollRunsInsideTheLoop)
{
    StartSim("");
    CalibrationPollSettings s;
    s.cyclic = 1;
    s.cyclePeriodMs = 300;
    s.heatingTimeMs = 50;
    s.readConcentration = 1;
    ASSERT_EQ(engine_->SetCalibrationPolling(s), 1);
    poster_.Clear();
    SensorCommandRequest point;
    point.code = 3;
    point.texts[0] = "25";
    ASSERT_EQ(engine_->WriteParameter(point), 1);
    EXPECT_EQ(engine_->mode, Engine::kModeCalibrationPolling);
    EXPECT_TRUE(engine_->IsPollBusy());
    // While the command waits, single commands are refused.
    EXPECT_EQ(engine_->RereadParameter(0), 0);
    ASSERT_TRUE(PumpUntilPosted(NotificationId::LineTaskEvent, 2));
    ASSERT_TRUE(Pump([&] { return !engine_->IsPollBusy(); }));
    EXPECT_TRUE(poster_.ModeChanges().empty());
    EXPECT_EQ(engine_->mode, Engine::kModeCalibrationPolling);
    const auto texts = sim_->Detector().Received().Texts();
    EXPECT_NE(std::find(texts.begin(), texts.end(), "@CSC1 680429,25"), texts.end());
}

TEST_F(EngineTest, ChannelWriteIsFollowedByTheSensorTypeSet)
{
    StartSim("");
    SensorCommandRequest channel;
    channel.code = 37;
    channel.texts[0] = "2";
    ASSERT_EQ(engine_->WriteParameter(channel), 1);
    ASSERT_TRUE(PumpUntilPosted(NotificationId::ModeChanged, 3));
    ASSERT_TRUE(PumpUntilMode(Engine::kModeIdle));
    EXPECT_EQ(poster_.ModeChanges(), (Pairs{{1, 21}, {1, 18}, {18, 1}}));
    const auto texts = sim_->Detector().Received().Texts();
    ASSERT_GE(texts.size(), 2u);
    EXPECT_EQ(texts[0], "@MWCH 2");
    EXPECT_EQ(texts[1], "@RRKS");
}

// --- aborts -------------------------------------------------------------------------

TEST_F(EngineTest, AbortStopsAJournalReadingAndIsRefusedOnceItEnded)
{
    StartSim("[journal]\nevent_capacity = 1000\nevent_first = 0\nevent_last = 900\n", true);
    ASSERT_EQ(engine_->ReadEventJournal(), 1);
    ASSERT_TRUE(PumpUntilPosted(NotificationId::EventJournalData, 2));
    ASSERT_EQ(engine_->AbortEventJournal(), 1);
    EXPECT_EQ(engine_->mode, Engine::kModeIdle);
    EXPECT_EQ(poster_.ModeChanges(), (Pairs{{1, 9}, {9, 1}}));
    SensorJournalContent content;
    engine_->CopyEventJournal(content);
    EXPECT_FALSE(content.empty());
    EXPECT_EQ(engine_->AbortEventJournal(), 0);

    // A reading that ended on its own cannot be aborted any more.
    sim_->SetPacing(false);
    poster_.Clear();
    ASSERT_EQ(engine_->ReadThresholdJournal(), 1);
    ASSERT_TRUE(Pump([&] { return engine_->LineState() == SensorModbusInterface::kReady; }));
    EXPECT_EQ(engine_->AbortThresholdJournal(), 0);
}

// --- multigas ---------------------------------------------------------------------------

TEST_F(EngineTest, SelectingAMultigasSetSwitchesEveryOtherSetOff)
{
    StartSim("[multigas]\nsets = 3\nselected_set = 1\n");
    engine_->mgCount = 3;
    ASSERT_EQ(engine_->SelectMultigasChannel(1), 1);
    EXPECT_EQ(sim_->Multigas().SelectedSet(), 2);
    const auto frames = sim_->Rack().Received().Frames();
    ASSERT_EQ(frames.size(), 3u);
    // Units 1 and 3 get 0 first, then unit 2 gets 1.
    EXPECT_EQ(frames[0][0], 1);
    EXPECT_EQ(frames[0][5], 0);
    EXPECT_EQ(frames[1][0], 3);
    EXPECT_EQ(frames[1][5], 0);
    EXPECT_EQ(frames[2][0], 2);
    EXPECT_EQ(frames[2][5], 1);
    EXPECT_TRUE(poster_.All().empty());

    engine_->mgPort = 0;
    EXPECT_EQ(engine_->SelectMultigasChannel(0), 0);
}

// --- snapshots ---------------------------------------------------------------------------

TEST_F(EngineTest, MeasurementSnapshotGivesTheNewestPointsOldestFirst)
{
    StartSim("");
    CalibrationPollSettings s;
    s.pollPeriodMs = 1;
    s.readAdc = 1;
    ASSERT_EQ(engine_->SetCalibrationPolling(s), 1);
    ASSERT_TRUE(PumpUntilPosted(NotificationId::MeasurementsChanged, 70, 60000));
    engine_->StopActivity();
    std::vector<SensorCalibrationLoopMeasurementsPoint> all;
    const std::size_t total = engine_->CopyMeasurements(1000, all);
    ASSERT_GE(total, 70u);
    std::vector<SensorCalibrationLoopMeasurementsPoint> newest{all.front()};
    ASSERT_EQ(engine_->CopyMeasurements(64, newest), 64u);
    EXPECT_TRUE(std::equal(newest.begin(), newest.end(), all.end() - 64));
}

TEST_F(EngineTest, IntlogSnapshotCopiesFromAPositionWithinBounds)
{
    StartSim("[detector]\nlog_records = 5\n");
    SensorCommandRequest heater;
    heater.code = 18;
    heater.texts[0] = "1";
    ASSERT_EQ(engine_->WriteParameter(heater), 1);
    ASSERT_TRUE(PumpUntilMode(Engine::kModeIdle));
    ASSERT_EQ(engine_->ReadSensorLog(), 1);
    ASSERT_TRUE(PumpUntilMode(Engine::kModeIdle));
    std::vector<SensorIntlogRecord> out;
    EXPECT_EQ(engine_->CopyIntlog(-1, out), 0u);
    EXPECT_EQ(engine_->CopyIntlog(4, out), 0u);
    EXPECT_EQ(engine_->CopyIntlog(2, out), 2u);
    EXPECT_EQ(engine_->CopyIntlog(0, out), 4u);
    EXPECT_EQ(out.size(), 6u);
    EXPECT_EQ(out[0], out[4]);   // record 2 both times
    EXPECT_EQ(out[1], out[5]);
}

TEST_F(EngineTest, StopActivityClosesBothWorkersWithoutPosting)
{
    StartSim("[detector]\nhart_address = 0\n");
    ASSERT_EQ(engine_->Connect(), 1);
    ASSERT_TRUE(PumpUntilMode(Engine::kModeConnected));
    poster_.Clear();
    engine_->StopActivity();
    EXPECT_EQ(engine_->mode, Engine::kModeIdle);
    EXPECT_EQ(engine_->LineState(), SensorModbusInterface::kClosed);
    EXPECT_EQ(engine_->HartState(), SensorHartInterface::kClosed);
    EXPECT_TRUE(poster_.ModeChanges().empty());
}

TEST_F(EngineTest, TerminalLogClearedPostsZero)
{
    StartSim("");
    ASSERT_EQ(engine_->SendTerminalCommand("@RRIS"), 1);
    ASSERT_TRUE(PumpUntilMode(Engine::kModeIdle));
    std::vector<SensorTerminalLogRecord> log;
    engine_->CopyTerminalLog(log);
    ASSERT_EQ(log.size(), 1u);
    poster_.Clear();
    engine_->ClearTerminalLog();
    engine_->CopyTerminalLog(log);
    EXPECT_TRUE(log.empty());
    ASSERT_EQ(poster_.All().size(), 1u);
    EXPECT_EQ(poster_.All()[0].message, NotificationId::TerminalLogChanged);
    EXPECT_EQ(poster_.All()[0].wParam, 0u);
}

} // namespace
