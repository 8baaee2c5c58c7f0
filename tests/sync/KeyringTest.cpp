// The key in the desktop's secret store, run by with_keyring.sh on a private bus.
#include <gtest/gtest.h>

#include <QDirIterator>
#include <QEventLoop>
#include <QFile>

#include "settings/Settings.h"
#include "support/TestSupport.h"
#include "sync/SyncAccount.h"

namespace tresslin::test {
namespace {

using sync::KeyStore;

// What the key store answered, waited for.
template <typename T, typename Call>
T answer(Call call) {
    QEventLoop loop;
    std::optional<T> got;
    call([&](auto... a) { got.emplace(a...), loop.quit(); });
    if (!got) loop.exec();
    return *got;
}

const QString kServer = "https://sync.example.org";
const QByteArray kKey = "5ebe2294ecd0e0f08eab7690d2a6ee69";

auto save(const QByteArray& key) {
    return answer<std::pair<KeyStore::Kept, QString>>(
        [&](auto done) { KeyStore::save(kServer, "bob", key, false, done); });
}
auto load() {
    return answer<std::optional<QByteArray>>(
        [](auto done) { KeyStore::load(kServer, "bob", done); });
}

// Whether any file below folder holds the bytes as they are.
bool anyFileHolds(const QString& folder, const QByteArray& bytes) {
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        if (FileBytes(it.next()).contains(bytes)) return true;
    return false;
}

TEST(SecretStore, HoldsTheKeyAndNoFileDoes) {
    SettingsSandbox sandbox;
    WriteSetting(settings::SyncUser, "bob");
    EXPECT_EQ(save(kKey).first, KeyStore::Kept::SecretStore) << save(kKey).second.toStdString();
    KeyStore::forgetForTests();
    EXPECT_EQ(load().value_or("none"), kKey) << "read back from the store in a new run";
    ASSERT_TRUE(settings::flush());
    EXPECT_FALSE(sandbox.fileText().contains(QString::fromLatin1(kKey)));
    EXPECT_FALSE(QFile::exists(sync::keyFilePath()));
    // In the keyring gnome-keyring wrote, and in plain text nowhere.
    const QString home = qEnvironmentVariable("HOME");
    EXPECT_FALSE(QDir(home + "/data/keyrings").entryList({"*.keyring"}).isEmpty());
    EXPECT_FALSE(anyFileHolds(home, kKey));
    EXPECT_FALSE(anyFileHolds(sandbox.folder(), kKey));
    KeyStore::forgetForTests();
}

TEST(NoSecretStore, KeyKeptForThisRunOnlyAndSaysWhy) {
    SettingsSandbox sandbox;
    const auto [kept, why] = save(kKey);
    EXPECT_EQ(kept, KeyStore::Kept::ThisRunOnly);
    EXPECT_FALSE(why.isEmpty());
    EXPECT_EQ(KeyStore::runKey().value_or("none"), kKey);
    EXPECT_FALSE(QFile::exists(sync::keyFilePath()));
    KeyStore::forgetForTests();
    EXPECT_FALSE(load()) << "nothing outlives the run";
}

}  // namespace
}  // namespace tresslin::test
