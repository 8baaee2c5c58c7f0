#include <gtest/gtest.h>

#include <sys/stat.h>
#include <QDir>
#include <QFile>
#include <QSettings>

#include "settings/Settings.h"
#include "support/TestSupport.h"

using namespace tresslin;
using tresslin::test::SettingsSandbox;

namespace {
void writeFile(const QString& path, const QByteArray& text) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text);
}
}  // namespace

TEST(Settings, DefaultsOnAnEmptyStore) {
    SettingsSandbox box;
    EXPECT_EQ(ReadSetting(settings::LastFile), QString());
    EXPECT_EQ(ReadSetting(settings::LastLine), "1");
    EXPECT_EQ(ReadSetting(settings::TextColor), "-2147483640");
    EXPECT_EQ(ReadSetting(settings::BackColor), "-2147483643");
    EXPECT_EQ(ReadSetting(settings::TimerInterval), "2550");
    EXPECT_EQ(settings::readNumber(settings::TextCoding), 0);
    EXPECT_TRUE(box.fileText().isEmpty());  // reading writes nothing
}

TEST(Settings, FileHoldsSectionsAndKeysAsSpelled) {
    SettingsSandbox box;
    WriteSetting(settings::TextCoding, "2");
    WriteSetting(settings::LastFile, "/home/u/Книги/war and peace.txt");
    WriteSetting(settings::TextColor, "255");
    WriteSetting(settings::Top, "1440");
    EXPECT_EQ(settings::readNumber(settings::TextCoding), 2);  // visible before any flush
    ASSERT_TRUE(settings::flush());
    const QString text = box.fileText();
    EXPECT_TRUE(text.contains("[Settings]\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("\nText Coding=2\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("Last File=/home/u/Книги/war and peace.txt\n"));
    EXPECT_TRUE(text.contains("[COLORS]\nTEXT_COLOR=255\n"));
    EXPECT_TRUE(text.contains("[Position]\nTop=1440\n"));

    // A fresh store reads back what is on disk.
    settings::resetForTests();
    EXPECT_EQ(ReadSetting(settings::LastFile), "/home/u/Книги/war and peace.txt");
    EXPECT_EQ(ReadSetting(settings::Top), "1440");
}

TEST(Settings, AwkwardValuesRoundTrip) {
    SettingsSandbox box;
    const QString values[] = {"a,b,c", "C:\\Books\\war.txt", "line\nbreak\rcr", " lead trail ",
                              "=x=",   "[Section]",          "\\n literally",   "#not a comment"};
    for (const auto& v : values) {
        WriteSetting(settings::LastFile, v);
        ASSERT_TRUE(settings::flush());
        settings::resetForTests();
        EXPECT_EQ(ReadSetting(settings::LastFile), v);
    }
}

TEST(Settings, HandEditedGarbageReadsAsDefaults) {
    SettingsSandbox box;
    writeFile(box.iniPath(),
              "garbage line\n[Settings]\nText Coding=abc\nLast Line=1,5\n"
              "Last File=/books/a,b.txt\n[COLORS]\r\nTEXT_COLOR = 12x\r\nBACK_COLOR=99999999999\n"
              "[TIMER\nT_INTERVAL=700\n\xff\xfe\n");
    EXPECT_EQ(settings::readNumber(settings::TextCoding), 0);
    EXPECT_EQ(settings::readNumber(settings::LastLine), 1);
    EXPECT_EQ(ReadSetting(settings::LastFile), "/books/a,b.txt");
    EXPECT_EQ(settings::readNumber(settings::TextColor), settings::TextColor.defaultNumber);
    EXPECT_EQ(settings::readNumber(settings::BackColor), settings::BackColor.defaultNumber);
    for (const char* coding : {"7", "-1", "2147483647"}) {
        WriteSetting(settings::TextCoding, coding);
        EXPECT_EQ(settings::readNumber(settings::TextCoding), 0) << coding;
    }
}

TEST(Settings, UnwritableFolderKeepsWorkingInMemory) {
    SettingsSandbox box;
    // A file where the settings folder should be.
    writeFile(box.folder() + "/Tresslin", "not a folder");
    WriteSetting(settings::LastLine, "7");
    EXPECT_EQ(ReadSetting(settings::LastLine), "7");
    EXPECT_FALSE(settings::flush());
    EXPECT_EQ(ReadSetting(settings::LastLine), "7");
}

TEST(Settings, AnUnchangedValueDoesNotRewriteTheFile) {
    // The window stores its unchanged place at every start; that must not replace the file.
    SettingsSandbox box;
    WriteSetting(settings::Top, "1200");
    WriteSetting(settings::Left, "300");
    ASSERT_TRUE(settings::flush());
    const auto inode = [&] {
        struct stat st {};
        return ::stat(QFile::encodeName(box.iniPath()).constData(), &st) == 0 ? st.st_ino : 0;
    };
    const auto before = inode();
    ASSERT_NE(before, 0u);
    WriteSetting(settings::Top, "1200");
    ASSERT_TRUE(settings::flush());
    EXPECT_EQ(inode(), before);
    // A changed value still goes through the atomic replace, and reads see it at once.
    WriteSetting(settings::Top, "1215");
    EXPECT_EQ(ReadSetting(settings::Top), "1215");
    ASSERT_TRUE(settings::flush());
    EXPECT_NE(inode(), before);
    EXPECT_TRUE(box.fileText().contains("Left=300\nTop=1215\n")) << box.fileText().toStdString();
    // Written unchanged, then changed before the save: the change stands.
    WriteSetting(settings::Top, "1215");
    WriteSetting(settings::Top, "1230");
    EXPECT_EQ(ReadSetting(settings::Top), "1230");
    ASSERT_TRUE(settings::flush());
    EXPECT_TRUE(box.fileText().contains("Top=1230\n"));
}

TEST(Settings, ByteOrderMarksAreNoPartOfKeys) {
    SettingsSandbox box;
    // Found by fuzzing: a key that was only a byte-order mark read back differently once written.
    writeFile(
        box.iniPath(),
        "x\n\r\r\xEF\xBB\xBF=odd\n\r\xEF\xBB\xBF;=comment\n[Settings]\n\xEF\xBB\xBFLast Line=4\n");
    EXPECT_EQ(ReadSetting(settings::LastLine), "4");
    WriteSetting(settings::TextCoding, "1");
    ASSERT_TRUE(settings::flush());
    settings::resetForTests();
    EXPECT_EQ(ReadSetting(settings::LastLine), "4");
    EXPECT_FALSE(box.fileText().contains(QChar(0xFEFF)));
    EXPECT_FALSE(box.fileText().contains("comment"));
}
