#include "SensorModbusInterface.h"

#include "ModbusComConnector.h"
#include "SensorKind.h"
#include "TCsLock.h"

SensorModbusInterface::SensorModbusInterface() : time_(&SystemTimeSource())
{
    master_.SetStopEvent(&stopEvent_);
}

SensorModbusInterface::~SensorModbusInterface()
{
    StopThread();
    master_.Close();
}

void SensorModbusInterface::SetTimeSource(ITimeSource* time)
{
    time_ = time != nullptr ? time : &SystemTimeSource();
    master_.SetTimeSource(time_);
}

void SensorModbusInterface::SetPasswords(const std::string& manufacturer, const std::string& calibration)
{
    TCsLock lock(dataLock_);
    manufacturerPassword_ = manufacturer;
    calibrationPassword_ = calibration;
}

// --- line and thread ----------------------------------------------------------

void SensorModbusInterface::ForgetSensor(bool alsoDevice)
{
    // The sensor may have been exchanged: nothing of the old one is kept.
    idKnown_ = 0;
    hartAddressKnown_ = 0;
    TCsLock lock(dataLock_);
    sensor_.Reset();
    if (alsoDevice)
        device_.Reset();
}

bool SensorModbusInterface::Open(int port, bool resetRecords)
{
    portPermissionDenied_ = false;
    if (port < 1) {
        if (resetRecords)
            ForgetSensor(true);
        state_ = kNoPort;
        return false;
    }
    // The line this worker may still hold must go first, or the new
    // connector would find the port locked by it.
    master_.Close();
    auto connector = std::make_unique<ModbusComConnector>();
    if (!connector->Open(port)) {
        if (resetRecords)
            ForgetSensor(true);
        portPermissionDenied_ = connector->LastOpenError() == ComConnector::OpenError::PermissionDenied;
        state_ = kPortUnavailable;
        return false;
    }
    const bool opened = Open(std::move(connector), resetRecords);
    if (opened)
        link_.Reset(port);
    return opened;
}

bool SensorModbusInterface::Open(std::unique_ptr<IConnector> connector, bool resetRecords)
{
    portPermissionDenied_ = false;
    if (resetRecords)
        ForgetSensor(true);
    master_.Close();
    link_.Reset(0);
    if (!master_.Open(std::move(connector))) {
        state_ = kPortUnavailable;
        return false;
    }
    state_ = kReady;
    return true;
}

// --- a lost line ----------------------------------------------------------------

bool SensorModbusInterface::AfterPollCycle(const LineLink::CycleMark& mark)
{
    if (StopRequested())
        return false;
    const auto notify = [this] { NotifyLineLinkChanged(); };
    if (!link_.MustWait(mark, master_.Watch(), notify))
        return true;
    if (link_.Await<ModbusComConnector>(master_, stopEvent_, notify))
        return true;
    state_ = kReady;
    return false;
}

void SensorModbusInterface::Close()
{
    StopThread();
    master_.Close();
    state_ = kClosed;
}

void SensorModbusInterface::StartThread()
{
    StopThread();
    stopEvent_.Reset();
    const int task = state_.load();
    thread_ = std::thread([this, task] {
        workerId_ = std::this_thread::get_id();
        ThreadProc(task);
    });
}

void SensorModbusInterface::StopThread()
{
    if (workerId_.load() == std::this_thread::get_id()) {
        // Called from the task itself (a notification handler): it cannot
        // wait for its own end; it sees the stop at its next step.
        stopEvent_.Set();
        return;
    }
    if (!thread_.joinable())
        return;
    stopEvent_.Set();
    thread_.join();
    workerId_ = std::thread::id();
}

bool SensorModbusInterface::CanStart() const
{
    const int s = state_.load();
    return s == kFailed || s == kReady;
}

bool SensorModbusInterface::Begin(int task)
{
    state_ = task;
    StartThread();
    return true;
}

void SensorModbusInterface::EndTask()
{
    state_ = kReady;
    NotifyTaskEvent();
}

