#include "book/BookFind.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "book/CpuFeatures.h"

namespace tresslin {

namespace {

// The scan looks for two bytes of the needle at once (each in both of its case spellings). It
// anchors on the two that are rarest in the book's own text, so a word that begins with the
// commonest letter costs no more than any other.
struct Needle {
    std::vector<unsigned char> folded;
    std::size_t at[2] = {0, 0};  // anchor offsets in the needle, at[0] <= at[1]
    unsigned char spell[2][2];   // the bytes that fold to each anchor's folded byte
    bool vector = false;         // both anchors have at most two spellings
};

// Bytes looked at to learn how common each letter of the book is.
constexpr std::size_t kSampleBytes = 64 * 1024;

Needle prepare(std::string_view needle, const FoldTable& fold, const unsigned char* sample,
               std::size_t sampleSize) {
    Needle n;
    const std::size_t m = needle.size();
    n.folded.resize(m);
    for (std::size_t i = 0; i < m; ++i) n.folded[i] = fold[static_cast<unsigned char>(needle[i])];

    std::array<std::uint32_t, 256> freq{};
    for (std::size_t i = 0; i < sampleSize; ++i) ++freq[fold[sample[i]]];
    std::array<int, 256> spellings{};
    for (int c = 0; c < 256; ++c) ++spellings[fold[c]];

    // The two rarest positions whose byte has no more than two spellings.
    std::size_t best[2] = {m, m};
    for (std::size_t i = 0; i < m; ++i) {
        if (spellings[n.folded[i]] > 2) continue;
        const auto f = freq[n.folded[i]];
        if (best[0] == m || f < freq[n.folded[best[0]]]) {
            best[1] = best[0];
            best[0] = i;
        } else if (best[1] == m || f < freq[n.folded[best[1]]]) {
            best[1] = i;
        }
    }
    if (best[0] == m) return n;
    if (best[1] == m) best[1] = best[0];
    n.at[0] = std::min(best[0], best[1]);
    n.at[1] = std::max(best[0], best[1]);
    for (int k = 0; k < 2; ++k) {
        const unsigned char f = n.folded[n.at[k]];
        int count = 0;
        for (int c = 0; c < 256; ++c) {
            if (fold[c] == f && count < 2) n.spell[k][count++] = static_cast<unsigned char>(c);
        }
        if (count == 1) n.spell[k][1] = n.spell[k][0];
    }
    n.vector = true;
    return n;
}

inline bool matchesAt(const unsigned char* p, const Needle& n, const FoldTable& fold) {
    const std::size_t m = n.folded.size();
    for (std::size_t i = 0; i < m; ++i) {
        if (fold[p[i]] != n.folded[i]) return false;
    }
    return true;
}

// Calls found(pos) for every candidate start in [pos, lastStart] whose anchors match, in order,
// until found returns true; gives the position where the vector part stopped.
#ifdef TRESSLIN_X86
template <typename Found>
__attribute__((always_inline)) inline std::uint64_t scanSse2(const unsigned char* base,
                                                             std::uint64_t pos,
                                                             std::uint64_t lastStart,
                                                             const Needle& n, Found&& found,
                                                             bool& done) {
    const __m128i a0 = _mm_set1_epi8(static_cast<char>(n.spell[0][0]));
    const __m128i a1 = _mm_set1_epi8(static_cast<char>(n.spell[0][1]));
    const __m128i b0 = _mm_set1_epi8(static_cast<char>(n.spell[1][0]));
    const __m128i b1 = _mm_set1_epi8(static_cast<char>(n.spell[1][1]));
    const std::size_t da = n.at[0], db = n.at[1];
    while (pos + 16 <= lastStart + 1) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + pos + da));
        const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + pos + db));
        const __m128i ex = _mm_or_si128(_mm_cmpeq_epi8(x, a0), _mm_cmpeq_epi8(x, a1));
        const __m128i ey = _mm_or_si128(_mm_cmpeq_epi8(y, b0), _mm_cmpeq_epi8(y, b1));
        for (unsigned mask = unsigned(_mm_movemask_epi8(_mm_and_si128(ex, ey))); mask;
             mask &= mask - 1) {
            if (found(pos + unsigned(__builtin_ctz(mask)))) {
                done = true;
                return pos;
            }
        }
        pos += 16;
    }
    return pos;
}

