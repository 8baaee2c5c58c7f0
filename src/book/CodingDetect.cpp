#include "book/CodingDetect.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

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

// The verdict of single-letter frequencies among the three stored codings; sure on long texts.
std::optional<TextCoding> frequencyVerdict(std::string_view sample) {
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

#include "book/LetterPairs.inc"

// Letter pairs decide on little text: a sentence read in a wrong coding spells pairs Russian
// never has, and its case runs wrong (KOI8-R read as Windows-1251 swaps small and capital).
// Costs are in tenths of a nat.
constexpr int kMinPairLetters = 16;      // fewer letters than this: no verdict
constexpr int kMinSmallLetters = 8;      // capitals alone read right in several codings
constexpr int kPairMarginPerByte = 10;   // the lead over another reading, per byte read otherwise
constexpr int kPairMarginLeast = 60;     // and at least this in all
constexpr int kExtraMarginPerByte = 20;  // the lead of a converted coding over a stored twin
constexpr int kCapitalsOnly = 15;        // per letter: the case cost of a reading in capitals
constexpr int kWrongSide = 30;           // a quote or dash on the wrong side of a letter
constexpr std::size_t kMinTwinEvidence = 2;  // places only the converted twin reads as letters

// What one byte is in one coding, for the letter-pair costs.
struct ByteClass {
    std::uint8_t symbol = 0;      // 0 a word's edge (anything but a Cyrillic letter), 1..32 а..я
    std::uint8_t letterCase = 0;  // 0 no letter, 1 small, 2 capital
    std::uint8_t cost = 0;        // of the character itself, beyond its pairs
    // Typography: 1 opens (a letter follows), 2 closes (a letter goes before), 3 stands apart.
    std::uint8_t side = 0;
};

ByteClass classify(char16_t c) {
    static constexpr std::u16string_view kLetters = u"абвгдежзийклмнопрстуфхцчшщъыьэюя";
    static constexpr std::u16string_view kOpening = u"\u00AB\u201E\u201C\u2018";
    static constexpr std::u16string_view kClosing = u"\u00BB\u201D\u2019\u2026";
    static constexpr std::u16string_view kApart =
        u"\u2014\u2013\u2116\u00A0\u00B0\u00A7\u00B7\u2022\u00A9";
    // Letters of Ukrainian and Belarusian, taken as the Russian ones they sound like.
    static constexpr std::u16string_view kKin = u"іїєґў", kKinAs = u"ииегу";
    ByteClass b;
    const char32_t lower = toLowerLetter(c);
    const auto small = c == lower;
    const char16_t l = lower == u'ё' ? u'е' : char16_t(lower);
    if (const auto i = kLetters.find(l); i != kLetters.npos) {
        b.symbol = std::uint8_t(i + 1);
        b.letterCase = small ? 1 : 2;
        // Ё is read as Е, and is forty times rarer.
        if (lower == u'ё') b.cost = 38;
    } else if (const auto k = kKin.find(char16_t(lower)); k != kKin.npos) {
        b.symbol = std::uint8_t(kLetters.find(kKinAs[k]) + 1);
        b.letterCase = small ? 1 : 2;
        b.cost = 30;
    } else {
        b.side = kOpening.find(c) != kOpening.npos   ? 1
                 : kClosing.find(c) != kClosing.npos ? 2
                 : kApart.find(c) != kApart.npos     ? 3
                                                     : 0;
        b.cost = b.side ? 40 : 110;
    }
    return b;
}

struct CodingClasses {
    std::array<std::array<ByteClass, 256>, kByteCodingCount> byCoding;
};

const CodingClasses& codingClasses() {
    static const CodingClasses classes = [] {
        CodingClasses t;
        for (int k = 0; k < kByteCodingCount; ++k) {
            const auto& half = highHalf(kByteCodings[k]);
            for (int c = 128; c < 256; ++c) t.byCoding[k][c] = classify(half[c - 128]);
        }
        return t;
    }();
    return classes;
}

// Places where one reading spells a letter inside a word and its twin does not: a non-letter, or
// a capital amid small letters (or, with anyOther, any other letter). Only such a place tells two
// nearly equal codings apart.
std::size_t twinEvidence(std::string_view sample, const std::array<ByteClass, 256>& reading,
                         const std::array<ByteClass, 256>& twin, bool anyOther = false) {
    const auto* p = reinterpret_cast<const unsigned char*>(sample.data());
    const auto letter = [&](std::size_t i) {
        return i < sample.size() && (p[i] < 0x80 ? false : reading[p[i]].letterCase != 0);
    };
    std::size_t found = 0;
    for (std::size_t i = 0; i < sample.size(); ++i) {
        if (p[i] < 0x80) continue;
        const ByteClass& a = reading[p[i]];
        const ByteClass& b = twin[p[i]];
        const bool otherLetter = anyOther && (a.symbol != b.symbol || a.letterCase != b.letterCase);
        if (!a.letterCase ||
            (b.letterCase && !(a.letterCase == 1 && b.letterCase == 2) && !otherLetter))
            continue;
        if ((i > 0 && letter(i - 1)) || letter(i + 1)) ++found;
    }
    return found;
}

// The 8-bit coding whose reading of the sample leads every other reading clearly.
std::optional<FoundCoding> pairVerdict(std::string_view sample) {
    const auto* p = reinterpret_cast<const unsigned char*>(sample.data());
    // Pairs of two ASCII bytes cost the same in every coding and are not counted.
    std::vector<std::uint32_t> pairs(65536);
    std::vector<std::uint16_t> seen;
    std::array<std::uint64_t, 256> bytes{};
    unsigned prev = ' ';
    for (std::size_t i = 0; i < sample.size(); prev = p[i++]) {
        ++bytes[p[i]];
        if (!((prev | p[i]) & 0x80)) continue;
        const unsigned pair = prev << 8 | p[i];
        if (pairs[pair]++ == 0) seen.push_back(std::uint16_t(pair));
    }
    const auto& classes = codingClasses().byCoding;
    std::array<std::int64_t, kByteCodingCount> cost{};
    for (int k = 0; k < kByteCodingCount; ++k) {
        for (const std::uint16_t pair : seen) {
            const ByteClass& a = classes[k][pair >> 8];
            const ByteClass& b = classes[k][pair & 0xFF];
            int c = kPairCost[a.symbol][b.symbol] + b.cost;
            if (b.letterCase) c += kCaseCost[a.letterCase][b.letterCase - 1];
            // Typography on the wrong side of a letter.
            if ((a.letterCase && (b.side & 1)) || (b.letterCase && a.side >= 2)) c += kWrongSide;
            cost[k] += std::int64_t(c) * pairs[pair];
        }
    }
    int best = 0;
    for (int k = 1; k < kByteCodingCount; ++k)
        if (cost[k] < cost[best]) best = k;
    std::array<std::uint64_t, kByteCodingCount> letters{}, small{};
    for (int k = 0; k < kByteCodingCount; ++k) {
        for (int c = 128; c < 256; ++c) {
            letters[k] += classes[k][c].letterCase ? bytes[c] : 0;
            small[k] += classes[k][c].letterCase == 1 ? bytes[c] : 0;
        }
        // Some coding reads it as capitals alone, and no worse but for their case: which
        // reading is right, case cannot tell.
        if (small[k] == 0 && letters[k] * 2 >= letters[best] &&
            cost[k] - cost[best] < std::int64_t(letters[k]) * kCapitalsOnly)
            return std::nullopt;
    }
    if (letters[best] < kMinPairLetters || small[best] < kMinSmallLetters) return std::nullopt;
    const auto& bestHalf = highHalf(kByteCodings[best]);
    for (int k = 0; k < kByteCodingCount; ++k) {
        // Bytes read otherwise; a coding that reads the sample the same way is no rival.
        std::uint64_t differ = 0;
        int differentBytes = 0;
        const auto& half = highHalf(kByteCodings[k]);
        for (int c = 128; c < 256; ++c) {
            const bool other = bytes[c] && half[c - 128] != bestHalf[c - 128];
            differ += other ? bytes[c] : 0;
            differentBytes += other;
        }
        if (k == best || differ == 0) continue;
        const std::int64_t lead = cost[k] - cost[best];
        // A stored coding, shown as today when nothing is decided, needs no more than its lead
        // per byte over a coding converted at open; one converted needs a wide lead over a
        // stored one that reads nearly all of it the same way (Mac Cyrillic and Windows-1251).
        const bool bestStored = storedCoding(kByteCodings[best]).has_value();
        const bool rivalStored = storedCoding(kByteCodings[k]).has_value();
        const bool twin = !bestStored && rivalStored && differ * 4 < letters[best];
        // One character told apart, however often, may be one the twin holds as well.
        if (twin && differentBytes < 2) return std::nullopt;
        if (twin) {
            const std::size_t evidence = twinEvidence(sample, classes[best], classes[k]);
            if (evidence < kMinTwinEvidence || evidence * 2 < differ) return std::nullopt;
        }
        // A stored coding over its converted twin needs one letter of its own as well: a Mac
        // Cyrillic capital read as a Windows-1251 quote proves nothing.
        if (bestStored && !rivalStored && differ * 4 < letters[best] &&
            twinEvidence(sample, classes[best], classes[k], true) == 0)
            return std::nullopt;
        const int perByte = twin ? kExtraMarginPerByte : kPairMarginPerByte;
        if ((!(bestStored && !rivalStored) && lead < kPairMarginLeast) ||
            lead < std::int64_t(differ) * perByte)
            return std::nullopt;
    }
    return kByteCodings[best];
}

}  // namespace

std::optional<FoundCoding> detectAnyCoding(std::string_view sample) {
    if (sample.size() > kDetectSampleBytes) sample = sample.substr(0, kDetectSampleBytes);
    if (sample.substr(0, 3) == "\xEF\xBB\xBF") return FoundCoding::Utf8;
    int utf8Letters = 0;
    const int utf8 = utf8Verdict(sample, utf8Letters);
    if (utf8 == 1) return utf8Letters >= 1 ? std::optional(FoundCoding::Utf8) : std::nullopt;
    if (utf8 == 0) return std::nullopt;  // ASCII only (or no letters): nothing to tell
    const std::optional<TextCoding> frequencies = frequencyVerdict(sample);
    const std::optional<FoundCoding> pairs = pairVerdict(sample);
    // Where single letters decide, pairs only add the codings they do not know.
    if (frequencies && !(pairs && !storedCoding(*pairs))) return FoundCoding(*frequencies);
    return pairs;
}

std::optional<TextCoding> detectCoding(std::string_view sample) {
    const auto found = detectAnyCoding(sample);
    return found ? storedCoding(*found) : std::nullopt;
}

}  // namespace tresslin
