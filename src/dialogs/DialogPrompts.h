// The desktop's boxes and the program's own dialogs: everything the main window asks the
// user through. Tests pass a scripted fake.
#pragma once

#include <QList>
#include <QString>
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
};

}  // namespace tresslin
