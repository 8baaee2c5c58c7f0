// Regressions of the faults the fuzzers found in the book code.
#include <gtest/gtest.h>

#include <cstring>

#include "book/BookFind.h"
#include "book/BookFindUtf8.h"
#include "book/ViewRules.h"
#include "book/mdlFiles.h"
#include "book/mdlText.h"
#include "support/TestSupport.h"

using namespace tresslin;

TEST(FuzzFindings, ByteOrderMarkArrivingInPiecesIsStillSkipped) {
    // The loader's reads may return fewer than three bytes first.
    const std::string bytes =
        "\xEF\xBB\xBF"
        "first\r\nsecond";
    for (std::size_t firstPiece : {1, 2}) {
        LineStoreBuilder b;
        ASSERT_TRUE(b.reserveText(bytes.size()));
        std::memcpy(b.textData(), bytes.data(), bytes.size());
        ASSERT_TRUE(b.addBytes(firstPiece, false));
        ASSERT_TRUE(b.addBytes(bytes.size(), false));
        ASSERT_TRUE(b.addBytes(bytes.size(), true));
        const LineStore s = b.take();
        ASSERT_EQ(s.size(), 2);
        EXPECT_EQ(s.line(0), "first") << firstPiece;
        EXPECT_EQ(s.line(1), "second");
    }
}

TEST(FuzzFindings, NumbersTooCloseToZeroReadAsZero) {
    // from_chars reports them out of range, like numbers too large.
    EXPECT_EQ(parseTwips("1e-400"), 0.0);
    EXPECT_EQ(parseTwips("-010e-0000000001010"), 0.0);
    EXPECT_EQ(parseTwips("0.0000000000000000000000000000000000000000000000000000000000000000000"
                         "00000000000000000000000000000000000000000000000000000000000000000000"
                         "00000000000000000000000000000000000000000000000000000000000000000000"
                         "00000000000000000000000000000000000000000000000000000000000000000000"
                         "000000000000000000000000000000000000000000000000000000000000001"),
              0.0);
    EXPECT_EQ(parseTwips("1e400"), std::nullopt);
    EXPECT_EQ(parseTwips("-0.1e310"), std::nullopt);
    EXPECT_EQ(parseLineJump("1e-400", 10), std::nullopt);  // line 0 does not exist
    EXPECT_EQ(readTimerInterval("1e-400"), kIntervalDefault);
}

TEST(FuzzFindings, TwoSignsAreNoWholeNumber) {
    EXPECT_EQ(parseWholeNumber("+-5"), std::nullopt);
    EXPECT_EQ(parseWholeNumber(" +-0 "), std::nullopt);
    EXPECT_EQ(parseWholeNumber("+5"), 5);
    EXPECT_EQ(parseWholeNumber("-5"), -5);
}

TEST(FuzzFindings, Utf8FindFoldsGheWithUpturnAsWindowsCyrillicDoes) {
    // Ґ and ґ are one letter to the 8-bit codings' find; so they are in UTF-8 books.
    LineStore utf8;
    ASSERT_TRUE(splitBookLines("one\r\n\xD2\x90\xD0\xB0\xD0\xBD\xD0\xBE\xD0\xBA", utf8));
    EXPECT_EQ(findInLinesUtf8(utf8, 0, 1, "\xD2\x91\xD0\xB0\xD0\xBD"), 1);  // "ґан"
    LineStore cp1251;
    ASSERT_TRUE(splitBookLines(test::Cp1251("one\r\nҐанок"), cp1251));
    EXPECT_EQ(findInLines(cp1251, 0, 1, test::Cp1251("ґан"), tablesFor(0).fold), 1);
}
