#include "book/Utf16.h"

#include <cstdint>
#include <cstring>
#include <new>

#include "book/CpuFeatures.h"
#include "book/DisplayChars.h"

namespace tresslin {

namespace {

// How many code units the detection looks at.
constexpr std::size_t kSampleUnits = 2048;
// Fewer units than this are not judged by their structure alone.
constexpr std::size_t kMinStructureUnits = 16;
// Nor are fewer than this without a zero byte (no newline, space or digit), which 8-bit text
// never has.
constexpr std::size_t kMinUnitsWithoutAscii = 256;

// Valid UTF-8 without a NUL byte, plain ASCII included, is that, whatever its pairs look like.
bool isUtf8Text(std::string_view s) {
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    for (std::size_t i = 0; i < s.size();) {
        if (p[i] == 0) return false;
        if (p[i] < 0x80) {
            ++i;
            continue;
        }
        const Utf8Char u = decodeUtf8(p + i, s.size() - i, true);
        if (u.length == 0) return false;
        i += u.length;
    }
    return true;
}

// Whether the units read in one byte order are text: surrogates paired, no NUL, no
// noncharacter, hardly a control or a private-use character, and the high bytes gathered on a
// few values (a script's blocks) or zero (ASCII and Latin) while the low bytes spread, as no
// 8-bit text or random bytes have them.
bool readsAsText(const unsigned char* p, std::size_t units, bool big) {
    std::size_t zeroHigh = 0, odd = 0;
    bool highSeen[256] = {}, lowSeen[256] = {};
    std::size_t distinctHigh = 0, distinctLow = 0;
    for (std::size_t i = 0; i < units; ++i) {
        const unsigned hi = p[2 * i + (big ? 0 : 1)], lo = p[2 * i + (big ? 1 : 0)];
        const unsigned u = hi << 8 | lo;
        if (u == 0 || u >= 0xFFFE) return false;
        if (u >= 0xDC00 && u <= 0xDFFF) return false;  // a low surrogate alone
        if (u >= 0xD800 && u <= 0xDBFF) {
            if (i + 1 == units) break;  // cut by the sample's end
            const unsigned next = big ? p[2 * i + 2] : p[2 * i + 3];
            if (next < 0xDC || next > 0xDF) return false;
            ++i;
            continue;
        }
        const bool control = (u < 0x20 && (u < 0x09 || u > 0x0D)) || (u >= 0x7F && u < 0xA0);
        odd += control || (u >= 0xE000 && u <= 0xF8FF);
        zeroHigh += hi == 0;
        distinctHigh += !highSeen[hi];
        distinctLow += !lowSeen[lo];
        highSeen[hi] = lowSeen[lo] = true;
    }
    if (odd * 50 > units || (zeroHigh == 0 && units < kMinUnitsWithoutAscii)) return false;
    return zeroHigh * 4 >= units || distinctHigh * 2 <= distinctLow;
}

}  // namespace

Utf16Order detectUtf16(std::string_view sample) {
    if (sample.starts_with("\xFF\xFE")) return Utf16Order::LittleEndian;
    if (sample.starts_with("\xFE\xFF")) return Utf16Order::BigEndian;
    const std::size_t units = std::min(sample.size() / 2, kSampleUnits);
    // Two characters at least: one byte of 8-bit text may be anything.
    if (units < 2) return Utf16Order::None;
    std::size_t high[2] = {0, 0}, zeroLow[2] = {0, 0};
    for (std::size_t i = 0; i < units; ++i) {
        const auto b0 = static_cast<unsigned char>(sample[2 * i]);
        const auto b1 = static_cast<unsigned char>(sample[2 * i + 1]);
        // [0] reads the pair as little-endian, [1] as big-endian.
        high[0] += b1 == 0x00 || b1 == 0x04;
        high[1] += b0 == 0x00 || b0 == 0x04;
        zeroLow[0] += b0 == 0;
        zeroLow[1] += b1 == 0;
    }
    // Nearly all high bytes in the two blocks, and the low bytes nearly never zero (which
    // would be a run of NULs, or UTF-32).
    for (int k = 0; k < 2; ++k) {
        if (high[k] * 10 >= units * 9 && zeroLow[k] * 10 <= units)
            return k == 0 ? Utf16Order::LittleEndian : Utf16Order::BigEndian;
    }
    // Any other script, by the structure of the units.
    if (units < kMinStructureUnits || isUtf8Text(sample.substr(0, units * 2)))
        return Utf16Order::None;
    const auto* p = reinterpret_cast<const unsigned char*>(sample.data());
    const bool little = readsAsText(p, units, false), big = readsAsText(p, units, true);
    if (little == big) return Utf16Order::None;
    return little ? Utf16Order::LittleEndian : Utf16Order::BigEndian;
}

namespace {

constexpr bool isHigh(std::uint32_t c) {
    return c - 0xD800 < 0x400;
}
constexpr bool isLow(std::uint32_t c) {
    return c - 0xDC00 < 0x400;
}

template <bool Big>
inline std::uint32_t unitAt(const unsigned char* p, std::size_t k) {
    return Big ? (std::uint32_t(p[2 * k]) << 8) | p[2 * k + 1]
               : (std::uint32_t(p[2 * k + 1]) << 8) | p[2 * k];
}

// A unit that is no part of a pair: a lone surrogate becomes U+FFFD.
inline unsigned char* putUnit(std::uint32_t c, unsigned char* w) {
    if (c < 0x80) {
        *w++ = static_cast<unsigned char>(c);
        return w;
    }
    if (c < 0x800) {
        *w++ = static_cast<unsigned char>(0xC0 | (c >> 6));
        *w++ = static_cast<unsigned char>(0x80 | (c & 0x3F));
        return w;
    }
    if (isHigh(c) || isLow(c)) c = 0xFFFD;
    *w++ = static_cast<unsigned char>(0xE0 | (c >> 12));
    *w++ = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
    *w++ = static_cast<unsigned char>(0x80 | (c & 0x3F));
    return w;
}

inline unsigned char* putPair(std::uint32_t high, std::uint32_t low, unsigned char* w) {
    const std::uint32_t c = 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
    *w++ = static_cast<unsigned char>(0xF0 | (c >> 18));
    *w++ = static_cast<unsigned char>(0x80 | ((c >> 12) & 0x3F));
    *w++ = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
    *w++ = static_cast<unsigned char>(0x80 | (c & 0x3F));
    return w;
}

// Converts unit i, with the low surrogate after it when it pairs within units; returns the index
// of the next unit.
template <bool Big>
inline std::size_t convertOne(const unsigned char* p, std::size_t i, std::size_t units,
                              unsigned char*& w) {
    const std::uint32_t c = unitAt<Big>(p, i);
    if (isHigh(c) && i + 1 < units && isLow(unitAt<Big>(p, i + 1))) {
        w = putPair(c, unitAt<Big>(p, i + 1), w);
        return i + 2;
    }
    w = putUnit(c, w);
    return i + 1;
}

// Each converts the units [0, units), pairs only within them. The vector versions take a block
// at a time when all its units are ASCII, or all below U+0800 (Cyrillic and the other alphabets),
// and leave the other blocks to convertOne; a block may write up to 16 bytes past its own.
template <bool Big>
unsigned char* convertScalar(const unsigned char* p, std::size_t units, unsigned char* w) {
    for (std::size_t i = 0; i < units;) i = convertOne<Big>(p, i, units, w);
    return w;
}

#ifdef TRESSLIN_X86
template <bool Big>
unsigned char* convertSse2(const unsigned char* p, std::size_t units, unsigned char* w) {
    const __m128i notAscii = _mm_set1_epi16(short(0xFF80));
    const __m128i notTwo = _mm_set1_epi16(short(0xF800));
    const __m128i zero = _mm_setzero_si128();
    std::size_t i = 0;
    while (i + 8 <= units) {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 2 * i));
        if constexpr (Big) v = _mm_or_si128(_mm_slli_epi16(v, 8), _mm_srli_epi16(v, 8));
        const __m128i ascii = _mm_cmpeq_epi16(_mm_and_si128(v, notAscii), zero);
        const unsigned asciiBits = unsigned(_mm_movemask_epi8(ascii));
        if (asciiBits == 0xFFFF) {
            _mm_storel_epi64(reinterpret_cast<__m128i*>(w), _mm_packus_epi16(v, v));
            w += 8;
            i += 8;
            continue;
        }
        if (_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(v, notTwo), zero)) == 0xFFFF) {
            // Each unit's two bytes in its lane, the lead byte first; an ASCII unit keeps its own.
            const __m128i lead = _mm_or_si128(_mm_srli_epi16(v, 6), _mm_set1_epi16(0xC0));
            const __m128i trail = _mm_slli_epi16(
                _mm_or_si128(_mm_and_si128(v, _mm_set1_epi16(0x3F)), _mm_set1_epi16(0x80)), 8);
            alignas(16) std::uint16_t forms[8];
            _mm_store_si128(reinterpret_cast<__m128i*>(forms),
                            _mm_or_si128(_mm_and_si128(ascii, v),
                                         _mm_andnot_si128(ascii, _mm_or_si128(lead, trail))));
            for (int k = 0; k < 8; ++k) {
                std::memcpy(w, forms + k, 2);
                w += 2 - ((asciiBits >> (2 * k)) & 1);
            }
            i += 8;
            continue;
        }
        for (const std::size_t end = i + 8; i < end;) i = convertOne<Big>(p, i, units, w);
    }
    while (i < units) i = convertOne<Big>(p, i, units, w);
    return w;
}

