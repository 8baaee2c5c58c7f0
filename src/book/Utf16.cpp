#include "book/Utf16.h"

#include <cstdint>
#include <cstring>
#include <new>

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

bool utf16ToUtf8(std::string_view bytes, Utf16Order order, std::string& out) {
    if (order == Utf16Order::None) {
        out.append(bytes);
        return true;
    }
    const bool big = order == Utf16Order::BigEndian;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t units = bytes.size() / 2;
    std::size_t i = 0;
    if (units && (big ? p[0] == 0xFE && p[1] == 0xFF : p[0] == 0xFF && p[1] == 0xFE)) i = 1;
    const std::size_t start = out.size();
    try {
        // Each unit takes at most three bytes; a pair takes four for its two units.
        out.resize(start + (units - i) * 3 + 3);
    } catch (const std::bad_alloc&) {
        return false;
    }
    auto* w = reinterpret_cast<unsigned char*>(out.data() + start);
    const auto unit = [&](std::size_t k) -> std::uint32_t {
        return big ? (std::uint32_t(p[2 * k]) << 8) | p[2 * k + 1]
                   : (std::uint32_t(p[2 * k + 1]) << 8) | p[2 * k];
    };
    for (; i < units; ++i) {
        std::uint32_t c = unit(i);
        if (c < 0x80) {
            *w++ = static_cast<unsigned char>(c);
            continue;
        }
        if (c < 0x800) {
            *w++ = static_cast<unsigned char>(0xC0 | (c >> 6));
            *w++ = static_cast<unsigned char>(0x80 | (c & 0x3F));
            continue;
        }
        if (c >= 0xD800 && c <= 0xDFFF) {
            const std::uint32_t next = i + 1 < units ? unit(i + 1) : 0;
            if (c <= 0xDBFF && next >= 0xDC00 && next <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (next - 0xDC00);
                ++i;
                *w++ = static_cast<unsigned char>(0xF0 | (c >> 18));
                *w++ = static_cast<unsigned char>(0x80 | ((c >> 12) & 0x3F));
                *w++ = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
                *w++ = static_cast<unsigned char>(0x80 | (c & 0x3F));
                continue;
            }
            c = 0xFFFD;
        }
        *w++ = static_cast<unsigned char>(0xE0 | (c >> 12));
        *w++ = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
        *w++ = static_cast<unsigned char>(0x80 | (c & 0x3F));
    }
    if (bytes.size() % 2) {
        std::memcpy(w, "\xEF\xBF\xBD", 3);
        w += 3;
    }
    out.resize(std::size_t(reinterpret_cast<char*>(w) - out.data()));
    return true;
}

}  // namespace tresslin
