#include "Cp1251.h"

#include <array>
#include <cstdint>

namespace {

// 0x80 … 0xBF; 0xC0 … 0xFF are U+0410 … U+044F in order.
constexpr std::array<char32_t, 64> kHigh = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, // 0x80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F, // 0x88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 0x90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, // 0x98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, // 0xA0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, // 0xA8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, // 0xB0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, // 0xB8
};

char32_t ByteToCodePoint(unsigned char b)
{
    if (b < 0x80)
        return b;
    if (b >= 0xC0)
        return 0x0410 + (b - 0xC0);
    return kHigh[b - 0x80];
}

// Returns false when the code page has no such character.
bool CodePointToByte(char32_t cp, unsigned char& out)
{
    if (cp < 0x80) {
        out = static_cast<unsigned char>(cp);
        return true;
    }
    if (cp >= 0x0410 && cp <= 0x044F) {
        out = static_cast<unsigned char>(0xC0 + (cp - 0x0410));
        return true;
    }
    for (std::size_t i = 0; i < kHigh.size(); ++i) {
        if (kHigh[i] == cp) {
            out = static_cast<unsigned char>(0x80 + i);
            return true;
        }
    }
    return false;
}

void AppendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// Decodes one well-formed UTF-8 sequence at `i`; on success advances `i`
// past it. Overlong forms, surrogates and values above U+10FFFF are
// malformed.
bool DecodeUtf8(std::string_view s, std::size_t& i, char32_t& cp)
{
    const auto b0 = static_cast<unsigned char>(s[i]);
    std::size_t length = 0;
    char32_t min = 0;
    if (b0 < 0x80) {
        cp = b0;
        ++i;
        return true;
    } else if ((b0 & 0xE0) == 0xC0) {
        length = 2;
        cp = b0 & 0x1F;
        min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        length = 3;
        cp = b0 & 0x0F;
        min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        length = 4;
        cp = b0 & 0x07;
        min = 0x10000;
    } else {
        return false;
    }
    if (s.size() - i < length)
        return false;
    for (std::size_t k = 1; k < length; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80)
            return false;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return false;
    i += length;
    return true;
}

} // namespace

std::string Cp1251::FromUtf8(std::string_view utf8, char replacement)
{
    std::string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        char32_t cp = 0;
        if (!DecodeUtf8(utf8, i, cp)) {
            out.push_back(replacement);
            ++i;
            continue;
        }
        unsigned char b = 0;
        out.push_back(CodePointToByte(cp, b) ? static_cast<char>(b) : replacement);
    }
    return out;
}

std::string Cp1251::ToUtf8(std::string_view cp1251)
{
    std::string out;
    out.reserve(cp1251.size() * 2);
    for (const char c : cp1251)
        AppendUtf8(out, ByteToCodePoint(static_cast<unsigned char>(c)));
    return out;
}
