#include "dialogs/QtDialogPrompts.h"

#include <QMessageBox>

#include "dialogs/ListDialog.h"
#include "dialogs/frmArchive.h"
#include "dialogs/frmFind.h"
#include "dialogs/frmRecent.h"
#include "dialogs/frmSettings.h"
#include "dialogs/frmTimer.h"

namespace tresslin {

// The program's own dialogs are created afresh for each use and gone when they close.
bool QtDialogPrompts::showFind(QWidget* parent, QString& sFind) {
    frmFind dialog(parent);
    return dialog.ShowFind(sFind);
}

void QtDialogPrompts::showSettings(QWidget* parent, DialogHost& host) {
    frmSettings dialog(parent, host, *this);
    dialog.exec();
}

void QtDialogPrompts::showTimer(QWidget* parent, DialogHost& host) {
    frmTimer dialog(parent, host);
    dialog.exec();
}

std::optional<int> QtDialogPrompts::showRecent(QWidget* parent, const QList<RecentBook>& books) {
    frmRecent dialog(parent, books);
    return dialog.ShowRecent();
}

std::optional<int> QtDialogPrompts::showArchive(QWidget* parent, const QList<ArchiveEntry>& books) {
    frmArchive dialog(parent, books);
    return dialog.ShowArchive();
}

std::optional<int> QtDialogPrompts::showContents(QWidget* parent,
                                                 const QList<ContentsEntry>& entries, int current) {
    return showContentsList(parent, entries, current);
}

std::optional<int> QtDialogPrompts::showBookmarks(QWidget* parent,
                                                  const QList<BookmarkEntry>& marks,
                                                  const std::function<void(int)>& remove) {
    return showBookmarksList(parent, marks, remove);
}

bool QtDialogPrompts::ask(QWidget* parent, const QString& text, const QString& title) {
    return QMessageBox::question(parent, title, text, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

}  // namespace tresslin
