#include "sync/SyncSession.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QEventLoop>
#include <QThreadPool>
#include <cmath>

namespace tresslin::sync {

namespace {

bool samePlace(const std::optional<Progress>& a, const Progress& b) {
    return a && a->document == b.document && a->progress == b.progress &&
           a->percentage == b.percentage;
}

bool operator<(const TextPlace& a, const TextPlace& b) {
    return a.line != b.line ? a.line < b.line : a.offset < b.offset;
}

}  // namespace

SyncSession::SyncSession(Account account, QString device, QString deviceId, QString queueFile,
                         SyncView view, QObject* parent)
    : QObject(parent),
      account_(std::move(account)),
      device_(std::move(device)),
      deviceId_(std::move(deviceId)),
      queue_(std::move(queueFile)),
      view_(std::move(view)),
      clock_([] { return QDateTime::currentMSecsSinceEpoch(); }),
      client_(std::make_unique<SyncClient>()) {
    rest_.setSingleShot(true);
    connect(&rest_, &QTimer::timeout, this, &SyncSession::rested);
}

SyncSession::~SyncSession() {
    // Answers aborted by the client's end must find nobody to call back.
    *alive_ = false;
    client_.reset();
}

void SyncSession::setKey(const std::optional<QByteArray>& key) {
    key_ = key;
    if (key) account_.key = *key;
    if (pullWanted_ && ready()) pullNow();
}

void SyncSession::bookOpened(const BookLocation& book, DigestMethod method) {
    // The book being left keeps its last place on the server.
    if (ready() && openPulled_ && shown_ && !samePlace(sent_, current())) push(current());
    ++generation_;
    document_.clear();
    shown_.reset();
    sent_.reset();
    unsentSinceMs_.reset();
    rest_.stop();
    openPulled_ = false;
    movedSecs_ = 0;
    pullWanted_ = true;
    // Up to twelve reads spread over the file: never on the first paint's path.
    QThreadPool::globalInstance()->start([this, alive = alive_, generation = generation_, book,
                                          method] {
        const QString digest = QString::fromLatin1(bookDigest(book, method).value_or(QByteArray()));
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [this, alive, generation, digest] {
                if (*alive && generation == generation_) setDocument(digest);
            },
            Qt::QueuedConnection);
    });
}

void SyncSession::setDocument(const QString& document) {
    document_ = document;
    if (pullWanted_ && ready()) pullNow();
}

Progress SyncSession::current() const {
    Progress p = *shown_;
    p.document = document_;
    return p;
}

void SyncSession::placeShown(const QString& progress, double percentage) {
    Progress p;
    p.progress = progress;
    p.percentage = percentage;
    p.device = device_;
    p.deviceId = deviceId_;
    if (shown_ && shown_->progress == progress && shown_->percentage == percentage) return;
    shown_ = p;
    const qint64 now = clock_();
    // Places shown before the open's answer are the open's own, not the reader's.
    if (openPulled_) movedSecs_ = now / 1000;
    if (!unsentSinceMs_) unsentSinceMs_ = now;
    // Reading on without a rest (the auto-show) still sends once the gap has passed.
    if (now - *unsentSinceMs_ >= kPushGapMs) return rested();
    rest_.start(kRestMs);
}

void SyncSession::rested() {
    if (!ready() || !openPulled_ || !shown_ || samePlace(sent_, current())) return;
    const qint64 since = clock_() - lastPushMs_;
    if (since < kPushGapMs) return rest_.start(int(kPushGapMs - since));
    push(current());
}

void SyncSession::pushNow() {
    if (!ready() || !openPulled_ || !shown_ || samePlace(sent_, current())) return;
    rest_.stop();
    push(current());
}

