#pragma once

#include <cstddef>
#include <cstdint>

// CRC-16/MODBUS (reflected polynomial 0xA001, initial 0xFFFF, no final XOR),
// table-driven. On the wire the low byte goes first.
std::uint16_t ModbusCrc16(const std::uint8_t* data, std::size_t length);
