#include <gtest/gtest.h>

#include "book/BookFind.h"
#include "book/BookFindUtf8.h"
#include "book/mdlFiles.h"
#include "book/mdlText.h"
#include "support/TestSupport.h"

using namespace tresslin;

namespace {
LineStore store(std::string_view bytes) {
    LineStore s;
    EXPECT_TRUE(splitBookLines(bytes, s));
    return s;
}
}  // namespace

TEST(FindInLines, CaseFoldingAndLineRulesInEveryCoding) {
    const std::string book = "Маяк стоял\r\nна краю\r\nМАЯК светил\r\nкрай\nмаяк\r\nёлка ЁЛКА";
    const struct {
        std::string needle;
        std::int64_t first, last, want;
    } cases[] = {
        {"маяк", 1, 5, 2},  // from the line given on
        {"маяк", 3, 5, 4},  // a bare LF ends a line
        {"МАЯК", 0, 5, 0},    {"краю\r\nМАЯК", 0, 5, -1}, {"краймаяк", 0, 5, -1},
        {"край\n", 0, 5, -1}, {"Ёлка ёЛКа", 0, 5, 5},     {"ЁЛКА ёлкаx", 0, 5, -1},
        {"светил", 3, 5, -1},  // only earlier lines hold it
        {"светил", 0, 1, -1},  // nor past the last line given
        {"ка", 5, 5, 5},      {"ка", 6, 9, -1},           {"", 2, 5, 2},
    };
    for (int coding = 0; coding < kCodingCount; ++coding) {
        const LineStore s = store(RecodeText(test::Cp1251(book), 0, coding));
        for (const auto& c : cases) {
            const std::string needle = RecodeText(test::Cp1251(c.needle), 0, coding);
            EXPECT_EQ(findInLines(s, c.first, c.last, needle, tablesFor(coding).fold), c.want)
                << c.needle << " " << coding;
        }
    }
}

TEST(FindInLinesUtf8, CaseFoldingOfCyrillicAndLatin) {
    const LineStore s = store(
        "\xEF\xBB\xBFПервая строка\r\nЁЛКА и Ёж\rmixed CASE Latin\nbroken \xD0 byte \xFF\r\n"
        "Привет Ґанок");
    const struct {
        const char* needle;
        std::int64_t first, want;
    } cases[] = {
        {"первая", 0, 0},     {"ПЕРВАЯ СТРОКА", 0, 0},  {"ёлка и ёж", 0, 1},
        {"Ёлка И ЁЖ", 1, 1},  {"елка", 0, -1},          {"case latin", 0, 2},
        {"MIXED", 3, -1},     {"\xD0 byte \xFF", 0, 3}, {"привет ґан", 0, 4},
        {"ет", 4, 4},         {"\xEF\xBB\xBF", 0, -1},  {"строка\r\nЁЛКА", 0, -1},
        {"ёж\rmixed", 0, -1}, {"latin\nbroken", 0, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(findInLinesUtf8(s, c.first, s.upperBound(), c.needle), c.want) << c.needle;
}
