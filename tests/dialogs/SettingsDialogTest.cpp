#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QComboBox>
#include <QImage>
#include <QPushButton>
#include <QTest>

#include "FakePrompts.h"
#include "ModalDriver.h"
#include "QtPrompts.h"
#include "Settings.h"
#include "TestSupport.h"
#include "frmMain.h"
#include "frmSettings.h"

using namespace tresslin;
using namespace tresslin::test;

namespace {

QString Coding() {
    return ReadSetting("Settings", "Text Coding", "(none)");
}
QString TextColor() {
    return ReadSetting("COLORS", "TEXT_COLOR", "(none)");
}
QString BackColor() {
    return ReadSetting("COLORS", "BACK_COLOR", "(none)");
}

void Click(QDialog& d, const char* name) {
    d.findChild<QPushButton*>(name)->click();
}

// Whether a colour covers a noticeable part of the widget as drawn.
bool Shows(QWidget* w, const QColor& colour) {
    const QImage image = w->grab().toImage();
    image.save(QString("/tmp/grab_%1.png").arg(w->objectName()));
    int hits = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            hits += image.pixelColor(x, y) == colour;
    return hits > 10;
}

struct SettingsFixture : ::testing::Test {
    SettingsSandbox box;
    FakePrompts prompts;
    frmMain main{prompts};
};

TEST_F(SettingsFixture, OpeningOnAnEmptyStoreWritesWhatIsInUse) {
    {
        frmSettings dialog(main, prompts);
        EXPECT_EQ(dialog.findChild<QComboBox*>("cmbCoding")->currentIndex(), 0);
    }
    ASSERT_TRUE(FlushSettings());
    const QString file = box.fileText();
    EXPECT_TRUE(file.contains("Text Coding=0\n")) << file.toStdString();
    EXPECT_TRUE(file.contains("TEXT_COLOR=-2147483640\n")) << file.toStdString();
    EXPECT_TRUE(file.contains("BACK_COLOR=-2147483643\n")) << file.toStdString();
}

TEST_F(SettingsFixture, ChosenCodingIsStoredAndShownAtOnce) {
    TempBooks books;
    // "Привет" in KOI8-R, then a second line so the book counts as open.
    ASSERT_TRUE(main.OpenBook(books.write("koi.txt", "\xF0\xD2\xC9\xD7\xC5\xD4\r\nx")));
    EXPECT_EQ(main.view()->text(), " рТЙЧЕФ");
    frmSettings dialog(main, prompts);
    auto* list = dialog.findChild<QComboBox*>("cmbCoding");

    QTest::keyClick(list, Qt::Key_End);
    EXPECT_EQ(list->currentText(), "KOI8-R");
    EXPECT_EQ(Coding(), "2");
    EXPECT_EQ(main.view()->text(), " Привет");

    QTest::keyClick(list, Qt::Key_Home);
    EXPECT_EQ(Coding(), "0");
    EXPECT_EQ(main.view()->text(), " рТЙЧЕФ");

    // Only a choice of the user's counts.
    list->setCurrentIndex(1);
    EXPECT_EQ(Coding(), "0");
}

TEST_F(SettingsFixture, ChosenColourIsStoredAsPlainNumber) {
    prompts.colorAnswers = {255, 0xFF0000};
    frmSettings dialog(main, prompts);
    Click(dialog, "cmdText");
    Click(dialog, "cmdBackColor");
    EXPECT_EQ(prompts.colorGiven, (std::vector<std::int32_t>{kSystemTextColor, kSystemBackColor}));
    EXPECT_EQ(TextColor(), "255");
    EXPECT_EQ(BackColor(), "16711680");
    EXPECT_EQ(main.view()->palette().color(QPalette::Text), QColor(Qt::red));
    auto* list = dialog.findChild<QComboBox*>("cmbCoding");
    EXPECT_TRUE(Shows(list, Qt::blue));
    list->showPopup();
    EXPECT_TRUE(Shows(list->view()->viewport(), Qt::blue));
    list->hidePopup();
}

TEST_F(SettingsFixture, CancelledColourChangesNothing) {
    WriteSetting("COLORS", "TEXT_COLOR", "255");
    WriteSetting("COLORS", "BACK_COLOR", "65280");
    frmSettings dialog(main, prompts);
    Click(dialog, "cmdText");
    Click(dialog, "cmdBackColor");
    EXPECT_EQ(prompts.colorGiven, (std::vector<std::int32_t>{255, 65280}));
    EXPECT_EQ(TextColor(), "255");
    EXPECT_EQ(BackColor(), "65280");
}

TEST_F(SettingsFixture, DefaultRestoresBothColoursAndLeavesTheCoding) {
    WriteSetting("Settings", "Text Coding", "1");
    WriteSetting("COLORS", "TEXT_COLOR", "255");
    WriteSetting("COLORS", "BACK_COLOR", "16777215");
    frmSettings dialog(main, prompts);
    Click(dialog, "cmdDefault");
    EXPECT_EQ(TextColor(), "-2147483640");
    EXPECT_EQ(BackColor(), "-2147483643");
    EXPECT_EQ(Coding(), "1");
    EXPECT_EQ(main.view()->palette().color(QPalette::Text),
              QApplication::palette().color(QPalette::Text));
}

TEST_F(SettingsFixture, EscClosesWhicheverControlHasTheFocus) {
    QtPrompts real;
    for (const char* name : {"cmdDefault", "cmbCoding", "cmdText", "cmdBackColor"}) {
        SCOPED_TRACE(name);
        WhenModal(
            [name](QDialog& d) { QTest::keyClick(d.findChild<QWidget*>(name), Qt::Key_Escape); });
        real.showSettings(main);
    }
}

}  // namespace
