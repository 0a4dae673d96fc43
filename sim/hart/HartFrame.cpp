#include "HartFrame.h"

#include <algorithm>
#include <bit>

std::uint8_t HartCheckByte(const std::uint8_t* bytes, std::size_t length)
{
    std::uint8_t check = 0;
    for (std::size_t i = 0; i < length; ++i) {
        check ^= bytes[i];
    }
    return check;
}

std::vector<std::uint8_t> EncodeHartFrame(const HartFrame& frame, std::size_t preambles)
{
    const std::size_t count = std::min<std::size_t>(frame.data.size(), 255);
    std::vector<std::uint8_t> out(preambles, 0xFF);
    out.reserve(preambles + 1 + frame.address.size() + 2 + count + 1);
    out.push_back(frame.delimiter);
    out.insert(out.end(), frame.address.begin(), frame.address.end());
    out.push_back(frame.command);
    out.push_back(static_cast<std::uint8_t>(count));
    out.insert(out.end(), frame.data.begin(), frame.data.begin() + static_cast<std::ptrdiff_t>(count));
    out.push_back(HartCheckByte(out.data() + preambles, out.size() - preambles));
    return out;
}

std::vector<std::uint8_t> HartLongAddress(bool primaryMaster, std::uint16_t expandedDeviceType,
                                          std::uint32_t deviceId)
{
    return {
        static_cast<std::uint8_t>((primaryMaster ? HartFrame::kPrimaryMasterBit : 0) |
                                  ((expandedDeviceType >> 8) & 0x3F)),
        static_cast<std::uint8_t>(expandedDeviceType & 0xFF),
        static_cast<std::uint8_t>(deviceId >> 16),
        static_cast<std::uint8_t>(deviceId >> 8),
        static_cast<std::uint8_t>(deviceId),
    };
}

void AppendHartFloat(std::vector<std::uint8_t>& out, float value)
{
    const auto bits = std::bit_cast<std::uint32_t>(value);
    out.push_back(static_cast<std::uint8_t>(bits >> 24));
    out.push_back(static_cast<std::uint8_t>(bits >> 16));
    out.push_back(static_cast<std::uint8_t>(bits >> 8));
    out.push_back(static_cast<std::uint8_t>(bits));
}

float ReadHartFloat(const std::uint8_t* bytes)
{
    const std::uint32_t bits = std::uint32_t{bytes[0]} << 24 | std::uint32_t{bytes[1]} << 16 |
                               std::uint32_t{bytes[2]} << 8 | bytes[3];
    return std::bit_cast<float>(bits);
}
