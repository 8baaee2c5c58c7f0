// Places that could not be pushed, kept on disk beside the settings until a server takes them:
// one per book, the latest.
#pragma once

#include <QList>
#include <QString>

#include "sync/SyncClient.h"

namespace tresslin::sync {

class SyncQueue {
  public:
    explicit SyncQueue(QString file);
    // The file beside the settings.
    static QString defaultFile();

    // Replaces any place waiting for the same book.
    void put(const Progress& progress);
    // Takes the book's place out unless a newer one has been put since.
    void done(const Progress& progress);
    QList<Progress> entries() const;

  private:
    void write(const QList<Progress>& entries) const;
    QString file_;
};

}  // namespace tresslin::sync
