#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "settings/RecentBooks.h"
#include "settings/Settings.h"
#include "support/TestSupport.h"

using namespace tresslin;
using namespace tresslin::test;

namespace {

struct Stored {
    const char* section;  // "Recent Files" as found in the file
    QList<RecentBook> read;
};

class RecentRead : public ::testing::TestWithParam<Stored> {};

}  // namespace

TEST_P(RecentRead, HandEditedSections) {
    SettingsSandbox sandbox;
    QDir().mkpath(QFileInfo(sandbox.iniPath()).path());
    QFile f(sandbox.iniPath());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray("[Recent Files]\n") + GetParam().section);
    f.close();
    EXPECT_EQ(readRecentBooks(), GetParam().read);
}

INSTANTIATE_TEST_SUITE_P(
    Sections, RecentRead,
    ::testing::Values(Stored{"File1=/a\nLine1=5\nFile2=/b\nLine2=7\n", {{"/a", 5}, {"/b", 7}}},
                      Stored{"File1=/a\nLine1=x\nFile2=/b\nLine2=2\n", {{"/b", 2}}},
                      Stored{"File1=/a\nLine1=0\nFile2=/b\n", {{"/b", 1}}},
                      Stored{"File1=\nLine1=3\nFile3=/c\nLine3=1\n", {{"/c", 1}}},
                      Stored{"File1=/a\nLine1=3\nFile2=/a\nLine2=9\n", {{"/a", 3}}},
                      Stored{"File1=/a\nLine1=99999999999\n", {}}, Stored{"", {}}));

TEST(RecentBooks, NewestFirstTwentyAtMostAndShrinking) {
    SettingsSandbox sandbox;
    QList<RecentBook> list;
    for (int i = 1; i <= 25; ++i) list = withBookFirst(list, {QString("/b%1").arg(i), i});
    ASSERT_EQ(list.size(), 20);
    EXPECT_EQ(list.front().path, "/b25");
    EXPECT_EQ(list.back().path, "/b6");
    list = withBookFirst(list, {"/b10", 77});
    EXPECT_EQ(list.size(), 20);
    EXPECT_EQ(list.front(), (RecentBook{"/b10", 77}));
    EXPECT_EQ(list.count(RecentBook{"/b10", 10}), 0);

    writeRecentBooks(list);
    settings::flush();
    settings::resetForTests();
    EXPECT_EQ(readRecentBooks(), list);
    writeRecentBooks(list.mid(0, 2));
    EXPECT_EQ(readRecentBooks(), list.mid(0, 2));
}
