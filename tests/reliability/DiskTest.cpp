// The settings folder unusable or the disk refusing writes: the program works on from memory,
// ends normally, and what is stored stays as it was.
#include <QCoreApplication>

#include "Processes.h"
#include "settings/Settings.h"

using namespace tresslin;
using namespace tresslin::test;

TEST(Disk, TheProgramEndsNormallyAndLeavesWhatIsStoredAlone) {
    const QByteArray stored = "[Settings]\nLast File=/books/a.txt\nLast Line=5\n";
    const struct {
        const char* what;
        QString ini;  // written with stored, under the config home
        rlim_t fileSize;
    } cases[] = {
        {"a file where the settings folder should be", "/Tresslin", RLIM_INFINITY},
        {"a folder where the settings file should be", "/Tresslin/Tresslin.ini/x", RLIM_INFINITY},
        {"every write stops at 16 bytes", "/Tresslin/Tresslin.ini", 16},
    };
    TempBooks books;
    const QString book = books.write("book.txt", NumberedBook(60));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir home;
        WriteBytes(home.path() + "/.config" + c.ini, stored);
        EXPECT_TRUE(
            RunsAndEndsCleanly(PROGRAM_PATH, {book}, PrivateHome(home.path()), true, c.fileSize));
        EXPECT_EQ(FileBytes(home.path() + "/.config" + c.ini), stored);
    }
}

TEST(Disk, WhatCouldNotBeSavedIsSavedByTheFirstSaveThatCan) {
    SettingsSandbox box;
    WriteBytes(box.folder() + "/Tresslin", "a file where the folder should be\n");
    WriteSetting(settings::LastLine, "39");
    QCoreApplication::processEvents();
    EXPECT_FALSE(settings::flush());
    WriteSetting(settings::TimerInterval, "900");
    EXPECT_EQ(ReadSetting(settings::LastLine), "39");
    ASSERT_TRUE(QFile::remove(box.folder() + "/Tresslin"));
    EXPECT_TRUE(settings::flush());
    settings::resetForTests();
    EXPECT_EQ(ReadSetting(settings::LastLine), "39");
    EXPECT_EQ(ReadSetting(settings::TimerInterval), "900");
}
