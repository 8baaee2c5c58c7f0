// The books of an archive that holds several: the reader picks the one to open.
#pragma once

#include <QDialog>
#include <QList>
#include <optional>

#include "dialogs/DialogPrompts.h"

class QTreeWidget;

namespace tresslin {

class frmArchive : public QDialog {
    Q_OBJECT
  public:
    frmArchive(QWidget* parent, const QList<ArchiveEntry>& books);

    // The index of the chosen book; nothing on Esc.
    std::optional<int> ShowArchive();

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void choose();

    QTreeWidget* lstBooks;
    std::optional<int> chosen_;
};

}  // namespace tresslin
