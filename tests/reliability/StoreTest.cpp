// The settings store beside other instances and what killed ones leave behind.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDateTime>

#include "Processes.h"
#include "settings/Settings.h"

using namespace tresslin;
using namespace tresslin::test;

TEST(Store, LocksLeftByAKilledSaveAreTakenAndLocksHeldAreLeftAlone) {
    SettingsSandbox box;
    const QString lock = box.iniPath() + ".lock";
    WriteBytes(box.iniPath(), "[Settings]\nLast Line=3\n");
    // A kill between making the lock and writing its owner leaves it empty; waiting for it to go
    // stale would freeze the window at every save.
    for (const char* line : {"4", "5"}) {
        WriteBytes(lock, "");
        WriteSetting(settings::LastLine, line);
        ASSERT_TRUE(settings::flush());
        EXPECT_TRUE(box.fileText().contains(QString("Last Line=") + line));
        EXPECT_FALSE(QFile::exists(lock));
    }
    WriteBytes(lock, "");
    const int fd = ::open(QFile::encodeName(lock).constData(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    EXPECT_TRUE(settings::flush());
    EXPECT_TRUE(QFile::exists(lock));
    ::close(fd);
}

TEST(Store, KeysWrittenTogetherLandTogetherBesideAnotherInstancesWrite) {
    // This instance read the last book as /b.txt at line 10; another has stored its own since.
    // Writing /b.txt (unchanged here) with line 24 must not leave /a.txt with 24.
    for (const bool unchangedFirst : {true, false}) {
        SettingsSandbox box;
        WriteBytes(box.iniPath(), "[Settings]\nLast File=/b.txt\nLast Line=10\n");
        EXPECT_EQ(ReadSetting(settings::LastFile), "/b.txt");
        WriteBytes(box.iniPath(), "[Settings]\nLast File=/a.txt\nLast Line=8\n");
        QFile f(box.iniPath());
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        f.setFileTime(QDateTime::currentDateTime().addSecs(5), QFileDevice::FileModificationTime);
        if (unchangedFirst) WriteSetting(settings::LastFile, "/b.txt");
        WriteSetting(settings::LastLine, "24");
        if (!unchangedFirst) WriteSetting(settings::LastFile, "/b.txt");
        ASSERT_TRUE(settings::flush());
        EXPECT_TRUE(box.fileText().contains("Last File=/b.txt\nLast Line=24\n"))
            << box.fileText().toStdString();
    }
}
