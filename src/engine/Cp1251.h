#pragma once

#include <string>
#include <string_view>

// The single-byte Cyrillic code page (windows-1251) of the device texts and
// of every file the program writes, against the UTF-8 used inside the
// program. An exact table, so the result is the same on every platform and
// in every locale.
class Cp1251 {
public:
    // A character the code page cannot hold, and every byte of a malformed
    // UTF-8 sequence, becomes `replacement`: a file or a command line must
    // never receive bytes that mean something else.
    static std::string FromUtf8(std::string_view utf8, char replacement = '?');

    // Every byte has a meaning; the one unassigned byte 0x98 maps to U+0098
    // so that a device text survives the round trip unchanged.
    static std::string ToUtf8(std::string_view cp1251);
};
