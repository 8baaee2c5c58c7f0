#include "dialogs/frmRecent.h"

#include <QApplication>
#include <QFileInfo>
#include <QListWidget>

#include "book/mdlService.h"
#include "platform/FileNames.h"

namespace tresslin {

namespace {
QListWidget* bookList(const QList<RecentBook>& books) {
    auto* list = new QListWidget;
    const QColor gone = QApplication::palette().color(QPalette::Disabled, QPalette::Text);
    for (const RecentBook& book : books) {
        auto* item = new QListWidgetItem(frmRecent::entryText(book), list);
        item->setToolTip(QFileInfo(shownText(book.location)).path());
        // Still selectable: choosing it says it is gone and drops it.
        if (!FileExists(book.location.file)) item->setForeground(gone);
    }
    return list;
}
}  // namespace

frmRecent::frmRecent(QWidget* parent, const QList<RecentBook>& books)
    : ListDialog(parent, "frmRecent", tr("Recent Books"), bookList(books), "lstBooks") {}

QString frmRecent::entryText(const RecentBook& book) {
    return shownName(book.location) + tr("  line: ") + QString::number(book.line);
}

}  // namespace tresslin
