#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "HartMaster.h"
#include "HartParameters.h"
#include "IConnector.h"
#include "ITimeSource.h"
#include "LineLink.h"
#include "ManualResetEvent.h"
#include "TCriticalSection.h"

// The HART side of the engine: the modem line and its master, one HART task
// at a time on a thread of its own, and the HartParameters record the HART
// page shows. It reports through the virtual notification operations, which
// do nothing here; the engine overrides them to post its messages.
//
// Open, Close, the Start operations and StopThread belong to the user
// interface thread. HartParameters is shared with the worker thread under
// `lock`; `state` is written by one side only while the other runs no task.
class SensorHartInterface {
public:
    // Worker states.
    static constexpr std::uint32_t kClosed = 0;
    static constexpr std::uint32_t kNoPort = 1;          // no HART port in the settings
    static constexpr std::uint32_t kOpenFailed = 2;      // the port is missing or held elsewhere
    static constexpr std::uint32_t kNoAnswer = 3;        // search, identity or fixed current failed
    static constexpr std::uint32_t kReady = 4;           // port open, no task running
    static constexpr std::uint32_t kReadingAll = 5;
    static constexpr std::uint32_t kMonitoring = 6;
    static constexpr std::uint32_t kLoopCurrent = 8;

    static constexpr std::uint8_t kUnknownAddress = 255;
    static constexpr std::uint8_t kLastPollingAddress = 63;
    // Pause between two monitoring reads; the stop event is the timer.
    static constexpr std::uint32_t kMonitoringPeriodMs = 1000;

    SensorHartInterface();
    SensorHartInterface(const SensorHartInterface&) = delete;
    SensorHartInterface& operator=(const SensorHartInterface&) = delete;

    // Notification operations, in their slot order. Called on the worker
    // thread, never with the lock held.
    virtual void NotifyEvent() {}
    virtual void NotifyDataChanged() {}
    virtual void NotifyNotice() {}
    virtual void NotifyProgress(std::uint8_t value) { (void)value; }
    // The modem line under the running poll was lost, is waited for under
    // another cause, or came back (CopyHartLink says which).
    virtual void NotifyHartLinkChanged() {}
    virtual void SetHartAddress(std::uint8_t value) { (void)value; }

    // A class that overrides the notification operations must stop the task
    // in its own destructor: by the time this one runs, its overrides are gone.
    virtual ~SensorHartInterface();

    // Opens the modem line on COM `port`; `address` is the polling address
    // when known, else 255. False with state 1 (port < 1) or 2 (open failed).
    bool Open(int port, std::uint8_t address);
    // The same on a line that is already open (a test line).
    bool Open(std::unique_ptr<IConnector> connector, std::uint8_t address);
    // Ends the task and closes the line. A loop current this worker fixed is
    // released first (command 40 with 0 mA on this thread, three tries): a
    // transmitter left at a fixed output hides the real reading from the
    // control room. When the release fails the current stays remembered.
    void Close();
    // The same without the release, for a line that is reopened at once to
    // change the fixed current (or to release it as a task).
    void CloseKeepingFixedCurrent();

    // The read-all task; only from state 3 or 4.
    bool StartRead();
    // The monitoring task (state 6) and the loop-current task (state 8); only
    // from state 4. `enable` 0 sends 0 mA, which releases the fixed current.
    bool StartMonitoring();
    bool StartLoopCurrent(std::uint32_t enable, float currentMa);

    void StartThread();
    // Sets the stop event and waits for the task to end. On the worker
    // thread itself (from a notification override) it only asks the task to
    // stop: a thread cannot wait for itself.
    void StopThread();

    void CopyHartParameters(HartParameters& out);
    std::uint32_t State() const { return state.load(); }
    // How the modem line under the running (or last) poll is doing.
    LineLinkReport CopyHartLink() const { return link_.Report(); }
    // State 2 because the user may not open the port (Linux: not in the
    // dialout group).
    bool PortPermissionDenied() const { return portPermissionDenied_.load(); }

    // Whether this worker has fixed the device's loop current and no
    // release has been confirmed since. A fixing command that got no answer
    // counts as fixed: the device may have taken it.
    bool LoopCurrentFixed();
    // The current it was fixed at (mA); 0 when not fixed.
    float FixedLoopCurrent();

    // The clock and sleeps of the line, passed to the master; only while no
    // task runs.
    void SetTimeSource(ITimeSource* time);

    // "%.02f" below 10, "%.01f" below 100, else "%.0f" (NaN included), in
    // the C notation whatever the locale.
    static std::string FormatValue(double value);
    // The unit's name in windows-1251, empty for a code the program does not
    // name.
    static std::string UnitText(std::uint8_t unitCode);

protected:
    // Set by the engine before it starts the loop-current task (state 8).
    void SetFixedCurrentArguments(std::uint32_t enable, float currentMa);
    void SetState(std::uint32_t value) { state.store(value); }

    HartMaster master;
    std::uint8_t currentPollingAddress = kUnknownAddress;
    std::uint16_t expandedDeviceType = 0;
    std::uint32_t deviceId = 0;
    std::uint8_t deviceStatus = 0;

    // The last answers, as the master decoded them.
    HartUniqueIdentifier lastIdentifier;          // command 0
    HartLoopConfiguration lastLoopConfiguration;  // command 7
    HartTagDescriptorDate lastTagDescriptorDate;  // command 13
    HartTransducerInfo lastTransducerInfo;        // command 14
    std::string lastLongTag;                      // command 20
    std::string lastMessage;                      // command 12

    HartParameters hartParameters;
    std::atomic<std::uint32_t> state{kClosed};
    std::uint32_t fixedCurrentEnable = 0;
    float fixedCurrent = 0.0f;
    TCriticalSection lock;
    std::thread thread;
    ManualResetEvent stopEvent;

private:
    // The loop current this worker fixed, and the device it fixed it on: a
    // release goes to that device by its unique identifier, even when its
    // polling address has been lost since.
    struct FixedCurrentRecord {
        bool fixed = false;
        float current = 0.0f;
        std::uint16_t deviceType = 0;
        std::uint32_t deviceId = 0;
    };
    FixedCurrentRecord FixedRecord();
    void SetFixedRecord(const FixedCurrentRecord& record);
    // Releases on the calling thread; no task may run. True when nothing is
    // fixed any more.
    bool ReleaseFixedCurrent();

    bool OpenWith(bool opened, std::uint8_t address);
    void ThreadProc();
    void RunReadAll();
    void RunMonitoring();
    void RunLoopCurrent();

    // Steps: true to go on, false when the task has ended (stopped, or the
    // device is gone and the state says so).
    bool Stopped();
    // After one poll cycle (LineLink::Mark before it): false when the task
    // must end, because a stop came while a lost line was waited for.
    bool AfterPollCycle(const LineLink::CycleMark& mark);
    bool StepSearchAddress();
    bool StepIdentity();
    bool StepPrimaryValue();
    bool StepLoopCurrent();
    bool StepLoopConfiguration();
    bool StepTagDescriptorDate();
    bool StepLongTag();
    bool StepMessage();
    bool StepTransducer();

    HartAddress LongAddress() const;
    void Answered();

    std::atomic<std::thread::id> workerId_{};
    std::atomic<bool> portPermissionDenied_{false};
    LineLink link_{LineLink::Line::Hart};
    FixedCurrentRecord fixedRecord_;   // under `lock`
};
