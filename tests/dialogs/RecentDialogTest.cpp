#include <gtest/gtest.h>

#include <QListWidget>
#include <QTest>

#include "ModalDriver.h"
#include "dialogs/frmRecent.h"
#include "support/TestSupport.h"

using namespace tresslin;
using namespace tresslin::test;

TEST(RecentDialog, EntriesEnterAndEsc) {
    TempBooks books;
    const QList<RecentBook> list{{books.write("a.txt", "x"), 12}, {"/gone/b.txt", 3}};
    const std::pair<std::vector<Qt::Key>, std::optional<int>> runs[] = {
        {{Qt::Key_Down, Qt::Key_Return}, 1}, {{Qt::Key_Enter}, 0}, {{Qt::Key_Escape}, {}}};
    for (const auto& run : runs) {
        // A named copy: clang 14 cannot capture a structured binding in a lambda.
        const std::vector<Qt::Key>& keys = run.first;
        frmRecent dialog(nullptr, list);
        auto* l = dialog.findChild<QListWidget*>("lstBooks");
        EXPECT_EQ(l->item(0)->text(), "a.txt  line: 12");
        EXPECT_EQ(l->item(1)->toolTip(), "/gone");
        // The book that is gone is greyed, the other is not.
        EXPECT_NE(l->item(0)->foreground().color(), l->item(1)->foreground().color());
        WhenModal([&](QDialog&) {
            for (Qt::Key k : keys) QTest::keyClick(l, k);
        });
        EXPECT_EQ(dialog.ShowRecent(), run.second);
    }
}
