#include "sync/SyncClient.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <cmath>

namespace tresslin::sync {

namespace {

Answer failed(Outcome outcome, int status, const QString& message) {
    Answer a;
    a.outcome = outcome;
    a.status = status;
    a.message = message;
    return a;
}

// The protocol's ids are hex digests; anything else would not even reach the GET route.
bool safeDocument(const QString& document) {
    if (document.isEmpty()) return false;
    for (const QChar c : document)
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != u'_') return false;
    return true;
}

std::optional<Progress> progressFrom(const QJsonObject& o) {
    // A body without a percentage holds no place.
    if (!o.value(QLatin1String("percentage")).isDouble()) return std::nullopt;
    Progress p;
    p.document = o.value(QLatin1String("document")).toString();
    p.percentage = o.value(QLatin1String("percentage")).toDouble();
    const QJsonValue progress = o.value(QLatin1String("progress"));
    p.progress = progress.isDouble() ? QString::number(progress.toDouble()) : progress.toString();
    p.device = o.value(QLatin1String("device")).toString();
    p.deviceId = o.value(QLatin1String("device_id")).toString();
    p.timestamp = qint64(o.value(QLatin1String("timestamp")).toDouble());
    return p;
}

}  // namespace

QUrl serverUrl(const QString& typed) {
    QString text = typed.trimmed();
    if (text.isEmpty()) return {};
    if (!text.contains(QLatin1String("://"))) text.prepend(QLatin1String("https://"));
    QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty() ||
        (url.scheme() != QLatin1String("https") && url.scheme() != QLatin1String("http")))
        return {};
    QString path = url.path();
    while (path.endsWith(u'/')) path.chop(1);
    url.setPath(path);
    return url;
}

SyncClient::SyncClient(QObject* parent) : QObject(parent) {
    // Answers are never kept: a place read from a cache could be an old one.
    network_.setCache(nullptr);
}

QNetworkReply* SyncClient::send(const Account& account, const QString& path, const QByteArray& verb,
                                const QByteArray& body, int timeoutMs, bool auth) {
    QUrl url = serverUrl(account.server);
    if (url.isEmpty()) return nullptr;
    url.setPath(url.path() + path);
    QNetworkRequest request(url);
    request.setRawHeader("Accept", "application/vnd.koreader.v1+json");
    if (!body.isEmpty())
        request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArray("application/json"));
    if (auth) {
        request.setRawHeader("x-auth-user", account.user.toUtf8());
        request.setRawHeader("x-auth-key", account.key);
    }
    request.setTransferTimeout(timeoutMs);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    ++pending_;
    return network_.sendCustomRequest(request, verb, body);
}

void SyncClient::finish(QNetworkReply* reply, Call call, const Done& done) {
    reply->deleteLater();
    --pending_;
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QByteArray body = reply->readAll();
    if (status == 0) {
        done(failed(Outcome::Unreachable, 0, reply->errorString()));
        return;
    }
    QJsonParseError parseError;
    const QJsonDocument json = QJsonDocument::fromJson(body, &parseError);
    const QJsonObject o = json.object();
    const bool isObject = parseError.error == QJsonParseError::NoError && json.isObject();
    const QString message = o.value(QLatin1String("message")).toString();
    const bool success = call == Call::Register ? status == 201 : status == 200;
    if (!success) {
        if (call == Call::Pull && (status == 404 || status == 502)) {
            done(failed(Outcome::NoRecord, status, message));
        } else if (status == 401) {
            done(failed(Outcome::Unauthorized, status, message));
        } else if (call == Call::Register && status == 402 &&
                   o.value(QLatin1String("code")).toInt() == 2002) {
            done(failed(Outcome::NameTaken, status, message));
        } else {
            done(failed(Outcome::Refused, status,
                        message.isEmpty() ? reply->errorString() : message));
        }
        return;
    }
    if (!isObject) {
        done(failed(Outcome::BadAnswer, status, parseError.errorString()));
        return;
    }
    Answer answer = failed(Outcome::Ok, status, message);
    if (call == Call::Pull) {
        answer.progress = progressFrom(o);
        if (!answer.progress) answer.outcome = Outcome::NoRecord;
    } else if (call == Call::Login &&
               o.value(QLatin1String("authorized")).toString() != QLatin1String("OK")) {
        answer.outcome = Outcome::BadAnswer;
    }
    done(answer);
}

