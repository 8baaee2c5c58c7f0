// Regressions of the settings store found by the fault-injection tests and the fuzzers.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QBuffer>
#include <QCoreApplication>
#include <chrono>

#include "ReliabilityFixture.h"
#include "settings/IniFormat.h"
#include "settings/Settings.h"

using namespace tresslin;
using namespace tresslin::test;

namespace {

QString lockPath(const SettingsSandbox& box) {
    return box.iniPath() + ".lock";
}

// Writes the file as another instance would, its change visible to this one's store.
void otherInstanceWrites(const SettingsSandbox& box, const QByteArray& bytes) {
    WriteBytes(box.iniPath(), bytes);
    QFile f(box.iniPath());
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    f.setFileTime(QDateTime::currentDateTime().addSecs(5), QFileDevice::FileModificationTime);
}
}  // namespace

TEST(SettingsStore, AnEmptyLockLeftByAKilledSaveDoesNotStallTheNextSave) {
    // A kill between creating the lock and writing its owner leaves it empty; QLockFile would
    // wait 30 s before taking it as stale, at every save, the window frozen meanwhile.
    SettingsSandbox box;
    WriteBytes(box.iniPath(), "[Settings]\nLast Line=3\n");
    WriteBytes(lockPath(box), "");
    const auto t0 = std::chrono::steady_clock::now();
    WriteSetting(settings::LastLine, "4");
    QCoreApplication::processEvents();  // the save at the next turn
    EXPECT_TRUE(box.fileText().contains("Last Line=4"));
    WriteBytes(lockPath(box), "");
    WriteSetting(settings::LastLine, "5");
    EXPECT_TRUE(settings::flush());
    EXPECT_TRUE(box.fileText().contains("Last Line=5"));
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(10));
    EXPECT_FALSE(QFile::exists(lockPath(box)));
}

TEST(SettingsStore, ALockSomeoneHoldsIsLeftAlone) {
    SettingsSandbox box;
    WriteBytes(box.iniPath(), "[Settings]\nLast Line=3\n");
    EXPECT_EQ(ReadSetting(settings::LastLine), "3");
    WriteBytes(lockPath(box), "");
    const int fd = ::open(QFile::encodeName(lockPath(box)).constData(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    // Nothing to save, so the store takes no lock and the check alone runs.
    EXPECT_TRUE(settings::flush());
    EXPECT_TRUE(QFile::exists(lockPath(box)));
    ::close(fd);
}

TEST(SettingsStore, AfterAFailedSaveTheNextSuccessIsReported) {
    SettingsSandbox box;
    WriteBytes(box.folder() + "/Tresslin", "a file where the folder should be\n");
    WriteSetting(settings::LastLine, "7");
    EXPECT_FALSE(settings::flush());
    EXPECT_FALSE(settings::flush());
    ASSERT_TRUE(QFile::remove(box.folder() + "/Tresslin"));
    EXPECT_TRUE(settings::flush());
    EXPECT_TRUE(box.fileText().contains("Last Line=7"));
    EXPECT_EQ(ReadSetting(settings::LastLine), "7");
    EXPECT_TRUE(settings::flush());
}

TEST(SettingsStore, KeysWrittenTogetherLandTogetherThoughSomeAreUnchanged) {
    // This instance read the last book as /b.txt at line 10; another instance has since stored
    // its own. Writing /b.txt (unchanged here) with line 24 must not leave /a.txt with 24.
    struct Order {
        const char* what;
        bool unchangedFirst;
    };
    for (const Order order :
         {Order{"unchanged key first", true}, Order{"changed key first", false}}) {
        SCOPED_TRACE(order.what);
        SettingsSandbox box;
        WriteBytes(box.iniPath(), "[Settings]\nLast File=/b.txt\nLast Line=10\n");
        EXPECT_EQ(ReadSetting(settings::LastFile), "/b.txt");
        QCoreApplication::processEvents();
        otherInstanceWrites(box, "[Settings]\nLast File=/a.txt\nLast Line=8\n");
        if (order.unchangedFirst) WriteSetting(settings::LastFile, "/b.txt");
        WriteSetting(settings::LastLine, "24");
        if (!order.unchangedFirst) WriteSetting(settings::LastFile, "/b.txt");
        QCoreApplication::processEvents();
        ASSERT_TRUE(settings::flush());
        EXPECT_TRUE(box.fileText().contains("Last File=/b.txt\nLast Line=24\n"))
            << box.fileText().toStdString();
    }
    // A group written whole with nothing changed leaves the other instance's group whole.
    SettingsSandbox box;
    WriteBytes(box.iniPath(), "[Position]\nLeft=1\nTop=2\nWidth=3\n");
    EXPECT_EQ(ReadSetting(settings::Top), "2");
    otherInstanceWrites(box, "[Position]\nLeft=10\nTop=20\nWidth=30\n");
    WriteSetting(settings::Top, "2");
    WriteSetting(settings::Left, "1");
    WriteSetting(settings::Width, "3");
    QCoreApplication::processEvents();
    ASSERT_TRUE(settings::flush());
    EXPECT_TRUE(box.fileText().contains("Left=10\nTop=20\nWidth=30\n"))
        << box.fileText().toStdString();
}

TEST(SettingsStore, KeysWithoutASectionAreWrittenBeforeAnySection) {
    // Found by fuzzing: after a "[Section]" line they read back as that section's keys.
    QSettings::SettingsMap map;
    map.insert("Alpha/x", "1");
    map.insert("Zeta", "2");
    map.insert(",first/y", "3");
    QByteArray bytes;
    QBuffer out(&bytes);
    out.open(QIODevice::WriteOnly);
    ASSERT_TRUE(writeIniFormat(out, map));
    out.close();
    QBuffer in(&bytes);
    in.open(QIODevice::ReadOnly);
    QSettings::SettingsMap back;
    ASSERT_TRUE(readIniFormat(in, back));
    EXPECT_EQ(back, map) << bytes.toStdString();
    EXPECT_TRUE(bytes.startsWith("Zeta=2\n")) << bytes.toStdString();
}