// For eight units of two-byte forms with mask m of the ASCII ones: the byte shuffle that drops
// the ASCII units' second byte, and the bytes left.
struct CompressTable {
    alignas(16) unsigned char shuffle[256][16];
    unsigned char length[256];
};

constexpr CompressTable makeCompressTable() {
    CompressTable t{};
    for (int m = 0; m < 256; ++m) {
        int n = 0;
        for (int k = 0; k < 8; ++k) {
            t.shuffle[m][n++] = static_cast<unsigned char>(2 * k);
            if (!((m >> k) & 1)) t.shuffle[m][n++] = static_cast<unsigned char>(2 * k + 1);
        }
        t.length[m] = static_cast<unsigned char>(n);
        while (n < 16) t.shuffle[m][n++] = 0x80;
    }
    return t;
}

constexpr CompressTable kCompress = makeCompressTable();

template <bool Big>
__attribute__((target("avx2"))) unsigned char* convertAvx2(const unsigned char* p,
                                                           std::size_t units, unsigned char* w) {
    const __m256i swap = _mm256_setr_epi8(1, 0, 3, 2, 5, 4, 7, 6, 9, 8, 11, 10, 13, 12, 15, 14, 1,
                                          0, 3, 2, 5, 4, 7, 6, 9, 8, 11, 10, 13, 12, 15, 14);
    const __m256i notAscii = _mm256_set1_epi16(short(0xFF80));
    const __m256i notTwo = _mm256_set1_epi16(short(0xF800));
    std::size_t i = 0;
    while (i + 16 <= units) {
        __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 2 * i));
        if constexpr (Big) v = _mm256_shuffle_epi8(v, swap);
        if (_mm256_testz_si256(v, notAscii)) {
            // Each lane's eight bytes, then the two lanes side by side.
            const __m256i packed = _mm256_permute4x64_epi64(_mm256_packus_epi16(v, v), 0x08);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(w), _mm256_castsi256_si128(packed));
            w += 16;
            i += 16;
            continue;
        }
        if (_mm256_testz_si256(v, notTwo)) {
            const __m256i ascii =
                _mm256_cmpeq_epi16(_mm256_and_si256(v, notAscii), _mm256_setzero_si256());
            const __m256i lead = _mm256_or_si256(_mm256_srli_epi16(v, 6), _mm256_set1_epi16(0xC0));
            const __m256i trail =
                _mm256_slli_epi16(_mm256_or_si256(_mm256_and_si256(v, _mm256_set1_epi16(0x3F)),
                                                  _mm256_set1_epi16(0x80)),
                                  8);
            const __m256i forms =
                _mm256_or_si256(_mm256_and_si256(ascii, v),
                                _mm256_andnot_si256(ascii, _mm256_or_si256(lead, trail)));
            // One bit a unit: units 0..7 in bits 0..7, units 8..15 in bits 16..23.
            const auto bits = unsigned(_mm256_movemask_epi8(_mm256_packs_epi16(ascii, ascii)));
            const unsigned m0 = bits & 0xFF, m1 = (bits >> 16) & 0xFF;
            const auto shuffle = [](unsigned m) {
                return _mm_load_si128(reinterpret_cast<const __m128i*>(kCompress.shuffle[m]));
            };
            _mm_storeu_si128(reinterpret_cast<__m128i*>(w),
                             _mm_shuffle_epi8(_mm256_castsi256_si128(forms), shuffle(m0)));
            w += kCompress.length[m0];
            _mm_storeu_si128(reinterpret_cast<__m128i*>(w),
                             _mm_shuffle_epi8(_mm256_extracti128_si256(forms, 1), shuffle(m1)));
            w += kCompress.length[m1];
            i += 16;
            continue;
        }
        for (const std::size_t end = i + 16; i < end;) i = convertOne<Big>(p, i, units, w);
    }
    while (i < units) i = convertOne<Big>(p, i, units, w);
    return w;
}
#endif

