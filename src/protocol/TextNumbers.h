#pragma once

#include <cstddef>
#include <string>

// How a text from the device becomes a number, the same whatever the user's
// locale: leading white space skipped, an optional sign, then the longest
// decimal number that follows; no number gives 0.

// Integer: digits up to the first other character. Values beyond the range
// of long long saturate.
long long ParseDecimalInt(const std::string& text);

// Real: digits with an optional "." fraction and an optional exponent
// ("1.5e-3"); the C notation only, never a decimal comma. A number beyond the
// range of double reads as the largest double of its sign (an over-long digit
// string is a huge number, not 0); one too small reads as 0.
double ParseDecimalReal(const std::string& text);

// True when the text begins (after white space and a sign) with a digit, or
// with "." and a digit.
bool StartsWithDecimalNumber(const std::string& text);

// printf-style formatting of one number, always in the C notation: "%.1f"
// gives "12.3" on a Russian desktop too. Texts longer than 63 characters are
// cut; TryFormatC refuses them instead (false) and leaves `out` alone.
std::string FormatC(const char* format, double value);
bool TryFormatC(const char* format, double value, std::size_t maxLength, std::string& out);
