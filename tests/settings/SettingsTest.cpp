#include <gtest/gtest.h>

#include <QCoreApplication>

#include "settings/RecentBooks.h"
#include "settings/Settings.h"
#include "settings/StoredNumbers.h"
#include "support/TestSupport.h"

using namespace tresslin;
using tresslin::test::SettingsSandbox;

TEST(Settings, DefaultsOnAnEmptyOrGarbledStore) {
    using S = settings::Setting;
    const struct {
        const S& setting;
        const char* stored;  // nothing, or a value that must read as the default
        const char* text;
        std::int32_t number;
    } cases[] = {
        {settings::TextCoding, "4", "0", 0},
        {settings::DetectCoding, "", "1", 1},
        {settings::WrapLines, "x", "1", 1},
        {settings::StayOnTop, "1,5", "0", 0},
        {settings::LastLine, "1,5", "1", 1},
        {settings::Opacity, "29", "100", 100},
        {settings::TextColor, "12x", "-2147483640", -2147483640},
        {settings::BackColor, "99999999999", "-2147483643", -2147483643},
        {settings::TimerInterval, "abc", "2550", 2550},
    };
    for (bool garbled : {false, true}) {
        SettingsSandbox box;
        for (const auto& c : cases) {
            if (garbled) {
                WriteSetting(c.setting, c.stored);
            } else {
                EXPECT_EQ(ReadSetting(c.setting), c.text) << c.setting.key;
            }
            EXPECT_EQ(settings::readNumber(c.setting), c.number) << c.setting.key << garbled;
        }
        EXPECT_EQ(ReadSetting(settings::LastFile), "");
        EXPECT_EQ(settings::readTwips(settings::Top), std::nullopt);
        EXPECT_TRUE(garbled || box.fileText().isEmpty());  // reading writes nothing
    }
}

TEST(Settings, FileHoldsSectionsAndKeysAsSpelled) {
    SettingsSandbox box;
    WriteSetting(settings::TextCoding, "2");
    WriteSetting(settings::LastFile, "/home/u/Книги/war and peace.txt");
    WriteSetting(settings::TextColor, "255");
    WriteSetting(settings::Top, "1440");
    EXPECT_EQ(settings::readNumber(settings::TextCoding), 2);  // visible before any flush
    ASSERT_TRUE(settings::flush());
    EXPECT_EQ(box.fileText(),
              "[COLORS]\nTEXT_COLOR=255\n\n[Position]\nTop=1440\n\n[Settings]\n"
              "Last File=/home/u/Книги/war and peace.txt\nText Coding=2\n");
    // A fresh store reads back what is on disk, however awkward.
    WriteSetting(settings::LastFile, "a,b\nc\r\\n #d");
    ASSERT_TRUE(settings::flush());
    settings::resetForTests();
    EXPECT_EQ(ReadSetting(settings::LastFile), "a,b\nc\r\\n #d");
    EXPECT_EQ(settings::readTwips(settings::Top), 1440.0);
}

TEST(Settings, HeldSavesWaitForTheRelease) {
    SettingsSandbox box;
    settings::holdSaves(true);
    WriteSetting(settings::Top, "1200");
    QCoreApplication::processEvents();
    EXPECT_TRUE(box.fileText().isEmpty());
    settings::holdSaves(false);
    QCoreApplication::processEvents();
    EXPECT_TRUE(box.fileText().contains("Top=1200"));
}

TEST(RecentBooks, NewestFirstTwentyAtMostAndHandEdits) {
    SettingsSandbox box;
    QList<RecentBook> list;
    for (int i = 1; i <= 25; ++i) list = withBookFirst(list, {{"/b" + std::to_string(i)}, i});
    list = withBookFirst(list, {{"/b10"}, 77});
    ASSERT_EQ(list.size(), 20);
    EXPECT_EQ(list[0], (RecentBook{{"/b10"}, 77}));
    EXPECT_EQ(list[1].location.file, "/b25");
    EXPECT_EQ(list.back().location.file, "/b6");  // /b10 moved, not repeated
    writeRecentBooks(list);
    writeRecentBooks(list.mid(0, 2));
    settings::flush();
    settings::resetForTests();
    EXPECT_EQ(readRecentBooks(), list.mid(0, 2));

    const std::pair<const char*, QList<RecentBook>> sections[] = {
        {"File1=/a\nLine1=x\nFile2=/b\n", {{{"/b"}, 1}}},
        {"File1=/a\nLine1=0\nFile2=\nLine2=3\nFile3=/c\nLine3=1\n", {{{"/c"}, 1}}},
        {"File1=/a\nLine1=3\nFile2=/a\nLine2=9\n", {{{"/a"}, 3}}},
        // The stored forms of a book in an archive and of a name that is not UTF-8; the second
        // names the first's book again.
        {"File1=zip:/a%25.zip#d/b%23.txt\nLine1=2\nFile2=file://zip%3A/a%2525.zip%23d/b%2523.txt"
         "\nLine2=5\nFile3=file:///%C2%EE.txt\nLine3=4\n",
         {{{"/a%.zip", "d/b#.txt"}, 2}, {{"/\xc2\xee.txt"}, 4}}},
        {"File1=/a\nLine1=99999999999\n", {}}};
    for (const auto& [section, read] : sections) {
        test::WriteBytes(box.iniPath(), QByteArray("[Recent Files]\n") + section);
        settings::resetForTests();
        EXPECT_EQ(readRecentBooks(), read) << section;
    }
}

TEST(TimerInterval, TypedOrStoredTextKeptInRange) {
    const std::pair<const char*, std::int32_t> intervals[] = {
        {"100", 2550},  {"", 2550},         {"99999999999", 2550}, {"700ms", 700},
        {"  800", 800}, {"1000.4", 1000},   {"-500", 2550},        {"1e3", 1000},
        {"349.5", 350}, {"10000.5", 10000}, {"1e400", 2550}};
    for (const auto& [text, want] : intervals) EXPECT_EQ(readTimerInterval(text), want) << text;
}
