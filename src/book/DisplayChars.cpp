#include "book/DisplayChars.h"

namespace tresslin {

Utf8Char decodeUtf8(const unsigned char* p, std::size_t left, bool cutOk) {
    const unsigned b0 = p[0];
    if (b0 < 0x80) return {b0, 1};
    // Lengths and the allowed range of the second byte, which rules out overlong forms,
    // surrogates and code points past U+10FFFF.
    std::size_t len = 0;
    unsigned lo = 0x80, hi = 0xBF;
    char32_t c = 0;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        len = 2;
        c = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        len = 3;
        c = b0 & 0x0F;
        if (b0 == 0xE0) lo = 0xA0;
        if (b0 == 0xED) hi = 0x9F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        len = 4;
        c = b0 & 0x07;
        if (b0 == 0xF0) lo = 0x90;
        if (b0 == 0xF4) hi = 0x8F;
    }
    if (len == 0) return {0, 0};
    if (left < len) return {0, cutOk ? left : 0};
    if (p[1] < lo || p[1] > hi) return {0, 0};
    for (std::size_t k = 1; k < len; ++k) {
        if ((p[k] & 0xC0) != 0x80) return {0, 0};
        c = (c << 6) | (p[k] & 0x3F);
    }
    return {c, len};
}

DisplayChar DisplayChars::utf8At(std::size_t pos) const {
    const Utf8Char u =
        decodeUtf8(reinterpret_cast<const unsigned char*>(raw_.data()) + pos, raw_.size() - pos);
    return u.length ? DisplayChar{u.ch, pos + u.length} : DisplayChar{0xFFFD, pos + 1};
}

std::size_t DisplayChars::charStart(std::size_t pos) const {
    if (!utf8_ || pos >= raw_.size()) return pos;
    // A character is at most four bytes: look back that far for the byte that begins one
    // reaching over pos.
    for (std::size_t back = 1; back <= 3 && back <= pos; ++back) {
        const auto b = static_cast<unsigned char>(raw_[pos - back + 1]);
        if ((b & 0xC0) != 0x80) break;
        if (utf8At(pos - back).next > pos) return pos - back;
    }
    return pos;
}

void DisplayChars::appendUtf16(std::size_t begin, std::size_t end, std::u16string& out) const {
    for (std::size_t pos = begin; pos < end;) {
        const DisplayChar d = at(pos);
        if (d.ch >= 0x10000) {
            out += char16_t(0xD800 + ((d.ch - 0x10000) >> 10));
            out += char16_t(0xDC00 + ((d.ch - 0x10000) & 0x3FF));
        } else if (d.ch != kSoftHyphen) {
            out += char16_t(d.ch);
        }
        pos = d.next;
    }
}

}  // namespace tresslin
