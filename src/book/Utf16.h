// Text saved as UTF-16 ("Unicode" in Windows Notepad), held by the reader as UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace tresslin {

enum class Utf16Order { None, LittleEndian, BigEndian };

// The byte order of a book that starts with sample, from its byte-order mark or, without one,
// from the structure of its units: high bytes at 0x04 (Cyrillic) or 0x00 (ASCII), or, in any
// script, surrogates paired, no NUL, and the high bytes on a few values where the low ones spread.
// None when the sample does not read as UTF-16 (8-bit text, UTF-8, binary data).
Utf16Order detectUtf16(std::string_view sample);

// Appends bytes, converted, to out; a leading byte-order mark is dropped, an unpaired surrogate
// or an odd last byte becomes U+FFFD. False only when memory runs out.
bool utf16ToUtf8(std::string_view bytes, Utf16Order order, std::string& out);

}  // namespace tresslin
