#include "RtuFrame.h"

#include "ModbusCrc.h"

namespace RtuFrame {

void AppendCrc(std::vector<std::uint8_t>& frame)
{
    const std::uint16_t crc = ModbusCrc16(frame.data(), frame.size());
    frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    frame.push_back(static_cast<std::uint8_t>(crc >> 8));
}

bool CrcValid(const std::uint8_t* frame, std::size_t length)
{
    if (length < 3)
        return false;
    const std::uint16_t crc = ModbusCrc16(frame, length - 2);
    return frame[length - 2] == (crc & 0xFF) && frame[length - 1] == (crc >> 8);
}

std::vector<std::uint8_t> Exception(std::uint8_t unit, std::uint8_t function, std::uint8_t code)
{
    std::vector<std::uint8_t> f{unit, static_cast<std::uint8_t>(function | 0x80), code};
    AppendCrc(f);
    return f;
}

std::vector<std::uint8_t> ReadAnswer(std::uint8_t unit, std::uint8_t function, const std::vector<std::uint8_t>& data)
{
    std::vector<std::uint8_t> f;
    f.reserve(data.size() + 5);
    f.push_back(unit);
    f.push_back(function);
    f.push_back(static_cast<std::uint8_t>(data.size()));
    f.insert(f.end(), data.begin(), data.end());
    AppendCrc(f);
    return f;
}

}  // namespace RtuFrame
