#include "ComLine.h"

#include <algorithm>
#include <chrono>
#include <stdexcept>

#include "LineSchedule.h"

namespace {

// The longest a read waits for bytes: the thread looks at the clock and at
// the stop this often while the line is quiet.
constexpr int kLongestWaitMs = 8;

} // namespace

ComLine::ComLine(LineDevice& device, const Options& options)
    : device_(device), options_(options), name_("COM" + std::to_string(options.portNumber)), pace_(options.pace),
      answerDelayMs_(options.answerDelayMs)
{
    if (options_.portNumber < 1)
        throw std::runtime_error("COM port number must be 1 or more, not " + std::to_string(options_.portNumber));
    if (options_.baud == 0 || options_.bitsPerByte == 0)
        throw std::runtime_error("line rate must not be zero");
    const int farEnd = options_.portNumber + kFarEndOffset;
    // The far end carries bytes only: its framing never reaches the program,
    // whose own end has the line's settings.
    if (!port_.Open(farEnd))
        throw std::runtime_error("cannot open COM" + std::to_string(farEnd) + ", the far end of " + name_ +
                                 " (a null-modem pair of the two numbers is needed)");
    thread_ = std::thread([this] { Run(); });
}

ComLine::~ComLine()
{
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
    port_.Close();
}

void ComLine::Run()
{
    using Clock = LineSchedule::Clock;
    // A pair's driver may hand a request over in pieces a little apart; the
    // quiet time that ends a request is never shorter than that.
    LineSchedule schedule(device_, options_.baud, options_.bitsPerByte, std::max(options_.idleGapMs, 50u));
    std::uint8_t buf[kLongestWaitMs];
    auto send = [&](const std::vector<std::uint8_t>& bytes) {
        if (port_.Write(0, bytes.data(), static_cast<int>(bytes.size())))
            bytesSent_ += bytes.size();
    };
    while (!stop_.load()) {
        Clock::time_point now = Clock::now();
        const Clock::time_point wakeAt = schedule.WakeAt();
        int waitMs = kLongestWaitMs;
        if (wakeAt != Clock::time_point::max()) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(wakeAt - now).count();
            waitMs = static_cast<int>(std::clamp<long long>(left, 1, kLongestWaitMs));
        }
        // The connector waits about 1 ms per byte of room (less once bytes
        // came and paused): the room is the wait.
        int got = 0;
        if (!port_.Read(0, buf, waitMs, got)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(kLongestWaitMs));
            got = 0;
        }
        now = Clock::now();
        if (got > 0) {
            bytesReceived_ += static_cast<std::uint64_t>(got);
            schedule.Received(buf, static_cast<std::size_t>(got), now, pace_.load(), answerDelayMs_.load());
        }
        schedule.Due(now, send);
    }
}