void SensorModbusInterface::ThreadProc(int task)
{
    switch (task) {
    case kTaskReadAll: TaskReadAll(); break;
    case kTaskMonitoring: TaskMonitoring(); break;
    case kTaskEventJournal: TaskJournal(Journal::Event); break;
    case kTaskThresholdJournal: TaskJournal(Journal::Threshold); break;
    case kTaskReadDevice: TaskReadDevice(); break;
    case kTaskDevicePolling: TaskDevicePolling(); break;
    case kTaskReadSensor: TaskReadSensor(); break;
    case kTaskSensorPolling: TaskSensorPolling(); break;
    case kTaskReadCalibrationSet: TaskReadCalibrationSet(); break;
    case kTaskCalibrationPolling: TaskCalibrationPolling(); break;
    case kTaskReread: TaskReread(); break;
    case kTaskWrite: TaskWrite(); break;
    case kTaskSensorLog: TaskSensorLog(); break;
    case kTaskTerminal: TaskTerminal(); break;
    case kTaskFactorySave: TaskFactory(true); break;
    case kTaskFactoryLoad: TaskFactory(false); break;
    default: break;
    }
}

// --- start operations -----------------------------------------------------------

bool SensorModbusInterface::StartReadAll()
{
    if (!CanStart())
        return false;
    ForgetSensor(true);
    return Begin(kTaskReadAll);
}

bool SensorModbusInterface::StartMonitoring()
{
    return CanStart() && Begin(kTaskMonitoring);
}

bool SensorModbusInterface::StartJournalRead(Journal which)
{
    if (!CanStart())
        return false;
    {
        TCsLock lock(dataLock_);
        Buffer(which).PrepareForRead();
    }
    Begin(which == Journal::Event ? kTaskEventJournal : kTaskThresholdJournal);
    NotifyJournalStatus(which);
    NotifyJournalData(which);
    return true;
}

bool SensorModbusInterface::StartReadDevice()
{
    if (!CanStart())
        return false;
    idKnown_ = 0;
    {
        TCsLock lock(dataLock_);
        sensor_.modbusId.valid = 0;
        device_.Reset();
    }
    return Begin(kTaskReadDevice);
}

bool SensorModbusInterface::StartDevicePolling()
{
    return CanStart() && Begin(kTaskDevicePolling);
}

bool SensorModbusInterface::BeginSensorRead(int task)
{
    if (!CanStart())
        return false;
    ForgetSensor(false);
    return Begin(task);
}

bool SensorModbusInterface::StartReadSensor()
{
    return BeginSensorRead(kTaskReadSensor);
}

bool SensorModbusInterface::StartSensorPolling()
{
    return CanStart() && Begin(kTaskSensorPolling);
}

bool SensorModbusInterface::StartReadCalibrationSet()
{
    return BeginSensorRead(kTaskReadCalibrationSet);
}

bool SensorModbusInterface::StartReread(int code)
{
    if (!CanStart())
        return false;
    {
        TCsLock lock(dataLock_);
        parameterCode_ = code;
    }
    return Begin(kTaskReread);
}

bool SensorModbusInterface::StartWrite(const SensorCommandRequest& request)
{
    if (!CanStart() || CheckWriteRequest(request) != SensorValueProblem::None)
        return false;
    {
        TCsLock lock(dataLock_);
        writeRequest_ = request;
    }
    return Begin(kTaskWrite);
}

bool SensorModbusInterface::StartSensorLog()
{
    return CanStart() && Begin(kTaskSensorLog);
}

bool SensorModbusInterface::StartTerminal(const std::string& text)
{
    if (!CanStart())
        return false;
    {
        TCsLock lock(dataLock_);
        terminalCommand_ = text;
    }
    return Begin(kTaskTerminal);
}

bool SensorModbusInterface::StartFactorySave()
{
    return CanStart() && Begin(kTaskFactorySave);
}

bool SensorModbusInterface::StartFactoryLoad()
{
    return CanStart() && Begin(kTaskFactoryLoad);
}

