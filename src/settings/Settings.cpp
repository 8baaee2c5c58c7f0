#include "settings/Settings.h"

#include <QCoreApplication>
#include <QFile>
#include <QSet>
#include <QSettings>
#include <QStandardPaths>
#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
#include <string>

#include "platform/StaleLock.h"
#include "settings/IniFormat.h"
#include "settings/StoredNumbers.h"

namespace tresslin {

namespace {

QSettings::Format iniFormat() {
    static const QSettings::Format format = QSettings::registerFormat(
        QStringLiteral("ini"), readIniFormat, writeIniFormat, Qt::CaseSensitive);
    return format;
}

// QSettings holds what is on disk; a write waits here until the next save, which hands it to
// QSettings and syncs at once. QSettings therefore never keeps a change across a turn of the
// event loop, and when and how a save happens is decided here alone.
class Store {
  public:
    QString read(const QString& where) {
        const auto waiting = unsaved_.constFind(where);
        if (waiting != unsaved_.cend()) return waiting->toString();
        const QVariant v = disk().value(where);
        return v.isValid() ? v.toString() : QString();
    }

    bool holds(const QString& where) { return unsaved_.contains(where) || disk().contains(where); }

    void write(const QString& section, const QString& where, const QString& value) {
        // The value held already is on disk or about to be: saving it again would only rewrite
        // the file (and wait for the disk) at every start, where the window stores its
        // unchanged place.
        if (holds(where) && read(where) == value && !changedSections_.contains(section)) {
            unchanged_.insert(where, value);
            return;
        }
        // An earlier unchanged write of this very key is stale now.
        unchanged_.remove(where);
        if (!changedSections_.contains(section)) {
            changedSections_.insert(section);
            const QString prefix = section + u'/';
            for (auto it = unchanged_.cbegin(); it != unchanged_.cend(); ++it) {
                if (it.key().startsWith(prefix)) unsaved_.insert(it.key(), it.value());
            }
        }
        unsaved_.insert(where, value);
        scheduleSave();
    }

    bool save() {
        saveScheduled_ = false;
        // QSettings keeps the first error it meets for good: a store that once failed is made
        // afresh, so that this save's outcome can be told.
        if (disk_ && disk_->status() != QSettings::NoError) disk_.reset();
        QSettings& s = disk();
        removeAbandonedLock(s.fileName());
        for (auto it = unsaved_.cbegin(); it != unsaved_.cend(); ++it)
            s.setValue(it.key(), it.value());
        s.sync();
        changedSections_.clear();
        unchanged_.clear();
        const bool saved = s.status() == QSettings::NoError;
        if (saved) {
            if (!unsaved_.isEmpty()) ++replacements_;
            unsaved_.clear();
            failureSaid_ = false;
        } else if (!failureSaid_) {
            failureSaid_ = true;
            std::fprintf(stderr, "tresslin: the settings could not be saved to %s\n",
                         QFile::encodeName(s.fileName()).constData());
        }
        return saved;
    }

    QString fileName() { return disk().fileName(); }
    std::uint64_t replacements() const { return replacements_; }

    void hold(bool hold) {
        held_ = hold;
        if (!hold && !unsaved_.isEmpty()) scheduleSave();
    }

  private:
    QSettings& disk() {
        if (!disk_) {
            // QSettings remembers the user folder once per process; take it afresh from the
            // environment so that a changed XDG_CONFIG_HOME is honoured.
            const QString configHome =
                QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
            QSettings::setPath(iniFormat(), QSettings::UserScope, configHome);
            // Qt's own dialogs keep their state (the open dialog's recent folders) in settings
            // of their own; they go into the program's folder, the only place it writes.
            const QString folder = configHome + QStringLiteral("/Tresslin");
            QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder);
            QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder);
            disk_ =
                std::make_unique<QSettings>(iniFormat(), QSettings::UserScope,
                                            QStringLiteral("Tresslin"), QStringLiteral("Tresslin"));
            // Writes must never be lost to a crash mid-write: the file is replaced atomically.
            disk_->setAtomicSyncRequired(true);
        }
        return *disk_;
    }

    // One save after the current burst of writes, when the event loop turns next.
    void scheduleSave();

