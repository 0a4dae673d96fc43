#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// One of the detector's two ring journals: a fixed number of 16-byte records
// addressed by index, with a first and a last index. The valid records run
// from first up to last - 1, wrapping at the capacity; first equal to last is
// an empty journal. A record is kept as the device stores it in memory:
// time (32-bit), event type (16-bit), value (32 bits), six spare bytes, each
// field low byte first.
class RingJournal {
public:
    using Record = std::array<std::uint8_t, 16>;

    static constexpr std::uint16_t kMaxCapacity = 4096;  // the register window of one journal

    RingJournal();

    // Returns an error text, empty when the layout was taken.
    std::string Configure(std::uint32_t capacity, std::uint32_t first, std::uint32_t last);

    std::uint16_t Capacity() const { return static_cast<std::uint16_t>(records_.size()); }
    std::uint16_t First() const { return first_; }
    std::uint16_t Last() const { return last_; }
    std::uint32_t Count() const;

    const Record& At(std::uint16_t index) const { return records_.at(index); }
    void Set(std::uint16_t index, std::uint32_t time, std::uint16_t type, std::uint32_t valueBits);

    // Fills the valid slots with events whose types cycle through all the
    // types the device writes, the newest at last - 1 with `newestTime`,
    // each older one `intervalS` earlier. Slots outside the ring read as
    // erased memory.
    void Generate(std::uint32_t newestTime, std::uint32_t intervalS, std::uint16_t firstType);

    // Writes one new event at last and moves last on (and first, when full).
    void Append(std::uint32_t time, std::uint16_t type, std::uint32_t valueBits);

    static std::uint16_t TypeOf(const Record& r);
    static std::uint32_t TimeOf(const Record& r);
    static std::uint32_t ValueOf(const Record& r);

    static constexpr std::uint16_t kEventTypes = 14;

private:
    std::uint16_t first_ = 0;
    std::uint16_t last_ = 0;
    std::vector<Record> records_;  // one per slot: the capacity
};
