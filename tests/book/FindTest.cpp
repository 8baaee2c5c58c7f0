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

std::string folded(std::string_view v, const FoldTable& fold) {
    std::string out(v);
    for (char& c : out) c = char(fold[static_cast<unsigned char>(c)]);
    return out;
}

// The plain reading: the first line in range whose folded content holds the folded needle.
std::int64_t reference(const LineStore& s, std::int64_t first, std::int64_t last,
                       std::string_view needle, const FoldTable& fold) {
    auto f = [&](std::string_view v) { return folded(v, fold); };
    const std::string n = f(needle);
    for (std::int64_t i = std::max<std::int64_t>(first, 0); i <= last && i < s.size(); ++i) {
        if (f(s.line(i)).find(n) != std::string::npos) return i;
    }
    return -1;
}
}  // namespace

TEST(FindInLines, CaseAndLineRules) {
    const auto& fold = tablesFor(kWindowsCyrillic).fold;
    const LineStore s =
        store(test::Cp1251("Маяк стоял\r\nна краю\r\nМАЯК светил\r\nкрай\nмаяк\r\nёлка ЁЛКА"));
    struct {
        std::string needle;
        std::int64_t first, last, want;
    } cases[] = {
        {test::Cp1251("маяк"), 1, 5, 2},
        {test::Cp1251("маяк"), 3, 5, 4},  // a bare LF ends a line
        {test::Cp1251("МАЯК"), 0, 5, 0},
        {test::Cp1251("краю\r\nМАЯК"), 0, 5, -1},
        {test::Cp1251("краймаяк"), 0, 5, -1},
        {test::Cp1251("й\nм"), 0, 5, -1},
        {test::Cp1251("край\n"), 0, 5, -1},
        {test::Cp1251("ЁЛКА ёлкаx"), 0, 5, -1},
        {test::Cp1251("Ёлка ёЛКа"), 0, 5, 5},
        {test::Cp1251("светил"), 3, 5, -1},  // only earlier lines hold it
        {test::Cp1251("ка"), 5, 5, 5},
        {test::Cp1251("ка"), 6, 9, -1},  // past the end reads nothing
        {"", 2, 5, 2},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(findInLines(s, c.first, c.last, c.needle, fold), c.want) << c.needle;
        EXPECT_EQ(reference(s, c.first, c.last, c.needle, fold), c.want) << c.needle;
    }
}

TEST(FindInLines, AgreesWithThePlainReadingInEveryCoding) {
    // Lines long enough for the block scan, with matches at every offset near block edges.
    std::string book;
    for (int i = 0; i < 200; ++i) {
        book += std::string(std::size_t(i % 37), 'x') + test::Cp1251("ПёС ") +
                std::string(std::size_t(i % 5), 'y') +
                (i % 3   ? "\r\n"
                 : i % 2 ? "\r"
                         : "\n");
    }
    for (int coding = 0; coding < kCodingCount; ++coding) {
        const std::string bytes = RecodeText(book, 0, coding);
        const LineStore s = store(bytes);
        const auto& fold = tablesFor(coding).fold;
        for (const char* utf8 :
             {"пёс", "ПЁС", "x", "xп", "с y", "с yy", "yyyy", "ёс yyyy\r", "y\nx"}) {
            const std::string needle = RecodeText(test::Cp1251(utf8), 0, coding);
            for (std::int64_t first : {0, 1, 7, 150, 199}) {
                std::uint64_t at = 0;
                const std::int64_t hit = findInLines(s, first, s.upperBound(), needle, fold, &at);
                EXPECT_EQ(hit, reference(s, first, s.upperBound(), needle, fold))
                    << coding << " " << utf8 << " " << first;
                if (hit >= 0) {
                    EXPECT_EQ(at, folded(s.line(hit), fold).find(folded(needle, fold)));
                }
            }
        }
    }
}

TEST(FindInLines, RareLettersInsideTheNeedleAgreeWithThePlainReading) {
    // The scan anchors on the needle's letters that are rarest in the book, wherever they stand
    // in it: common letters at both ends, a rare one inside, matches near the range's end.
    std::string book;
    unsigned seed = 7;
    auto next = [&] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7FFF; };
    const std::string common = test::Cp1251("оОаА ");
    const std::string rare = test::Cp1251("щЩ\r\n");
    for (int i = 0; i < 20000; ++i) {
        const unsigned r = next() % 100;
        book += r < 96 ? common[r % common.size()] : rare[r % rare.size()];
    }
    const LineStore s = store(book);
    const auto& fold = tablesFor(0).fold;
    for (const char* utf8 : {"ощо", "ОЩА", "ао щ", "щ", "о", "ощ", "щщ", "аоа оао", "ооооЩ"}) {
        const std::string needle = test::Cp1251(utf8);
        for (std::int64_t first = 0; first < s.size(); first += 1 + first / 3) {
            for (std::int64_t last : {first, first + 2, s.upperBound()}) {
                ASSERT_EQ(findInLines(s, first, last, needle, fold),
                          reference(s, first, last, needle, fold))
                    << utf8 << " " << first << " " << last;
            }
        }
    }
}

TEST(FindInLinesUtf8, CaseFoldingOfCyrillicAndLatin) {
    const LineStore s = store(
        "\xEF\xBB\xBF"
        "Первая строка\r\nЁЛКА и Ёж\rmixed CASE Latin\nbroken \xD0 byte \xFF\r\n"
        "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82");
    EXPECT_EQ(s.line(0), "Первая строка");  // the byte-order mark is not part of the line
    struct {
        const char* needle;
        std::int64_t first, want;
    } cases[] = {
        {"первая", 0, 0},     {"ПЕРВАЯ СТРОКА", 0, 0},  {"ёлка и ёж", 0, 1},
        {"Ёлка И ЁЖ", 1, 1},  {"елка", 0, -1},          {"case latin", 0, 2},
        {"MIXED", 3, -1},     {"\xD0 byte \xFF", 0, 3}, {"привет", 0, 4},
        {"ет", 4, 4},         {"\xEF\xBB\xBF", 0, -1},  {"строка\r\nЁЛКА", 0, -1},
        {"ёж\rmixed", 0, -1}, {"latin\nbroken", 0, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(findInLinesUtf8(s, c.first, s.upperBound(), c.needle), c.want) << c.needle;
}

TEST(FindInLinesUtf8, BlockScanAgreesAcrossOffsets) {
    std::string book;
    for (int i = 0; i < 120; ++i)
        book += std::string(std::size_t(i % 41), 'x') + "ЩукА" +
                std::string(std::size_t(i % 3), 'y') + "\r\n";
    const LineStore s = store(book);
    for (std::int64_t first = 0; first < 120; first += 13) {
        std::uint64_t at = 0;
        EXPECT_EQ(findInLinesUtf8(s, first, s.upperBound(), "щука", &at), first);
        EXPECT_EQ(at, std::uint64_t(first % 41));
        EXPECT_EQ(findInLinesUtf8(s, first, s.upperBound(), "xщ"), first == 0 ? 1 : first);
    }
}
