#include "MultigasRack.h"

#include <cstdio>

#include "RtuFrame.h"
#include "SimText.h"

MultigasRack::MultigasRack(std::shared_ptr<MultigasState> state)
    : state_(state ? std::move(state) : std::make_shared<MultigasState>())
{
}

void MultigasRack::Feed(const std::uint8_t* data, std::size_t length, std::vector<SimAnswer>& answers)
{
    std::vector<std::vector<std::uint8_t>> frames;
    {
        std::lock_guard lock(mutex_);
        buffer_.insert(buffer_.end(), data, data + length);
        while (buffer_.size() >= RtuFrame::kRequestLength) {
            if (RtuFrame::StartsWithRequest(buffer_))
                frames.push_back(RtuFrame::TakeRequest(buffer_));
            else
                buffer_.erase(buffer_.begin());
        }
    }
    for (const auto& f : frames)
        HandleFrame(f, answers);
}

void MultigasRack::LineIdle()
{
    std::lock_guard lock(mutex_);
    buffer_.clear();
}

std::size_t MultigasRack::BufferedBytes() const
{
    std::lock_guard lock(mutex_);
    return buffer_.size();
}

void MultigasRack::HandleFrame(const std::vector<std::uint8_t>& frame, std::vector<SimAnswer>& answers)
{
    const RtuFrame::Request r = RtuFrame::Decode(frame);
    const int sets = state_->SetCount();
    // Every switch hears every frame; only the addressed one acts.
    if (r.unit != 0 && r.unit > sets)
        return;
    received_.AddFrame(frame);
    const std::string fn = "F" + std::to_string(r.function);
    const auto fault = faults_.Take({"U" + std::to_string(r.unit) + ":" + fn, fn, "*"});
    answers.push_back(RtuFrame::Serve(r, fault, [&]() -> std::vector<std::uint8_t> {
        if (r.function == 6) {
            if (r.address != kSwitchRegister)
                return RtuFrame::Exception(r.unit, r.function, RtuFrame::kIllegalAddress);
            if (r.word > 1)
                return RtuFrame::Exception(r.unit, r.function, RtuFrame::kIllegalValue);
            if (r.unit == 0) {
                // A broadcast 0 opens every switch; a broadcast 1 is refused
                // by physics: only one set can be connected.
                if (r.word == 0)
                    for (int s = 1; s <= sets; ++s)
                        state_->Switch(s, false);
            } else {
                state_->Switch(r.unit, r.word == 1);
            }
            return frame;
        }
        if (r.function == 4) {
            if (r.address != kSwitchRegister || r.word != 1)
                return RtuFrame::Exception(r.unit, r.function,
                    r.word == 0 || r.word > 125 ? RtuFrame::kIllegalValue : RtuFrame::kIllegalAddress);
            return RtuFrame::ReadAnswer(r.unit, r.function, {0, static_cast<std::uint8_t>(state_->SwitchOn(r.unit) ? 1 : 0)});
        }
        return RtuFrame::Exception(r.unit, r.function, RtuFrame::kIllegalFunction);
    }));
}

std::string MultigasRack::ApplySetting(const std::string& key, const std::string& value)
{
    long long n = 0;
    if (key == "sets") {
        if (!SimText::ParseInt(value, n))
            return "sets must be a number";
        return state_->SetSetCount(static_cast<int>(n));
    }
    if (key == "selected_set") {
        if (!SimText::ParseInt(value, n) || n < 0 || n > state_->SetCount())
            return "selected_set must be 0 to the number of sets (give sets first)";
        state_->SetSelectedSet(static_cast<int>(n));
        return {};
    }
    if (key == "channel") {
        if (!SimText::ParseInt(value, n) || !state_->SelectChannel(static_cast<int>(n)))
            return "channel must be 1 to 12";
        return {};
    }
    // setS.chC = NAME,VALUE   (NS: no name, ND: no value)
    int set = 0, channel = 0, used = 0;
    if (std::sscanf(key.c_str(), "set%d.ch%d%n", &set, &channel, &used) == 2 && used == static_cast<int>(key.size())) {
        const auto fields = SimText::SplitCommas(value);
        if (fields.size() != 2)
            return key + " must be NAME,VALUE (NS for no name, ND for no value)";
        MultigasState::Channel c;
        const auto name = SimText::Utf8ToCp1251(fields[0]);
        if (!name || name->find_first_of(",\r\n") != std::string::npos)
            return key + ": bad channel name";
        c.name = SimText::ToLower(*name) == "ns" ? std::string() : *name;
        if (SimText::ToLower(fields[1]) != "nd") {
            if (!SimText::ParseDouble(fields[1], c.value))
                return key + ": value must be a number or ND";
            c.hasValue = true;
        }
        return state_->SetChannel(set, channel, c);
    }
    if (key.rfind("fault.", 0) == 0) {
        std::string error;
        const auto f = LineFault::Parse(value, error);
        if (!f)
            return error;
        faults_.Set(key.substr(6), *f);
        return {};
    }
    return "unknown key \"" + key + "\" in [multigas]";
}
