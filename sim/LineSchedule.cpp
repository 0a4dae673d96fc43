#include "LineSchedule.h"

LineSchedule::LineSchedule(LineDevice& device, unsigned baud, unsigned bitsPerByte, unsigned idleGapMs)
    : device_(device),
      byteTime_(static_cast<std::int64_t>(bitsPerByte) * 1000000 / static_cast<std::int64_t>(baud)),
      idleGap_(idleGapMs)
{
}

void LineSchedule::Received(const std::uint8_t* data, std::size_t length, Clock::time_point now, bool pace,
                            unsigned answerDelayMs)
{
    answers_.clear();
    device_.Feed(data, length, answers_);
    for (const SimAnswer& answer : answers_) {
        Clock::time_point t = std::max(now + std::chrono::milliseconds(answerDelayMs), lineFreeAt_);
        for (const SimPiece& piece : answer) {
            t += std::chrono::milliseconds(piece.delayMs);
            if (!pace) {
                outgoing_.push_back({t, piece.bytes});
                continue;
            }
            // Each byte leaves when its last bit has been clocked out.
            for (std::uint8_t b : piece.bytes) {
                t += byteTime_;
                outgoing_.push_back({t, {b}});
            }
        }
        lineFreeAt_ = t;
    }
    lastByte_ = now;
    idlePending_ = true;
}

LineSchedule::Clock::time_point LineSchedule::WakeAt() const
{
    Clock::time_point wakeAt = Clock::time_point::max();
    if (!outgoing_.empty())
        wakeAt = outgoing_.front().due;
    if (idlePending_)
        wakeAt = std::min(wakeAt, lastByte_ + idleGap_);
    return wakeAt;
}

void LineSchedule::Due(Clock::time_point now,
                       const std::function<void(const std::vector<std::uint8_t>&)>& send)
{
    if (idlePending_ && now - lastByte_ >= idleGap_) {
        idlePending_ = false;
        device_.LineIdle();
    }
    while (!outgoing_.empty() && outgoing_.front().due <= now) {
        send(outgoing_.front().bytes);
        outgoing_.pop_front();
    }
}
