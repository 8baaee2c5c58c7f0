#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <cmath>

#include "support/TestSupport.h"
#include "sync/BookDigest.h"
#include "sync/SyncAccount.h"
#include "sync/SyncClient.h"
#include "sync/SyncQueue.h"
#include "sync/SyncSession.h"
#include "viewer/ViewerFixture.h"

namespace tresslin::test {
namespace {

using sync::Outcome;

// The protocol server of kosync_server.py, started for one test and stopped after it.
class Server {
  public:
    Server() {
        process_.start(PYTHON, {SERVER_SCRIPT, dir_.filePath("log"), dir_.filePath("mode")});
        while (!process_.canReadLine() && process_.waitForReadyRead(10000)) {
        }
        port_ = QString::fromUtf8(process_.readLine()).split(' ').value(1).trimmed().toInt();
    }
    ~Server() {
        process_.kill();
        process_.waitForFinished();
    }
    QString url() const { return QStringLiteral("http://127.0.0.1:%1").arg(port_); }
    void mode(const QByteArray& m) { WriteBytes(dir_.filePath("mode"), m); }
    QList<QJsonObject> requests() const {
        QList<QJsonObject> list;
        for (const QByteArray& line : FileBytes(dir_.filePath("log")).split('\n'))
            if (!line.isEmpty()) list << QJsonDocument::fromJson(line).object();
        return list;
    }

