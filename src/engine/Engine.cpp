#include "Engine.h"

#include "ModbusMaster.h"

namespace {

using Line = SensorModbusInterface;
using Hart = SensorHartInterface;

bool LineDone(int state)
{
    return state == Line::kFailed || state == Line::kReady;
}

bool HartDone(std::uint32_t state)
{
    return state == Hart::kNoAnswer || state == Hart::kReady;
}

} // namespace

Engine::Engine(IWindowPoster* poster) : NotificationMap(poster) {}

Engine::~Engine()
{
    // The workers' threads call this object's notification overrides: they
    // must end while the overrides still exist.
    SensorHartInterface::Close();
    SensorModbusInterface::Close();
}

bool Engine::IsSteadyMode(int m)
{
    switch (m) {
    case kModeIdle:
    case kModeConnected:
    case kModeHartPolling:
    case kModeEventJournal:
    case kModeThresholdJournal:
    case kModeDevicePolling:
    case kModeSensorPolling:
    case kModeCalibrationPolling:
    case kModeSensorLog:
        return true;
    default:
        return false;
    }
}

bool Engine::AcceptsSingleCommand(int m)
{
    // Steady, but neither the sensor log nor (decided by the caller) a busy
    // calibration poll.
    return IsSteadyMode(m) && m != kModeSensorLog;
}

void Engine::PostModeChange(int oldMode, int newMode)
{
    Post(NotificationId::ModeChanged, static_cast<std::uintptr_t>(oldMode), static_cast<std::intptr_t>(newMode));
}

void Engine::StopWorkers()
{
    // Closing the HART line sends a pending release itself.
    releasePending_ = false;
    SensorModbusInterface::Close();
    SensorHartInterface::Close();
}

template <typename Start>
int Engine::StartLineActivity(int newMode, bool resetRecords, Start start)
{
    StopWorkers();
    mode = newMode;
    if (SensorModbusInterface::Open(modbusPort, resetRecords) && start()) {
        PostModeChange(kModeIdle, newMode);
        return 1;
    }
    // A failed start tells the pages which mode failed; the line worker's
    // state says why (no port, port busy, no answer).
    mode = kModeIdle;
    PostModeChange(newMode, kModeIdle);
    return 0;
}

int Engine::EndLineTask(int runningMode, int task)
{
    if (LineState() != task)
        return 0;
    // The port stays open: only the task ends.
    SensorModbusInterface::StopThread();
    mode = kModeIdle;
    PostModeChange(runningMode, kModeIdle);
    return 1;
}

template <typename Start>
int Engine::StartHartActivity(int newMode, Start start)
{
    StopWorkers();
    mode = newMode;
    if (HartOpen() && start()) {
        PostModeChange(kModeIdle, newMode);
        return 1;
    }
    mode = kModeIdle;
    PostModeChange(newMode, kModeIdle);
    return 0;
}

int Engine::Connect()
{
    if (!IsSteadyMode(mode))
        return 0;
    return StartLineActivity(kModeConnecting, true, [this] { return StartReadAll(); });
}

int Engine::ReadEventJournal()
{
    if (!IsSteadyMode(mode))
        return 0;
    return StartLineActivity(kModeEventJournal, true, [this] { return StartJournalRead(Journal::Event); });
}

int Engine::ReadThresholdJournal()
{
    if (!IsSteadyMode(mode))
        return 0;
    return StartLineActivity(kModeThresholdJournal, true, [this] { return StartJournalRead(Journal::Threshold); });
}

int Engine::ReadDeviceParameters()
{
    if (!IsSteadyMode(mode))
        return 0;
    return StartLineActivity(kModeReadDevice, true, [this] { return StartReadDevice(); });
}

int Engine::SetDevicePolling(bool on)
{
    if (!IsSteadyMode(mode))
        return 0;
    if (!on)
        return EndLineTask(kModeDevicePolling, kTaskDevicePolling);
    return StartLineActivity(kModeDevicePolling, true, [this] { return StartDevicePolling(); });
}

int Engine::ReadSensorParameters()
{
    if (!IsSteadyMode(mode))
        return 0;
    return StartLineActivity(kModeReadSensor, true, [this] { return StartReadSensor(); });
}

int Engine::SetSensorPolling(bool on)
{
    if (!IsSteadyMode(mode))
        return 0;
    if (!on)
        return EndLineTask(kModeSensorPolling, kTaskSensorPolling);
    return StartLineActivity(kModeSensorPolling, true, [this] { return StartSensorPolling(); });
}