void SyncClient::registerUser(const Account& account, Done done) {
    const QJsonObject body{{QLatin1String("username"), account.user},
                           {QLatin1String("password"), QString::fromLatin1(account.key)}};
    QNetworkReply* reply =
        send(account, QStringLiteral("/users/create"), "POST",
             QJsonDocument(body).toJson(QJsonDocument::Compact), kAccountTimeoutMs, false);
    if (!reply) return done(failed(Outcome::Unreachable, 0, tr("not a server address")));
    connect(reply, &QNetworkReply::finished, this,
            [this, reply, done] { finish(reply, Call::Register, done); });
}

void SyncClient::login(const Account& account, Done done) {
    QNetworkReply* reply =
        send(account, QStringLiteral("/users/auth"), "GET", {}, kAccountTimeoutMs, true);
    if (!reply) return done(failed(Outcome::Unreachable, 0, tr("not a server address")));
    connect(reply, &QNetworkReply::finished, this,
            [this, reply, done] { finish(reply, Call::Login, done); });
}

void SyncClient::push(const Account& account, const Progress& progress, Done done) {
    // Floored to four decimals, as KOReader sends it.
    const double fraction = std::floor(std::clamp(progress.percentage, 0.0, 1.0) * 10000) / 10000;
    const QJsonObject body{{QLatin1String("document"), progress.document},
                           {QLatin1String("progress"), progress.progress},
                           {QLatin1String("percentage"), fraction},
                           {QLatin1String("device"), progress.device},
                           {QLatin1String("device_id"), progress.deviceId}};
    QNetworkReply* reply =
        send(account, QStringLiteral("/syncs/progress"), "PUT",
             QJsonDocument(body).toJson(QJsonDocument::Compact), kProgressTimeoutMs, true);
    if (!reply) return done(failed(Outcome::Unreachable, 0, tr("not a server address")));
    connect(reply, &QNetworkReply::finished, this,
            [this, reply, done] { finish(reply, Call::Push, done); });
}

void SyncClient::pull(const Account& account, const QString& document, Done done) {
    if (!safeDocument(document)) return done(failed(Outcome::NoRecord, 0, {}));
    QNetworkReply* reply = send(account, QStringLiteral("/syncs/progress/") + document, "GET", {},
                                kProgressTimeoutMs, true);
    if (!reply) return done(failed(Outcome::Unreachable, 0, tr("not a server address")));
    connect(reply, &QNetworkReply::finished, this,
            [this, reply, done] { finish(reply, Call::Pull, done); });
}

QString accountAnswerText(const Answer& answer, bool registering) {
    auto say = [](const char* text) { return QCoreApplication::translate("Sync", text); };
    // QT_TRANSLATE_NOOP names the context for lupdate; say looks the text up in it.
    switch (answer.outcome) {
        case Outcome::Ok:
            return registering ? say(QT_TRANSLATE_NOOP("Sync", "Registered and logged in"))
                               : say(QT_TRANSLATE_NOOP("Sync", "Logged in"));
        case Outcome::NameTaken:
            return say(QT_TRANSLATE_NOOP("Sync", "That user name is taken"));
        case Outcome::Unauthorized:
            return say(QT_TRANSLATE_NOOP("Sync", "Wrong user name or password"));
        case Outcome::Unreachable:
            return say(QT_TRANSLATE_NOOP("Sync", "The server cannot be reached: ")) +
                   answer.message;
        case Outcome::BadAnswer:
            return say(QT_TRANSLATE_NOOP("Sync", "The server's answer is not a sync server's"));
        case Outcome::NoRecord:
        case Outcome::Refused:
            break;
    }
    QString text = say(QT_TRANSLATE_NOOP("Sync", "The server refused: HTTP ")) +
                   QString::number(answer.status);
    if (!answer.message.isEmpty()) text += QStringLiteral(" ") + answer.message;
    return text;
}

}  // namespace tresslin::sync
