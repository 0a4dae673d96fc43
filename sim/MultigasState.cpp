#include "MultigasState.h"

#include <cmath>

#include "SimText.h"

MultigasState::MultigasState()
{
    sets_.resize(kMaxSets);
    switches_.assign(kMaxSets + 1, false);
    switches_[1] = true;
    const char* names[] = {"CH4", "C3H8", "CO", "H2S", "O2"};
    const double values[] = {12.5, 8.0, 17.3, 4.1, 20.9};
    for (int i = 0; i < 5; ++i)
        sets_[0][static_cast<std::size_t>(i)] = {names[i], true, values[i]};
    const char* names2[] = {"H2", "NH3", "SO2"};
    const double values2[] = {0.4, 11.0, 2.6};
    for (int i = 0; i < 3; ++i)
        sets_[1][static_cast<std::size_t>(i)] = {names2[i], true, values2[i]};
    // A named channel whose sensor gives no value yet.
    sets_[1][3] = {"NO2", false, 0.0};
}

int MultigasState::SetCount() const
{
    std::lock_guard lock(mutex_);
    return setCount_;
}

std::string MultigasState::SetSetCount(int count)
{
    if (count < 1 || count > kMaxSets)
        return "set count must be 1 to " + std::to_string(kMaxSets);
    std::lock_guard lock(mutex_);
    setCount_ = count;
    if (selectedSet_ > count)
        selectedSet_ = 0;
    return {};
}

int MultigasState::SelectedSet() const
{
    std::lock_guard lock(mutex_);
    return selectedSet_;
}

void MultigasState::SetSelectedSet(int set)
{
    std::lock_guard lock(mutex_);
    if (set >= 0 && set <= setCount_) {
        selectedSet_ = set;
        for (int s = 1; s <= kMaxSets; ++s)
            switches_[static_cast<std::size_t>(s)] = s == set;
    }
}

int MultigasState::SelectedChannel() const
{
    std::lock_guard lock(mutex_);
    return selectedChannel_;
}

bool MultigasState::SelectChannel(int channel)
{
    if (channel < 1 || channel > kChannels)
        return false;
    std::lock_guard lock(mutex_);
    selectedChannel_ = channel;
    return true;
}

std::string MultigasState::SetChannel(int set, int channel, const Channel& c)
{
    if (set < 1 || set > kMaxSets)
        return "set must be 1 to " + std::to_string(kMaxSets);
    if (channel < 1 || channel > kChannels)
        return "channel must be 1 to " + std::to_string(kChannels);
    std::lock_guard lock(mutex_);
    sets_[static_cast<std::size_t>(set - 1)][static_cast<std::size_t>(channel - 1)] = c;
    return {};
}

MultigasState::Channel MultigasState::ChannelOf(int set, int channel) const
{
    std::lock_guard lock(mutex_);
    if (set < 1 || set > kMaxSets || channel < 1 || channel > kChannels)
        return {};
    return sets_[static_cast<std::size_t>(set - 1)][static_cast<std::size_t>(channel - 1)];
}

void MultigasState::Switch(int set, bool on)
{
    std::lock_guard lock(mutex_);
    if (set < 1 || set > setCount_)
        return;
    switches_[static_cast<std::size_t>(set)] = on;
    if (on)
        selectedSet_ = set;
    else if (selectedSet_ == set)
        selectedSet_ = 0;
}

bool MultigasState::SwitchOn(int set) const
{
    std::lock_guard lock(mutex_);
    if (set < 1 || set > kMaxSets)
        return false;
    return switches_[static_cast<std::size_t>(set)];
}

std::vector<std::string> MultigasState::ReportFields(double seconds) const
{
    std::lock_guard lock(mutex_);
    std::vector<std::string> out;
    out.push_back(std::to_string(selectedChannel_));
    for (int ch = 0; ch < kChannels; ++ch) {
        Channel c;
        if (selectedSet_ >= 1)
            c = sets_[static_cast<std::size_t>(selectedSet_ - 1)][static_cast<std::size_t>(ch)];
        out.push_back(c.name.empty() ? "NS" : c.name);
        if (!c.hasValue) {
            out.push_back("ND");
            continue;
        }
        // Each channel breathes a little, out of step with the others.
        const double wobble = 0.01 * std::abs(c.value) * std::sin(seconds * 0.7 + ch);
        out.push_back(SimText::FormatFixed(c.value + wobble, 2));
    }
    return out;
}