  private:
    QTemporaryDir dir_;
    QProcess process_;
    int port_ = 0;
};

template <typename Call>
sync::Answer wait(Call call) {
    QEventLoop loop;
    sync::Answer answer;
    call([&](const sync::Answer& a) {
        answer = a;
        loop.quit();
    });
    loop.exec();
    return answer;
}

TEST(SyncDigest, PartialMd5MatchesHashlibOnEverySize) {
    TempBooks books;
    for (qint64 size : {0LL, 1LL, 1024LL, 1025LL, 5000LL, 300000LL, (1LL << 30) + 4096}) {
        const QString path = books.path(QStringLiteral("b%1").arg(size));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        // Sparse beyond the first bytes; a few marks where samples are taken.
        for (qint64 at : {0LL, 1000LL, 4100LL, 1LL << 20, 1LL << 30})
            if (at < size) f.seek(at), f.write(QByteArray::number(at) + "mark");
        f.resize(size);
        f.close();
        QProcess py;
        py.start(PYTHON, {SERVER_SCRIPT, "--digest", path});
        ASSERT_TRUE(py.waitForFinished(20000));
        EXPECT_EQ(sync::partialMd5OfFile(QFile::encodeName(path)).value_or("none"),
                  py.readAll().trimmed())
            << size;
        QFile::remove(path);
    }
    // md5 of the name's exact bytes: "abc" is the textbook vector.
    EXPECT_EQ(sync::nameDigest("abc"), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(sync::userKey("secret"), "5ebe2294ecd0e0f08eab7690d2a6ee69");
}

TEST(SyncClient, SpeaksTheProtocolAndTellsEveryFailureApart) {
    Server server;
    sync::SyncClient client;
    sync::Account alice{server.url(), "alice", sync::userKey("pw")};
    EXPECT_EQ(wait([&](auto d) { client.registerUser(alice, d); }).outcome, Outcome::Ok);
    EXPECT_EQ(wait([&](auto d) { client.registerUser(alice, d); }).outcome, Outcome::NameTaken);
    EXPECT_EQ(wait([&](auto d) { client.login(alice, d); }).outcome, Outcome::Ok);
    sync::Account wrong = alice;
    wrong.key = sync::userKey("other");
    EXPECT_EQ(wait([&](auto d) { client.login(wrong, d); }).outcome, Outcome::Unauthorized);

    const QString doc = "0123456789abcdef0123456789abcdef";
    EXPECT_EQ(wait([&](auto d) { client.pull(alice, doc, d); }).outcome, Outcome::NoRecord);
    sync::Progress p{doc, "/FictionBook/body/pre[3]/text().4", 0.123456, "desk", "ID1", 0};
    EXPECT_TRUE(wait([&](auto d) { client.push(alice, p, d); }).ok());
    const sync::Answer got = wait([&](auto d) { client.pull(alice, doc, d); });
    ASSERT_TRUE(got.progress);
    EXPECT_EQ(got.progress->progress, p.progress);
    EXPECT_DOUBLE_EQ(got.progress->percentage, 0.1234);
    EXPECT_EQ(got.progress->deviceId, "ID1");
    EXPECT_GT(got.progress->timestamp, 0);

    const QJsonObject put = server.requests()[5];
    EXPECT_EQ(put["method"].toString(), "PUT");
    EXPECT_EQ(put["accept"].toString(), "application/vnd.koreader.v1+json");
    EXPECT_EQ(put["key"].toString(), sync::userKey("pw"));
    const QJsonObject body = QJsonDocument::fromJson(put["body"].toString().toUtf8()).object();
    EXPECT_EQ(body.keys(),
              QStringList({"device", "device_id", "document", "percentage", "progress"}));
    EXPECT_EQ(QJsonDocument::fromJson(server.requests()[0]["body"].toString().toUtf8())["password"]
                  .toString(),
              sync::userKey("pw"));

    const QString unknown = "ffffffffffffffffffffffffffffffff";
    for (auto [mode, outcome] : {std::pair{"404", Outcome::NoRecord},
                                 {"502", Outcome::NoRecord},
                                 {"500", Outcome::Refused},
                                 {"garbage", Outcome::BadAnswer}}) {
        server.mode(mode);
        EXPECT_EQ(wait([&](auto d) { client.pull(alice, unknown, d); }).outcome, outcome) << mode;
    }
    server.mode("garbage");
    EXPECT_EQ(wait([&](auto d) { client.push(alice, p, d); }).outcome, Outcome::BadAnswer);
    sync::Account nowhere{"http://127.0.0.1:1", "alice", alice.key};
    EXPECT_EQ(wait([&](auto d) { client.login(nowhere, d); }).outcome, Outcome::Unreachable);
    EXPECT_EQ(sync::serverUrl("sync.example.org/").toString(), "https://sync.example.org");
    EXPECT_TRUE(sync::serverUrl("ftp://x").isEmpty());
}

template <typename Done>
bool waitUntil(Done done) {
    const QDeadlineTimer deadline(20000);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    return done();
}

TEST(SyncSession, TakesAheadAsksBehindNeverItselfSpacesPushesAndQueues) {
    Server server;
    sync::SyncClient client;
    const sync::Account bob{server.url(), "bob", sync::userKey("pw")};
    ASSERT_TRUE(wait([&](auto d) { client.registerUser(bob, d); }).ok());
    const QString doc = "0123456789abcdef0123456789abcdef";
    auto phone = [&](double fraction) {
        sync::Progress p{doc, "", fraction, "phone", "PHONE", 0};
        ASSERT_TRUE(wait([&](auto d) { client.push(bob, p, d); }).ok());
    };
    // A record's place is its per cent as a line.
    TextPlace here{10, 0};
    std::vector<std::int64_t> taken;
    QStringList said;
    int asked = 0;
    bool yes = false;
    sync::SyncView view{
        [](const sync::Progress& p) {
            return TextPlace{std::int64_t(std::llround(p.percentage * 100)), 0};
        },
        [&] { return here; },
        [&](TextPlace t, const sync::Progress&) { taken.push_back(t.line), here = t; },
        [&](const sync::Progress&) { return ++asked, yes; }, [&](const QString& s) { said << s; }};
    QTemporaryDir dir;
    const QString queueFile = dir.filePath("queue");
    sync::SyncSession session({server.url(), "bob", {}}, "desk", "DESK", queueFile, view);
    qint64 now = 1000000;
    session.setClock([&] { return now; });
    auto puts = [&] {
        int n = 0;
        for (const QJsonObject& r : server.requests()) n += r["method"].toString() == "PUT";
        return n;
    };
    // Until every request the session made has its answer.
    auto settle = [&] { waitUntil([&] { return session.pending() == 0; }); };
    auto pull = [&] { session.pull(), settle(); };
    auto hide = [&](double fraction) {
        session.placeShown("", fraction), session.pushNow(), settle();
    };

    phone(0.5);
    session.setDocument(doc);
    pull();
    EXPECT_TRUE(taken.empty()) << "no pull before the key is known";
    session.setKey(bob.key);
    settle();
    EXPECT_EQ(taken, std::vector<std::int64_t>{50});
    phone(0.3);
    pull();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(here.line, 50) << "behind and answered No";
    yes = true;
    pull();
    EXPECT_EQ(taken, (std::vector<std::int64_t>{50, 30}));

    const int before = puts();
    session.placeShown("", 0.42);
    session.rested();
    settle();
    EXPECT_EQ(puts(), before + 1);
    pull();
    EXPECT_EQ(taken.size(), 2u) << "this device's own place, ahead, is never taken back";
    // Within the gap the push waits for what is left of it.
    now += 10000;
    session.placeShown("", 0.45);
    session.rested();
    EXPECT_EQ(session.restTimer().interval(), 15000);
    EXPECT_EQ(session.pending(), 0);
    now += 15000;
    session.rested();
    settle();
    EXPECT_EQ(puts(), before + 2);
    // The auto-show never rests: a place every 3 s is sent once the gap has passed, not before.
    for (int i = 0; i < 10; ++i) {
        now += 3000;
        session.placeShown("", 0.46 + i * 0.001);
        settle();
        EXPECT_EQ(puts(), before + 2 + (i == 9)) << i;
    }

    server.mode("500");
    hide(0.6);
    hide(0.61);
    EXPECT_EQ(said, QStringList{"   Sync: off line"}) << "said once";
    ASSERT_EQ(sync::SyncQueue(queueFile).entries().size(), 1);
    server.mode("");
    pull();
    EXPECT_TRUE(sync::SyncQueue(queueFile).entries().isEmpty());
    const QList<QJsonObject> requests = server.requests();
    EXPECT_EQ(requests.last()["method"].toString(), "GET") << "the queue goes before the pull";
    EXPECT_TRUE(requests[requests.size() - 2]["body"].toString().contains("0.61"));

    // A server that never answers holds the close for under a second; the place waits on disk.
    server.mode("hang");
    session.placeShown("", 0.7);
    QElapsedTimer closing;
    closing.start();
    session.finish();
    EXPECT_LT(closing.elapsed(), 4000);
    ASSERT_EQ(sync::SyncQueue(queueFile).entries().size(), 1);
    EXPECT_DOUBLE_EQ(sync::SyncQueue(queueFile).entries()[0].percentage, 0.7);
    sync::SyncQueue queue(queueFile);  // another book's place, with the same string, stays
    queue.put({"other", "", 0.2, "desk", "DESK", 0}), queue.done(queue.entries()[0]);
    EXPECT_EQ(queue.entries().value(0).document, "other");
}

using SyncWindow = ViewerTest;

TEST_F(SyncWindow, TakesAPlaceAheadGoesBackAndSendsOnHideAndClose) {
    EXPECT_EQ(window->syncSession(), nullptr) << "no server, no sync";
    Server server;
    sync::SyncClient client;
    const sync::Account bob{server.url(), "bob", sync::userKey("pw")};
    ASSERT_TRUE(wait([&](auto d) { client.registerUser(bob, d); }).ok());
    std::string text;
    for (int i = 0; i < 100; ++i) text += "line " + std::to_string(i + 10) + "\n";
    const auto doc =
        sync::bookDigest(locationOfText(books.write("book.txt", text)), sync::DigestMethod::Binary);
    // Sent from the start of line 51, floored to four places.
    sync::Progress phone{QString::fromLatin1(*doc), "", 400.0 / 810, "phone", "PHONE", 0};
    ASSERT_TRUE(wait([&](auto d) { client.push(bob, phone, d); }).ok());

    WriteSetting(settings::SyncServer, server.url());
    WriteSetting(settings::SyncUser, "bob");
    settings::writeNumber(settings::SyncKeyFile, 1);
    sync::KeyStore::save(server.url(), "bob", bob.key, true, [](auto, const QString&) {});
    makeWindow();
    ASSERT_NE(window->syncSession(), nullptr);
    open(text);
    ASSERT_TRUE(waitUntil([&] { return window->curLine() > 0; }));
    EXPECT_EQ(window->curLine(), 50);
    EXPECT_TRUE(caption().endsWith("   Sync: from phone")) << caption().toStdString();
    press("Backspace");
    EXPECT_EQ(window->curLine(), 0);

    auto lastPut = [&] {
        QJsonObject put;
        for (const QJsonObject& r : server.requests())
            if (r["method"].toString() == "PUT") put = r;
        return QJsonDocument::fromJson(put["body"].toString().toUtf8()).object();
    };
    press("Down");
    window->show();
    window->hide();
    ASSERT_TRUE(waitUntil([&] { return window->syncSession()->pending() == 0; }));
    EXPECT_EQ(lastPut()["device_id"].toString(), sync::deviceId());
    EXPECT_NEAR(lastPut()["percentage"].toDouble(), 0.01, 0.0005) << "the second of 100 lines";
    press("Down");
    window->close();
    EXPECT_NEAR(lastPut()["percentage"].toDouble(), 0.02, 0.0005) << "sent at close";
    sync::KeyStore::forgetForTests();
}

TEST(SyncCommand, LogsInFromStandardInputAndKeepsTheKeyOutOfTheSettings) {
    Server server;
    SettingsSandbox sandbox;
    WriteBytes(sandbox.iniPath(), "[Sync]\nKey In File=1\n");
    auto run = [&](const QString& command, const QByteArray& password, QString* out) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", sandbox.folder());
        p.setProcessEnvironment(env);
        p.start(PROGRAM_PATH, {command, server.url(), "bob"});
        p.write(password + "\n");
        p.closeWriteChannel();
        p.waitForFinished(20000);
        *out = QString::fromUtf8(p.readAllStandardOutput()).trimmed();
        return p.exitCode();
    };
    QString out;
    EXPECT_EQ(run("--sync-login", "pw", &out), 1);
    EXPECT_EQ(out, "Wrong user name or password");
    EXPECT_EQ(run("--sync-register", "pw", &out), 0);
    EXPECT_EQ(out, "Registered and logged in");
    EXPECT_EQ(run("--sync-login", "pw", &out), 0);
    EXPECT_EQ(out, "Logged in");
    const QString ini = QString::fromUtf8(FileBytes(sandbox.iniPath()));
    EXPECT_TRUE(ini.contains("Server=" + server.url()));
    EXPECT_TRUE(ini.contains("User=bob"));
    EXPECT_FALSE(ini.contains(QString::fromLatin1(sync::userKey("pw"))));
    const QString keyFile = sandbox.folder() + "/Tresslin/sync-key";
    EXPECT_EQ(FileBytes(keyFile), sync::userKey("pw"));
    EXPECT_EQ(QFile::permissions(keyFile) & 0x0077, 0);
}

}  // namespace
}  // namespace tresslin::test
