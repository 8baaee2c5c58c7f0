// The settings file format: any bytes read without a crash, what was read writes back and reads
// the same, and any map of the program's kind of keys and any values survives a write and read.
#include <QBuffer>
#include <QSettings>
#include <cstdint>

#include "FuzzInput.h"
#include "settings/IniFormat.h"

using namespace tresslin;
using tresslin::fuzz::Fail;

namespace {

QSettings::SettingsMap readBytes(QByteArray bytes) {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QSettings::SettingsMap map;
    if (!readIniFormat(buffer, map)) Fail("reading failed");
    return map;
}

QSettings::SettingsMap writtenAndRead(const QSettings::SettingsMap& map) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!writeIniFormat(buffer, map)) Fail("writing failed");
    return readBytes(bytes);
}

bool sameMaps(const QSettings::SettingsMap& a, const QSettings::SettingsMap& b) {
    if (a.keys() != b.keys()) return false;
    for (auto it = a.cbegin(); it != a.cend(); ++it) {
        if (it.value().toString() != b[it.key()].toString()) return false;
    }
    return true;
}

// Names like the program's sections and keys: letters, digits, blanks inside, punctuation other
// than '/', '=' and line breaks; no blank at either end, not starting with a comment sign or '['.
QString nameFrom(fuzz::FuzzInput& in) {
    static const char16_t kChars[] = u"AaZz09_ -.,;#[]()\\\"'!ЯяЁё\tÄ€";
    const int length = 1 + in.byte() % 12;
    QString name;
    for (int i = 0; i < length; ++i) name += QChar(kChars[in.byte() % (std::size(kChars) - 1)]);
    name = name.trimmed();
    if (name.isEmpty() || QStringLiteral(";#[").contains(name.front())) name.prepend(u'k');
    return name;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzInput in(data, size);
    if (in.byte() & 1) {
        // A hand-edited file: whatever was read is written back and read again unchanged.
        const std::string_view raw = in.rest();
        const auto first = readBytes(QByteArray(raw.data(), qsizetype(raw.size())));
        for (const QString& key : first.keys()) {
            if (key.isEmpty() || key.count(u'/') > 1) Fail("key of odd shape read");
        }
        if (!sameMaps(first, writtenAndRead(first))) Fail("read, write, read differs");
        return 0;
    }
    // A map the program could store: keys with or without a section, values of any text.
    QSettings::SettingsMap map;
    for (int i = in.byte() % 8; i > 0; --i) {
        const bool inSection = in.byte() & 1;
        QString key = nameFrom(in);
        if (inSection) key += u'/' + nameFrom(in);
        const std::string_view v = in.take(in.byte() % 40);
        map.insert(key, QString::fromUtf8(v.data(), qsizetype(v.size())));
    }
    if (!sameMaps(map, writtenAndRead(map))) Fail("write then read differs");
    return 0;
}
