#include "platform/FileNames.h"

#include <dirent.h>
#include <unistd.h>

#include <QStringList>
#include <memory>

#include "book/DisplayChars.h"
#include "book/mdlFiles.h"

namespace tresslin {

namespace {

constexpr char16_t kEscapeBase = 0xDC00;

bool isEscape(QChar c) {
    return c.unicode() >= kEscapeBase + 0x80 && c.unicode() <= kEscapeBase + 0xFF;
}

bool hasEscape(const QString& s) {
    for (const QChar c : s) {
        if (isEscape(c)) return true;
    }
    return false;
}

QString cp1251Text(const QByteArray& bytes) {
    const auto& table = tablesFor(kWindowsCyrillic).toUnicode;
    QString out;
    out.reserve(bytes.size());
    for (const char c : bytes) out += QChar(table[static_cast<unsigned char>(c)]);
    return out;
}

const QString kStoredPrefix = QStringLiteral("file://");

}  // namespace

QString pathFromBytes(const QByteArray& bytes) {
    QString out;
    out.reserve(bytes.size());
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n;) {
        const auto len = qsizetype(decodeUtf8(p + i, std::size_t(n - i)).length);
        if (len == 0) {
            out += QChar(char16_t(kEscapeBase + p[i]));
            ++i;
        } else {
            out += QString::fromUtf8(bytes.constData() + i, len);
            i += len;
        }
    }
    return out;
}

QByteArray pathBytes(const QString& path) {
    if (!hasEscape(path)) return path.toUtf8();
    QByteArray out;
    qsizetype from = 0;
    for (qsizetype i = 0; i <= path.size(); ++i) {
        if (i < path.size() && !isEscape(path[i])) continue;
        out += QStringView(path).mid(from, i - from).toUtf8();
        if (i < path.size()) out += char(path[i].unicode() - kEscapeBase);
        from = i + 1;
    }
    return out;
}

QString readablePath(const QString& path) {
    if (!hasEscape(path)) return path;
    QStringList parts = path.split(u'/');
    for (QString& part : parts) {
        if (hasEscape(part)) part = cp1251Text(pathBytes(part));
    }
    return parts.join(u'/');
}

QString storedPath(const QString& path) {
    if (!hasEscape(path)) return path;
    return kStoredPrefix + QString::fromLatin1(pathBytes(path).toPercentEncoding("/"));
}

QString pathFromStored(const QString& stored) {
    if (!stored.startsWith(kStoredPrefix)) return stored;
    return pathFromBytes(
        QByteArray::fromPercentEncoding(stored.mid(kStoredPrefix.size()).toUtf8()));
}

QString resolveChosenPath(const QString& path) {
    if (!path.contains(QChar::ReplacementCharacter) ||
        access(pathBytes(path).constData(), F_OK) == 0)
        return path;
    const QStringList parts = path.split(u'/');
    QByteArray resolved = parts[0].toUtf8();
    for (qsizetype k = 1; k < parts.size(); ++k) {
        QByteArray name = pathBytes(parts[k]);
        if (parts[k].contains(QChar::ReplacementCharacter)) {
            const std::unique_ptr<DIR, int (*)(DIR*)> dir(
                opendir(resolved.isEmpty() ? "/" : resolved.constData()), closedir);
            int matches = 0;
            while (dir) {
                const dirent* entry = readdir(dir.get());
                if (!entry) break;
                if (QString::fromUtf8(entry->d_name) == parts[k]) {
                    name = entry->d_name;
                    ++matches;
                }
            }
            if (matches != 1) name = pathBytes(parts[k]);
        }
        resolved += '/' + name;
    }
    return pathFromBytes(resolved);
}

QString absolutePath(const QString& path) {
    if (path.isEmpty() || path.startsWith(u'/')) return path;
    char buffer[4096];
    if (!getcwd(buffer, sizeof buffer)) return path;
    return pathFromBytes(QByteArray(buffer)) + u'/' + path;
}

}  // namespace tresslin
