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

// The spellings of one character of the needle: both cases of a letter (and, with Ё folded, the
// four of Е and Ё), or the character alone. Cyrillic and Latin letters keep their byte length in
// either case, so every spelling of the needle has the same length. A U+FFFD of the needle
// stands for one byte of malformed UTF-8, as the view shows each such byte.
struct Char {
    unsigned char len = 0, count = 0;
    bool anyHigh = false;
    std::array<std::array<unsigned char, 4>, 4> spell{};

    void add(char32_t c) {
        std::array<unsigned char, 4> out{};
        unsigned char n;
        encode(c, out, n);
        for (unsigned k = 0; k < count; ++k)
            if (spell[k] == out) return;
        len = n;
        spell[count++] = out;
    }
    // How many different bytes the spellings have at offset i.
    int distinct(unsigned i) const {
        int n = 0;
        for (unsigned k = 0; k < count; ++k) {
            bool seen = false;
            for (unsigned j = 0; j < k; ++j) seen = seen || spell[j][i] == spell[k][i];
            n += !seen;
        }
        return n;
    }

  private:
    static void encode(char32_t c, std::array<unsigned char, 4>& out, unsigned char& n) {
        if (c < 0x80) {
            out[0] = static_cast<unsigned char>(c);
            n = 1;
        } else {
            out[0] = static_cast<unsigned char>(0xC0 | (c >> 6));
            out[1] = static_cast<unsigned char>(0x80 | (c & 0x3F));
            n = 2;
        }
    }
};

// Splits the needle into characters; a byte that does not start a Cyrillic or Latin letter is
// taken as it stands (exact comparison).
std::vector<Char> parse(std::string_view s, bool yoIsYe, bool malformed) {
    std::vector<Char> out;
    std::size_t i = 0;
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    while (i < s.size()) {
        const Utf8Char u = decodeUtf8(p + i, s.size() - i);
        Char ch;
        char32_t c = 0;
        bool letter = false;
        if (malformed && u.length == 3 && u.ch == 0xFFFD) {
            ch.len = 1;
            ch.anyHigh = true;
            i += 3;
        } else if (u.length == 1 || (u.length == 2 && u.ch >= 0x400 && u.ch < 0x4C0)) {
            c = u.ch;
            letter = true;
            i += u.length;
        } else {
            ch.len = ch.count = 1;
            ch.spell[0][0] = p[i];
            ++i;
        }
        if (letter) {
            if (yoIsYe && (toLowerLetter(c) == U'ё' || toLowerLetter(c) == U'е')) {
                for (const char32_t e : {U'е', U'Е', U'ё', U'Ё'}) ch.add(e);
            } else {
                ch.add(c);
                ch.add(toLowerLetter(c));
                ch.add(toUpperLetter(c));
            }
        }
        out.push_back(ch);
    }
    return out;
}

bool matchesAt(const unsigned char* p, const std::vector<Char>& chars) {
    for (const Char& c : chars) {
        if (c.anyHigh) {
            if (*p++ < 0x80) return false;
            continue;
        }
        bool any = false;
        for (unsigned k = 0; k < c.count && !any; ++k) {
            bool same = true;
            for (unsigned j = 0; j < c.len; ++j) same = same && p[j] == c.spell[k][j];
            any = same;
        }
        if (!any) return false;
        p += c.len;
    }
    return true;
}

std::int64_t find(const LineStore& lines, std::int64_t firstLine, std::int64_t lastLine,
                  const std::vector<Char>& chars, std::uint64_t* matchAt) {
    std::size_t m = 0;
    for (const Char& c : chars) m += c.len;
    const auto range = searchRange(lines, firstLine, lastLine, m);
    if (!range) return -1;
    if (chars.empty()) return range->firstLine;
    const auto [first, begin, lastStart] = *range;
    const auto* base = reinterpret_cast<const unsigned char*>(lines.data());
    auto accept = [&](std::uint64_t pos) {
        const std::int64_t line = lineOfMatch(lines, pos, m);
        if (line >= 0 && matchAt) *matchAt = pos - lines.lineStart(line);
        return line;
    };

    std::uint64_t pos = begin;
#if defined(__SSE2__)
    // Anchors: the first byte of the first character and the last byte of the last one (its
    // first, when the last byte has more than two spellings), each in at most two spellings.
    const Char& head = chars.front();
    const Char& tail = chars.back();
    const unsigned tailAt = tail.distinct(tail.len - 1u) <= 2 ? tail.len - 1u : 0u;
    if (!head.anyHigh && !tail.anyHigh && head.distinct(0) <= 2 && tail.distinct(tailAt) <= 2) {
        const std::size_t ty = m - tail.len + tailAt;
        const __m128i f0 = _mm_set1_epi8(static_cast<char>(head.spell[0][0]));
        const __m128i f1 = _mm_set1_epi8(static_cast<char>(head.spell[head.count - 1][0]));
        const __m128i l0 = _mm_set1_epi8(static_cast<char>(tail.spell[0][tailAt]));
        const __m128i l1 = _mm_set1_epi8(static_cast<char>(tail.spell[tail.count - 1][tailAt]));
        while (pos + 16 <= lastStart + 1) {
            const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + pos));
            const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + pos + ty));
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

}  // namespace

std::int64_t findInLinesUtf8(const LineStore& lines, std::int64_t firstLine, std::int64_t lastLine,
                             std::string_view needle, std::uint64_t* matchAt, bool yoIsYe) {
    if (matchAt) *matchAt = 0;
    std::uint64_t at = 0;
    std::int64_t hit = find(lines, firstLine, lastLine, parse(needle, yoIsYe, false), &at);
    // A U+FFFD may be in the book as written, or stand for malformed bytes the view showed so:
    // the earlier of the two matches counts.
    if (needle.find("\xEF\xBF\xBD") != needle.npos) {
        std::uint64_t at2 = 0;
        const std::int64_t hit2 =
            find(lines, firstLine, hit < 0 ? lastLine : hit, parse(needle, yoIsYe, true), &at2);
        if (hit2 >= 0 && (hit < 0 || hit2 < hit || at2 < at)) {
            hit = hit2;
            at = at2;
        }
    }
    if (matchAt && hit >= 0) *matchAt = at;
    return hit;
}

}  // namespace tresslin
