#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "DetectorDevice.h"
#include "LineDevice.h"
#include "MultigasRack.h"
#include "MultigasState.h"
#include "LineTranscript.h"
#include "PtyLine.h"
#include "Scenario.h"

#ifdef KORVAN_SIM_HAS_HART
#include "HartDevice.h"
#endif

// Everything at the far end of the tool's three lines, in one object: the
// detector on the device line, the HART field device behind its modem and
// the multigas rack's set switches, each on a pseudo-terminal linked as a
// COM number. Tests start it in-process; the executable wraps it.
class Simulator {
public:
    struct Options {
        std::string portsFolder;           // empty: the per-user ports folder
        std::optional<int> devicePort;     // a line is served only when its port is given
        std::optional<int> hartPort;
        std::optional<int> multigasPort;
        std::string scenarioFile;          // read when set ...
        std::string scenarioText;          // ... else this text (empty: the defaults)
        bool pace = false;                 // answers at the line's baud rate
        unsigned answerDelayMs = 0;        // reaction time before every answer
        unsigned idleGapMs = 20;           // quiet time that ends a partial request
        std::string recordFile;            // set: every request and answer goes there (LineTranscript)
    };

    // Builds the devices and applies the scenario; throws ScenarioError
    // naming file and line for a bad scenario. The lines are not up yet.
    explicit Simulator(Options options);
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // Brings the lines up (throws std::runtime_error when a pseudo-terminal
    // or link cannot be made); Stop takes them down and removes the links.
    void Start();
    void Stop();
    bool Running() const { return running_; }

    DetectorDevice& Detector() { return *detector_; }
    MultigasRack& Rack() { return *rack_; }
    MultigasState& Multigas() { return *multigas_; }
    // The device on the HART line; nullptr when the build has none.
    LineDevice* HartLine();
#ifdef KORVAN_SIM_HAS_HART
    HartDevice& Hart() { return *hart_; }
#endif

    // The comN link of each line and the pseudo-terminal behind it; empty
    // when the line is not served.
    std::string DeviceLink() const { return LinkOf(deviceLine_); }
    std::string HartLink() const { return LinkOf(hartLine_); }
    std::string MultigasLink() const { return LinkOf(multigasLine_); }
    std::string DevicePty() const { return PtyOf(deviceLine_); }
    std::string HartPty() const { return PtyOf(hartLine_); }
    std::string MultigasPty() const { return PtyOf(multigasLine_); }

    // The line objects, for their traffic counters; nullptr when not served.
    const PtyLine* DeviceLine() const { return deviceLine_.get(); }
    const PtyLine* HartPtyLine() const { return hartLine_.get(); }

    void SetPacing(bool pace);
    void SetAnswerDelay(unsigned ms);

    // Arms a fault on the device line from its written form, as in the
    // [faults] section: target and fault ("@RRIS", "late 1500"). Returns an
    // error text, empty when armed.
    std::string ArmFault(const std::string& target, const std::string& faultText);

    // Remarks about the scenario that are not errors (for the executable).
    const std::vector<std::string>& Notes() const { return notes_; }

    static const char* DefaultScenario();

private:
    void Apply(const Scenario& scenario);
    static std::string LinkOf(const std::unique_ptr<PtyLine>& line) { return line ? line->LinkPath() : std::string(); }
    static std::string PtyOf(const std::unique_ptr<PtyLine>& line) { return line ? line->DevicePath() : std::string(); }

    Options options_;
    std::shared_ptr<MultigasState> multigas_;
    std::unique_ptr<DetectorDevice> detector_;
    std::unique_ptr<MultigasRack> rack_;
#ifdef KORVAN_SIM_HAS_HART
    std::unique_ptr<HartDevice> hart_;
#endif
    // The record of requests and answers, and the devices as the lines see
    // them when it is kept.
    std::shared_ptr<LineTranscript> transcript_;
    std::vector<std::unique_ptr<RecordedLineDevice>> recorded_;
    std::unique_ptr<PtyLine> deviceLine_;
    std::unique_ptr<PtyLine> hartLine_;
    std::unique_ptr<PtyLine> multigasLine_;
    std::vector<std::string> notes_;
    bool running_ = false;
};
