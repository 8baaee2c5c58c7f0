#include "settings/Settings.h"
#include "settings/SettingsFormat.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QSet>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <memory>

#include "book/ViewRules.h"
#include "book/mdlFiles.h"

namespace tresslin {

namespace {

// The file format: "[Section]" lines and "Key=value" lines, keys and values as plain text.
// Only a backslash, CR and LF in a value are escaped (\\, \r, \n), so a path of any characters
// survives; unknown escapes and lines that are neither are read as they stand or skipped.
QString decodeValue(QStringView v) {
    QString out;
    out.reserve(v.size());
    for (qsizetype i = 0; i < v.size(); ++i) {
        const QChar c = v[i];
        if (c == u'\\' && i + 1 < v.size()) {
            const QChar n = v[i + 1];
            if (n == u'\\') {
                out += u'\\';
                ++i;
                continue;
            }
            if (n == u'n') {
                out += u'\n';
                ++i;
                continue;
            }
            if (n == u'r') {
                out += u'\r';
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

QString encodeValue(const QString& v) {
    QString out;
    out.reserve(v.size());
    for (const QChar c : v) {
        if (c == u'\\')
            out += QStringLiteral("\\\\");
        else if (c == u'\n')
            out += QStringLiteral("\\n");
        else if (c == u'\r')
            out += QStringLiteral("\\r");
        else
            out += c;
    }
    return out;
}

}  // namespace

bool ReadIniFormat(QIODevice& device, QSettings::SettingsMap& map) {
    const QString text = QString::fromUtf8(device.readAll());
    QString section;
    const auto lines = QStringView(text).split(u'\n');
    for (QStringView line : lines) {
        if (line.endsWith(u'\r')) line.chop(1);
        // Byte-order marks (an editor's, wherever it left one) and blanks before a line's text
        // are no part of it.
        while (!line.isEmpty() && (line.front() == QChar(0xFEFF) || line.front().isSpace()))
            line = line.mid(1);
        const QStringView trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(u';') || trimmed.startsWith(u'#')) continue;
        if (trimmed.startsWith(u'[') && trimmed.endsWith(u']')) {
            section = trimmed.mid(1, trimmed.size() - 2).trimmed().toString();
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (eq <= 0) continue;
        const QString key = line.left(eq).trimmed().toString();
        if (key.isEmpty() || key.contains(u'/') || section.contains(u'/')) continue;
        map.insert(section.isEmpty() ? key : section + u'/' + key, decodeValue(line.mid(eq + 1)));
    }
    return true;
}

bool WriteIniFormat(QIODevice& device, const QSettings::SettingsMap& map) {
    QString out;
    QString current;
    bool first = true;
    // Keys without a section go first: after a "[Section]" line they would read as its keys.
    for (const bool sectioned : {false, true}) {
        for (auto it = map.cbegin(); it != map.cend(); ++it) {
            const qsizetype slash = it.key().indexOf(u'/');
            if ((slash >= 0) != sectioned) continue;
            const QString section = slash < 0 ? QString() : it.key().left(slash);
            const QString key = slash < 0 ? it.key() : it.key().mid(slash + 1);
            if (first || section != current) {
                if (!first) out += u'\n';
                if (!section.isEmpty()) out += u'[' + section + QStringLiteral("]\n");
                current = section;
                first = false;
            }
            out += key + u'=' + encodeValue(it.value().toString()) + u'\n';
        }
    }
    const QByteArray bytes = out.toUtf8();
    return device.write(bytes) == bytes.size();
}

namespace {

QSettings::Format iniFormat() {
    static const QSettings::Format format = QSettings::registerFormat(
        QStringLiteral("ini"), ReadIniFormat, WriteIniFormat, Qt::CaseSensitive);
    return format;
}

// QSettings guards each save with "<file>.lock", whose owner holds an flock on it. A process
// killed between creating that file and writing its owner into it leaves it empty, and
// QLockFile then waits 30 s for it to grow stale: every save blocks the window until then.
// Such an empty lock that nobody holds is removed before a save.
void removeAbandonedLock(const QString& file) {
    const QByteArray lock = QFile::encodeName(file + QStringLiteral(".lock"));
    struct stat st {};
    if (::stat(lock.constData(), &st) != 0 || st.st_size != 0) return;
    const int fd = ::open(lock.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) return;
    struct stat held {};
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &held) == 0 && held.st_size == 0 &&
        held.st_ino == st.st_ino && held.st_dev == st.st_dev)
        ::unlink(lock.constData());
    ::close(fd);
}

// Values left unchanged by a write are not saved again, except beside a changed key of their
// section in the same save: keys written together (the last book and its line, the window's
// place, the colours) then reach the file together, whatever another instance put there.
struct Pending {
    QSet<QString> changedSections;
    QSettings::SettingsMap unchanged;  // written with the value held, not yet set
    QSettings::SettingsMap unsaved;    // set but not yet known to be on disk
};

Pending& pending() {
    static Pending p;
    return p;
}

// Sees the store's save request before the store does.
class SaveWatcher : public QObject {
  public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::UpdateRequest) {
            removeAbandonedLock(static_cast<QSettings*>(watched)->fileName());
            pending().changedSections.clear();
            pending().unchanged.clear();
        }
        return false;
    }
};

std::unique_ptr<QSettings>& storeSlot() {
    static std::unique_ptr<QSettings> store;
    return store;
}

QSettings& store() {
    auto& s = storeSlot();
    if (!s) {
        // QSettings remembers the user folder once per process; take it afresh from the
        // environment so that a changed XDG_CONFIG_HOME is honoured.
        const QString configHome =
            QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
        QSettings::setPath(iniFormat(), QSettings::UserScope, configHome);
        // Qt's own dialogs keep their state (the open dialog's recent folders) in settings of
        // their own; they go into the program's folder, the only place it writes.
        const QString folder = configHome + QStringLiteral("/Tresslin");
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder);
        s = std::make_unique<QSettings>(iniFormat(), QSettings::UserScope,
                                        QStringLiteral("Tresslin"), QStringLiteral("Tresslin"));
        // Writes must never be lost to a crash mid-write: QSettings replaces the file atomically.
        s->setAtomicSyncRequired(true);
        s->installEventFilter(new SaveWatcher(s.get()));
    }
    return *s;
}

QString address(const QString& section, const QString& key) {
    return section + u'/' + key;
}

}  // namespace

