#include "viewer/OpenedBook.h"

#include <algorithm>
#include <new>

#include "book/ArchivedPath.h"
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

QString bookInArchive(const QString& archive, const std::string& entry) {
    return pathFromBytes(QByteArray::fromStdString(
        archivedPath(pathBytes(absolutePath(archive)).toStdString(), entry)));
}

std::optional<OpenedBook> openBook(const QString& path, bool detect,
                                   std::vector<FormattedBook::ArchivedBook>* several) {
    OpenedBook book;
    const auto archived = splitArchivedPath(pathBytes(path).toStdString());
    const std::string entry = archived ? archived->entry : std::string();
    // A relative path is made absolute so the book can be reopened from anywhere later.
    const QString file =
        absolutePath(archived ? pathFromBytes(QByteArray::fromStdString(archived->archive)) : path);
    const BookFile opened(pathBytes(file).toStdString());
    if (!opened.isOpen()) return std::nullopt;
    FormattedBook formatted = readFormattedBook(opened, entry);
    if (formatted.error == FormatError::SeveralBooks && several) {
        *several = std::move(formatted.books);
        return std::nullopt;
    }
    if (!formatted.ok() ||
        !(formatted.format == BookFormat::PlainText ? ReadBookLines(opened, book.lines)
                                                    : splitBookLines(formatted.text, book.lines)))
        return std::nullopt;
    book.format = formatted.format;
    book.headings = std::move(formatted.headings);
    book.path = entry.empty() ? file : bookInArchive(file, entry);
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
    book.name = fileNameOf(book.path);
    return book;
}

}  // namespace tresslin
