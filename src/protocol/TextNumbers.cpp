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
        value = 0.0;
        std::size_t i = start;
        while (i < text.size() && IsDigit(text[i]))
            ++i;
        bool huge = false;
        for (std::size_t k = i; k < text.size(); ++k) {
            if (text[k] == 'e' || text[k] == 'E') {
                huge = k + 1 < text.size() && text[k + 1] != '-';
                break;
            }
        }
        if (huge)
            value = __DBL_MAX__;
    } else if (result.ec != std::errc()) {
        value = 0.0;
    }
    return negative ? -value : value;
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
