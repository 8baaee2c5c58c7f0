#include "settings/RecentBooks.h"

#include <algorithm>

#include "platform/FileNames.h"
#include "settings/Settings.h"
#include "settings/StoredNumbers.h"

namespace tresslin {

QList<RecentBook> readRecentBooks() {
    QList<RecentBook> books;
    for (int n = 1; n <= settings::kRecentBooks; ++n) {
        BookLocation location = storedLocation(ReadSetting(settings::RecentFile(n)));
        const auto line = parseWholeNumber(ReadSetting(settings::RecentLine(n)).toStdString());
        if (location.empty() || !line || *line < 1) continue;
        if (std::none_of(books.cbegin(), books.cend(),
                         [&](const RecentBook& b) { return b.location == location; }))
            books.append({std::move(location), *line});
    }
    return books;
}

void writeRecentBooks(const QList<RecentBook>& books) {
    for (int n = 1; n <= settings::kRecentBooks; ++n) {
        if (n <= books.size()) {
            WriteSetting(settings::RecentFile(n), storedText(books[n - 1].location));
            settings::writeNumber(settings::RecentLine(n), books[n - 1].line);
        } else if (!ReadSetting(settings::RecentFile(n)).isEmpty()) {
            // Keys are never removed; an emptied slot reads as no entry.
            WriteSetting(settings::RecentFile(n), QString());
            WriteSetting(settings::RecentLine(n), QString());
        }
    }
}

QList<RecentBook> withBookFirst(QList<RecentBook> books, const RecentBook& book) {
    books = withoutBook(std::move(books), book.location);
    books.prepend(book);
    if (books.size() > settings::kRecentBooks) books.resize(settings::kRecentBooks);
    return books;
}

QList<RecentBook> withoutBook(QList<RecentBook> books, const BookLocation& location) {
    books.removeIf([&](const RecentBook& b) { return b.location == location; });
    return books;
}

}  // namespace tresslin
