#include "settings/IniFormat.h"

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

bool readIniFormat(QIODevice& device, QSettings::SettingsMap& map) {
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

bool writeIniFormat(QIODevice& device, const QSettings::SettingsMap& map) {
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

}  // namespace tresslin
