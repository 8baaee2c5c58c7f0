#include "settings/RecentBooks.h"

#include <algorithm>

#include "settings/Settings.h"
#include "settings/StoredNumbers.h"

namespace tresslin {

QList<RecentBook> readRecentBooks() {
    QList<RecentBook> books;
    for (int n = 1; n <= settings::kRecentBooks; ++n) {
        const QString path = ReadSetting(settings::RecentFile(n));
        const auto line = parseWholeNumber(ReadSetting(settings::RecentLine(n)).toStdString());
        if (path.isEmpty() || !line || *line < 1) continue;
        if (std::none_of(books.cbegin(), books.cend(),
                         [&](const RecentBook& b) { return b.path == path; }))
            books.append({path, *line});
    }
    return books;
}

void writeRecentBooks(const QList<RecentBook>& books) {
    for (int n = 1; n <= settings::kRecentBooks; ++n) {
        if (n <= books.size()) {
            WriteSetting(settings::RecentFile(n), books[n - 1].path);
            settings::writeNumber(settings::RecentLine(n), books[n - 1].line);
        } else if (!ReadSetting(settings::RecentFile(n)).isEmpty()) {
            // Keys are never removed; an emptied slot reads as no entry.
            WriteSetting(settings::RecentFile(n), QString());
            WriteSetting(settings::RecentLine(n), QString());
        }
    }
}

QList<RecentBook> withBookFirst(QList<RecentBook> books, const RecentBook& book) {
    books = withoutBook(std::move(books), book.path);
    books.prepend(book);
    if (books.size() > settings::kRecentBooks) books.resize(settings::kRecentBooks);
    return books;
}

QList<RecentBook> withoutBook(QList<RecentBook> books, const QString& path) {
    books.removeIf([&](const RecentBook& b) { return b.path == path; });
    return books;
}

}  // namespace tresslin
