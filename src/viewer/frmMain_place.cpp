// The reading place kept on disk as it changes, and the recent books.
#include "dialogs/DialogPrompts.h"
#include "settings/RecentBooks.h"
#include "viewer/frmMain.h"

namespace tresslin {

void frmMain::notePlace() {
    // The same rule as at shutdown: a book that failed to open or has one line is not kept.
    const bool kept = !book_.location.empty() && book_.maxLine() > 0;
    readingPlace_.show(kept ? book_.location : BookLocation(), cursor_.line() + 1);
    syncPlace();
}

void frmMain::openRecent() {
    // The book being read shows at its line on view, not the one of the last write.
    readingPlace_.saveNow();
    const QList<RecentBook> books = readRecentBooks();
    const std::optional<int> chosen = prompts_.showRecent(this, books);
    if (!chosen || *chosen < 0 || *chosen >= books.size()) return;
    openRecentBook(books[*chosen]);
}

void frmMain::openRecentBook(const RecentBook& book) {
    if (!OpenBook(book.location)) {
        writeRecentBooks(withoutBook(readRecentBooks(), book.location));
        return;
    }
    cursor_.moveTo(std::min(book.line - 1, book_.maxLine()));
    ShowLine();
}

}  // namespace tresslin
