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
const QString S = QStringLiteral("Settings");
void writeFile(const QString& path, const QByteArray& text) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text);
}
}  // namespace

TEST(Settings, DefaultsOnAnEmptyStore) {
    SettingsSandbox box;
    EXPECT_EQ(ReadSetting(S, "Last File", QString()), QString());
    EXPECT_EQ(ReadSetting(S, "Last Line", 1), "1");
    EXPECT_EQ(ReadSetting("COLORS", "TEXT_COLOR", kSystemTextColor), "-2147483640");
    EXPECT_EQ(ReadSetting("COLORS", "BACK_COLOR", kSystemBackColor), "-2147483643");
    EXPECT_EQ(ReadSetting("TIMER", "T_INTERVAL", 2550), "2550");
    EXPECT_EQ(ReadTextCoding(), 0);
    EXPECT_TRUE(box.fileText().isEmpty());  // reading writes nothing
}

TEST(Settings, FileHoldsSectionsAndKeysAsSpelled) {
    SettingsSandbox box;
    WriteSetting(S, "Text Coding", "2");
    WriteSetting(S, "Last File", "/home/u/Книги/war and peace.txt");
    WriteSetting("COLORS", "TEXT_COLOR", "255");
    WriteSetting("Position", "Top", "1440");
    EXPECT_EQ(ReadTextCoding(), 2);  // visible before any flush
    ASSERT_TRUE(FlushSettings());
    const QString text = box.fileText();
    EXPECT_TRUE(text.contains("[Settings]\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("\nText Coding=2\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("Last File=/home/u/Книги/war and peace.txt\n"));
    EXPECT_TRUE(text.contains("[COLORS]\nTEXT_COLOR=255\n"));
    EXPECT_TRUE(text.contains("[Position]\nTop=1440\n"));

    // A fresh store reads back what is on disk.
    ResetSettingsForTests();
    EXPECT_EQ(ReadSetting(S, "Last File", QString()), "/home/u/Книги/war and peace.txt");
    EXPECT_EQ(ReadSetting("Position", "Top", 0), "1440");
}

TEST(Settings, AwkwardValuesRoundTrip) {
    SettingsSandbox box;
    const QString values[] = {"a,b,c", "C:\\Books\\war.txt", "line\nbreak\rcr", " lead trail ",
                              "=x=",   "[Section]",          "\\n literally",   "#not a comment"};
    int i = 0;
    for (const auto& v : values) WriteSetting(S, QString("k%1").arg(i++), v);
    ASSERT_TRUE(FlushSettings());
    ResetSettingsForTests();
    i = 0;
    for (const auto& v : values) EXPECT_EQ(ReadSetting(S, QString("k%1").arg(i++), ""), v);
}

TEST(Settings, HandEditedGarbageReadsAsDefaults) {
    SettingsSandbox box;
    writeFile(box.iniPath(),
              "garbage line\n[Settings]\nText Coding=abc\nLast Line=1,5\n"
              "Last File=/books/a,b.txt\n[COLORS]\r\nTEXT_COLOR = 12x\r\nBACK_COLOR=99999999999\n"
              "[TIMER\nT_INTERVAL=700\n\xff\xfe\n");
    EXPECT_EQ(ReadTextCoding(), 0);
    EXPECT_EQ(ReadIntSetting(S, "Last Line", 1), 1);
    EXPECT_EQ(ReadSetting(S, "Last File", ""), "/books/a,b.txt");
    EXPECT_EQ(ReadIntSetting("COLORS", "TEXT_COLOR", kSystemTextColor), kSystemTextColor);
    EXPECT_EQ(ReadIntSetting("COLORS", "BACK_COLOR", kSystemBackColor), kSystemBackColor);
    for (const char* coding : {"7", "-1", "2147483647"}) {
        WriteSetting(S, "Text Coding", coding);
        EXPECT_EQ(ReadTextCoding(), 0) << coding;
    }
}

TEST(Settings, UnwritableFolderKeepsWorkingInMemory) {
    SettingsSandbox box;
    // A file where the settings folder should be.
    writeFile(box.folder() + "/Tresslin", "not a folder");
    WriteSetting(S, "Last Line", "7");
    EXPECT_EQ(ReadSetting(S, "Last Line", 1), "7");
    EXPECT_FALSE(FlushSettings());
    EXPECT_EQ(ReadSetting(S, "Last Line", 1), "7");
}

TEST(Settings, AnUnchangedValueDoesNotRewriteTheFile) {
    // The window stores its unchanged place at every start; that must not replace the file.
    SettingsSandbox box;
    WriteSetting("Position", "Top", "1200");
    WriteSetting("Position", "Left", "300");
    ASSERT_TRUE(FlushSettings());
    const auto inode = [&] {
        struct stat st {};
        return ::stat(QFile::encodeName(box.iniPath()).constData(), &st) == 0 ? st.st_ino : 0;
    };
    const auto before = inode();
    ASSERT_NE(before, 0u);
    WriteSetting("Position", "Top", "1200");
    ASSERT_TRUE(FlushSettings());
    EXPECT_EQ(inode(), before);
    // A changed value still goes through the atomic replace, and reads see it at once.
    WriteSetting("Position", "Top", "1215");
    EXPECT_EQ(ReadSetting("Position", "Top", ""), "1215");
    ASSERT_TRUE(FlushSettings());
    EXPECT_NE(inode(), before);
    EXPECT_TRUE(box.fileText().contains("Left=300\nTop=1215\n")) << box.fileText().toStdString();
}

TEST(Settings, ByteOrderMarksAreNoPartOfKeys) {
    SettingsSandbox box;
    // Found by fuzzing: a key that was only a byte-order mark read back differently once written.
    writeFile(
        box.iniPath(),
        "x\n\r\r\xEF\xBB\xBF=odd\n\r\xEF\xBB\xBF;=comment\n[Settings]\n\xEF\xBB\xBFLast Line=4\n");
    EXPECT_EQ(ReadSetting(S, "Last Line", 1), "4");
    WriteSetting(S, "Text Coding", "1");
    ASSERT_TRUE(FlushSettings());
    ResetSettingsForTests();
    EXPECT_EQ(ReadSetting(S, "Last Line", 1), "4");
    EXPECT_FALSE(box.fileText().contains(QChar(0xFEFF)));
    EXPECT_FALSE(box.fileText().contains("comment"));
}
