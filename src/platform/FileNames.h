// File names as the file system holds them: bytes, which need not be UTF-8 (names from old
// Russian archives are often Windows Cyrillic or KOI8-R). Qt decodes names as UTF-8 and turns
// every other byte into U+FFFD, which no longer opens the file, so the window keeps paths in
// the form below and converts at the edges.
#pragma once

#include <QByteArray>
#include <QString>

namespace tresslin {

// UTF-8 where the bytes are valid; each other byte b as the lone surrogate U+DC00 + b, which
// no valid UTF-8 decodes to, so pathBytes gives exactly the same bytes back.
QString pathFromBytes(const QByteArray& bytes);
QByteArray pathBytes(const QString& path);

// For captions and messages: a name part whose bytes are not UTF-8 read as Windows Cyrillic,
// the coding of names written on Russian Windows, where most such archives come from.
QString readablePath(const QString& path);

// The text stored in the settings for a path. A path that is valid UTF-8 is stored as it is;
// one that is not as a file URI with its bytes percent-encoded ("file:///..."), which no
// absolute path is, the file-URI form freedesktop's desktop files use for such names.
QString storedPath(const QString& path);
QString pathFromStored(const QString& stored);

// A path chosen in a file dialog. A name the dialog could not decode comes back with U+FFFD
// in it; it is matched against the entries of its folder, decoded the same way, so that the
// file the user saw is the one opened. Unmatched or ambiguous parts stay as they are.
QString resolveChosenPath(const QString& path);

// The path made absolute against the working folder, whatever bytes that folder's name holds.
QString absolutePath(const QString& path);

}  // namespace tresslin
