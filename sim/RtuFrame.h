#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Modbus RTU framing as the devices on the simulated lines do it.
namespace RtuFrame {

// Appends the CRC, low byte first.
void AppendCrc(std::vector<std::uint8_t>& frame);
// The last two bytes are the CRC of the bytes before them.
bool CrcValid(const std::uint8_t* frame, std::size_t length);

std::vector<std::uint8_t> Exception(std::uint8_t unit, std::uint8_t function, std::uint8_t code);
std::vector<std::uint8_t> ReadAnswer(std::uint8_t unit, std::uint8_t function, const std::vector<std::uint8_t>& data);

// Both requests the masters send (function 4 and 6) are 8 bytes long.
constexpr std::size_t kRequestLength = 8;

constexpr std::uint8_t kIllegalFunction = 1;
constexpr std::uint8_t kIllegalAddress = 2;
constexpr std::uint8_t kIllegalValue = 3;

}  // namespace RtuFrame
