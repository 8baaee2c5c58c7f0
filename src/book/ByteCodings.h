// Every 8-bit Cyrillic coding a book is recognised in: the three the reader shows as stored,
// then those it converts to UTF-8 when the book is opened.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "book/TextCoding.h"

namespace tresslin {

// The first four values are those of TextCoding.
enum class FoundCoding {
    Windows1251 = kWindowsCyrillic,
    Cp866 = kDosCyrillic,
    Koi8R = kKoi8R,
    Utf8 = kUtf8,
    Iso8859_5,
    MacCyrillic,
    Ibm855,
    Koi8U,
};
// Every 8-bit coding, in the order the table of byteCodings() keeps them.
inline constexpr FoundCoding kByteCodings[] = {
    FoundCoding::Windows1251, FoundCoding::Cp866,  FoundCoding::Koi8R, FoundCoding::Iso8859_5,
    FoundCoding::MacCyrillic, FoundCoding::Ibm855, FoundCoding::Koi8U};
inline constexpr int kByteCodingCount = 7;

// The stored coding the reader shows the book in as it is; nothing for one converted at open.
std::optional<TextCoding> storedCoding(FoundCoding coding);

// The characters the coding's bytes 128..255 stand for, by the coding's standard table (U+FFFD
// where it has none); bytes below 128 are ASCII. Index 0 is 128.
const std::array<char16_t, 128>& highHalf(FoundCoding coding);

// The name said to the user: "ISO-8859-5", "Mac Cyrillic", "IBM855", "KOI8-U", ...
std::string_view codingName(FoundCoding coding);

// Appends bytes in an 8-bit coding, converted to UTF-8, to out. False only when memory runs out.
bool byteCodingToUtf8(std::string_view bytes, FoundCoding coding, std::string& out);

}  // namespace tresslin
