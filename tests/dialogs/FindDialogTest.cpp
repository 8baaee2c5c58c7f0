#include <QLineEdit>
#include <QPushButton>

#include "ModalDriver.h"
#include "dialogs/frmFind.h"

using namespace tresslin;
using namespace tresslin::test;

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
