#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "CalibrationPollSettings.h"
#include "DeviceParameters.h"
#include "ITimeSource.h"
#include "JournalBuffer.h"
#include "LineLink.h"
#include "ManualResetEvent.h"
#include "MeasurementFile.h"
#include "ModbusAsciiMaster.h"
#include "ModbusJournalRecord.h"
#include "MultigasChannelTexts.h"
#include "SensorCalibrationLoopMeasurements.h"
#include "SensorCommandRequest.h"
#include "SensorCommandSet.h"
#include "SensorIntlog.h"
#include "SensorParameters.h"
#include "SensorTerminalLog.h"
#include "SensorValueText.h"
#include "TCriticalSection.h"

// The device line worker: one serial port that carries the sensor's text
// commands and the detector's Modbus frames. It runs one task at a time on a
// thread of its own, fills the records that the pages copy out under the
// data lock, and reports through the notification operations below, which
// do nothing here and post window messages in the engine.
class SensorModbusInterface {
public:
    // Worker states; 5 and above: the task of that number is running.
    static constexpr int kClosed = 0;
    static constexpr int kNoPort = 1;
    static constexpr int kPortUnavailable = 2;
    static constexpr int kFailed = 3;
    static constexpr int kReady = 4;

    // Tasks.
    static constexpr int kTaskReadAll = 5;
    static constexpr int kTaskMonitoring = 6;
    static constexpr int kTaskEventJournal = 8;
    static constexpr int kTaskThresholdJournal = 9;
    static constexpr int kTaskReadDevice = 11;
    static constexpr int kTaskDevicePolling = 12;
    static constexpr int kTaskReadSensor = 14;
    static constexpr int kTaskSensorPolling = 15;
    static constexpr int kTaskReadCalibrationSet = 17;
    static constexpr int kTaskCalibrationPolling = 18;
    static constexpr int kTaskReread = 19;
    static constexpr int kTaskWrite = 20;
    static constexpr int kTaskSensorLog = 21;
    static constexpr int kTaskTerminal = 22;
    static constexpr int kTaskFactorySave = 23;
    static constexpr int kTaskFactoryLoad = 24;

    static constexpr std::uint32_t kPollIntervalMs = 1000;
    // A journal block never holds more records than this (120 registers).
    static constexpr std::uint32_t kJournalBlockRecords = 15;

    enum class Journal { Event, Threshold };

    SensorModbusInterface();
    SensorModbusInterface(const SensorModbusInterface&) = delete;
    SensorModbusInterface& operator=(const SensorModbusInterface&) = delete;
    virtual ~SensorModbusInterface();

    // Notification operations, in this order; the engine turns them into
    // posted messages 4124 … 4134.
    virtual void NotifyTaskEvent() {}
    virtual void NotifySensorParametersChanged() {}
    virtual void NotifyDeviceParametersChanged() {}
    virtual void NotifyLineUnused() {}
    virtual void NotifyEventJournalStatus() {}
    virtual void NotifyEventJournalData() {}
    virtual void NotifyThresholdJournalStatus() {}
    virtual void NotifyThresholdJournalData() {}
    virtual void NotifyMeasurementsChanged() {}
    virtual void NotifySensorLogChanged(std::uint32_t count) { (void)count; }
    virtual void NotifyTerminalLogChanged(std::uint32_t count) { (void)count; }
    // Beyond the table above (4135, 4136): the measurement file could not be
    // opened or refused a line; a queued calibration point was not sent.
    virtual void NotifyMeasurementFileFailed() {}
    virtual void NotifyCalibrationNotSent() {}
    // The line under a running poll was lost, is waited for under another
    // cause, or came back (CopyLineLink says which).
    virtual void NotifyLineLinkChanged() {}

    // What became of the measurement file since it was last opened.
    struct MeasurementFileStatus {
        std::uint32_t failed = 0;     // 1: the file could not be opened, or lines were lost
        std::uint32_t linesLost = 0;  // points the file did not take (the heading counts as one)
        std::uint32_t pointsWritten = 0; // points the file took, each as a whole line
        std::string text;             // for the user, UTF-8; empty while all is well
    };
    // A calibration point the user queued for the cyclic loop that the loop
    // ended (or left cyclic mode) without sending.
    struct CalibrationNotSentReport {
        std::uint32_t notSent = 0;
        SensorCommandRequest request;
    };