// --- calibration polling settings ------------------------------------------------

bool SensorModbusInterface::UpdatePollSettings(const CalibrationPollSettings& settings)
{
    if (!settings.AnythingSelected() && settings.cyclic == 0) {
        // A queued calibration point that the loop did not send is reported
        // by the loop on its way out.
        if (state_.load() == kTaskCalibrationPolling)
            StopThread();
        TCsLock lock(dataLock_);
        pollSettings_ = settings;
        pendingCalibration_.code = 0;
        measurementFile_.Close();
        return true;
    }
    const int s = state_.load();
    if (s != kFailed && s != kReady && s != kTaskCalibrationPolling)
        return false;
    const bool loopRuns = s == kTaskCalibrationPolling;
    bool tellFile = false;
    bool tellCalibration = false;
    {
        TCsLock lock(dataLock_);
        pollSettings_ = settings;
        if (!loopRuns)
            calibrationNotSent_ = CalibrationNotSentReport{};
        // The user was told the point was accepted: it stays queued while the
        // loop goes on cyclic. Only a loop that leaves cyclic mode can never
        // send it (the loop takes it only between heating and measuring), and
        // then the user hears so. A point the loop has already taken is being
        // sent; the loop clears it.
        if (pendingCalibration_.code != 0 && !(loopRuns && settings.cyclic != 0) && !pendingTaken_) {
            if (loopRuns) {
                RecordCalibrationNotSent(pendingCalibration_);
                tellCalibration = true;
            }
            pendingCalibration_.code = 0;
        }
        if (!measurementFile_.IsOpen() && settings.toFile != 0) {
            if (measurementFile_.Open(settings.filePath) == MeasurementFile::Result::Ok) {
                measurementFileStatus_ = MeasurementFileStatus{};
                if (measurementFile_.WriteMeasurementHeader() != MeasurementFile::Result::Ok)
                    tellFile = RecordFileWriteFailure();
            } else {
                // The loop runs without the file; the running settings say so,
                // and a later change with the file on tries again.
                pollSettings_.toFile = 0;
                tellFile = RecordFileOpenFailure();
            }
        } else if (measurementFile_.IsOpen() && settings.toFile == 0) {
            measurementFile_.Close();
        }
    }
    if (tellFile)
        NotifyMeasurementFileFailed();
    if (tellCalibration)
        NotifyCalibrationNotSent();
    if (!loopRuns) {
        state_ = kTaskCalibrationPolling;
        StartThread();
    }
    return true;
}

bool SensorModbusInterface::RecordFileOpenFailure()
{
    measurementFileStatus_.failed = 1;
    measurementFileStatus_.text = "Не удалось открыть файл измерений \"" + measurementFile_.Path() +
                                  "\": папка не существует, нет прав на запись или файл занят другой программой. "
                                  "Опрос продолжается без записи в файл.";
    return true;
}

bool SensorModbusInterface::RecordFileWriteFailure()
{
    const bool first = measurementFileStatus_.failed == 0;
    measurementFileStatus_.failed = 1;
    ++measurementFileStatus_.linesLost;
    measurementFileStatus_.text = "Ошибка записи в файл измерений \"" + measurementFile_.Path() +
                                  "\": диск заполнен или недоступен. Не записано строк: " +
                                  std::to_string(measurementFileStatus_.linesLost) +
                                  ". Записанные строки сохранены целыми; опрос продолжается.";
    return first;
}

void SensorModbusInterface::RecordCalibrationNotSent(const SensorCommandRequest& request)
{
    calibrationNotSent_.notSent = 1;
    calibrationNotSent_.request = request;
}

SensorModbusInterface::MeasurementFileStatus SensorModbusInterface::CopyMeasurementFileStatus()
{
    TCsLock lock(dataLock_);
    return measurementFileStatus_;
}

SensorModbusInterface::CalibrationNotSentReport SensorModbusInterface::CopyCalibrationNotSent()
{
    TCsLock lock(dataLock_);
    return calibrationNotSent_;
}