    std::unique_ptr<QSettings> disk_;
    QSettings::SettingsMap unsaved_;  // written, not yet known to be on disk
    // Values left unchanged by a write are not saved again, except beside a changed key of
    // their section in the same save: keys written together (the last book and its line, the
    // window's place, the colours) then reach the file together, whatever another instance put
    // there.
    QSet<QString> changedSections_;
    QSettings::SettingsMap unchanged_;
    bool saveScheduled_ = false;
    bool held_ = false;
    bool failureSaid_ = false;
    std::uint64_t replacements_ = 0;
};

std::unique_ptr<Store>& storeSlot() {
    static std::unique_ptr<Store> store;
    return store;
}

Store& store() {
    auto& s = storeSlot();
    if (!s) s = std::make_unique<Store>();
    return *s;
}

void Store::scheduleSave() {
    if (saveScheduled_ || held_ || QCoreApplication::instance() == nullptr) return;
    saveScheduled_ = true;
    // The store of the moment: tests replace it between cases.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [] {
            if (store().saveScheduled_) store().save();
        },
        Qt::QueuedConnection);
}

QString address(const settings::Setting& s) {
    return QString::fromLatin1(s.section) + u'/' + QString::fromLatin1(s.key);
}

}  // namespace

QString ReadSetting(const settings::Setting& setting) {
    const QString where = address(setting);
    if (store().holds(where)) return store().read(where);
    switch (setting.kind) {
        case settings::Kind::Text:
            return QString::fromUtf8(setting.defaultText);
        case settings::Kind::Twips:
            return QString();
        default:
            return QString::number(setting.defaultNumber);
    }
}

void WriteSetting(const settings::Setting& setting, const QString& value) {
    store().write(QString::fromLatin1(setting.section), address(setting), value);
}

namespace settings {

std::int32_t readNumber(const Setting& setting) {
    const std::string text = ReadSetting(setting).toStdString();
    if (setting.kind == Kind::Interval) return readTimerInterval(text);
    const auto v = parseWholeNumber(text);
    return v && *v >= setting.min && *v <= setting.max ? *v : setting.defaultNumber;
}

std::optional<double> readTwips(const Setting& setting) {
    return parseDecimal(ReadSetting(setting).toStdString());
}

void writeNumber(const Setting& setting, std::int64_t value) {
    WriteSetting(setting, QString::number(value));
}

bool flush() {
    return store().save();
}

void holdSaves(bool hold) {
    store().hold(hold);
}

std::uint64_t fileReplacements() {
    return store().replacements();
}

namespace {
// Numbered pairs of keys ("File1", "Line1", ...) in one section. The keys live as long as the
// program, so the table's entries can point at them.
// Each list needs its own Count: one instantiation holds one section.
template <int Count>
const Setting& numberedSetting(const char* section, const char* first, const char* second,
                               Setting (*make)(const char*, const char*, const char*), int n,
                               bool isSecond) {
    static const auto keys = [&] {
        std::array<std::array<std::string, 2>, Count> k;
        for (int i = 0; i < Count; ++i)
            k[std::size_t(i)] = {first + std::to_string(i + 1), second + std::to_string(i + 1)};
        return k;
    }();
    static const auto table = [&] {
        std::array<std::array<Setting, 2>, Count> t{};
        for (std::size_t i = 0; i < t.size(); ++i)
            t[i] = {text(section, keys[i][0].c_str(), ""), make(section, keys[i][1].c_str(), "")};
        return t;
    }();
    return table[std::size_t(std::clamp(n, 1, Count) - 1)][isSecond ? 1 : 0];
}

Setting recentLine(const char* section, const char* key, const char*) {
    return number(section, key, 1, 1);
}

const Setting& recentSetting(int n, bool line) {
    return numberedSetting<kRecentBooks>("Recent Files", "File", "Line", recentLine, n, line);
}
}  // namespace

static_assert(kRecentBooks != kBookmarkedBooks);

Setting BookmarkFile(int n) {
    return numberedSetting<kBookmarkedBooks>("Bookmarks", "File", "Marks", text, n, false);
}

Setting BookmarkMarks(int n) {
    return numberedSetting<kBookmarkedBooks>("Bookmarks", "File", "Marks", text, n, true);
}

Setting RecentFile(int n) {
    return recentSetting(n, false);
}

Setting RecentLine(int n) {
    return recentSetting(n, true);
}

QString filePath() {
    return store().fileName();
}

void resetForTests() {
    storeSlot().reset();
}

}  // namespace settings

}  // namespace tresslin
