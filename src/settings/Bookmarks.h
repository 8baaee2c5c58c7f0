// The places a reader marked in each book, newest first, kept beside the recent books.
#pragma once

#include <QList>
#include <QString>
#include <cstdint>

namespace tresslin {

struct Bookmark {
    std::int32_t line = 1;     // counted from 1
    std::uint64_t offset = 0;  // bytes into the line, as stored in the book
    bool operator==(const Bookmark&) const = default;
};

// The bookmarks of the book stored as path; a mark written by hand that does not read as
// "line:offset" is left out.
QList<Bookmark> readBookmarks(const QString& path);
// Replaces the book's bookmarks and makes it the book changed last; none forgets the book.
// Books beyond the limit, changed longest ago, are not kept.
void writeBookmarks(const QString& path, const QList<Bookmark>& marks);

// The list with mark first and any equal older one gone.
QList<Bookmark> withBookmarkFirst(QList<Bookmark> marks, const Bookmark& mark);
QList<Bookmark> withoutBookmark(QList<Bookmark> marks, const Bookmark& mark);

}  // namespace tresslin
