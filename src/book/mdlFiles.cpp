#include "book/mdlFiles.h"

#include <charconv>

namespace tresslin {

namespace {

constexpr std::string_view kDosList =
    "176,177,178,179,180,181,182,183,184,185,186,187,188,189,190,191,192,193,194,195,196,197,198,"
    "199,200,201,202,203,204,205,206,207,208,209,210,211,212,213,214,215,240,217,218,219,220,221,"
    "222,223,242,243,244,245,246,247,248,249,241,251,252,253,254,255,216,250,128,129,130,131,132,"
    "133,134,135,136,137,138,139,140,141,142,143,144,145,146,147,148,149,150,151,152,153,154,155,"
    "156,157,158,159,160,161,162,163,164,165,166,167,168,169,170,171,172,173,174,175,224,225,226,"
    "227,228,229,230,231,232,233,234,235,236,237,238,239";

constexpr std::string_view kKoiList =
    "144,145,146,129,135,178,180,167,166,181,161,168,174,173,172,131,132,137,136,134,128,138,175,"
    "176,171,165,187,184,177,160,190,185,186,182,183,170,169,162,164,189,179,133,130,141,140,142,"
    "143,139,153,152,147,155,159,151,156,158,163,150,154,157,148,191,188,149,225,226,247,231,228,"
    "229,246,250,233,234,235,236,237,238,239,240,242,243,244,245,230,232,227,254,251,253,255,249,"
    "248,252,224,241,193,194,215,199,196,197,214,218,201,202,203,204,205,206,207,208,210,211,212,"
    "213,198,200,195,222,219,221,223,217,216,220,192,209";

// Windows Cyrillic (code page 1251), codes 128..191; 192..255 are U+0410..U+044F.
constexpr char16_t kCp1251High[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409,
    0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0,
    0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB,
    0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6,
    0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};

CodeTableArray parseList(std::string_view list) {
    CodeTableArray t{};
    std::size_t i = 0;
    const char* p = list.data();
    const char* end = p + list.size();
    while (p < end && i < t.size()) {
        int v = 0;
        auto r = std::from_chars(p, end, v);
        t[i++] = static_cast<unsigned char>(v);
        p = r.ptr + 1;  // skip the comma
    }
    return t;
}

struct AllTables {
    CodingTables t[kCodingCount];
    AllTables() {
        std::array<unsigned char, 256> lower0{};
        for (int c = 0; c < 256; ++c) {
            auto lc =
                unicodeToCp1251(toLowerLetter(cp1251ToUnicode(static_cast<unsigned char>(c))));
            lower0[c] = lc ? *lc : static_cast<unsigned char>(c);
        }
        for (int k = 0; k < kCodingCount; ++k) {
            CodingTables& ct = t[k];
            const CodeTableArray table = CodeTable(TextCoding(k));
            for (int c = 0; c < 256; ++c) {
                ct.toWindows[c] = ct.fromWindows[c] = static_cast<unsigned char>(c);
            }
            for (int i = 0; i < 128; ++i) {
                ct.fromWindows[128 + i] = table[i];
                ct.toWindows[table[i]] = static_cast<unsigned char>(128 + i);
            }
            for (int c = 0; c < 256; ++c) {
                ct.toUnicode[c] = cp1251ToUnicode(ct.toWindows[c]);
                ct.fold[c] = ct.fromWindows[lower0[ct.toWindows[c]]];
            }
        }
    }
};

const AllTables& allTables() {
    static const AllTables tables;
    return tables;
}

}  // namespace

CodeTableArray CodeTable(TextCoding coding) {
    switch (coding) {
        case kDosCyrillic:
            return parseList(kDosList);
        case kKoi8R:
            return parseList(kKoiList);
        default: {
            CodeTableArray t{};
            for (int i = 0; i < 128; ++i) t[i] = static_cast<unsigned char>(128 + i);
            return t;
        }
    }
}

std::string RecodeText(std::string_view text, TextCoding fromCoding, TextCoding toCoding) {
    if (fromCoding == toCoding) return std::string(text);
    // The derived tables give the same results as searching the code tables character by
    // character, without the cost on long lines.
    const auto& in = tablesFor(fromCoding).toWindows;
    const auto& out = tablesFor(toCoding).fromWindows;
    std::string result(text);
    for (char& ch : result) {
        ch = static_cast<char>(out[in[static_cast<unsigned char>(ch)]]);
    }
    return result;
}

const CodingTables& tablesFor(TextCoding coding) {
    if (coding < 0 || coding >= kCodingCount) coding = kWindowsCyrillic;
    return allTables().t[coding];
}

char32_t toLowerLetter(char32_t c) {
    if (c >= U'A' && c <= U'Z') return c + 32;
    if (c >= 0x0410 && c <= 0x042F) return c + 0x20;
    if (c >= 0x0400 && c <= 0x040F) return c + 0x50;
    if (c == 0x0490) return 0x0491;  // Ґ
    return c;
}

char32_t toUpperLetter(char32_t c) {
    if (c >= U'a' && c <= U'z') return c - 32;
    if (c >= 0x0430 && c <= 0x044F) return c - 0x20;
    if (c >= 0x0450 && c <= 0x045F) return c - 0x50;
    if (c == 0x0491) return 0x0490;  // ґ
    return c;
}

char16_t cp1251ToUnicode(unsigned char code) {
    if (code < 128) return code;
    if (code >= 192) return char16_t(0x0410 + (code - 192));
    return kCp1251High[code - 128];
}

std::optional<unsigned char> unicodeToCp1251(char32_t ch) {
    if (ch < 128) return static_cast<unsigned char>(ch);
    if (ch >= 0x0410 && ch <= 0x044F) return static_cast<unsigned char>(192 + (ch - 0x0410));
    if (ch == 0xFFFD) return std::nullopt;
    for (int i = 0; i < 64; ++i) {
        if (kCp1251High[i] == ch) return static_cast<unsigned char>(128 + i);
    }
    return std::nullopt;
}

}  // namespace tresslin