void SyncSession::finish() {
    rest_.stop();
    if (!ready() || !openPulled_ || !shown_ || samePlace(sent_, current())) return;
    const Progress p = current();
    // Kept first: a close that cannot wait for the answer sends it at the next start.
    queue_.put(p);
    QEventLoop loop;
    auto waiting = std::make_shared<QEventLoop*>(&loop);
    push(p, [waiting](bool) {
        if (*waiting) (*waiting)->quit();
    });
    if (client_->pending() > 0) {
        QTimer::singleShot(kCloseWaitMs, &loop, &QEventLoop::quit);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    *waiting = nullptr;
}

void SyncSession::push(const Progress& p, std::function<void(bool)> then) {
    lastPushMs_ = clock_();
    unsentSinceMs_.reset();
    client_->push(account_, p, [this, alive = alive_, p, then](const Answer& answer) {
        if (!*alive) return;
        if (answer.ok()) {
            queue_.done(p);
            sent_ = p;
            saidOffline_ = false;
            if (then) then(true);
            // The server answers again: what waited goes now.
            if (!queue_.entries().isEmpty()) flushQueue({});
            return;
        }
        // A refused key would be refused again; anything else may pass later.
        if (answer.outcome != Outcome::Unauthorized) queue_.put(p);
        offline(answer);
        if (then) then(false);
    });
}

void SyncSession::flushQueue(std::function<void(bool)> then) {
    const QList<Progress> waiting = queue_.entries();
    if (waiting.isEmpty()) {
        if (then) then(true);
        return;
    }
    const Progress p = waiting.first();
    const qsizetype count = waiting.size();
    client_->push(account_, p, [this, alive = alive_, p, count, then](const Answer& answer) {
        if (!*alive) return;
        if (!answer.ok()) {
            offline(answer);
            if (then) then(false);
            return;
        }
        saidOffline_ = false;
        if (p.document == document_) sent_ = p;
        queue_.done(p);
        // A place that stays after done() was put again meanwhile; it goes with the next push.
        if (queue_.entries().size() < count)
            flushQueue(then);
        else if (then)
            then(true);
    });
}

void SyncSession::pull() {
    pullWanted_ = true;
    if (ready()) pullNow();
}

void SyncSession::pullNow() {
    pullWanted_ = false;
    // Places not yet sent go first, so the answer is never this device's stale one.
    flushQueue([this, alive = alive_, document = document_](bool flushed) {
        if (!*alive) return;
        if (!flushed) {
            openPulled_ = true;
            return;
        }
        client_->pull(account_, document, [this, alive, document](const Answer& answer) {
            if (!*alive) return;
            openPulled_ = true;
            if (document != document_) return;
            if (answer.ok() && answer.progress) {
                saidOffline_ = false;
                answered(*answer.progress);
            } else if (answer.outcome != Outcome::NoRecord) {
                offline(answer);
            }
        });
    });
}

void SyncSession::answered(const Progress& remote) {
    if (remote.deviceId == deviceId_) return;
    // One older than the reader's last move here is replaced by the next push.
    if (remote.timestamp > 0 && remote.timestamp < movedSecs_) return;
    // The same place as KOReader sees it: the same fraction as sent, or the same string.
    const auto sent = [](double f) { return std::floor(f * 10000); };
    if (shown_ && (sent(remote.percentage) == sent(shown_->percentage) ||
                   (!remote.progress.isEmpty() && remote.progress == shown_->progress)))
        return;
    const std::optional<TextPlace> there = view_.placeOf(remote);
    if (!there) return;
    const TextPlace here = view_.here();
    if (*there == here) return;
    if (here < *there) return view_.take(*there, remote);
    // One question at a time: another answer may come while the box is open.
    if (asking_) return;
    const std::shared_ptr<bool> alive = alive_;
    const QString document = document_;
    asking_ = true;
    const bool yes = view_.askBehind(remote);
    if (!*alive) return;
    asking_ = false;
    // The box ran the event loop: the book may have changed meanwhile.
    if (yes && document_ == document) view_.take(*there, remote);
}

void SyncSession::offline(const Answer& answer) {
    if (saidOffline_) return;
    saidOffline_ = true;
    view_.say(answer.outcome == Outcome::Unauthorized ? tr("   Sync: the key was refused")
                                                      : tr("   Sync: off line"));
}

}  // namespace tresslin::sync