    // The line: port below 1 gives state 1, a port that will not open state 2,
    // else state 4. With resetRecords the identifiers are forgotten and both
    // parameter records reset.
    bool Open(int port, bool resetRecords);
    // Takes an already open line (another transport, or a test line).
    bool Open(std::unique_ptr<IConnector> connector, bool resetRecords);
    void Close();
    void StartThread();
    // Asks the running task to stop and waits for its end; the state stays.
    // Never called on the worker's own thread.
    void StopThread();

    int State() const { return state_.load(); }
    // State 2 because the user may not open the port (Linux: not in the
    // dialout group); the windows then say what to do about it.
    bool PortPermissionDenied() const { return portPermissionDenied_.load(); }
    bool IsRunning() const { return thread_.joinable() && state_.load() > kReady; }

    // Start operations: each refuses (false) unless the state is 3 or 4.
    bool StartReadAll();
    bool StartMonitoring();
    bool StartJournalRead(Journal which);
    bool StartReadDevice();
    bool StartDevicePolling();
    bool StartReadSensor();
    bool StartSensorPolling();
    bool StartReadCalibrationSet();
    bool StartReread(int code);
    bool StartWrite(const SensorCommandRequest& request);
    bool StartSensorLog();
    bool StartTerminal(const std::string& text);
    bool StartFactorySave();
    bool StartFactoryLoad();

    // New settings for the calibration polling loop: starts it, changes it
    // while it runs, or (nothing selected and not cyclic) stops it.
    bool UpdatePollSettings(const CalibrationPollSettings& settings);
    // A calibration command for the running cyclic loop; false when no
    // cyclic loop runs.
    bool QueueCalibrationCommand(const SensorCommandRequest& request);
    bool IsPollBusy();

    void SetPasswords(const std::string& manufacturer, const std::string& calibration);

    // The clock of the calibration loop and the line's sleeps.
    void SetTimeSource(ITimeSource* time);
    ModbusAsciiMaster& Master() { return master_; }

    // Snapshots, each under the data lock.
    void CopySensorParameters(SensorParameters& out);
    void CopyDeviceParameters(DeviceParameters& out);
    void CopyEventJournal(SensorJournalContent& out);
    void CopyThresholdJournal(SensorJournalContent& out);
    // Status, records read and records expected of one journal.
    void JournalProgress(Journal which, JournalReadStatus& status, std::uint32_t& read, std::uint32_t& expected);
    void CopyTerminalLog(std::vector<SensorTerminalLogRecord>& out);
    std::size_t CopyMeasurements(std::size_t max, std::vector<SensorCalibrationLoopMeasurementsPoint>& out);
    // The kept points numbered `from` or later, oldest first, each with its
    // number and time; `next` gets the number the next point will have.
    std::size_t CopyMeasurementsFrom(std::uint64_t from, std::vector<SensorCalibrationLoopMeasurements::Entry>& out,
                                     std::uint64_t& next);
    std::size_t CopyIntlog(long long from, std::vector<SensorIntlogRecord>& out);
    std::string GetMultigasChannelName(std::size_t index);
    std::string GetMultigasChannelValue(std::size_t index);
    CalibrationPollSettings PollSettings();
    MeasurementFileStatus CopyMeasurementFileStatus();
    // How the line under the running (or last) poll is doing.
    LineLinkReport CopyLineLink() const { return link_.Report(); }
    CalibrationNotSentReport CopyCalibrationNotSent();
    // The file layer the measurement file is written through (tests).
    void SetFileOs(FileOs& os);
    void ClearMeasurementList();
    void ClearTerminalRecords();
    void StopMeasurementFile();

    bool IdKnown() const { return idKnown_.load() != 0; }
    bool HartAddressKnown() const { return hartAddressKnown_.load() != 0; }
    std::uint8_t HartAddress() const { return hartAddress_.load(); }
    std::uint8_t SlaveAddress() const { return slaveAddress_.load(); }

