#include "sync/SyncAccount.h"

#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <QUuid>

#include "settings/Settings.h"

#ifdef TRESSLIN_HAVE_KEYCHAIN
#include <qt6keychain/keychain.h>
#endif

namespace tresslin::sync {

namespace {

std::optional<QByteArray>& memoryKey() {
    static std::optional<QByteArray> key;
    return key;
}

QString keychainName(const QString& server, const QString& user) {
    return QStringLiteral("sync ") + user + QStringLiteral(" at ") + server.trimmed();
}

bool writeKeyFile(const QByteArray& key) {
    const QByteArray path = QFile::encodeName(keyFilePath());
    const QByteArray temp = path + ".new";
    QDir().mkpath(QFileInfo(keyFilePath()).absolutePath());
    // Made with its mode, so the key is never readable by others even for a moment.
    ::unlink(temp.constData());
    const int fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    const bool written =
        ::write(fd, key.constData(), std::size_t(key.size())) == key.size() && ::fsync(fd) == 0;
    ::close(fd);
    if (!written || ::rename(temp.constData(), path.constData()) != 0) {
        ::unlink(temp.constData());
        return false;
    }
    return true;
}

std::optional<QByteArray> readKeyFile() {
    QFile file(keyFilePath());
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    const QByteArray key = file.read(64).trimmed();
    if (key.isEmpty()) return std::nullopt;
    return key;
}

}  // namespace

QString deviceId() {
    QString id = ReadSetting(settings::SyncDeviceId);
    if (id.size() != 32) {
        id = QUuid::createUuid().toString(QUuid::Id128).toUpper();
        WriteSetting(settings::SyncDeviceId, id);
    }
    return id;
}

QString deviceName() {
    const QString name = ReadSetting(settings::SyncDevice).trimmed();
    return name.isEmpty() ? QSysInfo::machineHostName() : name;
}

DigestMethod digestMethod() {
    return settings::readNumber(settings::SyncDigest) == 1 ? DigestMethod::FileName
                                                           : DigestMethod::Binary;
}

Account storedAccount() {
    Account a;
    a.server = ReadSetting(settings::SyncServer).trimmed();
    a.user = ReadSetting(settings::SyncUser).trimmed();
    a.key = KeyStore::runKey().value_or(QByteArray());
    return a;
}

QString keyFilePath() {
    return QFileInfo(settings::filePath()).absolutePath() + QStringLiteral("/sync-key");
}

std::optional<QByteArray> KeyStore::runKey() {
    return memoryKey();
}

void KeyStore::forgetForTests() {
    memoryKey().reset();
}

void KeyStore::save(const QString& server, const QString& user, const QByteArray& key, bool inFile,
                    Saved done) {
    memoryKey() = key;
    if (inFile) {
        if (writeKeyFile(key)) return done(Kept::File, {});
        return done(Kept::ThisRunOnly,
                    QCoreApplication::translate("Sync", "the key file cannot be written"));
    }
    // A key left in a file from before would outlive the user's choice.
    QFile::remove(keyFilePath());
#ifdef TRESSLIN_HAVE_KEYCHAIN
    auto* job = new QKeychain::WritePasswordJob(QStringLiteral("Tresslin"));
    job->setAutoDelete(true);
    job->setKey(keychainName(server, user));
    job->setBinaryData(key);
    QObject::connect(job, &QKeychain::Job::finished, [done](QKeychain::Job* j) {
        if (j->error() == QKeychain::NoError) return done(Kept::SecretStore, {});
        done(Kept::ThisRunOnly, j->errorString());
    });
    job->start();
#else
    Q_UNUSED(server);
    Q_UNUSED(user);
    done(Kept::ThisRunOnly, QCoreApplication::translate("Sync", "built without a secret store"));
#endif
}

void KeyStore::load(const QString& server, const QString& user, Loaded done) {
    if (settings::readFlag(settings::SyncKeyFile)) {
        if (auto key = readKeyFile()) memoryKey() = key;
        return done(memoryKey());
    }
#ifdef TRESSLIN_HAVE_KEYCHAIN
    auto* job = new QKeychain::ReadPasswordJob(QStringLiteral("Tresslin"));
    job->setAutoDelete(true);
    job->setKey(keychainName(server, user));
    QObject::connect(job, &QKeychain::Job::finished, [done](QKeychain::Job* j) {
        if (j->error() == QKeychain::NoError)
            memoryKey() = static_cast<QKeychain::ReadPasswordJob*>(j)->binaryData();
        done(memoryKey());
    });
    job->start();
#else
    Q_UNUSED(server);
    Q_UNUSED(user);
    done(memoryKey());
#endif
}

}  // namespace tresslin::sync
