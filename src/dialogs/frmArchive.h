// The books of an archive that holds several: the reader picks the one to open.
#pragma once

#include <QList>
#include <optional>

#include "dialogs/DialogPrompts.h"
#include "dialogs/ListDialog.h"

namespace tresslin {

class frmArchive : public ListDialog {
    Q_OBJECT
  public:
    frmArchive(QWidget* parent, const QList<ArchiveEntry>& books);

    // The index of the chosen book; nothing on Esc.
    std::optional<int> ShowArchive() { return choose(); }
};

}  // namespace tresslin
