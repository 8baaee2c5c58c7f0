// A book's identity on a progress-sync server, computed the way KOReader computes it, so that
// the same file read on any device writes under the same key.
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <string_view>

#include "book/BookLocation.h"

namespace tresslin::sync {

enum class DigestMethod { Binary = 0, FileName = 1 };

// Lower-case hex MD5 of up to twelve 1 KiB samples at 0, 1 Ki, 4 Ki ... 1 Gi, stopping at the
// first offset at or past the end.
std::optional<QByteArray> partialMd5OfFile(const QByteArray& pathBytes);
QByteArray partialMd5(std::string_view bytes);
// MD5 of the exact bytes of a file's base name, extensions included.
QByteArray nameDigest(const QByteArray& baseName);
// The key for a book where it is: the file as stored (a zip of one book is the
// archive itself), or, for a book chosen from a zip of several, the entry's own bytes and name.
// Nothing when the file cannot be read.
std::optional<QByteArray> bookDigest(const BookLocation& book, DigestMethod method);

// The key the servers compare: lower-case hex MD5 of the password.
QByteArray userKey(const QString& password);

}  // namespace tresslin::sync