int Engine::ReadCalibrationSet()
{
    if (!IsSteadyMode(mode))
        return 0;
    return StartLineActivity(kModeReadCalibrationSet, true, [this] { return StartReadCalibrationSet(); });
}

int Engine::RereadParameter(int code)
{
    if (!AcceptsSingleCommand(mode) || (mode == kModeCalibrationPolling && IsPollBusy()))
        return 0;
    return StartLineActivity(kModeReread, false, [this, code] { return StartReread(code); });
}

int Engine::WriteParameter(const SensorCommandRequest& request)
{
    // A value the line cannot carry is refused before anything stops; the
    // page tells why (CheckWriteRequest).
    if (CheckWriteRequest(request) != SensorValueProblem::None)
        return 0;
    if (!AcceptsSingleCommand(mode) || (mode == kModeCalibrationPolling && IsPollBusy()))
        return 0;
    // A calibration point during cyclic heating must run inside the loop,
    // between heating and measuring: it is handed over, not started.
    if (mode == kModeCalibrationPolling && (request.code == 3 || request.code == 4) && RunsCyclicLoop())
        return QueueCalibrationCommand(request) ? 1 : 0;
    followUpRead = request.code == 37 ? 1 : 0;
    return StartLineActivity(kModeWrite, false, [this, &request] { return StartWrite(request); });
}

int Engine::ReadSensorLog()
{
    if (!AcceptsSingleCommand(mode) || mode == kModeCalibrationPolling)
        return 0;
    return StartLineActivity(kModeSensorLog, false, [this] { return StartSensorLog(); });
}

int Engine::SendTerminalCommand(const std::string& text)
{
    if (!IsSteadyMode(mode))
        return 0;
    return StartLineActivity(kModeTerminal, true, [this, &text] { return StartTerminal(text); });
}

int Engine::SaveFactorySettings()
{
    if (!AcceptsSingleCommand(mode) || (mode == kModeCalibrationPolling && IsPollBusy()))
        return 0;
    return StartLineActivity(kModeFactorySave, true, [this] { return StartFactorySave(); });
}

int Engine::LoadFactorySettings()
{
    if (!AcceptsSingleCommand(mode) || (mode == kModeCalibrationPolling && IsPollBusy()))
        return 0;
    return StartLineActivity(kModeFactoryLoad, true, [this] { return StartFactoryLoad(); });
}

int Engine::SetCalibrationPolling(const CalibrationPollSettings& settings)
{
    if (!AcceptsSingleCommand(mode))
        return 0;
    const int oldMode = mode;
    if (settings.AnythingSelected() || settings.cyclic != 0) {
        mode = kModeCalibrationPolling;
        bool ok = true;
        if (oldMode != kModeCalibrationPolling) {
            StopWorkers();
            ok = SensorModbusInterface::Open(modbusPort, false);
        }
        if (ok)
            ok = UpdatePollSettings(settings);
        if (!ok) {
            mode = kModeIdle;
            PostModeChange(kModeCalibrationPolling, kModeIdle);
            return 0;
        }
        if (oldMode != kModeCalibrationPolling)
            PostModeChange(kModeIdle, kModeCalibrationPolling);
        return 1;
    }
    UpdatePollSettings(settings);
    mode = kModeIdle;
    if (oldMode == kModeCalibrationPolling)
        PostModeChange(kModeCalibrationPolling, kModeIdle);
    ClearMeasurements();
    return 1;
}

bool Engine::HartOpen()
{
    const std::uint8_t address =
        HartAddressKnownToEngine() ? EngineHartAddress() : SensorHartInterface::kUnknownAddress;
    return SensorHartInterface::Open(hartPort, address);
}

int Engine::HartConnect()
{
    if (!IsSteadyMode(mode))
        return 0;
    return StartHartActivity(kModeHartConnect, [this] { return StartRead(); });
}

int Engine::SetHartPolling(bool on)
{
    if (!AcceptsSingleCommand(mode) || mode == kModeCalibrationPolling)
        return 0;
    if (!on) {
        if (HartState() != Hart::kMonitoring)
            return 0;
        SensorHartInterface::StopThread();
        mode = kModeIdle;
        PostModeChange(kModeHartPolling, kModeIdle);
        return 1;
    }
    if (!HartAddressKnownToEngine())
        return 0;
    return StartHartActivity(kModeHartPolling, [this] {
        return HartState() == Hart::kReady && SensorHartInterface::StartMonitoring();
    });
}

