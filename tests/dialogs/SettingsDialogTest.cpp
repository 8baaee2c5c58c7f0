#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include "ModalDriver.h"
#include "dialogs/QtDialogPrompts.h"
#include "dialogs/frmSettings.h"
#include "settings/Settings.h"
#include "support/FakePrompts.h"
#include "support/TestSupport.h"
#include "viewer/frmMain.h"

using namespace tresslin;
using namespace tresslin::test;

namespace {

QString Coding() {
    return ReadSetting(settings::TextCoding);
}
QComboBox* List(QDialog& d) {
    return d.findChild<QComboBox*>("cmbCoding");
}
void Click(QDialog& d, const char* name) {
    d.findChild<QPushButton*>(name)->click();
}

// Whether a colour covers a noticeable part of the widget as drawn.
bool Shows(QWidget* w, const QColor& colour) {
    const QImage image = w->grab().toImage();
    int hits = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) hits += image.pixelColor(x, y) == colour;
    return hits > 10;
}

struct SettingsDialog : ::testing::Test {
    SettingsSandbox box;
    FakePrompts prompts;
    frmMain main{prompts};
};

TEST_F(SettingsDialog, OpeningOnAnEmptyStoreWritesWhatIsInUse) {
    { frmSettings dialog(&main, main, prompts); }
    ASSERT_TRUE(settings::flush());
    const QString file = box.fileText();
    for (const char* line :
         {"Text Coding=0\n", "TEXT_COLOR=-2147483640\n", "BACK_COLOR=-2147483643\n"})
        EXPECT_TRUE(file.contains(line)) << line << file.toStdString();
}

TEST_F(SettingsDialog, ChosenCodingIsStoredAndShownAtOnce) {
    TempBooks books;
    // "Привет" in KOI8-R, then a second line so the book counts as open.
    ASSERT_TRUE(main.OpenBook(books.write("koi.txt", "\xF0\xD2\xC9\xD7\xC5\xD4\r\nx")));
    EXPECT_EQ(main.view()->text(), " рТЙЧЕФ");
    frmSettings dialog(&main, main, prompts);

    QTest::keyClick(List(dialog), Qt::Key_Down);
    QTest::keyClick(List(dialog), Qt::Key_Down);
    EXPECT_EQ(List(dialog)->currentText(), "KOI8-R");
    EXPECT_EQ(Coding(), "2");
    EXPECT_EQ(main.view()->text(), " Привет");
    QTest::keyClick(List(dialog), Qt::Key_Home);
    EXPECT_EQ(Coding(), "0");
    EXPECT_EQ(main.view()->text(), " рТЙЧЕФ");

    List(dialog)->setCurrentIndex(1);  // not the user's choice
    EXPECT_EQ(Coding(), "0");
}

TEST_F(SettingsDialog, ColoursCancelChooseAndDefault) {
    WriteSetting(settings::TextCoding, "1");
    prompts.colorAnswers = {std::nullopt, 255, 0xFF0000};
    frmSettings dialog(&main, main, prompts);
    Click(dialog, "cmdText");  // cancelled
    EXPECT_EQ(ReadSetting(settings::TextColor), "-2147483640");

    Click(dialog, "cmdText");
    Click(dialog, "cmdBackColor");
    EXPECT_EQ(prompts.colorGiven, (std::vector<std::int32_t>{settings::TextColor.defaultNumber,
                                                             settings::TextColor.defaultNumber,
                                                             settings::BackColor.defaultNumber}));
    EXPECT_EQ(ReadSetting(settings::TextColor), "255");
    EXPECT_EQ(ReadSetting(settings::BackColor), "16711680");
    EXPECT_EQ(main.view()->palette().color(QPalette::Text), QColor(Qt::red));
    EXPECT_TRUE(Shows(List(dialog), Qt::blue));
    List(dialog)->showPopup();
    EXPECT_TRUE(Shows(List(dialog)->view()->viewport(), Qt::blue));
    List(dialog)->hidePopup();

    Click(dialog, "cmdDefault");
    EXPECT_EQ(ReadSetting(settings::TextColor), "-2147483640");
    EXPECT_EQ(ReadSetting(settings::BackColor), "-2147483643");
    EXPECT_EQ(Coding(), "1");
    EXPECT_EQ(main.view()->palette().color(QPalette::Text),
              QApplication::palette().color(QPalette::Text));
}

