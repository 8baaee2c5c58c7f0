// The books read last, each with the line on view when the reader left it, newest first.
#pragma once

#include <QList>
#include <QString>
#include <cstdint>

#include "book/BookLocation.h"

namespace tresslin {

struct RecentBook {
    BookLocation location;
    std::int32_t line = 1;  // counted from 1
    bool operator==(const RecentBook&) const = default;
};

// The stored list; an entry whose file name is empty or whose line is not a whole number from 1 on
// (a file edited by hand) is left out.
QList<RecentBook> readRecentBooks();
// Replaces the stored list; entries beyond the limit are not kept.
void writeRecentBooks(const QList<RecentBook>& books);

// The list with book first and any older entry of its location gone, cut to the limit.
QList<RecentBook> withBookFirst(QList<RecentBook> books, const RecentBook& book);
QList<RecentBook> withoutBook(QList<RecentBook> books, const BookLocation& location);

}  // namespace tresslin