bool Engine::StartLoopCurrentTask(float currentMa, std::uint32_t enable)
{
    // Closing the line the ordinary way would release the current first:
    // a new value would then go out only after a moment of live output.
    SensorHartInterface::CloseKeepingFixedCurrent();
    return HartOpen() && HartState() == Hart::kReady && StartLoopCurrent(enable, currentMa);
}

int Engine::SetHartLoopCurrent(float currentMa, std::uint32_t enable)
{
    if (mode == kModeHartLoopCurrent && enable == 0) {
        // The test is ended while a command is still on the line: refusing
        // the release would leave the output fixed.
        releasePending_ = true;
        return 1;
    }
    if (!IsSteadyMode(mode))
        return 0;
    if (!HartAddressKnownToEngine() && !(enable == 0 && LoopCurrentFixed()))
        return 0;
    releasePending_ = false;
    SensorModbusInterface::Close();
    mode = kModeHartLoopCurrent;
    if (StartLoopCurrentTask(currentMa, enable)) {
        PostModeChange(kModeIdle, kModeHartLoopCurrent);
        return 1;
    }
    mode = kModeIdle;
    PostModeChange(kModeHartLoopCurrent, kModeIdle);
    return 0;
}

int Engine::AbortEventJournal()
{
    if (mode != kModeEventJournal)
        return 0;
    return EndLineTask(kModeEventJournal, kTaskEventJournal);
}

int Engine::AbortThresholdJournal()
{
    if (mode != kModeThresholdJournal)
        return 0;
    return EndLineTask(kModeThresholdJournal, kTaskThresholdJournal);
}

void Engine::OnLineWorkerEvent()
{
    const int line = LineState();
    switch (mode) {
    case kModeConnecting:
        if (line == kFailed) {
            mode = kModeIdle;
            PostModeChange(kModeConnecting, kModeIdle);
            return;
        }
        if (line != SensorModbusInterface::kReady)
            return;
        // The sensor told its HART address: read the HART identity before
        // settling into monitoring.
        if (HartAddressKnownToEngine() && HartOpen() && StartRead())
            return;
        mode = kModeConnected;
        if (SensorModbusInterface::StartMonitoring()) {
            PostModeChange(kModeConnecting, kModeConnected);
        } else {
            mode = kModeIdle;
            PostModeChange(kModeConnected, kModeIdle);
        }
        return;
    case kModeEventJournal:
    case kModeThresholdJournal:
    case kModeReadDevice:
    case kModeDevicePolling:
    case kModeReadSensor:
    case kModeSensorPolling:
    case kModeReadCalibrationSet:
    case kModeCalibrationPolling:
    case kModeReread:
    case kModeSensorLog:
    case kModeTerminal:
    case kModeFactorySave:
    case kModeFactoryLoad:
        if (LineDone(line)) {
            const int old = mode;
            mode = kModeIdle;
            PostModeChange(old, kModeIdle);
        }
        return;
    case kModeWrite:
        if (LineDone(line)) {
            mode = kModeIdle;
            if (followUpRead != 0) {
                followUpRead = 0;
                ReadCalibrationSet();
            } else {
                PostModeChange(kModeWrite, kModeIdle);
            }
        }
        return;
    default:
        return;
    }
}

void Engine::OnHartWorkerEvent()
{
    const std::uint32_t hart = HartState();
    switch (mode) {
    case kModeConnecting:
        if (!HartDone(hart))
            return;
        mode = kModeConnected;
        if (LineDone(LineState())) {
            SensorModbusInterface::StartMonitoring();
            if (hart == Hart::kReady)
                SensorHartInterface::StartMonitoring();
            PostModeChange(kModeConnecting, kModeConnected);
        } else {
            mode = kModeIdle;
            PostModeChange(kModeConnected, kModeIdle);
        }
        return;
    case kModeHartLoopCurrent:
        if (!HartDone(hart))
            return;
        if (releasePending_) {
            releasePending_ = false;
            // Still in mode 8: the release's own event ends it.
            if (LoopCurrentFixed() && StartLoopCurrentTask(0.0f, 0))
                return;
        }
        mode = kModeIdle;
        PostModeChange(kModeHartLoopCurrent, kModeIdle);
        return;
    case kModeHartConnect:
    case kModeHartPolling:
        if (HartDone(hart)) {
            const int old = mode;
            mode = kModeIdle;
            PostModeChange(old, kModeIdle);
        }
        return;
    default:
        return;
    }
}

