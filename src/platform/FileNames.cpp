#include "platform/FileNames.h"

#include <dirent.h>
#include <unistd.h>

#include <QStringList>
#include <memory>

#include "book/DisplayChars.h"
#include "book/mdlFiles.h"
#include "book/mdlService.h"

namespace tresslin {

namespace {

bool isUtf8(std::string_view bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t len = decodeUtf8(p + i, bytes.size() - i).length;
        if (len == 0) return false;
        i += len;
    }
    return true;
}

QString readablePart(std::string_view part) {
    if (isUtf8(part)) return QString::fromUtf8(part.data(), qsizetype(part.size()));
    const auto& table = tablesFor(kWindowsCyrillic).toUnicode;
    QString out;
    out.reserve(qsizetype(part.size()));
    for (const char c : part) out += QChar(table[static_cast<unsigned char>(c)]);
    return out;
}

const QString kStoredPrefix = QStringLiteral("file://");

// A dialog's text for a name whose bytes were not UTF-8, matched against the folder's entries.
std::string resolveChosenPath(const QString& path) {
    if (!path.contains(QChar::ReplacementCharacter) || access(path.toUtf8().constData(), F_OK) == 0)
        return path.toStdString();
    const QStringList parts = path.split(u'/');
    std::string resolved = parts[0].toStdString();
    for (qsizetype k = 1; k < parts.size(); ++k) {
        std::string name = parts[k].toStdString();
        if (parts[k].contains(QChar::ReplacementCharacter)) {
            const std::unique_ptr<DIR, int (*)(DIR*)> dir(
                opendir(resolved.empty() ? "/" : resolved.c_str()), closedir);
            int matches = 0;
            while (dir) {
                const dirent* entry = readdir(dir.get());
                if (!entry) break;
                if (QString::fromUtf8(entry->d_name) == parts[k]) {
                    name = entry->d_name;
                    ++matches;
                }
            }
            if (matches != 1) name = parts[k].toStdString();
        }
        resolved += '/' + name;
    }
    return resolved;
}

}  // namespace

BookLocation locationOfText(const QString& path) {
    return locationFromBytes(resolveChosenPath(path));
}

BookLocation absoluteLocation(BookLocation location) {
    if (location.file.empty() || location.file.starts_with('/')) return location;
    char buffer[4096];
    if (getcwd(buffer, sizeof buffer)) location.file = std::string(buffer) + '/' + location.file;
    return location;
}

QString shownBytes(std::string_view bytes) {
    QString out;
    for (std::size_t from = 0;;) {
        const std::size_t slash = bytes.find('/', from);
        out += readablePart(bytes.substr(from, slash - from));
        if (slash == bytes.npos) return out;
        out += u'/';
        from = slash + 1;
    }
}

QString shownText(const BookLocation& location) {
    return shownBytes(locationBytes(location));
}

QString shownName(const BookLocation& location) {
    return shownBytes(GetFileName(locationBytes(location)));
}

QString storedText(const BookLocation& location) {
    const std::string bytes = locationBytes(location);
    if (isUtf8(bytes)) return QString::fromStdString(bytes);
    return kStoredPrefix +
           QString::fromLatin1(QByteArray::fromStdString(bytes).toPercentEncoding("/"));
}

BookLocation storedLocation(const QString& stored) {
    if (!stored.startsWith(kStoredPrefix)) return locationFromBytes(stored.toStdString());
    return locationFromBytes(
        QByteArray::fromPercentEncoding(stored.mid(kStoredPrefix.size()).toUtf8()).toStdString());
}

}  // namespace tresslin