void SensorModbusInterface::SetFileOs(FileOs& os)
{
    TCsLock lock(dataLock_);
    measurementFile_.SetFileOs(os);
}

bool SensorModbusInterface::QueueCalibrationCommand(const SensorCommandRequest& request)
{
    if (CheckWriteRequest(request) != SensorValueProblem::None)
        return false;
    {
        TCsLock lock(dataLock_);
        if (state_.load() != kTaskCalibrationPolling || pollSettings_.cyclic == 0)
            return false;
        pendingCalibration_ = request;
        pendingTaken_ = false;
        calibrationNotSent_ = CalibrationNotSentReport{};
    }
    NotifyTaskEvent();
    return true;
}

bool SensorModbusInterface::RunsCyclicLoop()
{
    TCsLock lock(dataLock_);
    return state_.load() == kTaskCalibrationPolling && pollSettings_.cyclic != 0;
}

void SensorModbusInterface::SetEngineHartAddress(std::uint8_t value)
{
    if (value == 255) {
        hartAddressKnown_ = 0;
        return;
    }
    hartAddress_ = value;
    hartAddressKnown_ = 1;
}

bool SensorModbusInterface::IsPollBusy()
{
    TCsLock lock(dataLock_);
    return state_.load() == kTaskCalibrationPolling && pollSettings_.cyclic != 0 && pendingCalibration_.code != 0;
}

// --- tasks ----------------------------------------------------------------------

void SensorModbusInterface::TaskReadAll()
{
    int (SensorModbusInterface::*const sensorReads[])() = {
        &SensorModbusInterface::ReadSerialNumber, &SensorModbusInterface::ReadManufactureDate,
        &SensorModbusInterface::ReadCalibrationDate, &SensorModbusInterface::ReadAnalyteCode,
        &SensorModbusInterface::ReadUnits, &SensorModbusInterface::ReadUpperLimit,
        &SensorModbusInterface::ReadLowerLimit, &SensorModbusInterface::ReadManufacturer};
    if (!ReadModbusId())
        return;
    for (auto read : sensorReads) {
        if (!(this->*read)())
            return;
    }
    if (!ReadSensorType() || !ReadSoftwareVersion() || !ReadV1() || !ReadC1() || !ReadV2() || !ReadC2() ||
        !ReadS1() || !ReadS2() || !ReadSoftwareId())
        return;
    if (IdKnown()) {
        if (!ReadThresholds() || !ReadEcoMode() || !ReadText8() || !ReadJournalIndices() ||
            !ReadDeviceAnalyteCode() || !ReadDeviceUnits() || !ReadDeviceCalibrationDate())
            return;
    }
    if (!ReadConcentration(true) || !ReadAdc() || !ReadSensorTemperature())
        return;
    if (IdKnown()) {
        if (!ReadDeviceConcentration() || !ReadDeviceClock())
            return;
    }
    if (!ReadHartId() || !ReadDaa())
        return;
    EndTask();
}

void SensorModbusInterface::TaskMonitoring()
{
    if (!ReadModbusId() || !ReadHartId())
        return;
    for (;;) {
        if (stopEvent_.Wait(kPollIntervalMs)) {
            state_ = kReady;
            return;
        }
        const LineLink::CycleMark mark = LineLink::Mark(master_.Watch());
        if (!ReadConcentration(true) || !ReadAdc() || !ReadSensorTemperature())
            return;
        if (IdKnown() && (!ReadDeviceConcentration() || !ReadDeviceClock()))
            return;
        if (!AfterPollCycle(mark))
            return;
    }
}

void SensorModbusInterface::TaskReadDevice()
{
    if (!ReadModbusId(true) || !ReadHartId() || !ReadSoftwareId())
        return;
    if (IdKnown()) {
        if (!ReadThresholds() || !ReadEcoMode() || !ReadText8() || !ReadJournalIndices() ||
            !ReadDeviceAnalyteCode() || !ReadDeviceUnits() || !ReadDeviceCalibrationDate() ||
            !ReadDeviceConcentration() || !ReadDeviceClock())
            return;
    }
    EndTask();
}

