#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "settings/RecentBooks.h"
#include "settings/Settings.h"
#include "support/TestSupport.h"

using namespace tresslin;
using namespace tresslin::test;

TEST(RecentBooks, HandEditedSections) {
    const std::pair<const char*, QList<RecentBook>> cases[] = {
        {"File1=/a\nLine1=5\nFile2=/b\nLine2=7\n", {{"/a", 5}, {"/b", 7}}},
        {"File1=/a\nLine1=x\nFile2=/b\n", {{"/b", 1}}},
        {"File1=/a\nLine1=0\nFile2=\nLine2=3\nFile3=/c\nLine3=1\n", {{"/c", 1}}},
        {"File1=/a\nLine1=3\nFile2=/a\nLine2=9\n", {{"/a", 3}}},
        {"File1=/a\nLine1=99999999999\n", {}}};
    for (const auto& [section, read] : cases) {
        SettingsSandbox sandbox;
        QDir().mkpath(QFileInfo(sandbox.iniPath()).path());
        QFile f(sandbox.iniPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("[Recent Files]\n") + section);
        f.close();
        EXPECT_EQ(readRecentBooks(), read) << section;
    }
}

TEST(RecentBooks, NewestFirstTwentyAtMostAndShrinking) {
    SettingsSandbox sandbox;
    QList<RecentBook> list;
    for (int i = 1; i <= 25; ++i) list = withBookFirst(list, {QString("/b%1").arg(i), i});
    list = withBookFirst(list, {"/b10", 77});
    ASSERT_EQ(list.size(), 20);
    EXPECT_EQ(list[0], (RecentBook{"/b10", 77}));
    EXPECT_EQ(list[1].path, "/b25");
    EXPECT_EQ(list.back().path, "/b6");  // /b10 moved, not repeated
    writeRecentBooks(list);
    writeRecentBooks(list.mid(0, 2));
    settings::flush();
    settings::resetForTests();
    EXPECT_EQ(readRecentBooks(), list.mid(0, 2));
}
