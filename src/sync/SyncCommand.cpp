#include "sync/SyncCommand.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QString>
#include <cstdio>
#include <iostream>
#include <string>

#include "settings/Settings.h"
#include "sync/SyncAccount.h"
#include "sync/SyncClient.h"

namespace tresslin::sync {

namespace {
void say(std::FILE* to, const QString& text) {
    std::fprintf(to, "%s\n", text.toLocal8Bit().constData());
}
}  // namespace

std::optional<int> handleSyncCommand(int argc, char** argv,
                                     const std::function<void()>& speakTheDesktopsLanguage) {
    if (argc < 2) return std::nullopt;
    const std::string command = argv[1];
    const bool registering = command == "--sync-register";
    if (!registering && command != "--sync-login") return std::nullopt;
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Tresslin"));
    if (speakTheDesktopsLanguage) speakTheDesktopsLanguage();
    if (argc != 4) {
        say(stderr, QCoreApplication::translate(
                        "Sync", "Usage: tresslin %1 SERVER USER  (the password on standard input)")
                        .arg(QString::fromStdString(command)));
        return 1;
    }
    std::string password;
    std::getline(std::cin, password);
    if (!password.empty() && password.back() == '\r') password.pop_back();
    Account account;
    account.server = QString::fromLocal8Bit(argv[2]).trimmed();
    account.user = QString::fromLocal8Bit(argv[3]).trimmed();
    account.key = userKey(QString::fromStdString(password));
    if (account.user.isEmpty() || account.user.contains(u':') || password.empty()) {
        say(stderr, QCoreApplication::translate(
                        "Sync", "A user name (without ':') and a password are needed"));
        return 1;
    }

    SyncClient client;
    QEventLoop loop;
    Answer answer;
    auto done = [&](const Answer& a) {
        answer = a;
        loop.quit();
    };
    if (registering)
        client.registerUser(account, done);
    else
        client.login(account, done);
    if (client.pending() > 0) loop.exec();
    say(stdout, accountAnswerText(answer, registering));
    if (!answer.ok()) return 1;

    WriteSetting(settings::SyncServer, account.server);
    WriteSetting(settings::SyncUser, account.user);
    deviceId();
    const bool inFile = settings::readFlag(settings::SyncKeyFile);
    int rc = 0;
    bool saved = false;
    KeyStore::save(account.server, account.user, account.key, inFile,
                   [&](KeyStore::Kept kept, const QString& why) {
                       if (kept == KeyStore::Kept::ThisRunOnly) {
                           say(stderr,
                               QCoreApplication::translate(
                                   "Sync", "No secret store answers (%1): the key is not kept")
                                   .arg(why));
                           rc = 1;
                       }
                       saved = true;
                       loop.quit();
                   });
    // The secret store answers on the bus; a file or a refusal answers at once.
    if (!saved) loop.exec();
    if (!settings::flush()) rc = 1;
    return rc;
}

}  // namespace tresslin::sync