void SensorModbusInterface::TaskDevicePolling()
{
    if (!ReadModbusId(true) || !ReadHartId() || !ReadSoftwareId())
        return;
    if (!ReadThresholds() || !ReadEcoMode() || !ReadText8() || !ReadJournalIndices() || !ReadDeviceAnalyteCode() ||
        !ReadDeviceUnits() || !ReadDeviceCalibrationDate())
        return;
    for (;;) {
        if (stopEvent_.Wait(kPollIntervalMs)) {
            state_ = kReady;
            return;
        }
        const LineLink::CycleMark mark = LineLink::Mark(master_.Watch());
        if (IdKnown() && (!ReadDeviceConcentration() || !ReadDeviceClock()))
            return;
        if (!AfterPollCycle(mark))
            return;
    }
}

bool SensorModbusInterface::ReadSensorSet()
{
    return ReadModbusId() && ReadSerialNumber() && ReadManufactureDate() && ReadCalibrationDate() &&
           ReadAnalyteCode() && ReadUnits() && ReadUpperLimit() && ReadLowerLimit() && ReadManufacturer() &&
           ReadSensorType() && ReadSoftwareVersion() && ReadV1() && ReadC1() && ReadV2() && ReadC2() && ReadS1() &&
           ReadS2() && ReadConcentration(true) && ReadAdc() && ReadSensorTemperature() && ReadHartId();
}

void SensorModbusInterface::TaskReadSensor()
{
    if (ReadSensorSet())
        EndTask();
}

void SensorModbusInterface::TaskSensorPolling()
{
    if (!ReadSensorSet())
        return;
    for (;;) {
        if (stopEvent_.Wait(kPollIntervalMs)) {
            state_ = kReady;
            return;
        }
        const LineLink::CycleMark mark = LineLink::Mark(master_.Watch());
        if (!ReadConcentration(true) || !ReadAdc() || !ReadSensorTemperature())
            return;
        if (!AfterPollCycle(mark))
            return;
    }
}

void SensorModbusInterface::TaskReadCalibrationSet()
{
    ClearMeasurementList();
    if (!ReadSensorType(true) || !ReadSoftwareVersion() || !ReadSerialNumber())
        return;
    SensorKind kind = SensorKind::Unknown;
    {
        TCsLock lock(dataLock_);
        if (sensor_.sensorType.valid != 0)
            kind = ClassifySensorKind(sensor_.sensorType.text);
    }
    using Self = SensorModbusInterface;
    auto run = [this](std::initializer_list<int (Self::*)()> reads) {
        for (auto read : reads) {
            if (!(this->*read)())
                return false;
        }
        return true;
    };
    auto settings = [this](std::initializer_list<std::size_t> indexes) {
        for (std::size_t i : indexes) {
            if (!ReadSetting(i))
                return false;
        }
        return true;
    };
    auto plainConcentration = [this] { return ReadConcentration(false) != 0; };
    auto errorConcentration = [this] { return ReadConcentration(true) != 0; };

    bool done = true;
    switch (kind) {
    case SensorKind::OptoDyn:
    case SensorKind::OptoMIP:
        done = ReadLE() != 0;
        break;
    case SensorKind::Elchem:
        done = settings({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}) && ReadCoefficients() &&
               run({&Self::ReadC1, &Self::ReadC2, &Self::ReadV1, &Self::ReadV2}) && plainConcentration() &&
               run({&Self::ReadAdc, &Self::ReadSensorTemperature});
        break;
    case SensorKind::Oksik:
        done = settings({0, 1}) && ReadCoefficients() &&
               run({&Self::ReadC1, &Self::ReadC2, &Self::ReadV1, &Self::ReadV2}) && plainConcentration() &&
               run({&Self::ReadAdc, &Self::ReadSensorTemperature});
        break;
    case SensorKind::Semi:
        done = run({&Self::ReadHeater, &Self::ReadTG, &Self::ReadA1, &Self::ReadKT, &Self::ReadT0, &Self::ReadH0,
                    &Self::ReadMG, &Self::ReadMP, &Self::ReadPI, &Self::ReadC1, &Self::ReadC2, &Self::ReadS1,
                    &Self::ReadS2, &Self::ReadR0, &Self::ReadLP}) &&
               errorConcentration() &&
               run({&Self::ReadSensorTemperature, &Self::ReadTH, &Self::ReadRP, &Self::ReadPV, &Self::ReadRH,
                    &Self::ReadPW, &Self::ReadSH});
        break;
    case SensorKind::TcatBrdg:
        done = run({&Self::ReadHeater, &Self::ReadBB}) && settings({1}) &&
               run({&Self::ReadBR, &Self::ReadC1, &Self::ReadC2, &Self::ReadV1, &Self::ReadV2}) &&
               plainConcentration() && ReadAdc();
        break;
    case SensorKind::TcatPWR:
        done = run({&Self::ReadHeater, &Self::ReadTG, &Self::ReadKT, &Self::ReadMG, &Self::ReadMP, &Self::ReadCP,
                    &Self::ReadPI, &Self::ReadC1, &Self::ReadC2, &Self::ReadS1, &Self::ReadS2, &Self::ReadR0Pair,
                    &Self::ReadLP}) &&
               errorConcentration() && run({&Self::ReadTH2, &Self::ReadRH2, &Self::ReadDW});
        break;
    default:
        break;
    }
    if (done)
        EndTask();
}

