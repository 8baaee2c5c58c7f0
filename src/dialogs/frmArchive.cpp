#include "dialogs/frmArchive.h"

#include <QHeaderView>
#include <QLocale>
#include <QTreeWidget>

namespace tresslin {

namespace {
QTreeWidget* bookList(const QList<ArchiveEntry>& books) {
    auto* list = new QTreeWidget;
    list->setRootIsDecorated(false);
    list->setHeaderLabels({frmArchive::tr("Name"), frmArchive::tr("Size")});
    for (const ArchiveEntry& book : books) {
        auto* item =
            new QTreeWidgetItem(list, {book.name, QLocale().formattedDataSize(qint64(book.size))});
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    }
    list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    list->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    list->header()->setStretchLastSection(false);
    return list;
}
}  // namespace

frmArchive::frmArchive(QWidget* parent, const QList<ArchiveEntry>& books)
    : ListDialog(parent, "frmArchive", tr("Books in the Archive"), bookList(books), "lstBooks") {}

}  // namespace tresslin
