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
#include "LineWideFault.h"
#include "SimLine.h"
#include "Scenario.h"

#ifdef KORVAN_SIM_HAS_HART
#include "HartDevice.h"
#endif

// Everything at the far end of the tool's three lines, in one object: the
// detector on the device line, the HART field device behind its modem and
// the multigas rack's set switches, each on a pseudo-terminal linked as a
// COM number (on Windows: the far end of a null-modem pair, see ComLine).
// Tests start it in-process; the executable wraps it.
class Simulator {
public:
    enum class Line { Device, Hart, Multigas };

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
    // when the line is not served. An unplugged line keeps its link's path
    // (the link itself is gone) and has no pseudo-terminal; a replugged one
    // has a new pseudo-terminal behind the same link.
    std::string DeviceLink() const { return LinkOf(deviceLine_); }
    std::string HartLink() const { return LinkOf(hartLine_); }
    std::string MultigasLink() const { return LinkOf(multigasLine_); }
    std::string DevicePty() const { return PtyOf(deviceLine_); }
    std::string HartPty() const { return PtyOf(hartLine_); }
    std::string MultigasPty() const { return PtyOf(multigasLine_); }

    // The line objects, for their traffic counters; nullptr when not served.
    // They live from Start to Stop, across unplugging and replugging.
    const SimLine* DeviceLine() const { return deviceLine_.get(); }
    const SimLine* HartPtyLine() const { return hartLine_.get(); }

    // Pulls a line out or plugs it back in, as a USB serial adapter is
    // pulled (see PtyLine): a program holding the port sees a hang-up, the
    // link goes, and on replug comes back under the same COM number with
    // the same device, its state kept. False when the line is not served or
    // cannot be pulled out (Windows: a COM port pair).
    // Replug throws std::runtime_error when the pseudo-terminal or the link
    // cannot be made. Not to be called during Start or Stop.
    bool Unplug(Line which);
    bool Replug(Line which);
    void UnplugAll();
    void ReplugAll();
    bool Served(Line which) const { return Slot(which) != nullptr; }
    bool Plugged(Line which) const { return Slot(which) != nullptr && Slot(which)->Plugged(); }
    // The COM number a served line is linked as; 0 when not served.
    int PortNumber(Line which) const { return Slot(which) != nullptr ? Slot(which)->PortNumber() : 0; }

    // The device on a line falls silent (it takes every request and answers
    // none) or every answer on the line becomes garbage (00 FF 23 7E), until
    // turned off; ahead of any fault armed by target (LineWideFault). One of
    // the two at a time: turning one on turns the other off. Kept across
    // unplugging, Stop and Start; may be set before Start. False for a line
    // this build has no device for (HART).
    bool SetSilent(Line which, bool on);
    bool SetGarbage(Line which, bool on);
    bool Silent(Line which) const;
    bool Garbage(Line which) const;

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
    SimLine* Slot(Line which) const;
    LineWideFault* Wide(Line which) const;
    bool SetWide(Line which, LineFault::Kind kind, bool on);
    static std::string LinkOf(const std::unique_ptr<SimLine>& line) { return line ? line->LinkPath() : std::string(); }
    static std::string PtyOf(const std::unique_ptr<SimLine>& line) { return line ? line->DevicePath() : std::string(); }

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
    // Each line's device as the line carries it (Line order; none for a
    // line without a device).
    std::unique_ptr<LineWideFault> wide_[3];
    std::vector<std::unique_ptr<RecordedLineDevice>> recorded_;
    std::unique_ptr<SimLine> deviceLine_;
    std::unique_ptr<SimLine> hartLine_;
    std::unique_ptr<SimLine> multigasLine_;
    std::vector<std::string> notes_;
    bool running_ = false;
};
