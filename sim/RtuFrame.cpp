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

bool StartsWithRequest(const std::vector<std::uint8_t>& received)
{
    return received.size() >= kRequestLength && CrcValid(received.data(), kRequestLength);
}

std::vector<std::uint8_t> TakeRequest(std::vector<std::uint8_t>& received)
{
    const auto end = received.begin() + static_cast<std::ptrdiff_t>(kRequestLength);
    std::vector<std::uint8_t> request(received.begin(), end);
    received.erase(received.begin(), end);
    return request;
}

Request Decode(const std::vector<std::uint8_t>& request)
{
    Request r;
    if (request.size() < kRequestLength - 2)
        return r;
    r.unit = request[0];
    r.function = request[1];
    r.address = static_cast<std::uint16_t>((request[2] << 8) | request[3]);
    r.word = static_cast<std::uint16_t>((request[4] << 8) | request[5]);
    return r;
}

SimAnswer Serve(const Request& request, const std::optional<LineFault>& fault,
                const std::function<std::vector<std::uint8_t>()>& execute)
{
    if (fault && fault->kind == LineFault::Kind::Silence)
        return {};
    std::vector<std::uint8_t> reply = fault && fault->kind == LineFault::Kind::Exception
        ? Exception(request.unit, request.function, fault->exceptionCode)
        : execute();
    if (request.unit == 0)
        return {};
    return ShapedAnswer(fault, std::move(reply), true);
}

}  // namespace RtuFrame
