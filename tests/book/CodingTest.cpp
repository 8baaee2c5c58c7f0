#include <gtest/gtest.h>

#include <set>

#include "book/mdlFiles.h"

using namespace tresslin;

namespace {
std::string bytes(std::initializer_list<int> codes) {
    std::string s;
    for (int c : codes) s += char(c);
    return s;
}
}  // namespace

TEST(CodeTable, EveryTableIsAPermutationOfTheHighCodes) {
    for (int coding = 0; coding < kCodingCount; ++coding) {
        const auto t = CodeTable(coding);
        std::set<int> seen(t.begin(), t.end());
        EXPECT_EQ(seen.size(), 128u) << coding;
        EXPECT_EQ(*seen.begin(), 128) << coding;
        EXPECT_EQ(*seen.rbegin(), 255) << coding;
    }
}

TEST(CodeTable, LettersAgreeWithThePublishedCodePages) {
    const auto dos = CodeTable(kDosCyrillic);
    const auto koi = CodeTable(kKoi8R);
    // Windows 192 (А), 224 (а), 168 (Ё), 184 (ё), 255 (я).
    EXPECT_EQ(dos[192 - 128], 128);
    EXPECT_EQ(dos[224 - 128], 160);
    EXPECT_EQ(dos[240 - 128], 224);
    EXPECT_EQ(dos[168 - 128], 240);
    EXPECT_EQ(dos[184 - 128], 241);
    EXPECT_EQ(koi[192 - 128], 225);
    EXPECT_EQ(koi[224 - 128], 193);
    EXPECT_EQ(koi[168 - 128], 179);
    EXPECT_EQ(koi[184 - 128], 163);
    EXPECT_EQ(koi[183 - 128], 158);
    EXPECT_EQ(koi[255 - 128], 209);
}

struct RecodeCase {
    std::string in;
    int from;
    int to;
    std::string out;
};

TEST(RecodeText, KnownConversions) {
    const RecodeCase cases[] = {
        {bytes({128}), kDosCyrillic, kWindowsCyrillic, bytes({192})},
        {bytes({176}), kDosCyrillic, kWindowsCyrillic, bytes({128})},
        {bytes({225, 193, 179}), kKoi8R, kWindowsCyrillic, bytes({192, 224, 168})},
        {bytes({168, 184}), kWindowsCyrillic, kDosCyrillic, bytes({240, 241})},
        {bytes({207, 240, 232, 226, 229, 242}), kWindowsCyrillic, kDosCyrillic,
         bytes({143, 224, 168, 162, 165, 226})},
        {"", kKoi8R, kDosCyrillic, ""},
        {"plain ASCII 0123 ~", kDosCyrillic, kKoi8R, "plain ASCII 0123 ~"},
        {bytes({200, 201}), kDosCyrillic, kDosCyrillic, bytes({200, 201})},
        {bytes({200, 201}), kKoi8R, kKoi8R, bytes({200, 201})},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RecodeText(c.in, c.from, c.to), c.out) << c.from << "->" << c.to;
    }
}

TEST(RecodeText, EveryCodeSurvivesTheRoundTrip) {
    for (int coding : {kDosCyrillic, kKoi8R}) {
        for (int c = 0; c < 256; ++c) {
            const std::string one(1, char(c));
            EXPECT_EQ(RecodeText(RecodeText(one, coding, 0), 0, coding), one) << coding << c;
            EXPECT_EQ(RecodeText(RecodeText(one, 0, coding), coding, 0), one) << coding << c;
            // The kept tables say the same as the literal conversion.
            EXPECT_EQ(char(tablesFor(coding).toWindows[c]), RecodeText(one, coding, 0)[0]);
        }
    }
}

TEST(RecodeText, DosToKoiGoesThroughWindows) {
    // DOS А (128) is Windows 192, which is KOI8-R 225.
    EXPECT_EQ(RecodeText(bytes({128}), kDosCyrillic, kKoi8R), bytes({225}));
}

TEST(CodingTables, DisplayAndFolding) {
    // Ё and ё fold together in every coding; so do А/а and Latin letters.
    for (int coding = 0; coding < kCodingCount; ++coding) {
        const auto& t = tablesFor(coding);
        const auto& from = t.fromWindows;
        EXPECT_EQ(t.fold[from[168]], t.fold[from[184]]) << coding;
        EXPECT_EQ(t.fold[from[192]], from[224]) << coding;
        EXPECT_EQ(t.fold[from[223]], from[255]) << coding;
        EXPECT_EQ(t.fold['Q'], 'q');
        EXPECT_EQ(t.toUnicode[from[168]], u'Ё');
        EXPECT_EQ(t.toUnicode[from[255]], u'я');
    }
    EXPECT_EQ(tablesFor(99).toUnicode[192], u'А');  // unknown codings show Windows Cyrillic
}

TEST(Cp1251, UnicodeRoundTrip) {
    for (int c = 0; c < 256; ++c) {
        const char16_t u = cp1251ToUnicode(static_cast<unsigned char>(c));
        if (u == 0xFFFD) continue;
        EXPECT_EQ(unicodeToCp1251(u), static_cast<unsigned char>(c)) << c;
    }
    EXPECT_FALSE(unicodeToCp1251(U'€' + 1).has_value());
    EXPECT_FALSE(unicodeToCp1251(U'中').has_value());
}
