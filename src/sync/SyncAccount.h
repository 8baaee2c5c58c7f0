// What a device syncs as: the stored account, this installation's id and name, and the key,
// which lives in the desktop's secret store (or, only when the user asks, in a file only they
// can read), never in the settings file.
#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

#include "sync/BookDigest.h"
#include "sync/SyncClient.h"

namespace tresslin::sync {

// Made once per installation and stored: 32 upper-case hex characters.
QString deviceId();
// The name set in the settings, else the host name.
QString deviceName();
DigestMethod digestMethod();
// The stored server (empty: sync is off) and user, with the key known for this run.
Account storedAccount();

// The file beside the settings that holds the key when the user chose it.
QString keyFilePath();

class KeyStore {
  public:
    // Where a key ended up.
    enum class Kept { SecretStore, File, ThisRunOnly };
    using Saved = std::function<void(Kept, const QString& why)>;
    using Loaded = std::function<void(const std::optional<QByteArray>&)>;

    // Stores the key for the account; with inFile, in the file (mode 0600) instead of the
    // secret store. Without any store the key is kept for this run only.
    static void save(const QString& server, const QString& user, const QByteArray& key, bool inFile,
                     Saved done);
    static void load(const QString& server, const QString& user, Loaded done);
    // The key kept in memory for this run (set by save and load).
    static std::optional<QByteArray> runKey();
    static void forgetForTests();
};

}  // namespace tresslin::sync
