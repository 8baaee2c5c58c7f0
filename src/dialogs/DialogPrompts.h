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

class DialogPrompts : public virtual Prompts {
  public:
    // The find dialog with sFind proposed: true with the confirmed text in sFind.
    virtual bool showFind(QWidget* parent, QString& sFind) = 0;
    virtual void showSettings(QWidget* parent, DialogHost& host) = 0;
    virtual void showTimer(QWidget* parent, DialogHost& host) = 0;
    // The recent books, newest first: the index of the chosen one, nothing on Esc.
    virtual std::optional<int> showRecent(QWidget* parent, const QList<RecentBook>& books) = 0;
};

}  // namespace tresslin