using Bulk = unsigned char* (*)(const unsigned char*, std::size_t, unsigned char*);

Bulk bulkFor(bool big) {
    switch (vectorWidth()) {
#ifdef TRESSLIN_X86
        case VectorWidth::Avx2:
            return big ? convertAvx2<true> : convertAvx2<false>;
        case VectorWidth::Sse2:
            return big ? convertSse2<true> : convertSse2<false>;
#endif
        default:
            return big ? convertScalar<true> : convertScalar<false>;
    }
}

}  // namespace

unsigned char* Utf16Decoder::put(std::uint32_t c, unsigned char* w) {
    if (first_) {
        first_ = false;
        if (c == 0xFEFF) return w;
    }
    if (haveHigh_) {
        haveHigh_ = false;
        if (isLow(c)) return putPair(high_, c, w);
        w = putUnit(0xFFFD, w);
    }
    if (isHigh(c)) {
        high_ = c;
        haveHigh_ = true;
        return w;
    }
    return putUnit(c, w);
}

std::size_t Utf16Decoder::convert(std::string_view piece, char* out, bool final) {
    auto* const start = reinterpret_cast<unsigned char*>(out);
    unsigned char* w = start;
    const auto* p = reinterpret_cast<const unsigned char*>(piece.data());
    std::size_t n = piece.size();
    const auto unit = [big = big_](const unsigned char* q) {
        return big ? unitAt<true>(q, 0) : unitAt<false>(q, 0);
    };
    if (haveOdd_ && n) {
        const unsigned char joined[2] = {odd_, p[0]};
        haveOdd_ = false;
        w = put(unit(joined), w);
        ++p;
        --n;
    }
    // The byte-order mark, and a high surrogate from the last piece, one unit at a time.
    for (; (first_ || haveHigh_) && n >= 2; p += 2, n -= 2) w = put(unit(p), w);
    const std::size_t units = n / 2;
    std::size_t bulk = units;
    // A high surrogate at the end may pair with the next piece's first unit.
    if (bulk && !final && isHigh(unit(p + 2 * (bulk - 1)))) --bulk;
    w = bulkFor(big_)(p, bulk, w);
    for (std::size_t k = bulk; k < units; ++k) w = put(unit(p + 2 * k), w);
    if (n % 2) {
        odd_ = p[n - 1];
        haveOdd_ = true;
    }
    if (final) {
        if (haveHigh_) w = putUnit(0xFFFD, w);
        if (haveOdd_) w = putUnit(0xFFFD, w);
        haveHigh_ = haveOdd_ = false;
    }
    return std::size_t(w - start);
}

bool utf16ToUtf8(std::string_view bytes, Utf16Order order, std::string& out) {
    if (order == Utf16Order::None) {
        out.append(bytes);
        return true;
    }
    const std::size_t start = out.size();
    try {
        out.resize(start + Utf16Decoder::maxOutput(bytes.size()));
    } catch (const std::bad_alloc&) {
        return false;
    }
    Utf16Decoder decoder(order);
    out.resize(start + decoder.convert(bytes, out.data() + start, true));
    return true;
}

}  // namespace tresslin
