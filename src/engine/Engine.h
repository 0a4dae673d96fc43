#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "CalibrationPollSettings.h"
#include "IWindowPoster.h"
#include "NotificationIds.h"
#include "NotificationMap.h"
#include "SensorCommandRequest.h"
#include "SensorHartInterface.h"
#include "SensorModbusInterface.h"

// The one object through which the user interface reaches the lines. It
// keeps the engine mode (which user activity runs), starts and ends
// activities on the pages' requests, and tells windows what happened by
// posting notifications. Every operation is called on the user-interface
// thread and returns at once: 1 started (or taken), 0 refused.
class Engine : public NotificationMap, public SensorModbusInterface, public SensorHartInterface {
public:
    // Engine modes.
    static constexpr int kModeClosed = 0;
    static constexpr int kModeIdle = 1;
    static constexpr int kModeConnecting = 2;
    static constexpr int kModeConnected = 3;
    static constexpr int kModeHartConnect = 5;
    static constexpr int kModeHartPolling = 7;
    static constexpr int kModeHartLoopCurrent = 8;
    static constexpr int kModeEventJournal = 9;
    static constexpr int kModeThresholdJournal = 10;
    static constexpr int kModeReadDevice = 12;
    static constexpr int kModeDevicePolling = 14;
    static constexpr int kModeReadSensor = 15;
    static constexpr int kModeSensorPolling = 17;
    static constexpr int kModeReadCalibrationSet = 18;
    static constexpr int kModeCalibrationPolling = 19;
    static constexpr int kModeReread = 20;
    static constexpr int kModeWrite = 21;
    static constexpr int kModeSensorLog = 22;
    static constexpr int kModeTerminal = 23;
    static constexpr int kModeFactorySave = 24;
    static constexpr int kModeFactoryLoad = 25;

    explicit Engine(IWindowPoster* poster = nullptr);
    ~Engine() override;

    // Settings handed over by the main window.
    std::int32_t modbusPort = 0;
    std::int32_t hartPort = 0;
    std::int32_t mgPort = 0;
    std::int32_t mgCount = 10;
    // Engine mode; read and written on the user-interface thread only.
    std::int32_t mode = kModeClosed;
    // After a write with command code 37 ends, read the sensor-type set.
    std::uint32_t followUpRead = 0;

    // The modes from which a new activity may start.
    static bool IsSteadyMode(int mode);

    // Activities on the device line.
    int Connect();
    int ReadEventJournal();
    int ReadThresholdJournal();
    int ReadDeviceParameters();
    int SetDevicePolling(bool on);
    int ReadSensorParameters();
    int SetSensorPolling(bool on);
    int ReadCalibrationSet();
    int RereadParameter(int code);
    int WriteParameter(const SensorCommandRequest& request);
    int ReadSensorLog();
    int SendTerminalCommand(const std::string& text);
    int SaveFactorySettings();
    int LoadFactorySettings();
    int SetCalibrationPolling(const CalibrationPollSettings& settings);

    // Activities on the HART line.
    int HartConnect();
    int SetHartPolling(bool on);
    // `enable` 1 fixes the loop current at `currentMa`, 0 releases it. A
    // release asked for while a loop-current command runs (mode 8) is taken
    // and sent after that command; a release of a current this engine fixed
    // needs no known HART address.
    int SetHartLoopCurrent(float currentMa, std::uint32_t enable);
    // Whether a release waits for the running loop-current command.
    bool LoopCurrentReleasePending() const { return releasePending_; }

    int AbortEventJournal();
    int AbortThresholdJournal();

    // Event steps, run by the main window on 4124 and 4025.
    void OnLineWorkerEvent();
    void OnHartWorkerEvent();

    // What a multigas set switch achieved.
    struct MultigasSelection {
        bool portOpened = false;
        // The port did not open because the user may not open it.
        bool portPermissionDenied = false;
        // The chosen set took its selection (its write was answered).
        bool selected = false;
        // Sets (1-based) whose deselection went unanswered: they may still
        // report beside the chosen one.
        std::vector<int> notDeselected;
    };

