#include "dialogs/frmArchive.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLocale>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "dialogs/FixedDialog.h"

namespace tresslin {

frmArchive::frmArchive(QWidget* parent, const QList<ArchiveEntry>& books)
    : QDialog(parent), lstBooks(new QTreeWidget(this)) {
    setUpFixedDialog(*this, "frmArchive", tr("Books in the Archive"), 6000, 3600);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(twipsToPixels(60), twipsToPixels(60), twipsToPixels(60),
                               twipsToPixels(60));
    layout->addWidget(lstBooks);
    lstBooks->setObjectName(QStringLiteral("lstBooks"));
    lstBooks->setRootIsDecorated(false);
    lstBooks->setHeaderLabels({tr("Name"), tr("Size")});
    for (const ArchiveEntry& book : books) {
        auto* item = new QTreeWidgetItem(
            lstBooks, {book.name, QLocale().formattedDataSize(qint64(book.size))});
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    }
    lstBooks->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    lstBooks->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    lstBooks->header()->setStretchLastSection(false);
    lstBooks->setCurrentItem(lstBooks->topLevelItem(0));
    lstBooks->setFocus();
    connect(lstBooks, &QTreeWidget::itemActivated, this, &frmArchive::choose);
}

std::optional<int> frmArchive::ShowArchive() {
    chosen_.reset();
    exec();
    return chosen_;
}

void frmArchive::choose() {
    const int row = lstBooks->indexOfTopLevelItem(lstBooks->currentItem());
    if (row < 0) return;
    chosen_ = row;
    accept();
}

void frmArchive::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            choose();
            return;
        default:
            QDialog::keyPressEvent(event);  // Esc rejects
    }
}

}  // namespace tresslin
