#pragma once

#include <string>

// How a text from the device becomes a number, the same whatever the user's
// locale: leading white space skipped, an optional sign, then the longest
// decimal number that follows; no number gives 0.

// Integer: digits up to the first other character. Values beyond the range
// of long long saturate.
long long ParseDecimalInt(const std::string& text);

// Real: digits with an optional "." fraction and an optional exponent
// ("1.5e-3"); the C notation only, never a decimal comma.
double ParseDecimalReal(const std::string& text);

// True when the text begins (after white space and a sign) with a digit, or
// with "." and a digit.
bool StartsWithDecimalNumber(const std::string& text);

// printf-style formatting of one number, always in the C notation: "%.1f"
// gives "12.3" on a Russian desktop too.
std::string FormatC(const char* format, double value);
