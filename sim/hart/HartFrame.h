#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// One HART frame without its preambles: delimiter, address (1 byte short,
// 5 bytes long), command, data. The byte count and the check byte follow from
// these on the line.
struct HartFrame {
    // Delimiters: bit 7 long address, low bits the frame type.
    static constexpr std::uint8_t kShortRequest = 0x02;
    static constexpr std::uint8_t kLongRequest = 0x82;
    static constexpr std::uint8_t kShortResponse = 0x06;
    static constexpr std::uint8_t kLongResponse = 0x86;
    static constexpr std::uint8_t kLongAddressBit = 0x80;

    // Address byte bits: primary master, slave in burst mode, polling address.
    static constexpr std::uint8_t kPrimaryMasterBit = 0x80;
    static constexpr std::uint8_t kBurstBit = 0x40;
    static constexpr std::uint8_t kPollingAddressMask = 0x3F;

    static constexpr std::size_t kShortAddressLength = 1;
    static constexpr std::size_t kLongAddressLength = 5;

    std::uint8_t delimiter = kShortRequest;
    std::vector<std::uint8_t> address;
    std::uint8_t command = 0;
    std::vector<std::uint8_t> data;

    bool IsLongAddress() const { return (delimiter & kLongAddressBit) != 0; }
};

// XOR of every byte; over delimiter .. last data byte it is the frame's
// check byte.
std::uint8_t HartCheckByte(const std::uint8_t* bytes, std::size_t length);

// The frame as the line carries it: `preambles` times 0xFF, delimiter,
// address, command, byte count, data, check byte. Data beyond 255 bytes
// cannot be counted and is cut.
std::vector<std::uint8_t> EncodeHartFrame(const HartFrame& frame, std::size_t preambles);

// Long address of a device: master bit, the 14-bit expanded device type,
// the 24-bit device identifier, high bytes first.
std::vector<std::uint8_t> HartLongAddress(bool primaryMaster, std::uint16_t expandedDeviceType,
                                          std::uint32_t deviceId);

// Big-endian IEEE-754 single precision, as HART carries reals.
void AppendHartFloat(std::vector<std::uint8_t>& out, float value);
float ReadHartFloat(const std::uint8_t* bytes);
