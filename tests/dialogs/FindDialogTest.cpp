#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <ostream>

#include "ModalDriver.h"
#include "dialogs/frmFind.h"

using namespace tresslin;
using tresslin::test::WhenModal;

namespace {

QLineEdit* Box(QDialog& d) {
    return d.findChild<QLineEdit*>("txtFind");
}

// The user types over the selected proposal (a backspace deletes it), then presses a key.
struct FindCase {
    QString proposal, typed;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    bool findEnabled, result;
    QString after;
};
void PrintTo(const FindCase& c, std::ostream* os) {
    *os << '"' << c.proposal.toStdString() << "\" typed \"" << c.typed.toStdString() << '"';
}

class FindDialog : public ::testing::TestWithParam<FindCase> {};

TEST_P(FindDialog, HandsBackOnlyConfirmedText) {
    const FindCase& c = GetParam();
    WhenModal([&c](QDialog& d) {
        EXPECT_EQ(Box(d)->selectedText(), c.proposal);
        QTest::keyClicks(Box(d), c.typed);
        EXPECT_EQ(d.findChild<QPushButton*>("cmdFind")->isEnabled(), c.findEnabled);
        QTest::keyClick(Box(d), c.key, c.modifiers);
        if (c.key == Qt::Key_Escape || c.findEnabled) return;
        EXPECT_TRUE(d.isVisible()) << "Enter with Find disabled closed the dialog";
        QTest::keyClick(Box(d), Qt::Key_Escape);
    });
    frmFind dialog;
    QString sFind = c.proposal;
    EXPECT_EQ(dialog.ShowFind(sFind), c.result);
    EXPECT_EQ(sFind, c.after);
}

constexpr auto kEnter = Qt::Key_Return;
constexpr auto kShift = Qt::ShiftModifier;
INSTANTIATE_TEST_SUITE_P(
    Keys, FindDialog,
    ::testing::Values(FindCase{"", "", kEnter, {}, false, false, ""},
                      FindCase{"   ", "", Qt::Key_Enter, Qt::KeypadModifier, false, false, "   "},
                      FindCase{"   ", "x", kEnter, {}, true, true, "x"},
                      FindCase{"\t\t", "", kEnter, {}, true, true, "\t\t"},
                      FindCase{"old", " word ", kEnter, kShift, true, true, " word "},
                      FindCase{"old", "new", Qt::Key_Escape, kShift, true, false, "old"},
                      FindCase{"ab", "\b", kEnter, {}, false, false, "ab"}));

TEST(FindDialogWays, EnterFromTheButtonsFindsAndTheCloseButtonCancels) {
    frmFind dialog;
    QString sFind = "word";
    WhenModal([](QDialog& d) { QTest::keyClick(d.findChild<QWidget*>("cmdCancel"), kEnter); });
    EXPECT_TRUE(dialog.ShowFind(sFind));

    // Each call starts clean: the earlier confirmation is not handed back.
    sFind = "other";
    WhenModal([](QDialog& d) { d.close(); });
    EXPECT_FALSE(dialog.ShowFind(sFind));
    EXPECT_EQ(sFind, "other");
}

}  // namespace