void SensorModbusInterface::TaskCalibrationPolling()
{
    CalibrationPollSettings local;
    {
        TCsLock lock(dataLock_);
        local = pollSettings_;
    }
    std::uint32_t cycleStart = time_->TickMs();
    // Whether "@WCWH …,1" went out without its "…,0" after it.
    bool heaterOn = false;
    // Points this run has kept, for a loop asked to end after so many.
    std::int64_t kept = 0;
    for (;;) {
        // The tick count wraps after 49 days; unsigned subtraction keeps the
        // elapsed time right across the wrap.
        const std::uint32_t elapsed = time_->TickMs() - cycleStart;
        const std::int32_t periodSetting = local.cyclic != 0 ? local.cyclePeriodMs : local.pollPeriodMs;
        const std::uint32_t period = periodSetting > 0 ? static_cast<std::uint32_t>(periodSetting) : 0;
        if (stopEvent_.Wait(elapsed > period ? 0 : period - elapsed))
            break;
        cycleStart = time_->TickMs();
        const LineLink::CycleMark mark = LineLink::Mark(master_.Watch());

        if (local.cyclic != 0) {
            if (!WriteHeater(true))
                break;
            heaterOn = true;
            if (stopEvent_.Wait(local.heatingTimeMs > 0 ? static_cast<std::uint32_t>(local.heatingTimeMs) : 0))
                break;
        }

        SensorCommandRequest command;
        {
            TCsLock lock(dataLock_);
            sensor_.concentration.ForgetError();
            sensor_.sensorTemperature.ForgetError();
            sensor_.thReading.ForgetError();
            sensor_.rpReading.ForgetError();
            sensor_.rhReading.ForgetError();
            sensor_.shReading.ForgetError();
            sensor_.dwReading.ForgetError();
            if (local.cyclic != 0 && (pendingCalibration_.code == 3 || pendingCalibration_.code == 4)) {
                command = pendingCalibration_;
                pendingTaken_ = true;
            }
        }
        if (command.code != 0) {
            const int go = command.code == 3 ? CalibratePoint1(command.texts[0]) : CalibratePoint2(command.texts[0]);
            if (!go)
                break;
            {
                TCsLock lock(dataLock_);
                pendingCalibration_.code = 0;
                pendingTaken_ = false;
            }
            NotifyTaskEvent();
        }

        const std::pair<std::int32_t, int (SensorModbusInterface::*)()> reads[] = {
            {local.readConcentration, nullptr},
            {local.readAdc, &SensorModbusInterface::ReadAdc},
            {local.readSensorTemperature, &SensorModbusInterface::ReadSensorTemperature},
            {local.readTh, &SensorModbusInterface::ReadTH},
            {local.readRp, &SensorModbusInterface::ReadRP},
            {local.readPv, &SensorModbusInterface::ReadPV},
            {local.readRh, &SensorModbusInterface::ReadRH},
            {local.readPw, &SensorModbusInterface::ReadPW},
            {local.readSh, &SensorModbusInterface::ReadSH},
            {local.readTh2, &SensorModbusInterface::ReadTH2},
            {local.readRh2, &SensorModbusInterface::ReadRH2},
            {local.readDw, &SensorModbusInterface::ReadDW},
            {local.readMultigas, &SensorModbusInterface::ReadMultigas},
        };
        bool stopped = false;
        for (const auto& [selected, read] : reads) {
            if (selected == 0)
                continue;
            const int go = read == nullptr ? ReadConcentration(true) : (this->*read)();
            if (!go) {
                stopped = true;
                break;
            }
        }
        if (stopped)
            break;

        if (local.cyclic != 0) {
            if (!WriteHeater(false))
                break;
            heaterOn = false;
        }

        bool appended = false;
        bool tellFile = false;
        {
            TCsLock lock(dataLock_);
            const SensorCalibrationLoopMeasurementsPoint point =
                SensorCalibrationLoopMeasurementsPoint::Build(sensor_, multigas_, local);
            if (point.AnyValid()) {
                // One time for the list and the file: whoever shows the point
                // shows the time its file line carries.
                std::tm now{};
                if (!CurrentLocalTime(now))
                    now = std::tm{};
                measurements_.Append(point, now);
                if (pollSettings_.toFile != 0 && measurementFile_.IsOpen()) {
                    if (measurementFile_.WriteMeasurementLine(point, now) == MeasurementFile::Result::Ok)
                        ++measurementFileStatus_.pointsWritten;
                    else
                        tellFile = RecordFileWriteFailure();
                }
                appended = true;
                ++kept;
            }
            // New settings take effect from the next wait.
            local = pollSettings_;
        }
        if (tellFile)
            NotifyMeasurementFileFailed();
        if (appended)
            NotifyMeasurementsChanged();
        if (local.maxPoints > 0 && kept >= local.maxPoints)
            break;
        // The measurement file stays open across a lost line: the points
        // after the gap follow those before it.
        if (!AfterPollCycle(mark))
            break;
    }
    // A stop during the heating wait or the reads would leave the heater on.
    if (heaterOn)
        SwitchHeaterOffAfterStop();
    // The point the user queued and the loop never sent: said, not dropped.
    bool notSent = false;
    {
        TCsLock lock(dataLock_);
        if (pendingCalibration_.code != 0) {
            RecordCalibrationNotSent(pendingCalibration_);
            pendingCalibration_.code = 0;
            notSent = true;
        }
        pendingTaken_ = false;
    }
    if (notSent)
        NotifyCalibrationNotSent();
    EndTask();
}

