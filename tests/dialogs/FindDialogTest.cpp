#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <functional>

#include "ModalDriver.h"
#include "frmFind.h"

using namespace tresslin;
using tresslin::test::WhenModal;

namespace {

QLineEdit* Box(QDialog& d) {
    return d.findChild<QLineEdit*>("txtFind");
}
QPushButton* FindButton(QDialog& d) {
    return d.findChild<QPushButton*>("cmdFind");
}

struct FindCase {
    const char* name;
    QString proposal;
    std::function<void(QDialog&)> user;
    bool result;
    QString after;
};

class FindDialog : public ::testing::TestWithParam<FindCase> {};

TEST_P(FindDialog, HandsBackWhatTheUserConfirmed) {
    const FindCase& c = GetParam();
    frmFind dialog;
    QString sFind = c.proposal;
    WhenModal(c.user);
    EXPECT_EQ(dialog.ShowFind(sFind), c.result);
    EXPECT_EQ(sFind, c.after);
}

void PressEnterIgnored(QDialog& d) {
    EXPECT_FALSE(FindButton(d)->isEnabled());
    QTest::keyClick(Box(d), Qt::Key_Return);
    QTest::keyClick(Box(d), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_TRUE(d.isVisible());
}

INSTANTIATE_TEST_SUITE_P(
    Keys, FindDialog,
    ::testing::Values(
        FindCase{"EmptyEnterDoesNothingEscCancels", "",
                 [](QDialog& d) {
                     PressEnterIgnored(d);
                     QTest::keyClick(Box(d), Qt::Key_Escape);
                 },
                 false, ""},
        FindCase{"BlanksAreProposedSelectedButCannotBeConfirmed", "   ",
                 [](QDialog& d) {
                     EXPECT_EQ(Box(d)->selectedText(), "   ");
                     PressEnterIgnored(d);
                     QTest::keyClicks(Box(d), "x");  // replaces the selection
                     EXPECT_TRUE(FindButton(d)->isEnabled());
                     QTest::keyClick(Box(d), Qt::Key_Return);
                 },
                 true, "x"},
        FindCase{"TabsCountAsText", "\t\t",
                 [](QDialog& d) { QTest::keyClick(Box(d), Qt::Key_Return); }, true, "\t\t"},
        FindCase{"ConfirmedTextKeepsItsBlanks", "old",
                 [](QDialog& d) {
                     QTest::keyClicks(Box(d), " word ");
                     QTest::keyClick(Box(d), Qt::Key_Return, Qt::ShiftModifier);
                 },
                 true, " word "},
        FindCase{"EscAfterEditingKeepsTheProposal", "old",
                 [](QDialog& d) {
                     QTest::keyClicks(Box(d), "new");
                     QTest::keyClick(Box(d), Qt::Key_Escape, Qt::ShiftModifier);
                 },
                 false, "old"},
        FindCase{"DeletingEverythingDisablesFindAgain", "ab",
                 [](QDialog& d) {
                     QTest::keyClick(Box(d), Qt::Key_Backspace);
                     PressEnterIgnored(d);
                     d.findChild<QPushButton*>("cmdCancel")->click();
                 },
                 false, "ab"},
        FindCase{"EnterFindsWhicheverControlHasTheFocus", "word",
                 [](QDialog& d) {
                     QTest::keyClick(d.findChild<QPushButton*>("cmdCancel"), Qt::Key_Return);
                 },
                 true, "word"},
        FindCase{"CloseButtonCancels", "word", [](QDialog& d) { d.close(); }, false, "word"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FindDialogReuse, EachCallStartsClean) {
    frmFind dialog;
    QString sFind = "first";
    WhenModal([](QDialog& d) { FindButton(d)->click(); });
    ASSERT_TRUE(dialog.ShowFind(sFind));

    sFind = "second";
    WhenModal([](QDialog& d) {
        EXPECT_EQ(Box(d)->text(), "second");
        QTest::keyClick(Box(d), Qt::Key_Escape);
    });
    EXPECT_FALSE(dialog.ShowFind(sFind));
    EXPECT_EQ(sFind, "second");
}

}  // namespace
