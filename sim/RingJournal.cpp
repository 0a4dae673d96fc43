#include "RingJournal.h"

#include <bit>
#include <cstring>

namespace {

std::uint32_t FloatBits(float f)
{
    return std::bit_cast<std::uint32_t>(f);
}

// A plausible value for each event type, varied by the record's position.
std::uint32_t ValueFor(std::uint16_t type, std::uint32_t n)
{
    switch (type) {
    case 1: return FloatBits(22.5f + static_cast<float>(n % 7));        // threshold 1 exceeded
    case 2: return FloatBits(45.0f + static_cast<float>(n % 5));        // threshold 2 exceeded
    case 3: return 210457u + n;                                         // new sensor serial number
    case 6: return (n / RingJournal::kEventTypes) % 2;                  // loop broken / restored
    case 7: return FloatBits(20.0f);
    case 8: return FloatBits(40.0f);
    case 9: return (n / RingJournal::kEventTypes) % 2;                  // O2 flag set / cleared
    case 10: return (n / RingJournal::kEventTypes) % 4;                 // sound setting
    case 11: return (n / RingJournal::kEventTypes) % 3;                 // energy saving
    case 12: return FloatBits(0.0f);
    case 13: return FloatBits(50.0f);
    case 14: return (n / RingJournal::kEventTypes) % 2 == 0 ? 0u : 210457u;  // sensor failed / back
    default: return 0;                                                  // power on, power off
    }
}

}  // namespace

RingJournal::RingJournal()
{
    Configure(1, 0, 0);
}

std::string RingJournal::Configure(std::uint32_t capacity, std::uint32_t first, std::uint32_t last)
{
    if (capacity < 1 || capacity > kMaxCapacity)
        return "journal capacity must be 1 to " + std::to_string(kMaxCapacity);
    if (first >= capacity || last >= capacity)
        return "journal first and last index must be below the capacity " + std::to_string(capacity);
    first_ = static_cast<std::uint16_t>(first);
    last_ = static_cast<std::uint16_t>(last);
    Record erased;
    erased.fill(0xFF);
    records_.assign(capacity, erased);
    return {};
}

std::uint32_t RingJournal::Count() const
{
    return last_ >= first_ ? last_ - first_ : last_ + Capacity() - first_;
}

void RingJournal::Set(std::uint16_t index, std::uint32_t time, std::uint16_t type, std::uint32_t valueBits)
{
    Record& r = records_.at(index);
    r.fill(0);
    for (int i = 0; i < 4; ++i)
        r[i] = static_cast<std::uint8_t>(time >> (8 * i));
    r[4] = static_cast<std::uint8_t>(type);
    r[5] = static_cast<std::uint8_t>(type >> 8);
    for (int i = 0; i < 4; ++i)
        r[6 + i] = static_cast<std::uint8_t>(valueBits >> (8 * i));
}

void RingJournal::Generate(std::uint32_t newestTime, std::uint32_t intervalS, std::uint16_t firstType)
{
    const std::uint32_t count = Count();
    const std::uint32_t capacity = Capacity();
    // Oldest first, so that the types cycle forwards in time.
    for (std::uint32_t n = 0; n < count; ++n) {
        const auto index = static_cast<std::uint16_t>((first_ + n) % capacity);
        const auto type = static_cast<std::uint16_t>((firstType - 1 + n) % kEventTypes + 1);
        const std::uint32_t age = (count - 1 - n) * intervalS;
        Set(index, newestTime >= age ? newestTime - age : 0, type, ValueFor(type, n));
    }
}

void RingJournal::Append(std::uint32_t time, std::uint16_t type, std::uint32_t valueBits)
{
    Set(last_, time, type, valueBits);
    last_ = static_cast<std::uint16_t>((last_ + 1) % Capacity());
    if (last_ == first_)
        first_ = static_cast<std::uint16_t>((first_ + 1) % Capacity());
}

std::uint16_t RingJournal::TypeOf(const Record& r)
{
    return static_cast<std::uint16_t>(r[4] | (r[5] << 8));
}

std::uint32_t RingJournal::TimeOf(const Record& r)
{
    return static_cast<std::uint32_t>(r[0]) | (static_cast<std::uint32_t>(r[1]) << 8)
        | (static_cast<std::uint32_t>(r[2]) << 16) | (static_cast<std::uint32_t>(r[3]) << 24);
}

std::uint32_t RingJournal::ValueOf(const Record& r)
{
    return static_cast<std::uint32_t>(r[6]) | (static_cast<std::uint32_t>(r[7]) << 8)
        | (static_cast<std::uint32_t>(r[8]) << 16) | (static_cast<std::uint32_t>(r[9]) << 24);
}