TEST_F(SettingsDialog, EscClosesWhicheverControlHasTheFocus) {
    QtDialogPrompts real;
    for (const char* name :
         {"cmdDefault", "cmbCoding", "cmdText", "cmdBackColor", "chkStayOnTop", "spnOpacity"}) {
        SCOPED_TRACE(name);
        WhenModal(
            [name](QDialog& d) { QTest::keyClick(d.findChild<QWidget*>(name), Qt::Key_Escape); });
        real.showSettings(&main, main);
    }
}

}  // namespace

TEST_F(SettingsDialog, Utf8IsLastAndDetectionIsASwitch) {
    TempBooks books;
    WriteSetting(settings::DetectCoding, "0");
    ASSERT_TRUE(main.OpenBook(books.write("u.txt", "\xD0\x81\xD0\xB6\r\nx")));
    frmSettings dialog(&main, main, prompts);
    auto* detect = dialog.findChild<QCheckBox*>("chkDetect");
    ASSERT_NE(detect, nullptr);
    EXPECT_EQ(detect->text(), "Detect coding on open");
    EXPECT_FALSE(detect->isChecked());
    QTest::keyClick(List(dialog), Qt::Key_End);
    EXPECT_EQ(List(dialog)->currentText(), "UTF-8");
    EXPECT_EQ(Coding(), "3");
    EXPECT_EQ(main.view()->text(), " Ёж");
    detect->click();
    EXPECT_EQ(ReadSetting(settings::DetectCoding), "1");
    detect->click();
    EXPECT_EQ(ReadSetting(settings::DetectCoding), "0");
    EXPECT_EQ(Coding(), "3");  // the coding is left alone
}

TEST_F(SettingsDialog, WrappingIsASwitchThatShowsAtOnce) {
    TempBooks books;
    const std::string line(2000, 'x');
    ASSERT_TRUE(main.OpenBook(books.write("w.txt", line + "\r\nnext")));
    frmSettings dialog(&main, main, prompts);
    auto* wrap = dialog.findChild<QCheckBox*>("chkWrap");
    ASSERT_NE(wrap, nullptr);
    EXPECT_EQ(wrap->text(), "Wrap long lines");
    EXPECT_TRUE(wrap->isChecked());
    EXPECT_LT(main.view()->text().size(), 200);
    wrap->click();
    EXPECT_EQ(ReadSetting(settings::WrapLines), "0");
    EXPECT_EQ(main.view()->text().size(), 2001);
    EXPECT_GT(wrap->y(), dialog.findChild<QCheckBox*>("chkDetect")->y());
    EXPECT_LE(wrap->geometry().bottom(), dialog.height());
}

TEST_F(SettingsDialog, TheCodingLabelShowsWholeInAWideFont) {
    // A desktop without Arial or its metric twin falls back to a wider face.
    QFont::insertSubstitution("Arial", "DejaVu Sans");
    QFont::insertSubstitution("Liberation Sans", "DejaVu Sans");
    frmSettings dialog(&main, main, prompts);
    QFont::removeSubstitutions("Arial");
    QFont::removeSubstitutions("Liberation Sans");
    const auto* label = dialog.findChild<QLabel*>("Label1");
    EXPECT_EQ(label->text(), "Text Coding:");
    const int textRight = label->x() + label->fontMetrics().horizontalAdvance(label->text());
    EXPECT_LE(textRight, List(dialog)->x());
    EXPECT_LE(textRight, label->geometry().right() + 1);
}

TEST_F(SettingsDialog, StayOnTopAndOpacityTakeEffectAtOnce) {
    WriteSetting(settings::Opacity, "70");
    frmSettings dialog(&main, main, prompts);
    auto* onTop = dialog.findChild<QCheckBox*>("chkStayOnTop");
    auto* opacity = dialog.findChild<QSpinBox*>("spnOpacity");
    EXPECT_EQ(opacity->text(), "70 %");
    onTop->click();
    EXPECT_EQ(ReadSetting(settings::StayOnTop), "1");
    EXPECT_TRUE(main.windowFlags() & Qt::WindowStaysOnTopHint);
    opacity->setValue(0);  // held to the lowest allowed
    EXPECT_EQ(ReadSetting(settings::Opacity), "30");
    EXPECT_NEAR(main.windowOpacity(), 0.3, 0.01);
}
