#include <gtest/gtest.h>

#include "book/BookFindUtf8.h"
#include "book/Typography.h"
#include "book/mdlFiles.h"
#include "book/mdlText.h"
#include "support/TestSupport.h"

using namespace tresslin;

TEST(FindInLinesUtf8, BrokenBytesAndTheByteOrderMark) {
    LineStore s;
    ASSERT_TRUE(splitBookLines(
        "\xEF\xBB\xBFПервая строка\r\nЁЛКА и Ёж\rmixed CASE Latin\nbroken \xD0 byte \xFF\r\n"
        "Привет Ґанок",
        s));
    // Bytes that are no character match only themselves; the byte-order mark is no text.
    const struct {
        const char* needle;
        std::int64_t first, want;
    } cases[] = {{"\xD0 byte \xFF", 0, 3}, {"\xEF\xBB\xBF", 0, -1}, {"ЁЛКА и ёж", 0, 1}};
    for (const auto& c : cases)
        EXPECT_EQ(findInLinesUtf8(s, c.first, s.upperBound(), c.needle), c.want) << c.needle;
}

TEST(FindTypography, YoAndSoftHyphensInEveryCoding) {
    const std::string book =
        "Новогодняя елка\nпри\u00ADмер и при\u00ADмер\nЁЖИК\nбитый \xFF\xFE байт\nпример";
    const struct {
        const char* needle;
        bool yo;
        std::int64_t line;
        std::uint64_t at;  // in the UTF-8 line
    } cases[] = {
        {"ёлка", true, 0, 21},  {"ёлка", false, -1, 0}, {"ежик", true, 2, 0},
        {"пример", true, 1, 0}, {"р и п", true, 1, 12}, {"\uFFFD\uFFFD б", true, 3, 11},
        {"ЁЖИК", false, 2, 0},
    };
    for (const TextCoding coding : {kUtf8, kWindowsCyrillic, kKoi8R}) {
        LineStore s;
        const std::string text =
            coding == kUtf8 ? book : RecodeText(test::Cp1251(book), kWindowsCyrillic, coding);
        ASSERT_TRUE(splitBookLines(text, s));
        for (const auto& c : cases) {
            // Soft hyphens and a malformed byte pair are UTF-8's and Windows Cyrillic's only.
            if (coding == kKoi8R && (c.line == 1 || c.line == 3)) continue;
            if (coding != kUtf8 && c.line == 3) continue;
            FoldTable fold = tablesFor(coding).fold;
            if (c.yo) foldYoAsYe(fold, coding);
            const std::string needle =
                coding == kUtf8 ? c.needle
                                : RecodeText(test::Cp1251(c.needle), kWindowsCyrillic, coding);
            std::uint64_t at = 0;
            const std::int64_t hit = findIgnoringSoftHyphens(
                s, 0, s.upperBound(), coding,
                [&](const LineStore& l, std::int64_t a, std::int64_t b, std::uint64_t* m) {
                    return coding == kUtf8 ? findInLinesUtf8(l, a, b, needle, m, c.yo)
                                           : findInLines(l, a, b, needle, fold, m);
                },
                &at);
            EXPECT_EQ(hit, c.line) << c.needle << " " << coding;
            EXPECT_TRUE(coding != kUtf8 || hit < 0 || at == c.at) << c.needle << " " << at;
        }
    }
}
