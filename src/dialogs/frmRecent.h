// The books read last: the reader picks one to reopen at its line.
#pragma once

#include <QList>
#include <optional>

#include "dialogs/ListDialog.h"
#include "settings/RecentBooks.h"

namespace tresslin {

class frmRecent : public ListDialog {
    Q_OBJECT
  public:
    frmRecent(QWidget* parent, const QList<RecentBook>& books);

    // The index of the chosen book; nothing on Esc.
    std::optional<int> ShowRecent() { return choose(); }

    // "name  line: N", as each entry reads.
    static QString entryText(const RecentBook& book);
};

}  // namespace tresslin
