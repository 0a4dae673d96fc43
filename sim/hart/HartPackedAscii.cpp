#include "HartPackedAscii.h"

namespace {

char ToPackable(char c)
{
    if (c >= 'a' && c <= 'z') {
        return static_cast<char>(c - 'a' + 'A');
    }
    return c;
}

bool Packable(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return u >= 0x20 && u <= 0x5F;
}

}  // namespace

bool IsHartPackable(std::string_view text)
{
    for (char c : text) {
        if (!Packable(ToPackable(c))) {
            return false;
        }
    }
    return true;
}

std::vector<std::uint8_t> PackHartAscii(std::string_view text, std::size_t characters)
{
    characters -= characters % 4;
    std::vector<std::uint8_t> out;
    out.reserve(characters / 4 * 3);
    for (std::size_t group = 0; group < characters; group += 4) {
        std::uint8_t code[4];
        for (std::size_t i = 0; i < 4; ++i) {
            char c = group + i < text.size() ? ToPackable(text[group + i]) : ' ';
            if (!Packable(c)) {
                c = '?';
            }
            code[i] = static_cast<std::uint8_t>(c) & 0x3F;
        }
        out.push_back(static_cast<std::uint8_t>(code[0] << 2 | code[1] >> 4));
        out.push_back(static_cast<std::uint8_t>((code[1] & 0x0F) << 4 | code[2] >> 2));
        out.push_back(static_cast<std::uint8_t>((code[2] & 0x03) << 6 | code[3]));
    }
    return out;
}

std::string UnpackHartAscii(const std::uint8_t* data, std::size_t length)
{
    std::string out;
    for (std::size_t i = 0; i + 3 <= length; i += 3) {
        const std::uint32_t bits = std::uint32_t{data[i]} << 16 | std::uint32_t{data[i + 1]} << 8 | data[i + 2];
        for (int shift = 18; shift >= 0; shift -= 6) {
            std::uint8_t code = (bits >> shift) & 0x3F;
            if ((code & 0x20) == 0) {
                code |= 0x40;
            }
            out.push_back(static_cast<char>(code));
        }
    }
    return out;
}