    // Selects multigas set index + 1 on the multigas port (all other sets
    // deselected), synchronously; 1 when the port opened. `outcome`, when
    // given, says what each write achieved.
    int SelectMultigasChannel(int index, MultigasSelection* outcome = nullptr);

    void ClearMeasurements();
    void ClearTerminalLog();
    // A page that is hidden ends the running activity: mode 1, nothing
    // posted, both workers stopped and the lines closed; a loop current the
    // engine fixed is released first (see LoopCurrentFixed()).
    void StopActivity();
    void StopFileLogging();
    using SensorModbusInterface::IsPollBusy;

    // Worker states, for the windows' status texts.
    int LineState() const { return SensorModbusInterface::State(); }
    std::uint32_t HartState() const { return SensorHartInterface::State(); }
    // Whether state 2 of a line means the user may not open its port.
    bool LinePortDenied() const { return SensorModbusInterface::PortPermissionDenied(); }
    bool HartPortDenied() const { return SensorHartInterface::PortPermissionDenied(); }

    // The HART address the engine knows (from the sensor or the search).
    bool HartAddressKnownToEngine() const { return SensorModbusInterface::HartAddressKnown(); }
    std::uint8_t EngineHartAddress() const { return SensorModbusInterface::HartAddress(); }

    // What ending the tool now would cut short; the main window asks the
    // engineer before it closes over any of it.
    struct WorkAtStake {
        bool eventJournalRead = false;     // records still arriving
        bool thresholdJournalRead = false;
        bool measurementFile = false;      // a calibration poll writes its points to a file
        std::string measurementFilePath;   // UTF-8
        bool loopCurrentFixed = false;     // the HART output is held at a test current
        float loopCurrentMa = 0.0f;
        bool Any() const { return eventJournalRead || thresholdJournalRead || measurementFile || loopCurrentFixed; }
    };
    WorkAtStake RunningWork();

    // Line worker notifications, posted as 4124 … 4134.
    void NotifyTaskEvent() override;
    void NotifySensorParametersChanged() override;
    void NotifyDeviceParametersChanged() override;
    void NotifyLineUnused() override;
    void NotifyEventJournalStatus() override;
    void NotifyEventJournalData() override;
    void NotifyThresholdJournalStatus() override;
    void NotifyThresholdJournalData() override;
    void NotifyMeasurementsChanged() override;
    void NotifySensorLogChanged(std::uint32_t count) override;
    void NotifyTerminalLogChanged(std::uint32_t count) override;
    void NotifyMeasurementFileFailed() override;
    void NotifyCalibrationNotSent() override;
    void NotifyLineLinkChanged() override;

    // HART worker notifications, posted as 4025 … 4028.
    void NotifyEvent() override;
    void NotifyDataChanged() override;
    void NotifyNotice() override;
    void NotifyProgress(std::uint8_t value) override;
    void NotifyHartLinkChanged() override;
    void SetHartAddress(std::uint8_t value) override;

private:
    void StopWorkers();
    void PostModeChange(int oldMode, int newMode);
    // Steps 2 to 6 of a line activity: stop both workers, enter the mode,
    // open the line, start the task.
    template <typename Start>
    int StartLineActivity(int newMode, bool resetRecords, Start start);
    // The same for a HART activity: the line worker stops too.
    template <typename Start>
    int StartHartActivity(int newMode, Start start);
    // Ends the running line task `task` of mode `runningMode` (a poll switched
    // off, a journal reading aborted); 0 when that task does not run.
    int EndLineTask(int runningMode, int task);
    static bool AcceptsSingleCommand(int mode);
    bool HartOpen();
    // Reopens the HART line without releasing a fixed current and starts
    // the loop-current task.
    bool StartLoopCurrentTask(float currentMa, std::uint32_t enable);

    bool releasePending_ = false;
};
