#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Text helpers of the simulated devices. Numbers on the line are written and
// read in the C notation whatever the locale of the machine that runs the
// simulator: a detector never sends a decimal comma.
namespace SimText {

std::string Trim(std::string_view text);
std::string ToLower(std::string_view text);

// Splits at every comma; fields are trimmed, empty fields kept.
std::vector<std::string> SplitCommas(std::string_view text);

std::string FormatFixed(double value, int decimals);

// The whole text (after trimming) must be the number.
bool ParseDouble(std::string_view text, double& value);
bool ParseInt(std::string_view text, long long& value);

// Scenario files are UTF-8; the device speaks windows-1251. Returns nothing
// for a character the code page does not have or for broken UTF-8.
std::optional<std::string> Utf8ToCp1251(std::string_view utf8);

// "01 04 08 00" for a record of received frames.
std::string Hex(const std::vector<unsigned char>& bytes);

}  // namespace SimText