int Engine::SelectMultigasChannel(int index, MultigasSelection* outcome)
{
    MultigasSelection result;
    // Every way out hands the caller what was achieved up to there.
    const auto done = [&](int opened) {
        if (outcome != nullptr)
            *outcome = result;
        return opened;
    };
    if (mgPort < 1)
        return done(0);
    ModbusMaster rack;
    if (!rack.Open(mgPort)) {
        result.portPermissionDenied = rack.LastOpenError() == ComConnector::OpenError::PermissionDenied;
        return done(0);
    }
    result.portOpened = true;
    const int selected = index + 1;
    // Every other set off first, so that two sets never report at once.
    for (int unit = 1; unit <= mgCount && unit <= 247; ++unit) {
        if (unit != selected && !rack.WriteRegister(static_cast<std::uint8_t>(unit), 1012, 0, false))
            result.notDeselected.push_back(unit);
    }
    if (selected >= 1 && selected <= 247)
        result.selected = rack.WriteRegister(static_cast<std::uint8_t>(selected), 1012, 1, false);
    return done(1);
}

void Engine::ClearMeasurements()
{
    ClearMeasurementList();
}

void Engine::ClearTerminalLog()
{
    ClearTerminalRecords();
}

void Engine::StopActivity()
{
    mode = kModeIdle;
    // Closing the HART line sends a pending release itself.
    releasePending_ = false;
    SensorModbusInterface::Close();
    SensorHartInterface::Close();
}

Engine::WorkAtStake Engine::RunningWork()
{
    WorkAtStake w;
    // A journal read is under way while its task runs; the mode alone stays
    // 9 or 10 for a moment after the task has ended.
    w.eventJournalRead = mode == kModeEventJournal && LineState() == SensorModbusInterface::kTaskEventJournal;
    w.thresholdJournalRead =
        mode == kModeThresholdJournal && LineState() == SensorModbusInterface::kTaskThresholdJournal;
    if (mode == kModeCalibrationPolling) {
        const CalibrationPollSettings poll = PollSettings();
        w.measurementFile = poll.toFile != 0;
        w.measurementFilePath = poll.filePath;
    }
    w.loopCurrentFixed = LoopCurrentFixed();
    w.loopCurrentMa = w.loopCurrentFixed ? FixedLoopCurrent() : 0.0f;
    return w;
}

void Engine::StopFileLogging()
{
    StopMeasurementFile();
}

// --- notifications ----------------------------------------------------------

void Engine::NotifyTaskEvent() { Post(NotificationId::LineTaskEvent, 0, 0); }
void Engine::NotifySensorParametersChanged() { Post(NotificationId::SensorParametersChanged, 0, 0); }
void Engine::NotifyDeviceParametersChanged() { Post(NotificationId::DeviceParametersChanged, 0, 0); }
void Engine::NotifyLineUnused() { Post(NotificationId::LineUnused, 0, 0); }
void Engine::NotifyEventJournalStatus() { Post(NotificationId::EventJournalStatus, 0, 0); }
void Engine::NotifyEventJournalData() { Post(NotificationId::EventJournalData, 0, 0); }
void Engine::NotifyThresholdJournalStatus() { Post(NotificationId::ThresholdJournalStatus, 0, 0); }
void Engine::NotifyThresholdJournalData() { Post(NotificationId::ThresholdJournalData, 0, 0); }
void Engine::NotifyMeasurementsChanged() { Post(NotificationId::MeasurementsChanged, 0, 0); }
void Engine::NotifySensorLogChanged(std::uint32_t count) { Post(NotificationId::SensorLogChanged, count, 0); }
void Engine::NotifyTerminalLogChanged(std::uint32_t count) { Post(NotificationId::TerminalLogChanged, count, 0); }
void Engine::NotifyMeasurementFileFailed() { Post(NotificationId::MeasurementFileFailed, 0, 0); }
void Engine::NotifyCalibrationNotSent() { Post(NotificationId::CalibrationNotSent, 0, 0); }
void Engine::NotifyLineLinkChanged() { Post(NotificationId::LineLinkChanged, 0, 0); }

void Engine::NotifyEvent() { Post(NotificationId::HartEvent, 0, 0); }
void Engine::NotifyDataChanged() { Post(NotificationId::HartDataChanged, 0, 0); }
void Engine::NotifyNotice() { Post(NotificationId::HartUnused, 0, 0); }
void Engine::NotifyProgress(std::uint8_t value) { Post(NotificationId::HartProgress, 0, value); }
void Engine::NotifyHartLinkChanged() { Post(NotificationId::HartLinkChanged, 0, 0); }
void Engine::SetHartAddress(std::uint8_t value) { SetEngineHartAddress(value); }
