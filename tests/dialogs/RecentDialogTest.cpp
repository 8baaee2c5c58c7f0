#include <gtest/gtest.h>

#include <QListWidget>
#include <QTest>

#include "ModalDriver.h"
#include "dialogs/frmRecent.h"
#include "support/TestSupport.h"

using namespace tresslin;
using namespace tresslin::test;

namespace {

struct Pick {
    const char* name;
    std::function<void(QDialog&)> act;
    std::optional<int> chosen;
};

QListWidget* List(QDialog& d) {
    return d.findChild<QListWidget*>("lstBooks");
}

}  // namespace

TEST(RecentDialog, EntriesAndTheirChoice) {
    TempBooks books;
    const QList<RecentBook> list{{books.write("a.txt", "x\r\ny"), 12}, {"/gone/b.txt", 3}};
    const Pick picks[] = {
        {"Enter on the first", [](QDialog& d) { QTest::keyClick(List(d), Qt::Key_Return); }, 0},
        {"Down, Enter",
         [](QDialog& d) {
             QTest::keyClick(List(d), Qt::Key_Down);
             QTest::keyClick(List(d), Qt::Key_Enter);
         },
         1},
        {"double click",
         [](QDialog& d) {
             QListWidget* l = List(d);
             const QRect r = l->visualItemRect(l->item(1));
             QTest::mouseClick(l->viewport(), Qt::LeftButton, {}, r.center());
             QTest::mouseDClick(l->viewport(), Qt::LeftButton, {}, r.center());
         },
         1},
        {"Esc", [](QDialog& d) { QTest::keyClick(List(d), Qt::Key_Escape); }, std::nullopt},
    };
    for (const Pick& p : picks) {
        SCOPED_TRACE(p.name);
        frmRecent dialog(nullptr, list);
        QListWidget* l = List(dialog);
        ASSERT_EQ(l->count(), 2);
        EXPECT_EQ(l->item(0)->text(), "a.txt  line: 12");
        EXPECT_EQ(l->item(0)->toolTip(), books.folder());
        EXPECT_EQ(l->item(1)->toolTip(), "/gone");
        // The book that is gone is greyed, the other is not.
        EXPECT_NE(l->item(0)->foreground().color(), l->item(1)->foreground().color());
        WhenModal(p.act);
        EXPECT_EQ(dialog.ShowRecent(), p.chosen);
    }
}
