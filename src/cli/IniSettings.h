#pragma once

#include <string>

// The value of `key` in `[section]` of an INI text as the desktop tool's
// settings store writes it on Linux: "key=value" lines, values optionally in
// double quotes with backslash escapes. Empty when absent.
std::string IniValue(const std::string& text, const std::string& section, const std::string& key);
