#include "BookFind.h"

#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tresslin {

namespace {

struct Needle {
    std::vector<unsigned char> folded;
    // The bytes that fold to the first and to the last folded byte (at most two are used).
    unsigned char first[2];
    unsigned char last[2];
    bool pairs;  // every folded byte of the two ends has at most two spellings
};

Needle prepare(std::string_view needle, const FoldTable& fold) {
    Needle n;
    n.folded.resize(needle.size());
    for (std::size_t i = 0; i < needle.size(); ++i)
        n.folded[i] = fold[static_cast<unsigned char>(needle[i])];
    auto spellings = [&](unsigned char f, unsigned char out[2]) {
        int count = 0;
        for (int c = 0; c < 256; ++c) {
            if (fold[c] == f) {
                if (count < 2) out[count] = static_cast<unsigned char>(c);
                ++count;
            }
        }
        if (count == 1) out[1] = out[0];
        return count <= 2;
    };
    n.pairs = spellings(n.folded.front(), n.first) & spellings(n.folded.back(), n.last);
    return n;
}

inline bool middleMatches(const unsigned char* p, const Needle& n, const FoldTable& fold) {
    const std::size_t m = n.folded.size();
    for (std::size_t i = 1; i + 1 < m; ++i) {
        if (fold[p[i]] != n.folded[i]) return false;
    }
    return true;
}

}  // namespace

std::int64_t FindInLines(const LineStore& lines, std::int64_t firstLine, std::int64_t lastLine,
                         std::string_view needle, const FoldTable& fold) {
    if (lastLine > lines.upperBound()) lastLine = lines.upperBound();
    if (firstLine < 0) firstLine = 0;
    if (firstLine > lastLine) return -1;
    if (needle.empty()) return firstLine;

    const Needle n = prepare(needle, fold);
    const std::size_t m = n.folded.size();
    const auto* base = reinterpret_cast<const unsigned char*>(lines.data());
    const std::uint64_t begin = lines.lineStart(firstLine);
    const std::uint64_t end = lines.contentEnd(lastLine);
    if (end < begin || end - begin < m) return -1;
    const std::uint64_t lastStart = end - m;  // the last position a match may start at

    // A candidate found in the buffer is a match only when it lies inside one line's content.
    auto accept = [&](std::uint64_t pos) -> std::int64_t {
        const std::int64_t line = lines.lineAt(pos);
        return pos + m <= lines.contentEnd(line) ? line : -1;
    };
    auto check = [&](std::uint64_t pos) -> std::int64_t {
        const unsigned char* p = base + pos;
        if (fold[p[0]] != n.folded[0] || fold[p[m - 1]] != n.folded[m - 1]) return -1;
        if (!middleMatches(p, n, fold)) return -1;
        return accept(pos);
    };

    std::uint64_t pos = begin;
#if defined(__SSE2__)
    if (n.pairs) {
        const __m128i f0 = _mm_set1_epi8(static_cast<char>(n.first[0]));
        const __m128i f1 = _mm_set1_epi8(static_cast<char>(n.first[1]));
        const __m128i l0 = _mm_set1_epi8(static_cast<char>(n.last[0]));
        const __m128i l1 = _mm_set1_epi8(static_cast<char>(n.last[1]));
        // Blocks of 16 candidate starts; both the first and the last byte must fit.
        while (pos + 16 <= lastStart + 1) {
            const __m128i a =
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + pos));
            const __m128i b =
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + pos + m - 1));
            const __m128i ea = _mm_or_si128(_mm_cmpeq_epi8(a, f0), _mm_cmpeq_epi8(a, f1));
            const __m128i eb = _mm_or_si128(_mm_cmpeq_epi8(b, l0), _mm_cmpeq_epi8(b, l1));
            unsigned mask = unsigned(_mm_movemask_epi8(_mm_and_si128(ea, eb)));
            while (mask) {
                const unsigned bit = unsigned(__builtin_ctz(mask));
                const unsigned char* p = base + pos + bit;
                if (middleMatches(p, n, fold)) {
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
        const std::int64_t line = check(pos);
        if (line >= 0) return line;
    }
    return -1;
}

}  // namespace tresslin
