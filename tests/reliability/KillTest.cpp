// Settings saves killed at random moments: the file stays whole, and each group of keys written
// together holds all of its old values or all of one newer write.
#include <QBuffer>
#include <random>

#include "Processes.h"
#include "settings/IniFormat.h"
#include "settings/Settings.h"

using namespace tresslin;
using namespace tresslin::test;

namespace {

// The group's generation: every key holding the same number (a file name "/bN" counts as N);
// -1 for a group never written, -2 for a torn one.
long long generation(const QSettings::SettingsMap& map, const QStringList& keys) {
    long long g = -1;
    for (int i = 0; i < keys.size(); ++i) {
        QString v = map.value(keys[i], "-1").toString();
        if (v.startsWith("/b")) v.remove(0, 2);
        bool ok = false;
        const long long n = v.toLongLong(&ok);
        if (!ok || (i > 0 && n != g)) return -2;
        g = n;
    }
    return g;
}

}  // namespace

TEST(Kill, SavesKilledAtRandomMomentsNeverTearTheFile) {
    SettingsSandbox box;
    // A key no child writes: no kill may lose it.
    WriteSetting(settings::TextCoding, "2");
    ASSERT_TRUE(settings::flush());
    const QStringList groups[] = {{"Settings/Last File", "Settings/Last Line"},
                                  {"Position/Top", "Position/Left", "Position/Width"}};
    long long seen[] = {-1, -1};
    std::mt19937 rng(2026);
    std::uniform_int_distribution<long> delay(1, 20000);
    const int kills = 80;
    int landed = 0;
    for (int run = 1; run <= kills; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        const long long base = run * 1000000LL;
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(CHILD_PATH, {"burst", QString::number(base), QString::number(delay(rng))});
        ASSERT_TRUE(child.waitForFinished(60000));
        ASSERT_EQ(child.exitStatus(), QProcess::CrashExit);

        // A file cut short or damaged loses a key or tears a group.
        QByteArray bytes = FileBytes(box.iniPath());
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        QSettings::SettingsMap map;
        readIniFormat(buffer, map);
        ASSERT_EQ(map.value("Settings/Text Coding"), "2");
        bool changed = false;
        for (int k = 0; k < 2; ++k) {
            const long long g = generation(map, groups[k]);
            ASSERT_TRUE(g == seen[k] || (g > base && g < base + 1000000))
                << groups[k].join(' ').toStdString() << " holds " << g << ", was " << seen[k];
            changed |= g != seen[k];
            seen[k] = g;
        }
        landed += changed;
    }
    // The kills must fall within the bursts, or the test proves little.
    EXPECT_GE(landed, kills / 10);
}
