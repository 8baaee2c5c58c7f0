// A stored line read as the characters the view shows, one at a time, for work that must not
// convert a whole (possibly huge) line first.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "book/mdlFiles.h"

namespace tresslin {

struct DisplayChar {
    char32_t ch;
    std::size_t next;  // offset just past the character's bytes
};

// The character whose UTF-8 bytes begin at p (left > 0 of them) and how many they are; 0 of them
// when no well-formed sequence begins there: no overlong forms, no surrogates, nothing past
// U+10FFFF, nothing cut short. cutOk: a sequence the end cuts short is taken, up to the end and
// as character 0 (the end of a sample, where the text goes on).
struct Utf8Char {
    char32_t ch;
    std::size_t length;
};
Utf8Char decodeUtf8(const unsigned char* p, std::size_t left, bool cutOk = false);

// Reads the stored bytes of one line in a given coding: UTF-8, or an 8-bit coding through the
// table the view uses. A byte that begins no well-formed UTF-8 sequence shows as one U+FFFD.
class DisplayChars {
  public:
    DisplayChars(std::string_view raw, TextCoding coding)
        : raw_(raw), utf8_(coding == kUtf8), toUnicode_(&tablesFor(coding).toUnicode) {}

    // The same coding over other bytes, without looking its table up again.
    DisplayChars over(std::string_view raw) const {
        DisplayChars other = *this;
        other.raw_ = raw;
        return other;
    }

    std::string_view raw() const { return raw_; }
    bool utf8() const { return utf8_; }

    // The character whose bytes begin at pos (pos < raw().size()).
    DisplayChar at(std::size_t pos) const {
        const auto b = static_cast<unsigned char>(raw_[pos]);
        if (b < 0x80) return {b, pos + 1};
        if (!utf8_) return {(*toUnicode_)[b], pos + 1};
        return utf8At(pos);
    }
    // The start of the character that holds byte pos: pos itself unless it is inside a UTF-8
    // sequence.
    std::size_t charStart(std::size_t pos) const;
    // The characters of bytes [begin, end) appended to out as UTF-16, soft hyphens left out.
    void appendUtf16(std::size_t begin, std::size_t end, std::u16string& out) const;

  private:
    DisplayChar utf8At(std::size_t pos) const;

    std::string_view raw_;
    bool utf8_;
    const std::array<char16_t, 256>* toUnicode_;
};

// Marks where a word may be hyphenated; never drawn in a line that is not broken there.
inline constexpr char32_t kSoftHyphen = 0x00AD;

// Blanks a break may follow: space and tab, the same bytes in every coding.
inline bool isBreakBlank(char32_t c) {
    return c == U' ' || c == U'\t';
}

}  // namespace tresslin
