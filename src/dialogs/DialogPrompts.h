// The desktop's boxes and the program's own dialogs: everything the main window asks the
// user through. Tests pass a scripted fake.
#pragma once

#include <QList>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

#include "platform/Prompts.h"
#include "settings/RecentBooks.h"

class QWidget;

namespace tresslin {

class DialogHost;

// A book of an archive, as the archive's list shows it.
struct ArchiveEntry {
    QString name;
    quint64 size = 0;
};

// A row of the contents: the heading as read, its line from 1 and its per cent as shown.
struct ContentsEntry {
    QString heading;
    std::int32_t line = 1;
    QString percent;
};

// A row of the bookmarks: the chapter holding the place, its per cent, the part's first words.
struct BookmarkEntry {
    QString chapter;
    QString percent;
    QString words;
};

class DialogPrompts : public virtual Prompts {
  public:
    // The find dialog with sFind proposed: true with the confirmed text in sFind.
    virtual bool showFind(QWidget* parent, QString& sFind) = 0;
    virtual void showSettings(QWidget* parent, DialogHost& host) = 0;
    virtual void showTimer(QWidget* parent, DialogHost& host) = 0;
    // The recent books, newest first: the index of the chosen one, nothing on Esc.
    virtual std::optional<int> showRecent(QWidget* parent, const QList<RecentBook>& books) = 0;
    // The books of an archive: the index of the chosen one, nothing on Esc.
    virtual std::optional<int> showArchive(QWidget* parent, const QList<ArchiveEntry>& books) = 0;
    // The book's chapter headings with entry current selected: the index of the chosen one.
    virtual std::optional<int> showContents(QWidget* parent, const QList<ContentsEntry>& entries,
                                            int current) = 0;
    // The book's bookmarks, newest first: the index of the chosen one; remove is called at once
    // with the index of each one the reader deletes.
    virtual std::optional<int> showBookmarks(QWidget* parent, const QList<BookmarkEntry>& marks,
                                             const std::function<void(int)>& remove) = 0;
    // A question with Yes and No (the default): true on Yes.
    virtual bool ask(QWidget* parent, const QString& text, const QString& title) = 0;
};

}  // namespace tresslin
