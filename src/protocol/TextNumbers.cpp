#include "TextNumbers.h"

#include <charconv>
#include <climits>
#include <clocale>
#include <cstdio>

namespace {

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Index after white space and an optional sign; sets negative.
std::size_t SkipPrefix(const std::string& text, bool& negative)
{
    std::size_t i = 0;
    while (i < text.size() && IsSpace(text[i]))
        ++i;
    negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    return i;
}

} // namespace

long long ParseDecimalInt(const std::string& text)
{
    bool negative = false;
    std::size_t i = SkipPrefix(text, negative);
    unsigned long long magnitude = 0;
    bool saturated = false;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        const unsigned digit = static_cast<unsigned>(text[i] - '0');
        if (magnitude > (static_cast<unsigned long long>(LLONG_MAX) - digit) / 10) {
            saturated = true;
            continue;
        }
        magnitude = magnitude * 10 + digit;
    }
    if (saturated)
        return negative ? LLONG_MIN : LLONG_MAX;
    return negative ? -static_cast<long long>(magnitude) : static_cast<long long>(magnitude);
}

bool StartsWithDecimalNumber(const std::string& text)
{
    bool negative = false;
    const std::size_t i = SkipPrefix(text, negative);
    if (i < text.size() && IsDigit(text[i]))
        return true;
    return i + 1 < text.size() && text[i] == '.' && IsDigit(text[i + 1]);
}

double ParseDecimalReal(const std::string& text)
{
    if (!StartsWithDecimalNumber(text))
        return 0.0;
    bool negative = false;
    const std::size_t start = SkipPrefix(text, negative);
    double value = 0.0;
    const char* first = text.data() + start;
    const char* last = text.data() + text.size();
    const auto result = std::from_chars(first, last, value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        // Too large or too small for a double: the nearest a double holds.
        // Which of the two tells the decimal exponent of the first non-zero
        // digit: an over-long digit string is huge, not nothing.
        std::size_t i = start;
        long long exponent = 0;
        bool found = false;
        for (; i < text.size() && IsDigit(text[i]); ++i) {
            if (found)
                ++exponent;
            else if (text[i] != '0')
                found = true;
        }
        if (i < text.size() && text[i] == '.') {
            for (++i; i < text.size() && IsDigit(text[i]); ++i) {
                if (!found) {
                    --exponent;
                    found = text[i] != '0';
                }
            }
        }
        if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
            const long long e = ParseDecimalInt(text.substr(i + 1));
            // Both stay far from the limits of long long: the digits are a
            // text's length, the exponent saturates.
            exponent = e > 0 ? (exponent > LLONG_MAX / 2 - e / 2 ? LLONG_MAX / 2 : exponent + e)
                             : (exponent < LLONG_MIN / 2 - e / 2 ? LLONG_MIN / 2 : exponent + e);
        }
        value = found && exponent > 0 ? __DBL_MAX__ : 0.0;
    } else if (result.ec != std::errc()) {
        value = 0.0;
    }
    return negative ? -value : value;
}

bool TryFormatC(const char* format, double value, std::size_t maxLength, std::string& out)
{
    const int n = std::snprintf(nullptr, 0, format, value);
    if (n < 0 || static_cast<std::size_t>(n) > maxLength)
        return false;
    out = FormatC(format, value);
    return true;
}

std::string FormatC(const char* format, double value)
{
    char buffer[64];
    const int n = std::snprintf(buffer, sizeof buffer, format, value);
    if (n < 0)
        return {};
    std::string out(buffer, static_cast<std::size_t>(n < static_cast<int>(sizeof buffer) ? n : sizeof buffer - 1));
    // snprintf follows LC_NUMERIC, and the Qt side sets the user's locale at
    // start-up: a Russian desktop would give "12,3". The device and the files
    // want the C notation, so the locale's decimal point is put back to ".".
    const lconv* conv = std::localeconv();
    const std::string point = conv != nullptr && conv->decimal_point != nullptr ? conv->decimal_point : ".";
    if (!point.empty() && point != ".") {
        const std::size_t at = out.find(point);
        if (at != std::string::npos)
            out = out.substr(0, at) + "." + out.substr(at + point.size());
    }
    return out;
}