QString ReadSetting(const QString& section, const QString& key, const QString& defaultValue) {
    const QVariant v = store().value(address(section, key));
    return v.isValid() ? v.toString() : defaultValue;
}

QString ReadSetting(const QString& section, const QString& key, std::int32_t defaultValue) {
    return ReadSetting(section, key, QString::number(defaultValue));
}

void WriteSetting(const QString& section, const QString& key, const QString& value) {
    QSettings& s = store();
    Pending& p = pending();
    const QString where = address(section, key);
    // The value held already is on disk or about to be: saving it again would only rewrite the
    // file (and wait for the disk) at every start, where the window stores its unchanged place.
    const QVariant old = s.value(where);
    if (old.isValid() && old.toString() == value && !p.changedSections.contains(section)) {
        p.unchanged.insert(where, value);
        return;
    }
    // QSettings keeps the value in memory at once and saves at the next turn of the event loop.
    s.setValue(where, value);
    p.unsaved.insert(where, value);
    if (!p.changedSections.contains(section)) {
        p.changedSections.insert(section);
        const QString prefix = section + u'/';
        for (auto it = p.unchanged.cbegin(); it != p.unchanged.cend(); ++it) {
            if (it.key().startsWith(prefix)) {
                s.setValue(it.key(), it.value());
                p.unsaved.insert(it.key(), it.value());
            }
        }
    }
}

std::int32_t ReadIntSetting(const QString& section, const QString& key, std::int32_t defaultValue) {
    const QString text = ReadSetting(section, key, defaultValue);
    const auto v = ParseWholeNumber(text.toStdString());
    return v ? *v : defaultValue;
}

std::int32_t ReadTextCoding() {
    const std::int32_t c =
        ReadIntSetting(QString::fromLatin1(keys::kSettings), QString::fromLatin1(keys::kTextCoding),
                       kDefaultTextCoding);
    return (c >= 0 && c < kStoredCodingCount) ? c : kDefaultTextCoding;
}

bool ReadDetectCoding() {
    return ReadIntSetting(QString::fromLatin1(keys::kSettings),
                          QString::fromLatin1(keys::kDetectCoding), 1) != 0;
}

bool FlushSettings() {
    Pending& p = pending();
    // QSettings keeps the first error it meets for good. A store that once failed is made
    // afresh, with what it had not saved, so that this save's outcome can be told.
    if (store().status() != QSettings::NoError) {
        storeSlot().reset();
        QSettings& fresh = store();
        for (auto it = p.unsaved.cbegin(); it != p.unsaved.cend(); ++it)
            fresh.setValue(it.key(), it.value());
    }
    QSettings& s = store();
    removeAbandonedLock(s.fileName());
    s.sync();
    p.changedSections.clear();
    p.unchanged.clear();
    const bool saved = s.status() == QSettings::NoError;
    if (saved) p.unsaved.clear();
    return saved;
}

QString SettingsFilePath() {
    return store().fileName();
}

void ResetSettingsForTests() {
    storeSlot().reset();
    pending() = Pending();
}

}  // namespace tresslin
