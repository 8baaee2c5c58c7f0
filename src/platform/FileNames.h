// File names as the file system holds them: bytes, which need not be UTF-8 (names from old
// Russian archives are often Windows Cyrillic or KOI8-R). Qt decodes names as UTF-8 and turns
// every other byte into U+FFFD, which no longer opens the file, so a book's name travels as
// its bytes (BookLocation) and becomes text only here.
#pragma once

#include <QByteArray>
#include <QString>

#include "book/BookLocation.h"

namespace tresslin {

// A path given as Qt text: typed, or chosen in a file dialog. A name the dialog could not decode
// comes back with U+FFFD in it; it is matched against the entries of its folder, decoded the
// same way, so that the file the user saw is the one opened. Unmatched or ambiguous parts stay
// as they are.
BookLocation locationOfText(const QString& path);

// The file made absolute against the working folder, whatever bytes that folder's name holds.
BookLocation absoluteLocation(BookLocation location);

// For captions and messages: a name part whose bytes are not UTF-8 reads as Windows Cyrillic,
// the coding of names written on Russian Windows, where most such archives come from.
QString shownText(const BookLocation& location);
// The file-name part as the caption shows it (for a book in an archive: "archive#entry").
QString shownName(const BookLocation& location);
// Any name's bytes (an archive's entry), read the same way.
QString shownBytes(std::string_view bytes);

// The text the settings hold for a location. Bytes that are valid UTF-8 are stored as they are;
// others as a file URI with the bytes percent-encoded ("file:///..."), which no absolute path
// is, the file-URI form freedesktop's desktop files use for such names.
QString storedText(const BookLocation& location);
BookLocation storedLocation(const QString& stored);

}  // namespace tresslin
