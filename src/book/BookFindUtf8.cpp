#include "book/BookFindUtf8.h"

#include <array>
#include <vector>

#include "book/BookFind.h"
#include "book/DisplayChars.h"
#include "book/mdlFiles.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tresslin {

namespace {

// Both case spellings of one character of the needle; equal when it has no case. Cyrillic and
// Latin letters keep their byte length in either case, so every spelling of the needle has the
// same length.
struct Char {
    unsigned char len;
    std::array<unsigned char, 4> a;
    std::array<unsigned char, 4> b;
};

void encode(char32_t c, std::array<unsigned char, 4>& out, unsigned char& len) {
    if (c < 0x80) {
        out[0] = static_cast<unsigned char>(c);
        len = 1;
    } else {
        out[0] = static_cast<unsigned char>(0xC0 | (c >> 6));
        out[1] = static_cast<unsigned char>(0x80 | (c & 0x3F));
        len = 2;
    }
}

char32_t otherCase(char32_t c) {
    const char32_t lower = toLowerLetter(c);
    return lower != c ? lower : toUpperLetter(c);
}

// Splits the needle into characters; a byte that does not start a Cyrillic or Latin letter is
// taken as it stands (exact comparison).
std::vector<Char> parse(std::string_view s) {
    std::vector<Char> out;
    std::size_t i = 0;
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    while (i < s.size()) {
        const Utf8Char u = decodeUtf8(p + i, s.size() - i);
        Char ch{};
        if (u.length == 1 || (u.length == 2 && u.ch >= 0x400 && u.ch < 0x4C0)) {
            encode(u.ch, ch.a, ch.len);
            encode(otherCase(u.ch), ch.b, ch.len);
            i += u.length;
        } else {
            ch.len = 1;
            ch.a[0] = ch.b[0] = p[i];
            ++i;
        }
        out.push_back(ch);
    }
    return out;
}

bool matchesAt(const unsigned char* p, const std::vector<Char>& chars) {
    for (const Char& c : chars) {
        bool a = true;
        bool b = true;
        for (unsigned k = 0; k < c.len; ++k) {
            a = a && p[k] == c.a[k];
            b = b && p[k] == c.b[k];
        }
        if (!a && !b) return false;
        p += c.len;
    }
    return true;
}

}  // namespace

std::int64_t findInLinesUtf8(const LineStore& lines, std::int64_t firstLine, std::int64_t lastLine,
                             std::string_view needle, std::uint64_t* matchAt) {
    if (matchAt) *matchAt = 0;
    const std::vector<Char> chars = parse(needle);
    std::size_t m = 0;
    for (const Char& c : chars) m += c.len;
    const auto range = searchRange(lines, firstLine, lastLine, m);
    if (!range) return -1;
    if (needle.empty()) return range->firstLine;
    const auto [first, begin, lastStart] = *range;
    const auto* base = reinterpret_cast<const unsigned char*>(lines.data());
    auto accept = [&](std::uint64_t pos) {
        const std::int64_t line = lineOfMatch(lines, pos, m);
        if (line >= 0 && matchAt) *matchAt = pos - lines.lineStart(line);
        return line;
    };

    std::uint64_t pos = begin;
#if defined(__SSE2__)
    {
        // Anchors: the first byte of the first character and the last byte of the last one, in
        // both spellings.
        const Char& first = chars.front();
        const Char& last = chars.back();
        const __m128i f0 = _mm_set1_epi8(static_cast<char>(first.a[0]));
        const __m128i f1 = _mm_set1_epi8(static_cast<char>(first.b[0]));
        const __m128i l0 = _mm_set1_epi8(static_cast<char>(last.a[last.len - 1]));
        const __m128i l1 = _mm_set1_epi8(static_cast<char>(last.b[last.len - 1]));
        while (pos + 16 <= lastStart + 1) {
            const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + pos));
            const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + pos + m - 1));
            const __m128i ex = _mm_or_si128(_mm_cmpeq_epi8(x, f0), _mm_cmpeq_epi8(x, f1));
            const __m128i ey = _mm_or_si128(_mm_cmpeq_epi8(y, l0), _mm_cmpeq_epi8(y, l1));
            unsigned mask = unsigned(_mm_movemask_epi8(_mm_and_si128(ex, ey)));
            while (mask) {
                const unsigned bit = unsigned(__builtin_ctz(mask));
                if (matchesAt(base + pos + bit, chars)) {
                    const std::int64_t line = accept(pos + bit);
                    if (line >= 0) return line;
                }
                mask &= mask - 1;
            }
            pos += 16;
        }
    }
#endif
    for (; pos <= lastStart; ++pos) {
        if (matchesAt(base + pos, chars)) {
            const std::int64_t line = accept(pos);
            if (line >= 0) return line;
        }
    }
    return -1;
}

}  // namespace tresslin
