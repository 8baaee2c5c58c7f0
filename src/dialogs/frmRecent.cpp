#include "dialogs/frmRecent.h"

#include <QFileInfo>
#include <QKeyEvent>
#include <QListWidget>
#include <QVBoxLayout>

#include "book/mdlService.h"
#include "dialogs/FixedDialog.h"
#include "platform/FileNames.h"

namespace tresslin {

frmRecent::frmRecent(QWidget* parent, const QList<RecentBook>& books)
    : QDialog(parent), lstBooks(new QListWidget(this)) {
    setUpFixedDialog(*this, "frmRecent", QStringLiteral("Recent Books"), 6000, 3600);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(twipsToPixels(60), twipsToPixels(60), twipsToPixels(60),
                               twipsToPixels(60));
    layout->addWidget(lstBooks);
    lstBooks->setObjectName(QStringLiteral("lstBooks"));
    const QColor gone = palette().color(QPalette::Disabled, QPalette::Text);
    for (const RecentBook& book : books) {
        auto* item = new QListWidgetItem(entryText(book), lstBooks);
        item->setToolTip(QFileInfo(shownText(book.location)).path());
        // Still selectable: choosing it says it is gone and drops it.
        if (!FileExists(book.location.file)) item->setForeground(gone);
    }
    lstBooks->setCurrentRow(0);
    lstBooks->setFocus();
    connect(lstBooks, &QListWidget::itemActivated, this, &frmRecent::choose);
}

QString frmRecent::entryText(const RecentBook& book) {
    return shownName(book.location) + QStringLiteral("  line: ") + QString::number(book.line);
}

std::optional<int> frmRecent::ShowRecent() {
    chosen_.reset();
    exec();
    return chosen_;
}

void frmRecent::choose() {
    if (lstBooks->currentRow() < 0) return;
    chosen_ = lstBooks->currentRow();
    accept();
}

void frmRecent::keyPressEvent(QKeyEvent* event) {
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
