#include <gtest/gtest.h>

#include <sstream>

#include "book/Chapters.h"
#include "book/mdlFiles.h"
#include "book/mdlText.h"
#include "support/TestSupport.h"

using namespace tresslin;

namespace {
// UTF-8 test text stored in a coding: 0..2 through Windows Cyrillic, 3 as it is.
std::string stored(std::string_view utf8, TextCoding coding) {
    return coding == kUtf8 ? std::string(utf8)
                           : RecodeText(test::Cp1251(utf8), kWindowsCyrillic, coding);
}
}  // namespace

TEST(Chapters, HeadingsAndOtherShortLines) {
    // Lines apart at '|'; "Глава Х" holds a Cyrillic Х for the Roman ten.
    const std::string_view headings =
        "Глава 5|ГЛАВА ПЯТАЯ|  Глава двадцать первая  |Глава четвёртая. Возвращение|Глава XIV|"
        "Глава Х|Часть вторая|ЧАСТЬ 2: Зима|Пролог|Эпилог.|Chapter 12|CHAPTER Twenty-One|XIV|"
        "XIV.|12|12.|* * *|***";
    const std::string_view others =
        "|   |12:30|3:1|12.05.2020|1) Купить хлеба|12 стульев|Часть 3 всех денег|12345|Глава|Глава "
        "семьи вернулась|"
        "Главная улица|Часть речи|Пролога не было|XIV век|IIII|xiv|* *|*Примечание|— Да.";
    const std::string longest = "Глава 1. " + std::string(71, 'x');  // 80 characters
    for (const auto coding : {kWindowsCyrillic, kDosCyrillic, kKoi8R, kUtf8}) {
        for (bool heading : {true, false}) {
            std::istringstream list(std::string(heading ? headings : others));
            for (std::string text; std::getline(list, text, '|');)
                EXPECT_EQ(isChapterHeading(stored(text, coding), coding), heading)
                    << text << coding;
        }
        EXPECT_TRUE(isChapterHeading(stored(" " + longest + " ", coding), coding));
        EXPECT_FALSE(isChapterHeading(stored(longest + "x", coding), coding));
    }
}

TEST(Chapters, NextAndPreviousHeadingStandAlone) {
    // Headings count only with empty lines (or blanks, or the book's ends) around them: lines
    // 0, 7 and 14 do; "Глава 1" (3) and "* * *" (11) touch text.
    const std::string book =
        "Пролог\r\n\r\nТекст.\r\nГлава 1\r\n\r\nТекст.\r\n  \nГлава 2\n\nТекст.\r\n\r\n"
        "* * *\r\nТекст.\r\n\r\nЭпилог";
    const std::pair<std::int64_t, std::int64_t> next[] = {{-1, 0}, {0, 7}, {7, 14}, {14, -1}};
    const std::pair<std::int64_t, std::int64_t> prev[] = {{15, 14}, {14, 7}, {7, 0}, {0, -1}};
    for (const auto coding : {kWindowsCyrillic, kDosCyrillic, kKoi8R, kUtf8}) {
        LineStore s;
        ASSERT_TRUE(splitBookLines(stored(book, coding), s));
        for (const auto& [from, want] : next)
            EXPECT_EQ(nextChapterHeading(s, from, coding), want) << from << " " << coding;
        for (const auto& [from, want] : prev)
            EXPECT_EQ(prevChapterHeading(s, from, coding), want) << from << " " << coding;
    }
}