    // Parameter operations of the tasks. Each returns 1 to go on, or 0 when
    // the stop was asked for (state 4) or a required read failed (state 3,
    // 4124 raised).
    int ReadModbusId(bool required = false);
    int ReadHartId();
    int ReadDaa();
    int ReadSerialNumber();
    int ReadManufactureDate();
    int ReadCalibrationDate();
    int ReadAnalyteCode();
    int ReadUnits();
    int ReadUpperLimit();
    int ReadLowerLimit();
    int ReadManufacturer();
    int ReadSensorType(bool required = false);
    int ReadSoftwareVersion();
    int ReadV1();
    int ReadV2();
    int ReadC1();
    int ReadC2();
    int ReadS1();
    int ReadS2();
    int ReadConcentration(bool errorForm);
    int ReadAdc();
    int ReadSensorTemperature();
    int ReadSetting(std::size_t index);   // AV … UL, 0 … 11
    int ReadCoefficient(unsigned index);
    int ReadCoefficients();
    int ReadHeater();
    int ReadBB();
    int ReadBR();
    int ReadTH();
    int ReadTH2();
    int ReadRP();
    int ReadPV();
    int ReadRH();
    int ReadRH2();
    int ReadPW();
    int ReadSH();
    int ReadDW();
    int ReadTG();
    int ReadA1();
    int ReadKT();
    int ReadT0();
    int ReadH0();
    int ReadMG();
    int ReadMP();
    int ReadPI();
    int ReadR0();
    int ReadR0Pair();
    int ReadLP();
    int ReadCP();
    int ReadLE();
    int ReadMultigas();

    int ReadSoftwareId();
    int ReadThresholds();
    int ReadEcoMode();
    int ReadText8();
    int ReadJournalIndices(bool required = false);
    int ReadDeviceAnalyteCode();
    int ReadDeviceUnits();
    int ReadDeviceCalibrationDate();
    int ReadDeviceConcentration();
    int ReadDeviceClock();

    // Whether the texts of a write can go to the sensor as its command sends
    // them: the one place that decides it for every write. A value sent as a
    // number (code 36) may have a decimal comma; any other value may not have
    // a comma, and none a line break; a number must fit its field. Pages show
    // SensorValueProblemText of the result; StartWrite and
    // QueueCalibrationCommand refuse a request that has a problem.
    static SensorValueProblem CheckWriteRequest(const SensorCommandRequest& request);

    // One write by command code; 0 only on a stop.
    int WriteParameter(const SensorCommandRequest& request);
    int RereadParameter(int code);
    int WriteHeater(bool on);
    int CalibratePoint1(const std::string& text);
    int CalibratePoint2(const std::string& text);
    // "@WCL1": 1 with `ok` telling whether a record came, 0 on a stop.
    int ReadLogLine(SensorLogFields& fields, bool& ok);

    // The calibration polling loop runs in cyclic mode.
    bool RunsCyclicLoop();

protected:
    // The data lock of every record below; the engine's snapshots take it.
    TCriticalSection& DataLock() { return dataLock_; }
    // The engine's HART address, as the HART worker's search found it (255:
    // unknown).
    void SetEngineHartAddress(std::uint8_t value);

private:
    void ThreadProc(int task);
    bool CanStart() const;
    bool Begin(int task);
    bool BeginSensorRead(int task);
    // Clears the identifiers and the sensor record (and the device record).
    void ForgetSensor(bool alsoDevice);
    bool StopRequested();
    // After one poll cycle (LineLink::Mark before it): false when the task
    // must end, because a stop came while a lost line was waited for.
    bool AfterPollCycle(const LineLink::CycleMark& mark);

    // The tasks.
    void TaskReadAll();
    void TaskMonitoring();
    void TaskReadDevice();
    void TaskDevicePolling();
    bool ReadSensorSet();
    void TaskReadSensor();
    void TaskSensorPolling();
    void TaskReadCalibrationSet();
    void TaskCalibrationPolling();
    void TaskReread();
    void TaskWrite();
    void TaskSensorLog();
    void TaskTerminal();
    void TaskFactory(bool save);
    void TaskJournal(Journal which);
    void EndTask();

