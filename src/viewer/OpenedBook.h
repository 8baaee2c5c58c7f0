// What opening a book produces, held as one value: the window swaps a new one in whole only when
// the open succeeded, so a failed open leaves the book being read as it was.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

#include "book/BookLocation.h"
#include "book/TextCoding.h"
#include "book/mdlDeclarations.h"
#include "formats/BookFormats.h"

namespace tresslin {

struct OpenedBook {
    LineStore lines;
    BookLocation location;  // absolute, so the book can be reopened from anywhere later
    QString name;           // the file-name part, as the caption shows it
    // The coding the open found the text in; nothing leaves the reader's choice as it is.
    std::optional<TextCoding> coding;
    std::vector<std::int64_t> headings;  // ascending line indices
    BookFormat format = BookFormat::PlainText;
    LineOrigins origins;  // for the places sync sends
    // The 8-bit coding the text was converted from at open, when it is none of the stored ones.
    QString convertedFrom;

    // Highest line index; 0 before any book.
    std::int32_t maxLine() const { return lines.empty() ? 0 : std::int32_t(lines.upperBound()); }
    // A FictionBook or an EPUB marks its titles itself; guessing them from the text would err.
    bool exactHeadings() const { return marksOwnHeadings(format); }
};

// Reads the book at location; nothing when it cannot be read. detect: guess a plain book's coding.
// An archive of several books gives nothing and, where several is given, the books to choose
// from. Running out of memory throws std::bad_alloc.
std::optional<OpenedBook> openBook(const BookLocation& location, bool detect,
                                   std::vector<FormattedBook::ArchivedBook>* several = nullptr);

}  // namespace tresslin
