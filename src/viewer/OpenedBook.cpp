#include "viewer/OpenedBook.h"

#include <algorithm>

#include "book/CodingDetect.h"
#include "book/mdlService.h"
#include "book/mdlText.h"
#include "platform/FileNames.h"

namespace tresslin {

QString fileNameOf(const QString& path) {
    // The book code works on the bytes the file system knows the path by.
    return readablePath(
        pathFromBytes(QByteArray::fromStdString(GetFileName(pathBytes(path).toStdString()))));
}

std::optional<OpenedBook> openBook(const QString& path, bool detect) {
    OpenedBook book;
    book.path = absolutePath(path);
    const BookFile file(pathBytes(book.path).toStdString());
    if (!file.isOpen()) return std::nullopt;
    FormattedBook formatted = readFormattedBook(file);
    if (!formatted.ok() ||
        !(formatted.format == BookFormat::PlainText ? ReadBookLines(file, book.lines)
                                                    : splitBookLines(formatted.text, book.lines)))
        return std::nullopt;
    book.format = formatted.format;
    book.headings = std::move(formatted.headings);
    if (book.format == BookFormat::FictionBook) {
        // The book's own declaration gave its coding; the text is held as UTF-8.
        book.coding = kUtf8;
    } else if (detect) {
        book.coding = detectCoding(std::string_view(
            book.lines.data(), std::min(book.lines.byteSize(), kDetectSampleBytes)));
    }
    book.name = fileNameOf(book.path);
    return book;
}

}  // namespace tresslin
