// Each dialog driven from inside its own exec(), by keys sent to its controls.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cstdio>

#include "dialogs/frmFind.h"
#include "dialogs/frmRecent.h"
#include "dialogs/frmSettings.h"
#include "dialogs/frmTimer.h"
#include "platform/FileNames.h"
#include "settings/Settings.h"
#include "support/FakePrompts.h"
#include "support/TestSupport.h"
#include "viewer/frmMain.h"

using namespace tresslin;
using namespace tresslin::test;

namespace {
// A dialog the action leaves open fails the test and is closed, so a key that does nothing
// never hangs the run.
void WhenModal(std::function<void(QDialog&)> action) {
    QTimer::singleShot(0, [action = std::move(action)] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr) << "no modal dialog is open";
        action(*dialog);
        EXPECT_FALSE(dialog->isVisible()) << "the dialog stayed open";
        dialog->reject();
    });
}

// "txtFind:Shift+Return spnOpacity:3*PgDown"
void PressIn(QWidget& dialog, const QString& script) {
    for (const QString& step : script.split(' ', Qt::SkipEmptyParts)) {
        auto* target = dialog.findChild<QWidget*>(step.section(':', 0, 0));
        ASSERT_NE(target, nullptr) << step.toStdString();
        const QString key = step.section(':', 1);
        const QKeyCombination k = QKeySequence::fromString(key.section('*', -1))[0];
        for (int i = key.contains('*') ? key.section('*', 0, 0).toInt() : 1; i > 0; --i)
            QTest::keyClick(target, k.key(), k.keyboardModifiers());
    }
}
}  // namespace

// One dialog for every row: each showing starts clean.
TEST(FindDialog, HandsBackOnlyConfirmedText) {
    const struct {
        QString proposal, typed;  // typed over the selected proposal ("\b" deletes it)
        const char* keys;         // nothing: closed from the title bar
        bool findEnabled, found;
        QString after;
    } rows[] = {
        {"", "", "txtFind:Return txtFind:Esc", false, false, ""},  // Enter does nothing
        {"   ", "", "txtFind:Num+Enter txtFind:Esc", false, false, "   "},
        {"   ", "x", "txtFind:Return", true, true, "x"},
        {"\t\t", "", "txtFind:Return", true, true, "\t\t"},  // only the blank counts as empty
        {"old", " word ", "txtFind:Shift+Return", true, true, " word "},
        {"old", "new", "txtFind:Shift+Esc", true, false, "old"},
        {"ab", "\b", "txtFind:Return txtFind:Esc", false, false, "ab"},
        {"word", "", "cmdCancel:Return", true, true, "word"},  // Enter finds whatever has focus
        {"other", "", nullptr, true, false, "other"},
    };
    frmFind dialog;
    for (const auto& c : rows) {
        SCOPED_TRACE(c.proposal.toStdString() + " typed " + c.typed.toStdString());
        WhenModal([&c](QDialog& d) {
            auto* box = d.findChild<QLineEdit*>("txtFind");
            EXPECT_EQ(box->selectedText(), c.proposal);
            QTest::keyClicks(box, c.typed);
            EXPECT_EQ(d.findChild<QPushButton*>("cmdFind")->isEnabled(), c.findEnabled);
            c.keys ? PressIn(d, c.keys) : void(d.close());
        });
        QString sFind = c.proposal;
        EXPECT_EQ(dialog.ShowFind(sFind), c.found);
        EXPECT_EQ(sFind, c.after);
    }
}