template <typename Found>
__attribute__((target("avx2"))) std::uint64_t scanAvx2(const unsigned char* base, std::uint64_t pos,
                                                       std::uint64_t lastStart, const Needle& n,
                                                       Found&& found, bool& done) {
    const __m256i a0 = _mm256_set1_epi8(static_cast<char>(n.spell[0][0]));
    const __m256i a1 = _mm256_set1_epi8(static_cast<char>(n.spell[0][1]));
    const __m256i b0 = _mm256_set1_epi8(static_cast<char>(n.spell[1][0]));
    const __m256i b1 = _mm256_set1_epi8(static_cast<char>(n.spell[1][1]));
    const std::size_t da = n.at[0], db = n.at[1];
    while (pos + 32 <= lastStart + 1) {
        const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(base + pos + da));
        const __m256i y = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(base + pos + db));
        const __m256i ex = _mm256_or_si256(_mm256_cmpeq_epi8(x, a0), _mm256_cmpeq_epi8(x, a1));
        const __m256i ey = _mm256_or_si256(_mm256_cmpeq_epi8(y, b0), _mm256_cmpeq_epi8(y, b1));
        for (unsigned mask = unsigned(_mm256_movemask_epi8(_mm256_and_si256(ex, ey))); mask;
             mask &= mask - 1) {
            if (found(pos + unsigned(__builtin_ctz(mask)))) {
                done = true;
                return pos;
            }
        }
        pos += 32;
    }
    return pos;
}
#endif

}  // namespace

std::optional<SearchRange> searchRange(const LineStore& lines, std::int64_t firstLine,
                                       std::int64_t lastLine, std::size_t needleBytes) {
    if (lastLine > lines.upperBound()) lastLine = lines.upperBound();
    if (firstLine < 0) firstLine = 0;
    if (firstLine > lastLine) return std::nullopt;
    const std::uint64_t begin = lines.lineStart(firstLine);
    const std::uint64_t end = lines.contentEnd(lastLine);
    if (end < begin || end - begin < needleBytes) return std::nullopt;
    return SearchRange{firstLine, begin, end - needleBytes};
}

std::int64_t lineOfMatch(const LineStore& lines, std::uint64_t pos, std::size_t needleBytes) {
    const std::int64_t line = lines.lineAt(pos);
    return pos + needleBytes <= lines.contentEnd(line) ? line : -1;
}

std::int64_t findInLines(const LineStore& lines, std::int64_t firstLine, std::int64_t lastLine,
                         std::string_view needle, const FoldTable& fold, std::uint64_t* matchAt) {
    if (matchAt) *matchAt = 0;
    const std::size_t m = needle.size();
    const auto range = searchRange(lines, firstLine, lastLine, m);
    if (!range) return -1;
    if (needle.empty()) return range->firstLine;
    const auto [first, begin, lastStart] = *range;

    const auto* base = reinterpret_cast<const unsigned char*>(lines.data());
    const Needle n =
        prepare(needle, fold, base + begin,
                std::size_t(std::min<std::uint64_t>(lastStart + m - begin, kSampleBytes)));

    // A match found in the buffer counts only when it lies inside one line's content.
    std::int64_t result = -1;
    auto found = [&](std::uint64_t pos) {
        if (!matchesAt(base + pos, n, fold)) return false;
        result = lineOfMatch(lines, pos, m);
        if (result < 0) return false;
        if (matchAt) *matchAt = pos - lines.lineStart(result);
        return true;
    };

    std::uint64_t pos = begin;
    bool done = false;
#ifdef TRESSLIN_X86
    if (n.vector) {
        pos = haveAvx2() ? scanAvx2(base, pos, lastStart, n, found, done)
                         : scanSse2(base, pos, lastStart, n, found, done);
        if (done) return result;
    }
#endif
    for (; pos <= lastStart; ++pos) {
        if (found(pos)) return result;
    }
    return -1;
}

}  // namespace tresslin
