#include <QListWidget>

#include "ModalDriver.h"
#include "dialogs/frmRecent.h"

using namespace tresslin;
using namespace tresslin::test;

TEST(RecentDialog, EntriesEnterAndEsc) {
    TempBooks books;
    const QList<RecentBook> list{{books.write("a.txt", "x"), 12}, {"/gone/b.txt", 3}};
    const std::pair<const char*, std::optional<int>> rows[] = {
        {"lstBooks:Down lstBooks:Return", 1}, {"lstBooks:Enter", 0}, {"lstBooks:Esc", {}}};
    for (const auto& [keys, chosen] : rows) {
        frmRecent dialog(nullptr, list);
        auto* l = dialog.findChild<QListWidget*>("lstBooks");
        EXPECT_EQ(l->item(0)->text(), "a.txt  line: 12");
        EXPECT_EQ(l->item(1)->toolTip(), "/gone");
        // The book that is gone is greyed, the other is not.
        EXPECT_NE(l->item(0)->foreground().color(), l->item(1)->foreground().color());
        WhenModal([script = QString(keys)](QDialog& d) { PressIn(d, script); });
        EXPECT_EQ(dialog.ShowRecent(), chosen);
    }
}
