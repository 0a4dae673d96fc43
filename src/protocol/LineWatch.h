#pragma once

#include <atomic>
#include <cstdint>

#include "IConnector.h"
#include "ITimeSource.h"
#include "ManualResetEvent.h"

// What a protocol master shares with the worker that drives it: the
// worker's stop event, which ends an exchange at once (the connector's
// blocking waits and the master's own sleeps both watch it), and what the
// line did since the worker last looked: how many answers came, and whether
// the port itself failed (a pulled adapter, a closed pseudo-terminal).
//
// A stopped exchange is neither an answer nor a line failure: the worker
// tells it by StopRequested() and leaves what it holds as it is.
class LineWatch {
public:
    void SetStopEvent(const ManualResetEvent* stop) { stop_ = stop; }
    const ManualResetEvent* StopEvent() const { return stop_; }
    bool StopRequested() const { return stop_ != nullptr && stop_->IsSet(); }

    // Sleeps `ms` on `time`; true (at once) when the stop is or becomes set.
    bool Pause(ITimeSource& time, std::uint32_t ms) const { return time.SleepOrStop(ms, stop_); }

    void CountExchange() { exchanges_.fetch_add(1); }
    // Exchanges begun on an open line since the start.
    std::uint64_t Exchanges() const { return exchanges_.load(); }
    void CountAnswer() { answers_.fetch_add(1); }
    // Answers (whole frames or lines, refusals included) since the start.
    std::uint64_t Answers() const { return answers_.load(); }

    // A read or write the connector failed, unless a stop ended it.
    void NoteConnectorFailure()
    {
        if (StopRequested())
            abandoned_.store(true);
        else
            lineFailed_.store(true);
    }
    // An exchange a stop cut short after its request went out: the device
    // may still be sending its answer, which must not be taken for the
    // answer to the next request.
    void NoteAbandoned() { abandoned_.store(true); }
    // Before the next exchange after an abandoned one: reads and drops what
    // still comes until the line has been quiet for a read's length (at most
    // about one and a half seconds), then purges the input.
    void SettleAfterAbandoned(IConnector& connector, ITimeSource& time)
    {
        if (!abandoned_.exchange(false))
            return;
        std::uint8_t scratch[64];
        const std::uint32_t start = time.TickMs();
        while (time.TickMs() - start < kSettleLimitMs) {
            int got = 0;
            // 64 bytes: a read waits up to 64 ms for the first byte.
            if (!connector.Read(0, scratch, static_cast<int>(sizeof scratch), got) || got == 0)
                break;
        }
        connector.PurgeInput();
    }
    // Whether the port failed since the last call; clears the mark.
    bool TakeLineFailure() { return lineFailed_.exchange(false); }

private:
    static constexpr std::uint32_t kSettleLimitMs = 1500;

    const ManualResetEvent* stop_ = nullptr;
    std::atomic<bool> abandoned_{false};
    std::atomic<std::uint64_t> exchanges_{0};
    std::atomic<std::uint64_t> answers_{0};
    std::atomic<bool> lineFailed_{false};
};

// For the exchanges that must go out even when a stop ended the task (the
// heater switched off after a stopped heating cycle, a fixed loop current
// released): the master forgets the stop event while the shield lives.
template <class Master>
class StopShield {
public:
    explicit StopShield(Master& master) : master_(master), saved_(master.Watch().StopEvent())
    {
        master_.SetStopEvent(nullptr);
    }
    ~StopShield() { master_.SetStopEvent(saved_); }
    StopShield(const StopShield&) = delete;
    StopShield& operator=(const StopShield&) = delete;

private:
    Master& master_;
    const ManualResetEvent* saved_;
};
