#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// HART packed ASCII: four 6-bit characters in three bytes, first character in
// the top bits. Only 0x20..0x5F ("blank" to "_") exist in it; a character's
// code is its low six bits.

// True when every character can be packed (lower-case letters count, they
// are sent as capitals as HART masters do).
bool IsHartPackable(std::string_view text);

// Packs `text` padded with blanks to `characters` (a multiple of four) into
// characters * 3 / 4 bytes. Longer text is cut; characters that cannot be
// packed become "?" so a wrong scenario still gives a visible mark on the line.
std::vector<std::uint8_t> PackHartAscii(std::string_view text, std::size_t characters);

// The reverse: every three bytes give four characters; a trailing partial
// group is ignored.
std::string UnpackHartAscii(const std::uint8_t* data, std::size_t length);