TEST(RecentDialog, EntriesEnterAndEsc) {
    TempBooks books;
    const QString a = books.write("a.txt", "x"), folder = QFileInfo(a).path();
    const QByteArray cp1251 = QFile::encodeName(folder) + "/\xca\xed\xe8\xe3\xe0.txt";  // Книга
    std::fclose(std::fopen(cp1251.constData(), "w"));
    const QList<RecentBook> list{
        {{a.toStdString()}, 12}, {{"/gone/b.txt"}, 3}, {{cp1251.toStdString()}, 5}};
    const std::pair<const char*, std::optional<int>> rows[] = {
        {"lstBooks:Down lstBooks:Return", 1}, {"lstBooks:Enter", 0}, {"lstBooks:Esc", {}}};
    for (const auto& [keys, chosen] : rows) {
        frmRecent dialog(nullptr, list);
        auto* l = dialog.findChild<QListWidget*>("lstBooks");
        EXPECT_EQ(l->item(0)->text(), "a.txt  line: 12");
        EXPECT_EQ(l->item(1)->toolTip(), "/gone");
        EXPECT_NE(l->item(0)->foreground().color(), l->item(1)->foreground().color());  // gone
        EXPECT_EQ(l->item(2)->text(), "Книга.txt  line: 5");
        EXPECT_EQ(l->item(2)->toolTip(), folder);
        EXPECT_EQ(l->item(0)->foreground().color(), l->item(2)->foreground().color());
        WhenModal([script = QString(keys)](QDialog& d) { PressIn(d, script); });
        EXPECT_EQ(dialog.ShowRecent(), chosen);
    }
}

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
        {"cmdText:Space", {}, settings::TextColor, "-2147483640", {}, system},
        {"cmdText:Space", 255, settings::TextColor, "255", {}, Qt::red},
        {"cmdBackColor:Space", 0xFF0000, settings::BackColor, "16711680", {}, system},
        {"cmdText:Space cmdDefault:Space", 255, settings::TextColor, "-2147483640", {}, system},
        {"chkDetect:Space", {}, settings::DetectCoding, "1", {}, system},
        {"chkWrap:Space", {}, settings::WrapLines, "0", " end", system},
        {"chkStayOnTop:Space", {}, settings::StayOnTop, "1", {}, system},
        {"spnOpacity:8*PgDown", {}, settings::Opacity, "30", {}, system},
        {"chkHideFromTaskbar:Space", {}, settings::HideFromTaskbar, "1", {}, system},
        {"chkFrameless:Space", {}, settings::Frameless, "1", {}, system},
        {"spnBackgroundOpacity:9*PgDown", {}, settings::BackgroundOpacity, "10", {}, system},
        {"spnHideTextAway:Up", {}, settings::HideTextAway, "1", {}, system},
        {"cmdFont:Space", {}, settings::FontSize, "9", {}, system},   // cancelled
        {"cmdFont:Space", 14, settings::FontSize, "14", {}, system},  // a size from the dialog
    };
    TempBooks books;  // "Привет" in KOI8-R, wider than the view
    const QString book =
        books.write("koi.txt", "\xF0\xD2\xC9\xD7\xC5\xD4" + std::string(300, 'a') + " end\r\nx");
    for (const auto& c : rows) {
        SCOPED_TRACE(c.keys);
        SettingsSandbox box;
        FakePrompts prompts;
        frmMain main{prompts};
        WriteSetting(settings::DetectCoding, "0");
        ASSERT_TRUE(main.OpenBook(locationOfText(book)));
        if (c.colour) prompts.colorAnswers = {*c.colour};
        if (c.colour) prompts.fontAnswers = {QFont("Liberation Sans", *c.colour)};
        frmSettings dialog(&main, main, prompts);
        // Esc on the control last used closes the dialog, whichever control that is.
        const QString esc = QString(c.keys).section(' ', -1).section(':', 0, 0) + ":Esc";
        WhenModal([&](QDialog& d) { PressIn(d, QString(c.keys) + " " + esc); });
        dialog.exec();
        EXPECT_EQ(ReadSetting(c.setting), c.stored);
        EXPECT_TRUE(main.view()->text().contains(c.view)) << main.view()->text().toStdString();
        EXPECT_EQ(main.view()->palette().color(QPalette::Text), c.text);
        EXPECT_EQ(bool(main.windowFlags() & Qt::WindowStaysOnTopHint),
                  ReadSetting(settings::StayOnTop) == "1");
        EXPECT_EQ(bool(main.windowFlags() & Qt::FramelessWindowHint),
                  ReadSetting(settings::Frameless) == "1");
        EXPECT_NEAR(main.windowOpacity(), settings::readNumber(settings::Opacity) / 100.0, 0.01);
    }
}

// Opened on a stored text; then, with the store marked, arrows or track clicks (the minimum on
// top) and Enter to run or Esc. A key that cannot move the value writes nothing.
TEST(TimerDialog, OpensAtTheStoredIntervalStoresEveryStepAndRunsOnEnter) {
    const struct {
        const char* stored;  // nothing: none
        int opensAt;
        const char* storedAfterOpen;
        const char* keys;
        int after;
    } rows[] = {
        {nullptr, 2550, "2550", "Up Esc", 2500},      {"350", 350, "350", "Up Esc", 350},
        {"350.4", 350, "350.4", "Down Esc", 400},  // the bar's first value: opening wrote nothing
        {"10000", 10000, "10000", "Down Esc", 10000}, {"2551", 2551, "2551", "Up Num+Enter", 2501},
        {"9951", 9951, "9951", "Down Return", 10000}, {"20000", 2550, "2550", "PgDown Esc", 2600},
    };
    for (const auto& c : rows) {
        SCOPED_TRACE(c.stored ? c.stored : "none");
        SettingsSandbox box;
        FakePrompts prompts;
        frmMain main(prompts);
        if (c.stored) WriteSetting(settings::TimerInterval, c.stored);
        frmTimer dialog(&main, main);
        const auto shown = [&] { return dialog.findChild<QLineEdit*>("txtTime")->text(); };
        EXPECT_TRUE(dialog.findChild<QLineEdit*>("txtTime")->isReadOnly());
        EXPECT_EQ(shown(), QString::number(c.opensAt));
        EXPECT_EQ(ReadSetting(settings::TimerInterval), c.storedAfterOpen);
        WriteSetting(settings::TimerInterval, "marked");
        WhenModal([&](QDialog& d) {
            EXPECT_EQ(d.focusWidget(), d.findChild<QWidget*>("cmdRun"));
            PressIn(d, "vscInterval:" + QString(c.keys).replace(" ", " vscInterval:"));
        });
        dialog.exec();
        EXPECT_EQ(shown(), QString::number(c.after));
        EXPECT_EQ(ReadSetting(settings::TimerInterval),
                  c.after == c.opensAt ? "marked" : QString::number(c.after));
        const bool runs = QString(c.keys).contains("Enter") || QString(c.keys).contains("Return");
        EXPECT_EQ(main.autoShowTimer().isActive() ? main.autoShowTimer().interval() : 0,
                  runs ? c.after : 0);
    }
}
