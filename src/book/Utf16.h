// Text saved as UTF-16 ("Unicode" in Windows Notepad), held by the reader as UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
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

// The same conversion a piece at a time, as a file is read: a byte or a surrogate pair split
// between pieces waits for the next piece. Vector code where the processor has it.
class Utf16Decoder {
  public:
    explicit Utf16Decoder(Utf16Order order) : big_(order == Utf16Order::BigEndian) {}

    // The most bytes that pieces of bytes in all may write, slack of the vector stores included.
    static constexpr std::size_t maxOutput(std::size_t bytes) { return bytes / 2 * 3 + 3 + 32; }

    // Converts piece to out, returns the bytes written; final: no piece follows, and what waits
    // becomes U+FFFD.
    std::size_t convert(std::string_view piece, char* out, bool final);

  private:
    unsigned char* put(std::uint32_t unit, unsigned char* w);

    bool big_;
    bool first_ = true;  // the byte-order mark not yet looked for
    bool haveOdd_ = false;
    bool haveHigh_ = false;
    unsigned char odd_ = 0;
    std::uint32_t high_ = 0;
};

}  // namespace tresslin
