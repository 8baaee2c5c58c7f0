// What the reader should make of UTF-16 bytes, by Qt's decoder: the tests' and the fuzzer's
// reference for the vector conversion.
#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>
#include <string>
#include <string_view>

namespace tresslin::test {

// Qt keeps a lone surrogate in the string (and writes '?' for it) and holds an odd last byte
// back; the reader shows U+FFFD for each.
inline std::string qtUtf8(std::string_view bytes, bool big) {
    QStringDecoder decode(big ? QStringConverter::Utf16BE : QStringConverter::Utf16LE);
    QString s = decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i].isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate())
            ++i;
        else if (s[i].isSurrogate())
            s[i] = QChar::ReplacementCharacter;
    }
    if (bytes.size() % 2) s += QChar::ReplacementCharacter;
    return s.toUtf8().toStdString();
}

}  // namespace tresslin::test