    // Shared patterns of the parameter operations.
    int ReadTextInto(const SensorTextRead& command, TextSlot SensorParameters::*field, bool retry = false);
    template <std::size_t N>
    int ReadReadingInto(const SensorReadingRead& command, ReadingSlot<N> SensorParameters::*field);
    template <std::size_t N>
    int ReadFieldsInto(const SensorFieldRead& command, MultiTextSlot<N> SensorParameters::*field);
    int WriteTextInto(const SensorTextWrite& command, TextSlot SensorParameters::*field, const std::string& value);
    int WriteCoefficient(unsigned index, const std::string& value);
    // `placement[i]` is the answer field that goes into text i (-1: empty).
    template <std::size_t N>
    int WriteFieldsInto(const SensorFieldWrite& command, const std::vector<std::string>& values,
                        MultiTextSlot<N> SensorParameters::*field, const std::array<int, N>& placement);
    int DeviceTextRead(bool (ModbusMaster::*read)(std::uint8_t, std::string&, bool), TextSlot DeviceParameters::*field);
    void ClearSensorLogAndNotify();
    // After a stop: the heater the loop switched on goes off, one try, even
    // though the stop is already asked for.
    void SwitchHeaterOffAfterStop();
    // Under the data lock. Each returns true when the user is to be told now.
    bool RecordFileOpenFailure();
    bool RecordFileWriteFailure();
    void RecordCalibrationNotSent(const SensorCommandRequest& request);
    std::string CalibrationPassword();
    int FailRequired();
    int DeviceReadDone();

    // Journal reading.
    JournalBuffer& Buffer(Journal which) { return which == Journal::Event ? eventJournal_ : thresholdJournal_; }
    void NotifyJournalStatus(Journal which);
    void NotifyJournalData(Journal which);
    bool SelectJournalBlock(const JournalBuffer& buffer, std::uint32_t& start, std::uint32_t& count) const;
    // 1 read, 0 stopped, -1 failed (state 3, 4124 raised).
    int ReadJournalBlock(Journal which, std::uint32_t start, std::uint32_t count);
    void CopyJournal(const JournalBuffer& buffer, SensorJournalContent& out);

    // --- members, in the worker's order -----------------------------------
    ModbusAsciiMaster master_;
    SensorCommandSet commands_{master_};
    std::atomic<std::uint8_t> slaveAddress_{0};
    std::atomic<std::uint32_t> idKnown_{0};
    std::atomic<std::uint8_t> hartAddress_{0};
    std::atomic<std::uint32_t> hartAddressKnown_{0};
    std::atomic<int> state_{kClosed};
    std::atomic<bool> portPermissionDenied_{false};

    SensorParameters sensor_;
    DeviceParameters device_;
    JournalBuffer eventJournal_;
    JournalBuffer thresholdJournal_;
    CalibrationPollSettings pollSettings_;
    int parameterCode_ = 0;
    SensorCommandRequest writeRequest_;
    SensorCommandRequest pendingCalibration_;
    // The loop has taken the pending command and is sending it.
    bool pendingTaken_ = false;
    CalibrationNotSentReport calibrationNotSent_;
    SensorCalibrationLoopMeasurements measurements_;
    MeasurementFile measurementFile_;
    MeasurementFileStatus measurementFileStatus_;
    SensorIntlog sensorLog_;
    MultigasChannelTexts multigas_;
    std::string terminalCommand_;
    SensorTerminalLog terminalLog_;
    TCriticalSection dataLock_;

    std::thread thread_;
    // The running task's thread, so that a stop asked on it does not wait
    // for itself.
    std::atomic<std::thread::id> workerId_{};
    ManualResetEvent stopEvent_;
    LineLink link_{LineLink::Line::Device};
    std::string manufacturerPassword_;
    std::string calibrationPassword_;
    ITimeSource* time_;
};
