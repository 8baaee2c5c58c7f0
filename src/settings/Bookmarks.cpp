#include "settings/Bookmarks.h"

#include <QStringList>
#include <utility>

#include "settings/Settings.h"
#include "settings/StoredNumbers.h"

namespace tresslin {

namespace {

QList<Bookmark> parseMarks(const QString& text) {
    QList<Bookmark> marks;
    for (const QString& mark : text.split(u' ', Qt::SkipEmptyParts)) {
        const qsizetype colon = mark.indexOf(u':');
        const auto line = parseWholeNumber(mark.left(colon).toStdString());
        bool ok = false;
        const std::uint64_t offset = mark.mid(colon + 1).toULongLong(&ok);
        const Bookmark read{line.value_or(0), offset};
        if (colon > 0 && ok && read.line >= 1 && !marks.contains(read)) marks.append(read);
    }
    return marks;
}

QString marksText(const QList<Bookmark>& marks) {
    QStringList parts;
    for (const Bookmark& m : marks)
        parts << QString::number(m.line) + u':' + QString::number(m.offset);
    return parts.join(u' ');
}

}  // namespace

QList<Bookmark> readBookmarks(const QString& path) {
    if (path.isEmpty()) return {};
    for (int n = 1; n <= settings::kBookmarkedBooks; ++n) {
        if (ReadSetting(settings::BookmarkFile(n)) == path)
            return parseMarks(ReadSetting(settings::BookmarkMarks(n)));
    }
    return {};
}

void writeBookmarks(const QString& path, const QList<Bookmark>& marks) {
    QList<std::pair<QString, QString>> books;
    if (!marks.isEmpty()) books.append({path, marksText(marks)});
    for (int n = 1; n <= settings::kBookmarkedBooks; ++n) {
        const QString file = ReadSetting(settings::BookmarkFile(n));
        if (!file.isEmpty() && file != path)
            books.append({file, ReadSetting(settings::BookmarkMarks(n))});
    }
    for (int n = 1; n <= settings::kBookmarkedBooks; ++n) {
        if (n <= books.size()) {
            WriteSetting(settings::BookmarkFile(n), books[n - 1].first);
            WriteSetting(settings::BookmarkMarks(n), books[n - 1].second);
        } else if (!ReadSetting(settings::BookmarkFile(n)).isEmpty()) {
            // Keys are never removed; an emptied slot reads as no book.
            WriteSetting(settings::BookmarkFile(n), QString());
            WriteSetting(settings::BookmarkMarks(n), QString());
        }
    }
}

QList<Bookmark> withBookmarkFirst(QList<Bookmark> marks, const Bookmark& mark) {
    marks.removeAll(mark);
    marks.prepend(mark);
    return marks;
}

QList<Bookmark> withoutBookmark(QList<Bookmark> marks, const Bookmark& mark) {
    marks.removeAll(mark);
    return marks;
}

}  // namespace tresslin
