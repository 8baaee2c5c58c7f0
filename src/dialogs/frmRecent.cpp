#include "dialogs/frmRecent.h"

#include <QApplication>
#include <QFileInfo>
#include <QListWidget>

#include "book/ArchivedPath.h"
#include "book/mdlService.h"
#include "platform/FileNames.h"

namespace tresslin {

namespace {
QListWidget* bookList(const QList<RecentBook>& books) {
    auto* list = new QListWidget;
    const QColor gone = QApplication::palette().color(QPalette::Disabled, QPalette::Text);
    for (const RecentBook& book : books) {
        auto* item = new QListWidgetItem(frmRecent::entryText(book), list);
        const QString path = pathFromStored(book.path);
        item->setToolTip(QFileInfo(readablePath(path)).path());
        // Still selectable: choosing it says it is gone and drops it.
        const std::string bytes = pathBytes(path).toStdString();
        const auto archived = splitArchivedPath(bytes);
        if (!FileExists(archived ? archived->archive : bytes)) item->setForeground(gone);
    }
    return list;
}
}  // namespace

frmRecent::frmRecent(QWidget* parent, const QList<RecentBook>& books)
    : ListDialog(parent, "frmRecent", QStringLiteral("Recent Books"), bookList(books), "lstBooks") {
}

QString frmRecent::entryText(const RecentBook& book) {
    return QFileInfo(readablePath(pathFromStored(book.path))).fileName() +
           QStringLiteral("  line: ") + QString::number(book.line);
}

}  // namespace tresslin
