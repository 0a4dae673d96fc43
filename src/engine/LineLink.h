#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "ComPortPath.h"
#include "LineWatch.h"
#include "ManualResetEvent.h"

// How the line under a running poll is doing, for the page that shows the
// poll: a line is lost when its port fails (a pulled USB adapter, a closed
// pseudo-terminal) or when the device leaves three poll cycles in a row
// without a single answer; the worker then waits for it and resumes the poll
// when the device answers again.
struct LineLinkReport {
    enum class Cause {
        None,
        PortMissing, // the device node is gone
        PortFailed,  // the port is there but fails or will not open
        Silent,      // the port works, the device does not answer
    };
    bool lost = false;     // the poll waits for the line
    bool restored = false; // the line came back after a loss
    Cause cause = Cause::None;
    std::string port;      // the port as the user knows it (/dev/ttyUSB0, COM5)
    std::string text;      // UTF-8, for the page; empty while nothing happened
};

// The decisions and the report of one worker's line; the worker calls it
// from its own thread, the windows read the report from theirs.
class LineLink {
public:
    static constexpr int kSilentCyclesForLoss = 3;
    static constexpr std::uint32_t kReconnectPeriodMs = 2000;

    enum class Line { Device, Hart };
    explicit LineLink(Line line) : line_(line) {}

    // A new activity on the line opened at `portNumber`: nothing lost yet.
    void Reset(int portNumber);
    int PortNumber() const { return portNumber_; }
    // Where the port was found when it opened (for the reopening).
    const std::string& PortPath() const { return portPath_; }

    enum class Verdict { Go, Lost, Restored };
    // After one poll cycle, from what the master counted in it. Lost: the
    // line was just found gone (report and notify, then wait); Restored: it
    // came back (report and notify).
    Verdict AfterCycle(std::uint64_t exchanges, std::uint64_t answers, bool portFailed);
    bool Lost() const;
    // While waiting: the cause seen now; true when it changed (say it again).
    bool Recause(LineLinkReport::Cause cause);

    // One poll cycle as the worker runs it: the master's counts before it,
    // then after it whether the line must be waited for (the report changed
    // and `notify` was called where the page must hear of it).
    struct CycleMark {
        std::uint64_t exchanges = 0;
        std::uint64_t answers = 0;
    };
    static CycleMark Mark(LineWatch& watch);
    bool MustWait(const CycleMark& mark, LineWatch& watch, const std::function<void()>& notify);

    // Closes the lost line and opens a new `Connector` on the port every
    // 2 s, without spinning, until the port is back (true) or `stop` is set
    // (false). The next cycle tells whether the device answers again.
    template <class Connector, class Master>
    bool Await(Master& master, const ManualResetEvent& stop, const std::function<void()>& notify)
    {
        // Closed at once: a pulled adapter's node can only come back once
        // nothing holds it, and a silent device may need the line reset.
        master.Close();
        for (;;) {
            if (stop.Wait(kReconnectPeriodMs))
                return false;
            if (portNumber_ < 1)
                continue; // a line handed in whole cannot be reopened here
            if (!ComPathPresent(portPath_)) {
                if (Recause(LineLinkReport::Cause::PortMissing))
                    notify();
                continue;
            }
            auto connector = std::make_unique<Connector>();
            if (!connector->Open(portNumber_) || !master.Open(std::move(connector))) {
                if (Recause(LineLinkReport::Cause::PortFailed))
                    notify();
                continue;
            }
            return true;
        }
    }

    LineLinkReport Report() const;
    static std::string Text(Line line, const LineLinkReport& report);

private:
    void SetLost(LineLinkReport::Cause cause);

    const Line line_;
    int portNumber_ = 0;
    std::string portPath_;
    int silentCycles_ = 0;
    mutable std::mutex mutex_;
    LineLinkReport report_;
};
