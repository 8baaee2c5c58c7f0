// The real boxes and dialogs.
#pragma once

#include "dialogs/DialogPrompts.h"
#include "platform/QtPrompts.h"

namespace tresslin {

class QtDialogPrompts : public QtPrompts, public DialogPrompts {
  public:
    bool showFind(QWidget* parent, QString& sFind) override;
    void showSettings(QWidget* parent, DialogHost& host) override;
    void showTimer(QWidget* parent, DialogHost& host) override;
    std::optional<int> showRecent(QWidget* parent, const QList<RecentBook>& books) override;
    std::optional<int> showArchive(QWidget* parent, const QList<ArchiveEntry>& books) override;
    std::optional<int> showContents(QWidget* parent, const QList<ContentsEntry>& entries,
                                    int current) override;
    std::optional<int> showBookmarks(QWidget* parent, const QList<BookmarkEntry>& marks,
                                     const std::function<void(int)>& remove) override;
    bool ask(QWidget* parent, const QString& text, const QString& title) override;
};

}  // namespace tresslin
