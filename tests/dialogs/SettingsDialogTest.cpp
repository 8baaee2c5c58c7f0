#include <QLabel>

#include "ModalDriver.h"
#include "dialogs/frmSettings.h"

using namespace tresslin;
using namespace tresslin::test;

// Every change is stored and shown at once; a cancelled colour or a value out of range is not.
TEST(SettingsDialog, KeysToWhatIsStoredAndShown) {
    const QColor system = QApplication::palette().color(QPalette::Text);
    const struct {
        const char* keys;
        std::optional<std::int32_t> colour;  // the colour dialog's answer
        const settings::Setting& setting;
        QString stored;
        QString view;  // a part of the view's text
        QColor text;
    } rows[] = {
        {"cmbCoding:Down cmbCoding:Down", {}, settings::TextCoding, "2", " Привет", system},
        {"cmbCoding:End cmbCoding:Home", {}, settings::TextCoding, "0", " рТЙЧЕФ", system},
        {"cmdText:Space", {}, settings::TextColor, "-2147483640", {}, system},
        {"cmdText:Space", 255, settings::TextColor, "255", {}, Qt::red},
        {"cmdBackColor:Space", 0xFF0000, settings::BackColor, "16711680", {}, system},
        {"cmdText:Space cmdDefault:Space", 255, settings::TextColor, "-2147483640", {}, system},
        {"chkDetect:Space", {}, settings::DetectCoding, "1", {}, system},
        {"chkWrap:Space", {}, settings::WrapLines, "0", " end", system},
        {"chkStayOnTop:Space", {}, settings::StayOnTop, "1", {}, system},
        {"spnOpacity:PgDown", {}, settings::Opacity, "90", {}, system},
        {"spnOpacity:8*PgDown", {}, settings::Opacity, "30", {}, system},
    };
    for (const auto& c : rows) {
        SCOPED_TRACE(c.keys);
        SettingsSandbox box;
        FakePrompts prompts;
        frmMain main{prompts};
        TempBooks books;
        WriteSetting(settings::DetectCoding, "0");  // "Привет" in KOI8-R, wider than the view
        ASSERT_TRUE(main.OpenBook(books.write(
            "koi.txt", ("\xF0\xD2\xC9\xD7\xC5\xD4" + QByteArray(" ab").repeated(100) + " end\r\nx")
                           .toStdString())));
        if (c.colour) prompts.colorAnswers = {*c.colour};
        QFont::insertSubstitution("Arial", "DejaVu Sans");  // no Arial nor its metric twin
        QFont::insertSubstitution("Liberation Sans", "DejaVu Sans");
        frmSettings dialog(&main, main, prompts);
        QFont::removeSubstitutions("Arial");
        QFont::removeSubstitutions("Liberation Sans");
        const auto* label = dialog.findChild<QLabel*>("Label1");  // shows whole in the wider face
        EXPECT_LE(label->x() + label->fontMetrics().horizontalAdvance(label->text()),
                  dialog.findChild<QWidget*>("cmbCoding")->x());
        // Esc on the control last used closes the dialog, whichever control that is.
        const QString esc = QString(c.keys).section(' ', -1).section(':', 0, 0) + ":Esc";
        WhenModal([&](QDialog& d) { PressIn(d, QString(c.keys) + " " + esc); });
        dialog.exec();
        EXPECT_EQ(ReadSetting(c.setting), c.stored);
        EXPECT_TRUE(main.view()->text().contains(c.view)) << main.view()->text().toStdString();
        EXPECT_EQ(main.view()->palette().color(QPalette::Text), c.text);
        EXPECT_EQ(bool(main.windowFlags() & Qt::WindowStaysOnTopHint),
                  ReadSetting(settings::StayOnTop) == "1");
        EXPECT_NEAR(main.windowOpacity(), settings::readNumber(settings::Opacity) / 100.0, 0.01);
    }
}
