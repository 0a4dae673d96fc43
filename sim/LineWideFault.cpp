#include "LineWideFault.h"

bool LineWideFault::Set(const std::optional<LineFault>& fault)
{
    if (fault && !fault->FramingFree())
        return false;
    std::lock_guard lock(mutex_);
    fault_ = fault;
    return true;
}

void LineWideFault::Clear(LineFault::Kind kind)
{
    std::lock_guard lock(mutex_);
    if (fault_ && fault_->kind == kind)
        fault_.reset();
}

std::optional<LineFault> LineWideFault::Armed() const
{
    std::lock_guard lock(mutex_);
    return fault_;
}

void LineWideFault::Feed(const std::uint8_t* data, std::size_t length, std::vector<SimAnswer>& answers)
{
    const std::size_t first = answers.size();
    device_.Feed(data, length, answers);
    for (std::size_t i = first; i < answers.size(); ++i) {
        // A request the device leaves unanswered stays so: garbage replaces
        // answers, it does not make them up.
        if (answers[i].empty())
            continue;
        std::optional<LineFault> fault;
        {
            std::lock_guard lock(mutex_);
            fault = fault_;
            if (fault_ && fault_->remaining > 0 && --fault_->remaining == 0)
                fault_.reset();
        }
        if (!fault)
            continue;
        // The device's own pieces go out as one; their delays come first.
        std::vector<std::uint8_t> bytes;
        std::uint32_t delayMs = 0;
        for (const SimPiece& p : answers[i]) {
            delayMs += p.delayMs;
            bytes.insert(bytes.end(), p.bytes.begin(), p.bytes.end());
        }
        SimAnswer shaped;
        fault->Shape(std::move(bytes), false, shaped);
        if (!shaped.empty())
            shaped.front().delayMs += delayMs;
        answers[i] = std::move(shaped);
    }
}
