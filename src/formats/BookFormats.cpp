#include "formats/BookFormats.h"

#include <zlib.h>

#include <QBuffer>
#include <QFile>
#include <new>

#include "book/Utf16.h"
#include "book/mdlText.h"
#include "formats/Epub.h"
#include "formats/FictionBook.h"
#include "formats/ZipArchive.h"

namespace tresslin {

namespace {

// How far into a file the prolog of a FictionBook is looked for when the parser refuses it.
constexpr qint64 kHeadBytes = 4096;

bool isZip(std::string_view head) {
    // A local file header, or the end record of an archive without files.
    return head.starts_with("PK\x03\x04") || head.starts_with("PK\x05\x06");
}

bool isGzip(std::string_view head) {
    return head.starts_with("\x1F\x8B");
}

FormattedBook failed(FormatError error) {
    FormattedBook book;
    book.error = error;
    return book;
}

FormattedBook readXml(std::string_view bytes) {
    QByteArray data = QByteArray::fromRawData(bytes.data(), qsizetype(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    return readFictionBook(buffer, QByteArrayView(data).first(std::min(data.size(), kHeadBytes)));
}

// Text in UTF-16 as UTF-8; nothing when the bytes are not UTF-16.
std::optional<FormattedBook> readUtf16(std::string_view bytes) {
    const Utf16Order order = detectUtf16(bytes.substr(0, kHeadBytes));
    if (order == Utf16Order::None) return std::nullopt;
    FormattedBook book;
    book.format = BookFormat::Utf16Text;
    if (!utf16ToUtf8(bytes, order, book.text)) return failed(FormatError::OutOfMemory);
    return book;
}

bool endsWith(std::string_view name, std::string_view suffix) {
    return QFile::decodeName(QByteArray(name.data(), qsizetype(name.size())))
        .endsWith(QLatin1String(suffix), Qt::CaseInsensitive);
}

bool isBookName(std::string_view name) {
    return endsWith(name, ".fb2") || endsWith(name, ".epub") || endsWith(name, ".txt");
}

// Whether the first bytes of a file are those of a book: a FictionBook, an EPUB, or text (UTF-16,
// or 8-bit or UTF-8 without NULs and with hardly a control character). Other markup, images and
// binary files are not.
bool isBookContent(std::string_view head) {
    if (isZip(head))
        return head.size() > 38 && head.substr(30, 8) == "mimetype" &&
               head.find("application/epub+zip") != head.npos;
    if (detectUtf16(head) != Utf16Order::None) return true;
    std::size_t controls = 0;
    for (const char ch : head) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == 0) return false;
        controls += c < 0x20 && (c < '\t' || c > '\r') && c != 0x1A && c != 0x1B;
    }
    if (controls * 100 > head.size()) return false;
    std::string_view text = head.starts_with("\xEF\xBB\xBF") ? head.substr(3) : head;
    text.remove_prefix(std::min(text.size(), text.find_first_not_of(" \t\r\n")));
    return !text.starts_with('<') || text.find("<FictionBook") != text.npos;
}

// A book found in an archive or a gzip file: nested archives are read one level deep only. An
// archive's entry is refused unless its bytes are a book's; anything inflated from gzip is one.
FormattedBook readInner(std::string data, std::string_view name, bool fromArchive, bool nested) {
    FormattedBook book = readXml(data);
    if (book.format != BookFormat::PlainText || !book.ok()) return book;
    if (!nested && isZip(data)) {
        FormatError error;
        auto zip = ZipArchive::openBytes(data, error);
        if (!zip) return failed(error);
        if (isEpub(*zip)) return readEpub(*zip);
    }
    const std::string_view head = std::string_view(data).substr(0, std::size_t(kHeadBytes));
    if (fromArchive && !(head.empty() ? isBookName(name) : isBookContent(head)))
        return failed(FormatError::UnknownEntry);
    if (auto converted = readUtf16(data)) return *std::move(converted);
    book.format = BookFormat::ZippedText;
    book.text = std::move(data);
    return book;
}

FormattedBook readArchive(ZipArchive& zip, const std::string& entry) {
    if (isEpub(zip)) return readEpub(zip);
    const auto read = [&](std::size_t i) {
        std::string data;
        if (const FormatError e = zip.read(i, data); e != FormatError::None) return failed(e);
        return readInner(std::move(data), zip.entries()[i].name, true, false);
    };
    if (!entry.empty()) {
        const auto i = zip.find(entry);
        return i ? read(*i) : failed(FormatError::NoEntry);
    }
    std::vector<std::size_t> files, books;
    for (std::size_t i = 0; i < zip.entries().size(); ++i) {
        const ZipEntry& e = zip.entries()[i];
        if (e.folder) continue;
        files.push_back(i);
        // By the entry's first bytes; by its name where they cannot be read or there are none.
        // A container's "mimetype" marker is text but no book.
        if (e.name == "mimetype") continue;
        std::string head;
        const bool peeked = zip.peek(i, std::size_t(kHeadBytes), head) == FormatError::None;
        if (peeked && !head.empty() ? isBookContent(head) : isBookName(e.name)) books.push_back(i);
    }
    if (files.size() == 1) return read(files[0]);
    if (books.size() == 1) return read(books[0]);
    if (books.empty()) return failed(FormatError::NotOneEntry);
    FormattedBook list = failed(FormatError::SeveralBooks);
    for (const std::size_t i : books)
        list.books.push_back({zip.entries()[i].name, zip.entries()[i].size});
    return list;
}

// Inflates a gzip file, held to the limits of an archive's entry.
FormattedBook readGzip(std::string_view bytes) {
    z_stream z{};
    // 16 + the window size: the gzip wrapper and its checksum.
    if (inflateInit2(&z, 16 + MAX_WBITS) != Z_OK) return failed(FormatError::OutOfMemory);
    std::string out;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    z.avail_in = uInt(std::min<std::size_t>(bytes.size(), UINT32_MAX));
    int status = Z_OK;
    const std::uint64_t limit =
        std::min<std::uint64_t>(kMaxEntryBytes, kMaxEntryRatio * bytes.size());
    try {
        out.resize(std::min<std::uint64_t>(limit, bytes.size() * 4 + 4096));
        while (status == Z_OK) {
            if (z.total_out == out.size()) {
                if (out.size() >= limit) break;
                out.resize(std::min<std::uint64_t>(limit, out.size() * 2));
            }
            z.next_out = reinterpret_cast<Bytef*>(out.data() + z.total_out);
            z.avail_out = uInt(std::min<std::uint64_t>(out.size() - z.total_out, UINT32_MAX));
            status = inflate(&z, Z_NO_FLUSH);
        }
    } catch (const std::bad_alloc&) {
        inflateEnd(&z);
        throw;
    }
    out.resize(z.total_out);
    inflateEnd(&z);
    if (status == Z_OK) return failed(FormatError::EntryTooLarge);
    if (status != Z_STREAM_END) return failed(FormatError::BadZip);
    return readInner(std::move(out), {}, false, false);
}

}  // namespace

FormattedBook readFormattedBook(const BookFile& book, const std::string& entry) {
    try {
        QFile file;
        if (!book.isOpen() ||
            !file.open(book.fd(), QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
            return failed(FormatError::Unreadable);
        const QByteArray head = file.peek(kHeadBytes);
        const std::string_view headView(head.constData(), std::size_t(head.size()));
        if (isZip(headView)) {
            file.close();
            FormatError error;
            auto zip = ZipArchive::openFile(book.fd(), error);
            return zip ? readArchive(*zip, entry) : failed(error);
        }
        if (isGzip(headView)) {
            const QByteArray all = file.readAll();
            if (file.error() != QFileDevice::NoError) return failed(FormatError::Unreadable);
            return readFormattedBytes(std::string_view(all.constData(), std::size_t(all.size())));
        }
        const Utf16Order order = detectUtf16(headView);
        FormattedBook read = readFictionBook(file, head);
        if (read.format == BookFormat::PlainText && read.ok() &&
            file.error() != QFileDevice::NoError)
            return failed(FormatError::Unreadable);
        if (read.format == BookFormat::PlainText && read.ok() && order != Utf16Order::None) {
            read.format = BookFormat::Utf16Text;
            read.utf16File = order;
        }
        return read;
    } catch (const std::bad_alloc&) {
        return failed(FormatError::OutOfMemory);
    }
}

FormattedBook readFormattedBytes(std::string_view bytes, const std::string& entry) {
    try {
        if (isZip(bytes)) {
            FormatError error;
            auto zip = ZipArchive::openBytes(bytes, error);
            return zip ? readArchive(*zip, entry) : failed(error);
        }
        if (isGzip(bytes)) return readGzip(bytes);
        FormattedBook book = readXml(bytes);
        if (book.format != BookFormat::PlainText || !book.ok()) return book;
        if (auto converted = readUtf16(bytes)) return *std::move(converted);
        return book;
    } catch (const std::bad_alloc&) {
        return failed(FormatError::OutOfMemory);
    }
}

}  // namespace tresslin
