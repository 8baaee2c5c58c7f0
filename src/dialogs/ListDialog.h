// One list to choose from, shared by the archive's books, the recent books, the contents and the
// bookmarks: Enter or a double click chooses, Esc closes; where asked, typing filters the list
// and Delete removes the current entry.
#pragma once

#include <QDialog>
#include <QList>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

#include "dialogs/DialogPrompts.h"

class QAbstractItemView;
class QLineEdit;

namespace tresslin {

class ListDialog : public QDialog {
    Q_OBJECT
  public:
    // list is laid out in the dialog and named listName; name is the dialog's object name.
    ListDialog(QWidget* parent, const char* name, const QString& title, QAbstractItemView* list,
               const char* listName);

    // Typing (and Backspace) edits a filter above the list; only rows holding it stay.
    void enableFilter();
    // Delete removes the current row from the list and hands its first index to remove.
    void enableRemove(std::function<void(int)> remove);
    void setCurrentRow(int row);

    // The index of the chosen row as first given; nothing on Esc or for a row that is only a
    // note ("no headings").
    std::optional<int> choose();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void chooseCurrent();
    void filterRows(const QString& text);
    void removeCurrent();
    void setRowHidden(int row, bool hidden);

    QAbstractItemView* list_;
    QLineEdit* filter_ = nullptr;
    std::function<void(int)> remove_;
    QList<int> original_;  // the first index of each row now in the list
    std::optional<int> chosen_;
};

// The contents with the entry current being read selected; the index of the chosen entry.
std::optional<int> showContentsList(QWidget* parent, const QList<ContentsEntry>& entries,
                                    int current);
// The bookmarks, newest first; remove is called at once for each one deleted.
std::optional<int> showBookmarksList(QWidget* parent, const QList<BookmarkEntry>& marks,
                                     const std::function<void(int)>& remove);

}  // namespace tresslin
