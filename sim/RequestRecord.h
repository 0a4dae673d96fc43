#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

// What a device received, in order: text command lines (without CR LF) and
// Modbus frames addressed to it. Tests read it to see which requests a task
// sent. Only the newest entries are kept, so a simulator left running for a
// day does not grow without end.
class RequestRecord {
public:
    struct Entry {
        bool frame = false;
        std::string text;                 // the command line, or the frame in hex
        std::vector<std::uint8_t> bytes;  // the frame's bytes (empty for text)
    };

    explicit RequestRecord(std::size_t keep = 100000) : keep_(keep) {}

    void AddText(const std::string& line);
    void AddFrame(const std::vector<std::uint8_t>& frame);

    std::vector<Entry> Entries() const;
    std::vector<std::string> Texts() const;
    std::vector<std::vector<std::uint8_t>> Frames() const;
    std::size_t Size() const;
    void Clear();

private:
    void Add(Entry e);

    const std::size_t keep_;
    mutable std::mutex mutex_;
    std::deque<Entry> entries_;
};
