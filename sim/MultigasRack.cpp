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
            if (RtuFrame::CrcValid(buffer_.data(), RtuFrame::kRequestLength)) {
                frames.emplace_back(buffer_.begin(), buffer_.begin() + RtuFrame::kRequestLength);
                buffer_.erase(buffer_.begin(), buffer_.begin() + RtuFrame::kRequestLength);
            } else {
                buffer_.erase(buffer_.begin());
            }
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
    const std::uint8_t unit = frame[0];
    const int sets = state_->SetCount();
    // Every switch hears every frame; only the addressed one acts.
    if (unit != 0 && unit > sets)
        return;
    received_.AddFrame(frame);
    const std::uint8_t function = frame[1];
    const auto address = static_cast<std::uint16_t>((frame[2] << 8) | frame[3]);
    const auto word = static_cast<std::uint16_t>((frame[4] << 8) | frame[5]);
    const std::string fn = "F" + std::to_string(function);
    const auto fault = faults_.Take({"U" + std::to_string(unit) + ":" + fn, fn, "*"});
    if (fault && fault->kind == LineFault::Kind::Silence) {
        answers.emplace_back();
        return;
    }
    std::vector<std::uint8_t> reply;
    if (fault && fault->kind == LineFault::Kind::Exception) {
        reply = RtuFrame::Exception(unit, function, fault->exceptionCode);
    } else if (function == 6) {
        if (address != kSwitchRegister)
            reply = RtuFrame::Exception(unit, function, RtuFrame::kIllegalAddress);
        else if (word > 1)
            reply = RtuFrame::Exception(unit, function, RtuFrame::kIllegalValue);
        else {
            if (unit == 0) {
                // A broadcast 0 opens every switch; a broadcast 1 is refused
                // by physics: only one set can be connected.
                if (word == 0)
                    for (int s = 1; s <= sets; ++s)
                        state_->Switch(s, false);
            } else {
                state_->Switch(unit, word == 1);
            }
            reply = frame;
        }
    } else if (function == 4) {
        if (address != kSwitchRegister || word != 1)
            reply = RtuFrame::Exception(unit, function, word == 0 || word > 125 ? RtuFrame::kIllegalValue : RtuFrame::kIllegalAddress);
        else
            reply = RtuFrame::ReadAnswer(unit, function, {0, static_cast<std::uint8_t>(state_->SwitchOn(unit) ? 1 : 0)});
    } else {
        reply = RtuFrame::Exception(unit, function, RtuFrame::kIllegalFunction);
    }
    if (unit == 0) {
        answers.emplace_back();
        return;
    }
    SimAnswer answer;
    if (fault)
        fault->Shape(std::move(reply), true, answer);
    else
        answer.push_back({0, std::move(reply)});
    answers.push_back(std::move(answer));
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
