#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "JournalReadStatus.h"

// The engine's copy of one of the device's ring journals (events or
// thresholds), filled block by block while it is read, so that the page can
// show the newest records before the oldest have arrived. Beside the
// buffer: how far the reading is and how many records were read and are
// expected.
struct JournalBuffer {
    // One journal entry exactly as the device stores it.
    using RawRecord = std::array<std::uint8_t, 16>;

    std::uint32_t first = 0;    // oldest valid record
    std::uint32_t last = 0;     // one past the newest, wrapping at capacity
    std::uint32_t capacity = 0; // records the device's ring holds
    std::uint32_t allocated = 0;
    std::vector<RawRecord> records;
    std::vector<std::uint32_t> loaded;
    std::uint32_t allocatedCapacity = 0;

    JournalReadStatus status = JournalReadStatus::NotRead;
    std::uint32_t readCount = 0;
    std::uint32_t expectedCount = 0;

    // A new reading starts from nothing: records of an earlier reading are
    // never mixed with new ones.
    void PrepareForRead();

    // Takes the ring indices the device reported and makes room for its
    // capacity; the arrays are kept when the capacity is unchanged. Refuses
    // indices that lie outside the ring (a device that reports them has a
    // damaged index block, and walking the ring by them would leave the
    // arrays), and a capacity above `maxCapacity`, the records the
    // journal's register window can address: the buffer then stays not
    // allocated.
    bool Allocate(std::uint32_t firstIndex, std::uint32_t lastIndex, std::uint32_t ringCapacity,
                  std::uint32_t maxCapacity = 0xFFFFFFFFu);

    // Records from `first` up to `last` − 1, wrapping at the capacity.
    static std::uint32_t ExpectedCount(std::uint32_t firstIndex, std::uint32_t lastIndex, std::uint32_t ringCapacity);
    static bool IndicesFit(std::uint32_t firstIndex, std::uint32_t lastIndex, std::uint32_t ringCapacity,
                           std::uint32_t maxCapacity = 0xFFFFFFFFu);

    // Copies `count` records of 16 bytes from `data` into slots `start` …
    // and marks them loaded. Refused when they do not fit the arrays.
    bool StoreRecords(std::uint32_t start, const std::uint8_t* data, std::size_t count);

    // The arrays match the ring the device reported.
    bool Usable() const { return allocated != 0 && capacity == allocatedCapacity; }
    bool IsLoaded(std::uint32_t index) const { return index < loaded.size() && loaded[index] != 0; }
};
