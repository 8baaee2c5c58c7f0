// The settings file format: any bytes read without a crash, what was read writes back and reads
// the same, and any map of the program's kind of keys and any values survives a write and read.
#include <QBuffer>
#include <QByteArray>
#include <QSettings>
#include <QString>
#include <cstdint>

#include "FuzzInput.h"
#include "settings/IniFormat.h"

using namespace tresslin;
using tresslin::fuzz::Fail;
using tresslin::fuzz::FuzzInput;

namespace {

QSettings::SettingsMap readBytes(const QByteArray& bytes) {
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    QSettings::SettingsMap map;
    if (!readIniFormat(buffer, map)) Fail("reading failed");
    return map;
}

QByteArray writeMap(const QSettings::SettingsMap& map) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!writeIniFormat(buffer, map)) Fail("writing failed");
    return bytes;
}

bool sameMaps(const QSettings::SettingsMap& a, const QSettings::SettingsMap& b) {
    if (a.size() != b.size()) return false;
    for (auto it = a.cbegin(), jt = b.cbegin(); it != a.cend(); ++it, ++jt) {
        if (it.key() != jt.key() || it.value().toString() != jt.value().toString()) return false;
    }
    return true;
}

// Names like the program's sections and keys: words of letters, digits, blanks inside, and
// punctuation other than '/', '=' and line breaks; no blank at either end, and not starting with
// a comment sign or '['.
QString nameFrom(FuzzInput& in) {
    static const char16_t kChars[] = u"AaZz09_ -.,;#[]()\\\"'!ЯяЁё\tÄ€";
    constexpr int kCount = int(sizeof kChars / sizeof kChars[0]) - 1;
    const int length = 1 + in.byte() % 12;
    QString name;
    for (int i = 0; i < length; ++i) name += QChar(kChars[in.byte() % kCount]);
    name = name.trimmed();
    if (name.isEmpty()) return QStringLiteral("k");
    static const QString kStart = QStringLiteral(";#[");
    if (kStart.contains(name.front())) name.front() = u'k';
    return name;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    const std::uint8_t mode = in.byte();

    if (mode & 1) {
        // A hand-edited file: whatever was read is written back and read again unchanged.
        const std::string_view raw = in.rest();
        const QSettings::SettingsMap first =
            readBytes(QByteArray(raw.data(), qsizetype(raw.size())));
        for (auto it = first.cbegin(); it != first.cend(); ++it) {
            if (it.key().isEmpty() || it.key().count(u'/') > 1) Fail("key of odd shape read");
        }
        if (!sameMaps(first, readBytes(writeMap(first)))) Fail("read, write, read differs");
        return 0;
    }

    // A map the program could store: keys with or without a section, values of any text.
    QSettings::SettingsMap map;
    const int entries = in.byte() % 8;
    for (int i = 0; i < entries; ++i) {
        const bool inSection = in.byte() & 1;
        QString key = nameFrom(in);
        if (inSection) key += u'/' + nameFrom(in);
        const std::string_view v = in.take(in.byte() % 40);
        map.insert(key, QString::fromUtf8(v.data(), qsizetype(v.size())));
    }
    const QByteArray bytes = writeMap(map);
    if (!sameMaps(map, readBytes(bytes))) Fail("write then read differs");
    return 0;
}