void SensorModbusInterface::TaskReread()
{
    int code = 0;
    {
        TCsLock lock(dataLock_);
        code = parameterCode_;
    }
    if (RereadParameter(code))
        EndTask();
}

void SensorModbusInterface::TaskWrite()
{
    SensorCommandRequest request;
    {
        TCsLock lock(dataLock_);
        request = writeRequest_;
    }
    if (WriteParameter(request))
        EndTask();
}

void SensorModbusInterface::TaskSensorLog()
{
    {
        TCsLock lock(dataLock_);
        sensorLog_.Clear();
    }
    NotifySensorLogChanged(0);
    bool first = true;
    while (!stopEvent_.IsSet()) {
        SensorLogFields fields;
        bool ok = false;
        if (!ReadLogLine(fields, ok))
            return;
        if (!ok) {
            EndTask();
            return;
        }
        // The sensor's first answer to the log command is not a log line.
        if (first) {
            first = false;
            continue;
        }
        std::size_t count = 0;
        {
            TCsLock lock(dataLock_);
            sensorLog_.Append(SensorIntlogRecord::FromTexts(fields[0], fields[1], fields[2]));
            count = sensorLog_.Size();
        }
        NotifySensorLogChanged(static_cast<std::uint32_t>(count));
    }
    state_ = kReady;
}

