// Conversion between the Cyrillic codings, with Windows Cyrillic as the pivot.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "book/TextCoding.h"

namespace tresslin {

// Entry i is the code the coding uses for the character Windows Cyrillic codes as 128 + i.
using CodeTableArray = std::array<unsigned char, 128>;
CodeTableArray CodeTable(TextCoding coding);

// The text converted from one coding to another, one byte for each byte given.
std::string RecodeText(std::string_view text, TextCoding fromCoding, TextCoding toCoding);

// Tables derived once from the code tables: byte-to-byte maps for whole lines.
struct CodingTables {
    std::array<unsigned char, 256> toWindows;    // book coding -> Windows Cyrillic
    std::array<unsigned char, 256> fromWindows;  // Windows Cyrillic -> book coding
    std::array<char16_t, 256> toUnicode;         // book coding -> displayed character
    std::array<unsigned char, 256> fold;         // case folding within the book coding
};
// Tables for a coding; any other value (UTF-8 among them) gives those of Windows Cyrillic.
const CodingTables& tablesFor(TextCoding coding);

// Simple case mapping of the letters Windows Cyrillic holds (Latin and Cyrillic, Ё and Ґ
// included); other characters stay as they are.
char32_t toLowerLetter(char32_t c);
char32_t toUpperLetter(char32_t c);

// The Unicode character Windows Cyrillic shows for a byte.
char16_t cp1251ToUnicode(unsigned char code);
// The Windows Cyrillic byte for a character, or nothing when the coding has none.
std::optional<unsigned char> unicodeToCp1251(char32_t ch);

}  // namespace tresslin
