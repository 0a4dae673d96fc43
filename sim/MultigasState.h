#pragma once

#include <array>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

// What the multigas rack and the detector on it share: the sets of sensors
// with their twelve channels each, which set the switch has connected, and
// which channel the sensor reports. The rack's switch changes the set from
// the multigas line; the detector reads it from the device line.
class MultigasState {
public:
    static constexpr int kChannels = 12;
    static constexpr int kMaxSets = 16;

    struct Channel {
        std::string name;   // empty: the channel has no name ("NS" on the line)
        bool hasValue = false;
        double value = 0.0;
    };

    MultigasState();

    int SetCount() const;
    // Returns an error text, empty when taken. Shrinking drops higher sets.
    std::string SetSetCount(int count);
    // 0 when no set is connected.
    int SelectedSet() const;
    void SetSelectedSet(int set);
    int SelectedChannel() const;
    bool SelectChannel(int channel);

    // set and channel count from 1.
    std::string SetChannel(int set, int channel, const Channel& c);
    Channel ChannelOf(int set, int channel) const;

    // One switch per set: the switch of `set` was written `on`.
    void Switch(int set, bool on);
    bool SwitchOn(int set) const;

    // The channel list the sensor reports: the selected channel, then name
    // and value of the twelve channels of the connected set.
    std::vector<std::string> ReportFields(double seconds) const;

private:
    mutable std::mutex mutex_;
    int setCount_ = 2;
    int selectedSet_ = 1;
    int selectedChannel_ = 1;
    std::vector<std::array<Channel, kChannels>> sets_;
    std::vector<bool> switches_;
};
