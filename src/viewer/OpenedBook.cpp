#include "viewer/OpenedBook.h"

#include <algorithm>
#include <new>

#include "book/CodingDetect.h"
#include "book/mdlService.h"
#include "book/mdlText.h"
#include "platform/FileNames.h"

namespace tresslin {

std::optional<OpenedBook> openBook(const BookLocation& location, bool detect,
                                   std::vector<FormattedBook::ArchivedBook>* several) {
    OpenedBook book;
    // A relative path is made absolute so the book can be reopened from anywhere later.
    book.location = absoluteLocation(location);
    const BookFile opened(book.location.file);
    if (!opened.isOpen()) return std::nullopt;
    FormattedBook formatted = readFormattedBook(opened, book.location.entry);
    if (formatted.error == FormatError::SeveralBooks && several) {
        *several = std::move(formatted.books);
        return std::nullopt;
    }
    if (!formatted.ok()) return std::nullopt;
    if (!(formatted.format == BookFormat::PlainText ? ReadBookLines(opened, book.lines)
          : formatted.utf16File != Utf16Order::None
              ? ReadUtf16BookLines(opened, formatted.utf16File, book.lines)
              : splitBookLines(formatted.text, book.lines)))
        return std::nullopt;
    book.format = formatted.format;
    book.headings = std::move(formatted.headings);
    book.origins = std::move(formatted.origins);
    if (heldAsUtf8(book.format)) {
        // The book's own declaration or byte order gave its coding; the text is held as UTF-8.
        book.coding = kUtf8;
    } else if (detect) {
        const auto found = detectAnyCoding(std::string_view(
            book.lines.data(), std::min(book.lines.byteSize(), kDetectSampleBytes)));
        if (found && !storedCoding(*found)) {
            // A coding the reader cannot show as stored: the book is held as UTF-8 instead.
            std::string utf8;
            if (!byteCodingToUtf8(std::string_view(book.lines.data(), book.lines.byteSize()),
                                  *found, utf8) ||
                !splitBookLines(utf8, book.lines))
                throw std::bad_alloc();
            book.coding = kUtf8;
            book.convertedFrom = QString::fromLatin1(codingName(*found));
        } else {
            book.coding = found ? storedCoding(*found) : std::nullopt;
        }
    }
    book.name = shownName(book.location);
    return book;
}

}  // namespace tresslin
