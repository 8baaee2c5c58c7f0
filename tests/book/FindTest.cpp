#include <gtest/gtest.h>

#include "book/BookFindUtf8.h"
#include "book/mdlText.h"

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
