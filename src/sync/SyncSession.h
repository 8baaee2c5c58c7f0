// When a book's place goes to the server and comes back: pull at open and when the strip is
// brought back, push once the place has rested (never twice within the gap), when the strip is
// hidden and at close; places that could not be sent wait in the queue. The window answers what
// a record means in the book on view; nothing here sees the window.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

#include "book/BookLocation.h"
#include "formats/XPointer.h"
#include "sync/BookDigest.h"
#include "sync/SyncClient.h"
#include "sync/SyncQueue.h"

namespace tresslin::sync {

// What the window answers and does for the session.
struct SyncView {
    // The place a received record names in the book on view; nothing when it names none.
    std::function<std::optional<TextPlace>(const Progress&)> placeOf;
    std::function<TextPlace()> here;
    // Goes to a place another device left.
    std::function<void(TextPlace, const Progress&)> take;
    // A place behind the one on view: true to go there.
    std::function<bool(const Progress&)> askBehind;
    // A status for the caption.
    std::function<void(const QString&)> say;
};

class SyncSession : public QObject {
    Q_OBJECT
  public:
    static constexpr int kRestMs = 5000;
    static constexpr qint64 kPushGapMs = 25000;
    static constexpr int kCloseWaitMs = 900;
    using Clock = std::function<qint64()>;  // milliseconds since the epoch

    SyncSession(Account account, QString device, QString deviceId, QString queueFile, SyncView view,
                QObject* parent = nullptr);
    ~SyncSession() override;

    void setClock(Clock clock) { clock_ = std::move(clock); }
    // The account's key, once the key store has answered; nothing: sync stays quiet.
    void setKey(const std::optional<QByteArray>& key);
    // A book was opened: its digest is made off the caller's thread, then the place is pulled.
    void bookOpened(const BookLocation& book, DigestMethod method);
    // The digest is known (also what bookOpened ends in); empty: the book has none.
    void setDocument(const QString& document);
    // The place on view, as it would be sent.
    void placeShown(const QString& progress, double percentage);
    // Asks the server for the book's place (open, the strip brought back).
    void pull();
    // The strip is hidden: the place on view goes now.
    void pushNow();
    // The program ends: what is unsent goes to the queue and is sent, waiting a short time.
    void finish();

    // The rest timer's end: the place goes unless one went less than the gap ago.
    void rested();
    QTimer& restTimer() { return rest_; }
    const QString& document() const { return document_; }
    int pending() const { return client_ ? client_->pending() : 0; }

  private:
    Progress current() const;
    void push(const Progress& p, std::function<void(bool)> then = {});
    void flushQueue(std::function<void(bool)> then);
    void pullNow();
    void answered(const Progress& remote);
    void offline(const Answer& answer);
    bool ready() const { return key_.has_value() && !document_.isEmpty(); }

    Account account_;
    QString device_, deviceId_;
    SyncQueue queue_;
    SyncView view_;
    Clock clock_;
    std::unique_ptr<SyncClient> client_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    std::optional<QByteArray> key_;
    QString document_;
    int generation_ = 0;  // a digest for a book since closed is dropped
    QTimer rest_;
    std::optional<Progress> shown_;  // the place on view
    std::optional<Progress> sent_;   // the last place the server took
    qint64 lastPushMs_ = -kPushGapMs;
    std::optional<qint64> unsentSinceMs_;  // the first place shown since the last push
    qint64 movedSecs_ = 0;  // the last local move since the open's pull, server-clock seconds
    bool pullWanted_ = false;
    bool openPulled_ = false;
    bool saidOffline_ = false;
    bool asking_ = false;
};

}  // namespace tresslin::sync
