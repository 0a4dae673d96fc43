#include "SimText.h"

#include <cctype>
#include <charconv>
#include <cstdint>
#include <cstdio>

namespace SimText {

std::string Trim(std::string_view text)
{
    std::size_t b = 0;
    std::size_t e = text.size();
    while (b < e && std::isspace(static_cast<unsigned char>(text[b])))
        ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(text[e - 1])))
        --e;
    return std::string(text.substr(b, e - b));
}

std::string ToLower(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::vector<std::string> SplitCommas(std::string_view text)
{
    std::vector<std::string> out;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = text.find(',', start);
        if (comma == std::string_view::npos) {
            out.push_back(Trim(text.substr(start)));
            return out;
        }
        out.push_back(Trim(text.substr(start, comma - start)));
        start = comma + 1;
    }
}

std::string FormatFixed(double value, int decimals)
{
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    if (r.ec != std::errc())
        return "0";
    std::string out(buf, r.ptr);
    if (out.size() > 1 && out[0] == '-' && out.find_first_not_of("-0.") == std::string::npos)
        out.erase(0, 1);  // no "-0.00" on the line
    return out;
}

bool ParseDouble(std::string_view text, double& value)
{
    const std::string t = Trim(text);
    if (t.empty())
        return false;
    const char* begin = t.data();
    if (*begin == '+')
        ++begin;
    double v = 0;
    const auto r = std::from_chars(begin, t.data() + t.size(), v);
    if (r.ec != std::errc() || r.ptr != t.data() + t.size())
        return false;
    value = v;
    return true;
}

bool ParseInt(std::string_view text, long long& value)
{
    const std::string t = Trim(text);
    if (t.empty())
        return false;
    const char* begin = t.data();
    if (*begin == '+')
        ++begin;
    long long v = 0;
    const auto r = std::from_chars(begin, t.data() + t.size(), v);
    if (r.ec != std::errc() || r.ptr != t.data() + t.size())
        return false;
    value = v;
    return true;
}

std::optional<std::string> Utf8ToCp1251(std::string_view utf8)
{
    std::string out;
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
            ++i;
            continue;
        }
        if ((c & 0xE0) != 0xC0 || i + 1 >= utf8.size())
            return std::nullopt;
        const auto c2 = static_cast<unsigned char>(utf8[i + 1]);
        if ((c2 & 0xC0) != 0x80)
            return std::nullopt;
        const unsigned cp = ((c & 0x1Fu) << 6) | (c2 & 0x3Fu);
        i += 2;
        if (cp >= 0x410 && cp <= 0x44F)
            out.push_back(static_cast<char>(0xC0 + (cp - 0x410)));
        else if (cp == 0x401)
            out.push_back(static_cast<char>(0xA8));
        else if (cp == 0x451)
            out.push_back(static_cast<char>(0xB8));
        else if (cp == 0xB0)
            out.push_back(static_cast<char>(0xB0));
        else
            return std::nullopt;
    }
    return out;
}

std::string Hex(const std::vector<unsigned char>& bytes)
{
    std::string out;
    char buf[4];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(buf, sizeof buf, "%02X", bytes[i]);
        if (i != 0)
            out.push_back(' ');
        out += buf;
    }
    return out;
}

}  // namespace SimText
