#include "JournalBuffer.h"

#include <algorithm>
#include <cstring>

void JournalBuffer::PrepareForRead()
{
    std::fill(loaded.begin(), loaded.end(), 0u);
    allocated = 0;
    status = JournalReadStatus::NotRead;
    readCount = 0;
    expectedCount = 0;
}

bool JournalBuffer::IndicesFit(std::uint32_t firstIndex, std::uint32_t lastIndex, std::uint32_t ringCapacity,
                               std::uint32_t maxCapacity)
{
    if (ringCapacity == 0)
        return firstIndex == 0 && lastIndex == 0;
    if (ringCapacity > maxCapacity)
        return false;
    // "last" one past the top slot counts as the wrap to 0, except with first
    // 0: then it says both "all slots" and "empty", and a reading by it would
    // end at once as a finished, empty journal.
    return firstIndex < ringCapacity && (lastIndex < ringCapacity || (lastIndex == ringCapacity && firstIndex != 0));
}

std::uint32_t JournalBuffer::ExpectedCount(std::uint32_t firstIndex, std::uint32_t lastIndex, std::uint32_t ringCapacity)
{
    if (lastIndex >= firstIndex)
        return lastIndex - firstIndex;
    return lastIndex + ringCapacity - firstIndex;
}

bool JournalBuffer::Allocate(std::uint32_t firstIndex, std::uint32_t lastIndex, std::uint32_t ringCapacity,
                             std::uint32_t maxCapacity)
{
    first = firstIndex;
    last = lastIndex;
    capacity = ringCapacity;
    if (!IndicesFit(firstIndex, lastIndex, ringCapacity, maxCapacity)) {
        allocated = 0;
        std::fill(loaded.begin(), loaded.end(), 0u);
        readCount = 0;
        expectedCount = 0;
        return false;
    }
    allocated = 1;
    if (ringCapacity != allocatedCapacity) {
        records.assign(ringCapacity, RawRecord{});
        loaded.assign(ringCapacity, 0u);
        allocatedCapacity = ringCapacity;
    }
    std::fill(loaded.begin(), loaded.end(), 0u);
    expectedCount = ExpectedCount(firstIndex, lastIndex, ringCapacity);
    readCount = 0;
    status = JournalReadStatus::Reading;
    return true;
}

bool JournalBuffer::StoreRecords(std::uint32_t start, const std::uint8_t* data, std::size_t count)
{
    if (!Usable() || (count != 0 && data == nullptr))
        return false;
    if (start > records.size() || count > records.size() - start)
        return false;
    for (std::size_t k = 0; k < count; ++k) {
        std::memcpy(records[start + k].data(), data + 16 * k, 16);
        loaded[start + k] = 1;
    }
    return true;
}
