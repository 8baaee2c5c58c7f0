// The client of a KOReader progress-sync server: register, log in, push and pull a place. Every
// call is asynchronous and bounded by a time-out; the answer comes back through a callback run
// on the caller's thread.
#pragma once

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QObject>
#include <QString>
#include <QUrl>
#include <functional>
#include <optional>

class QNetworkReply;

namespace tresslin::sync {

struct Account {
    QString server;  // as typed; "https://" is assumed when no scheme is given
    QString user;
    QByteArray key;  // the MD5 hex of the password
};

struct Progress {
    QString document;
    QString progress;
    double percentage = 0;  // 0..1
    QString device;
    QString deviceId;
    qint64 timestamp = 0;  // the server's clock, seconds; 0 when not given
};

enum class Outcome {
    Ok,
    NoRecord,      // pull: the server holds no place for the book
    Unauthorized,  // wrong user name or key
    NameTaken,     // register: the user name is in use
    Refused,       // any other answer the server gave as an error
    Unreachable,   // no connection, TLS failure, time-out
    BadAnswer,     // a success status with a body that is not the protocol's
};

struct Answer {
    Outcome outcome = Outcome::Unreachable;
    int status = 0;                    // HTTP status, 0 without one
    QString message;                   // the server's message, or the network's error text
    std::optional<Progress> progress;  // pull with Ok
    bool ok() const { return outcome == Outcome::Ok; }
};

// The base URL for what the user typed; an empty URL when it is not a usable address.
QUrl serverUrl(const QString& typed);

class SyncClient : public QObject {
    Q_OBJECT
  public:
    static constexpr int kAccountTimeoutMs = 10000;
    static constexpr int kProgressTimeoutMs = 5000;
    using Done = std::function<void(const Answer&)>;

    explicit SyncClient(QObject* parent = nullptr);

    void registerUser(const Account& account, Done done);
    void login(const Account& account, Done done);
    void push(const Account& account, const Progress& progress, Done done);
    void pull(const Account& account, const QString& document, Done done);
    // Requests still waiting for their answer.
    int pending() const { return pending_; }

  private:
    enum class Call { Register, Login, Push, Pull };
    QNetworkReply* send(const Account& account, const QString& path, const QByteArray& verb,
                        const QByteArray& body, int timeoutMs, bool auth);
    void finish(QNetworkReply* reply, Call call, const Done& done);

    QNetworkAccessManager network_;
    int pending_ = 0;
};

// The user's words for an answer to Register or Log in.
QString accountAnswerText(const Answer& answer, bool registering);

}  // namespace tresslin::sync
