// The books read last: the reader picks one to reopen at its line.
#pragma once

#include <QDialog>
#include <QList>
#include <optional>

#include "settings/RecentBooks.h"

class QListWidget;

namespace tresslin {

class frmRecent : public QDialog {
    Q_OBJECT
  public:
    frmRecent(QWidget* parent, const QList<RecentBook>& books);

    // The index of the chosen book; nothing on Esc.
    std::optional<int> ShowRecent();

    // "name  line: N", as each entry reads.
    static QString entryText(const RecentBook& book);

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void choose();

    QListWidget* lstBooks;
    std::optional<int> chosen_;
};

}  // namespace tresslin
