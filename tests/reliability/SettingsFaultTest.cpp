// The settings store under faults: saves killed at random moments, a folder it cannot use, a disk
// refusing writes, locks left behind and other instances writing. What is stored is never torn
// or lost: each group of keys written together holds all its old values or all of one write.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QDateTime>
#include <random>

#include "Processes.h"
#include "platform/StaleLock.h"
#include "settings/IniFormat.h"
#include "settings/Settings.h"

using namespace tresslin;
using namespace tresslin::test;

namespace {

// The group's generation: every key holding the same number (a file name "/bN" counts as N);
// -1 for a group never written, -2 for a torn one.
long long generation(const QSettings::SettingsMap& map, const QStringList& keys) {
    long long g = -1;
    for (int i = 0; i < keys.size(); ++i) {
        QString v = map.value(keys[i], "-1").toString();
        if (v.startsWith("/b")) v.remove(0, 2);
        bool ok = false;
        const long long n = v.toLongLong(&ok);
        if (!ok || (i > 0 && n != g)) return -2;
        g = n;
    }
    return g;
}

}  // namespace

TEST(SettingsFaults, SavesKilledAtRandomMomentsNeverTearTheFile) {
    SettingsSandbox box;
    // A key no child writes: no kill may lose it.
    WriteSetting(settings::TextCoding, "2");
    ASSERT_TRUE(settings::flush());
    const QStringList groups[] = {{"Settings/Last File", "Settings/Last Line"},
                                  {"Position/Top", "Position/Left", "Position/Width"}};
    long long seen[] = {-1, -1};
    std::mt19937 rng(2026);
    std::uniform_int_distribution<long> delay(1, 20000);
    const int kills = 80;
    int landed = 0;
    for (int run = 1; run <= kills; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        const long long base = run * 1000000LL;
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(CHILD_PATH, {"burst", QString::number(base), QString::number(delay(rng))});
        ASSERT_TRUE(child.waitForFinished(60000));
        ASSERT_EQ(child.exitStatus(), QProcess::CrashExit);

        // A file cut short or damaged loses a key or tears a group.
        QByteArray bytes = FileBytes(box.iniPath());
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        QSettings::SettingsMap map;
        readIniFormat(buffer, map);
        ASSERT_EQ(map.value("Settings/Text Coding"), "2");
        bool changed = false;
        for (int k = 0; k < 2; ++k) {
            const long long g = generation(map, groups[k]);
            ASSERT_TRUE(g == seen[k] || (g > base && g < base + 1000000))
                << groups[k].join(' ').toStdString() << " holds " << g << ", was " << seen[k];
            changed |= g != seen[k];
            seen[k] = g;
        }
        landed += changed;
    }
    // The kills must fall within the bursts, or the test proves little.
    EXPECT_GE(landed, kills / 10);
}

TEST(SettingsFaults, TheProgramEndsNormallyAndLeavesWhatIsStoredAlone) {
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

TEST(SettingsFaults, WhatCouldNotBeSavedIsSavedByTheFirstSaveThatCan) {
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

// A kill between making the save lock and writing its owner leaves it empty; waiting for it to
// go stale would freeze the window at every save. Only such a lock, held by no one, is removed.
TEST(SettingsFaults, LocksLeftByAKilledSaveAreTakenAndNoOthers) {
    SettingsSandbox box;
    const QString lock = box.iniPath() + ".lock";
    for (const auto& [owner, held] : {std::pair{"", false}, {"", true}, {"123\nhost\n", false}}) {
        WriteBytes(lock, owner);
        const int fd = ::open(QFile::encodeName(lock).constData(), O_RDONLY | O_CLOEXEC);
        ASSERT_EQ(::flock(fd, held ? LOCK_EX | LOCK_NB : LOCK_UN), 0);
        removeAbandonedLock(box.iniPath());
        EXPECT_EQ(QFile::exists(lock), held || *owner) << owner;
        ::close(fd);
    }
}

TEST(SettingsFaults, KeysWrittenTogetherLandTogetherBesideAnotherInstancesWrite) {
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
