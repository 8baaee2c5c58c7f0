#include "book/CodingDetect.h"

#include <array>
#include <cmath>

#include "book/DisplayChars.h"
#include "book/mdlFiles.h"

namespace tresslin {

namespace {

constexpr int kMinLetters = 40;     // fewer Cyrillic-looking bytes than this: no verdict
constexpr double kMinMargin = 0.8;  // nats per byte the winner must lead by

// How often each small letter а..я occurs in Russian prose, per 10,000 letters.
constexpr int kLetterFrequency[32] = {801, 159, 454, 170,  298, 845, 94,  165, 735, 121, 349,
                                      440, 321, 670, 1097, 281, 473, 547, 626, 262, 26,  97,
                                      48,  144, 73,  36,   4,   190, 174, 32,  64,  201};
constexpr int kYoFrequency = 20;

// Log-likelihood of each Windows-1251 code above 127 in Russian text: small letters by their
// frequency, capitals three times rarer, everything else (punctuation, pseudo-graphics) rarer
// still.
std::array<double, 256> buildScores() {
    std::array<double, 256> s{};
    const double total = 10000.0;
    for (int c = 128; c < 256; ++c) s[c] = std::log(0.5 / total);
    for (int i = 0; i < 32; ++i) {
        s[224 + i] = std::log(kLetterFrequency[i] / total);
        s[192 + i] = std::log(kLetterFrequency[i] / total / 3.0);
    }
    s[184] = std::log(kYoFrequency / total);        // ё
    s[168] = std::log(kYoFrequency / total / 3.0);  // Ё
    // Typographic characters common in Windows-1251 texts.
    for (int c : {0x96, 0x97, 0xAB, 0xBB, 0x85, 0xB9, 0x93, 0x94, 0xA0})
        s[c] = std::log(20 / total);
    return s;
}

// Letters beyond ASCII: Latin with accents, Greek, Cyrillic.
bool isUtf8Letter(char32_t c) {
    return (c >= 0xC0 && c <= 0x24F && c != 0xD7 && c != 0xF7) || (c >= 0x370 && c <= 0x52F);
}

// 1 valid UTF-8 with letters beyond ASCII, 0 valid without any, -1 invalid. A sequence cut by the
// end of the sample counts as valid.
int utf8Verdict(std::string_view s, int& letters) {
    letters = 0;
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    for (std::size_t i = 0; i < s.size();) {
        if (p[i] < 0x80) {
            ++i;
            continue;
        }
        const Utf8Char u = decodeUtf8(p + i, s.size() - i, true);
        if (u.length == 0) return -1;
        if (isUtf8Letter(u.ch)) ++letters;
        i += u.length;
    }
    return letters > 0 ? 1 : 0;
}

}  // namespace

std::optional<TextCoding> detectCoding(std::string_view sample) {
    if (sample.size() > kDetectSampleBytes) sample = sample.substr(0, kDetectSampleBytes);
    if (sample.substr(0, 3) == "\xEF\xBB\xBF") return kUtf8;
    int utf8Letters = 0;
    const int utf8 = utf8Verdict(sample, utf8Letters);
    if (utf8 == 1) return utf8Letters >= 1 ? std::optional(kUtf8) : std::nullopt;
    if (utf8 == 0) return std::nullopt;  // ASCII only (or no letters): nothing to tell

    static const std::array<double, 256> scores = buildScores();
    // Count each byte once, then score the counts in every coding.
    std::array<std::size_t, 256> counts{};
    for (const char ch : sample) ++counts[static_cast<unsigned char>(ch)];
    std::array<double, kCodingCount> total{};
    int high = 0;
    for (int c = 128; c < 256; ++c) {
        if (!counts[c]) continue;
        high += int(counts[c]);
        for (int k = 0; k < kCodingCount; ++k)
            total[k] += double(counts[c]) * scores[tablesFor(TextCoding(k)).toWindows[c]];
    }
    if (high < kMinLetters) return std::nullopt;
    int best = 0;
    for (int k = 1; k < kCodingCount; ++k) {
        if (total[k] > total[best]) best = k;
    }
    double second = -HUGE_VAL;
    for (int k = 0; k < kCodingCount; ++k) {
        if (k != best && total[k] > second) second = total[k];
    }
    if ((total[best] - second) / high < kMinMargin) return std::nullopt;
    return TextCoding(best);
}

}  // namespace tresslin
