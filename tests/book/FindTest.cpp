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
