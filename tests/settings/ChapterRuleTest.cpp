#include <gtest/gtest.h>

#include "book/Chapters.h"
#include "book/mdlText.h"
#include "settings/ChapterRule.h"
#include "support/TestSupport.h"

using namespace tresslin;

TEST(ChapterRule, InvalidRefusedWithTheReasonAndTheLiteralStart) {
    QString error = "x";
    EXPECT_FALSE(ChapterRule::make("", &error));
    EXPECT_TRUE(error.isEmpty());
    EXPECT_FALSE(ChapterRule::make("^Глава [0-9", &error));
    EXPECT_TRUE(error.contains("at character")) << error.toStdString();
    const std::pair<QString, QString> starts[] = {{"^Глава [0-9]+", "Глава "},
                                                  {"^ab?c", "a"},
                                                  {"^ab*", "a"},
                                                  {"^ab{2}", "a"},
                                                  {"^ab+", "ab"},
                                                  {"^a|b", ""},
                                                  {"Глава", ""},
                                                  {"^(?i)глава", ""},
                                                  {"^x\\d", "x"},
                                                  {"^\U0001D400?", ""}};
    for (const auto& [pattern, start] : starts)
        EXPECT_EQ(ChapterRule::make(pattern)->literalStart(), start) << pattern.toStdString();
}

// The sample's chapters ("ГЛАВА ПЕРВАЯ. ДОМ НА КРАЮ ЗЕМЛИ") in every coding, and a book whose
// headings the built-in rule does not know, which touch the text around them.
TEST(ChapterRule, SamplesAndUnusualHeadings) {
    const auto rule = ChapterRule::make("^ГЛАВА [А-ЯЁ]+\\.");
    const std::pair<const char*, TextCoding> samples[] = {{"kniga-cp1251.txt", kWindowsCyrillic},
                                                          {"kniga-cp866.txt", kDosCyrillic},
                                                          {"kniga-koi8r.txt", kKoi8R},
                                                          {"kniga-utf8.txt", kUtf8}};
    for (const auto& [name, coding] : samples) {
        LineStore lines;
        ASSERT_TRUE(ReadBookLines(test::SamplePath(name).toStdString(), lines));
        std::vector<std::int64_t> builtIn, byRule;
        for (auto i = nextChapterHeading(lines, -1, coding); i >= 0;
             i = nextChapterHeading(lines, i, coding))
            builtIn.push_back(i);
        for (auto i = rule->next(lines, -1, coding); i >= 0; i = rule->next(lines, i, coding))
            byRule.push_back(i);
        EXPECT_EQ(byRule, builtIn) << name;
        EXPECT_GE(byRule.size(), 2u) << name;
    }
    const std::string book =
        test::Cp1251("Вступление\r\n~ 1 ~\r\nТекст ~ 1 ~\r\n~ 12 ~\r\nТекст.\r\n~ x ~\r\n~ 3 ~");
    LineStore lines;
    ASSERT_TRUE(splitBookLines(book, lines));
    const auto tilde = ChapterRule::make("^~ [0-9]+ ~$");
    const std::pair<std::int64_t, std::int64_t> next[] = {{-1, 1}, {1, 3}, {3, 6}, {6, -1}};
    for (const auto& [from, want] : next)
        EXPECT_EQ(tilde->next(lines, from, kWindowsCyrillic), want);
    EXPECT_EQ(tilde->prev(lines, 6, kWindowsCyrillic), 3);
    EXPECT_EQ(tilde->prev(lines, 1, kWindowsCyrillic), -1);
    EXPECT_EQ(nextChapterHeading(lines, -1, kWindowsCyrillic), -1);
}