void SensorModbusInterface::TaskTerminal()
{
    if (stopEvent_.IsSet()) {
        EndTask();
        return;
    }
    std::string command;
    {
        TCsLock lock(dataLock_);
        command = terminalCommand_;
        terminalCommand_.clear();
    }
    std::string answer;
    if (!master_.RequestRaw(command, answer))
        answer.clear();
    std::size_t count = 0;
    {
        TCsLock lock(dataLock_);
        terminalLog_.Append(SensorTerminalLogRecord{command, answer});
        count = terminalLog_.Size();
    }
    EndTask();
    NotifyTerminalLogChanged(static_cast<std::uint32_t>(count));
}

void SensorModbusInterface::TaskFactory(bool save)
{
    if (StopRequested())
        return;
    std::string password;
    {
        TCsLock lock(dataLock_);
        password = save ? manufacturerPassword_ : calibrationPassword_;
    }
    // The sensor's answer carries nothing the program uses.
    if (save)
        commands_.SaveFactorySettings(password, true);
    else
        commands_.LoadFactorySettings(password, true);
    EndTask();
}

// --- snapshots ------------------------------------------------------------------

void SensorModbusInterface::CopySensorParameters(SensorParameters& out)
{
    TCsLock lock(dataLock_);
    out = sensor_;
}

void SensorModbusInterface::CopyDeviceParameters(DeviceParameters& out)
{
    TCsLock lock(dataLock_);
    out = device_;
}

void SensorModbusInterface::CopyTerminalLog(std::vector<SensorTerminalLogRecord>& out)
{
    TCsLock lock(dataLock_);
    out = terminalLog_.Records();
}

std::size_t SensorModbusInterface::CopyMeasurements(std::size_t max,
                                                    std::vector<SensorCalibrationLoopMeasurementsPoint>& out)
{
    TCsLock lock(dataLock_);
    return measurements_.CopyNewest(max, out);
}

std::size_t SensorModbusInterface::CopyMeasurementsFrom(std::uint64_t from,
                                                        std::vector<SensorCalibrationLoopMeasurements::Entry>& out,
                                                        std::uint64_t& next)
{
    TCsLock lock(dataLock_);
    next = measurements_.NextSequence();
    return measurements_.CopyFrom(from, out);
}

std::size_t SensorModbusInterface::CopyIntlog(long long from, std::vector<SensorIntlogRecord>& out)
{
    TCsLock lock(dataLock_);
    return sensorLog_.CopyFrom(from, out);
}

std::string SensorModbusInterface::GetMultigasChannelName(std::size_t index)
{
    TCsLock lock(dataLock_);
    return multigas_.Name(index);
}

std::string SensorModbusInterface::GetMultigasChannelValue(std::size_t index)
{
    TCsLock lock(dataLock_);
    return multigas_.Value(index);
}

CalibrationPollSettings SensorModbusInterface::PollSettings()
{
    TCsLock lock(dataLock_);
    return pollSettings_;
}

void SensorModbusInterface::ClearMeasurementList()
{
    {
        TCsLock lock(dataLock_);
        measurements_.Clear();
    }
    NotifyMeasurementsChanged();
}

void SensorModbusInterface::ClearTerminalRecords()
{
    {
        TCsLock lock(dataLock_);
        terminalLog_.Clear();
    }
    NotifyTerminalLogChanged(0);
}

void SensorModbusInterface::StopMeasurementFile()
{
    TCsLock lock(dataLock_);
    pollSettings_.toFile = 0;
    measurementFile_.Close();
}
