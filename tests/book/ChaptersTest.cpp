#include <gtest/gtest.h>

#include "Chapters.h"
#include "TestSupport.h"
#include "mdlFiles.h"
#include "mdlText.h"

using namespace tresslin;

namespace {
// UTF-8 test text stored in a coding: 0..2 through Windows Cyrillic, 3 as it is.
std::string stored(std::string_view utf8, int coding) {
    return coding == kUtf8 ? std::string(utf8) : RecodeText(test::Cp1251(utf8), 0, coding);
}
}  // namespace

TEST(Chapters, HeadingsAndOtherShortLines) {
    const std::pair<const char*, bool> cases[] = {
        {"Глава 5", true},
        {"ГЛАВА ПЯТАЯ", true},
        {"  Глава двадцать первая  ", true},
        {"Глава четвёртая. Возвращение", true},
        {"Глава XIV", true},
        {"Глава Х", true},  // a Cyrillic Х for the Roman ten
        {"Часть вторая", true},
        {"ЧАСТЬ 2: Зима", true},
        {"Пролог", true},
        {"Эпилог.", true},
        {"Chapter 12", true},
        {"CHAPTER Twenty-One", true},
        {"XIV", true},
        {"XIV.", true},
        {"12", true},
        {"12.", true},
        {"* * *", true},
        {"***", true},
        {"", false},
        {"   ", false},
        {"12:30", false},
        {"3:1", false},
        {"12.05.2020", false},
        {"1) Купить хлеба", false},
        {"12 стульев", false},
        {"12345", false},
        {"Глава", false},
        {"Глава семьи вернулся домой.", false},
        {"Главная улица", false},
        {"Часть речи", false},
        {"Пролога не было", false},
        {"XIV век", false},
        {"IIII", false},
        {"xiv", false},
        {"* *", false},
        {"*Примечание", false},
        {"— Да.", false},
    };
    const std::string longest = "Глава 1. " + std::string(71, 'x');  // 80 characters
    for (int coding = 0; coding < kStoredCodingCount; ++coding) {
        for (const auto& [text, heading] : cases)
            EXPECT_EQ(IsChapterHeading(stored(text, coding), coding), heading)
                << text << " coding " << coding;
        EXPECT_TRUE(IsChapterHeading(stored(" " + longest + " ", coding), coding));
        EXPECT_FALSE(IsChapterHeading(stored(longest + "x", coding), coding));
    }
}

TEST(Chapters, NextAndPreviousHeadingStandAlone) {
    // Headings count only with empty lines (or blanks, or the book's ends) around them: lines
    // 0, 7 and 14 do; "Глава 1" (3) and "* * *" (11) touch text.
    const std::string book =
        "Пролог\r\n\r\nТекст.\r\nГлава 1\r\n\r\nТекст.\r\n  \nГлава 2\n\nТекст.\r\n\r\n"
        "* * *\r\nТекст.\r\n\r\nЭпилог";
    for (int coding = 0; coding < kStoredCodingCount; ++coding) {
        LineStore s;
        ASSERT_TRUE(SplitBookLines(stored(book, coding), s));
        ASSERT_EQ(s.size(), 15);
        const std::pair<std::int64_t, std::int64_t> next[] = {{-1, 0}, {0, 7}, {7, 14}, {14, -1}};
        for (const auto& [from, want] : next)
            EXPECT_EQ(NextChapterHeading(s, from, coding), want) << from << " " << coding;
        const std::pair<std::int64_t, std::int64_t> prev[] = {{15, 14}, {14, 7}, {7, 0}, {0, -1}};
        for (const auto& [from, want] : prev)
            EXPECT_EQ(PrevChapterHeading(s, from, coding), want) << from << " " << coding;
    }
}
