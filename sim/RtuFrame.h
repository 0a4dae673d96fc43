#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "LineDevice.h"
#include "LineFault.h"

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

// The bytes received so far start with a request: eight bytes whose CRC
// holds. Whose unit it addresses is the device's to decide.
bool StartsWithRequest(const std::vector<std::uint8_t>& received);
// Removes that request from the front of the received bytes and returns it.
std::vector<std::uint8_t> TakeRequest(std::vector<std::uint8_t>& received);

// The fields of a request: unit, function, then two 16-bit words high byte
// first (start register and count for function 4, register and value for 6).
struct Request {
    std::uint8_t unit = 0;
    std::uint8_t function = 0;
    std::uint16_t address = 0;
    std::uint16_t word = 0;
};
Request Decode(const std::vector<std::uint8_t>& request);

// How a slave on the simulated lines answers a request once it has looked
// up the fault armed for it: a silence fault swallows the request, an
// exception fault refuses it, otherwise `execute` carries it out and gives
// the reply. Nobody answers a broadcast (unit 0); any other fault shapes the
// reply on its way out.
SimAnswer Serve(const Request& request, const std::optional<LineFault>& fault,
                const std::function<std::vector<std::uint8_t>()>& execute);

constexpr std::uint8_t kIllegalFunction = 1;
constexpr std::uint8_t kIllegalAddress = 2;
constexpr std::uint8_t kIllegalValue = 3;

}  // namespace RtuFrame
