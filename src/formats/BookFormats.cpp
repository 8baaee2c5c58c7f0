#include "formats/BookFormats.h"

#include <fcntl.h>
#include <unistd.h>
#include <zip.h>

#include <QBuffer>
#include <QFile>
#include <QLibrary>
#include <cstdio>
#include <memory>
#include <new>
#include <optional>

#include "book/mdlText.h"
#include "formats/FictionBook.h"

namespace tresslin {

namespace {

// How far into a file the prolog of a FictionBook is looked for when the parser refuses it.
constexpr qint64 kHeadBytes = 4096;

bool isZip(QByteArrayView head) {
    // A local file header, or the end record of an archive without files.
    return head.startsWith("PK\x03\x04") || head.startsWith("PK\x05\x06");
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

// libzip is loaded when the first archive is opened, not with the program: it brings libcrypto,
// whose loading would add about a millisecond to every start for the few books that come zipped.
struct ZipLibrary {
    decltype(&zip_error_init) error_init;
    decltype(&zip_error_fini) error_fini;
    decltype(&zip_error_code_zip) error_code_zip;
    decltype(&zip_get_error) get_error;
    decltype(&zip_source_filep_create) source_filep_create;
    decltype(&zip_source_buffer_create) source_buffer_create;
    decltype(&zip_source_free) source_free;
    decltype(&zip_open_from_source) open_from_source;
    decltype(&zip_discard) discard;
    decltype(&zip_get_num_entries) get_num_entries;
    decltype(&zip_stat_init) stat_init;
    decltype(&zip_stat_index) stat_index;
    decltype(&zip_fopen_index) fopen_index;
    decltype(&zip_fread) fread;
    decltype(&zip_fclose) fclose;
};

std::optional<ZipLibrary> loadZipLibrary() {
    // Never unloaded: QLibrary leaves the library in place when it goes.
    QLibrary library(QStringLiteral(TRESSLIN_LIBZIP_SONAME));
    bool resolved = library.load();
    const auto resolve = [&](auto& function, const char* name) {
        function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(
            resolved ? library.resolve(name) : nullptr);
        resolved = resolved && function;
    };
    ZipLibrary zip{};
    resolve(zip.error_init, "zip_error_init");
    resolve(zip.error_fini, "zip_error_fini");
    resolve(zip.error_code_zip, "zip_error_code_zip");
    resolve(zip.get_error, "zip_get_error");
    resolve(zip.source_filep_create, "zip_source_filep_create");
    resolve(zip.source_buffer_create, "zip_source_buffer_create");
    resolve(zip.source_free, "zip_source_free");
    resolve(zip.open_from_source, "zip_open_from_source");
    resolve(zip.discard, "zip_discard");
    resolve(zip.get_num_entries, "zip_get_num_entries");
    resolve(zip.stat_init, "zip_stat_init");
    resolve(zip.stat_index, "zip_stat_index");
    resolve(zip.fopen_index, "zip_fopen_index");
    resolve(zip.fread, "zip_fread");
    resolve(zip.fclose, "zip_fclose");
    if (resolved) return zip;
    std::fprintf(stderr, "tresslin: zipped books cannot be opened: %s\n",
                 qPrintable(library.errorString()));
    return std::nullopt;
}

// Null when the library is missing; said once on stderr.
const ZipLibrary* zipLibrary() {
    static const std::optional<ZipLibrary> zip = loadZipLibrary();
    return zip ? &*zip : nullptr;
}

bool endsWithTxt(const char* name) {
    return QFile::decodeName(name).endsWith(QLatin1String(".txt"), Qt::CaseInsensitive);
}

using ZipPtr = std::unique_ptr<zip_t, decltype(&zip_discard)>;
using ZipFilePtr = std::unique_ptr<zip_file_t, decltype(&zip_fclose)>;

// The index of the archive's one file (folders aside), or an error.
FormatError findOnlyFile(const ZipLibrary& lib, zip_t* zip, zip_uint64_t& index, zip_stat_t& stat) {
    const zip_int64_t count = lib.get_num_entries(zip, 0);
    bool found = false;
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t s;
        if (lib.stat_index(zip, zip_uint64_t(i), 0, &s) != 0) return FormatError::BadZip;
        const std::string_view name = (s.valid & ZIP_STAT_NAME) ? s.name : "";
        if (name.ends_with('/') && s.size == 0) continue;
        if (found) return FormatError::NotOneEntry;
        found = true;
        index = zip_uint64_t(i);
        stat = s;
    }
    return found ? FormatError::None : FormatError::NotOneEntry;
}

FormatError checkEntry(const zip_stat_t& stat) {
    if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE)
        return FormatError::EncryptedEntry;
    if (!(stat.valid & ZIP_STAT_SIZE) || !(stat.valid & ZIP_STAT_COMP_SIZE))
        return FormatError::BadZip;
    // The sizes are the archive's claims; reading stops at the claimed size whatever comes.
    if (stat.size > kMaxEntryBytes ||
        (stat.comp_size < kMaxEntryBytes && stat.size > kMaxEntryRatio * stat.comp_size))
        return FormatError::EntryTooLarge;
    return FormatError::None;
}

FormatError readEntry(const ZipLibrary& lib, zip_t* zip, zip_uint64_t index, std::uint64_t size,
                      std::string& data) {
    ZipFilePtr file(lib.fopen_index(zip, index, 0), lib.fclose);
    if (!file) {
        const int code = lib.error_code_zip(lib.get_error(zip));
        return code == ZIP_ER_NOPASSWD || code == ZIP_ER_WRONGPASSWD || code == ZIP_ER_ENCRNOTSUPP
                   ? FormatError::EncryptedEntry
                   : FormatError::BadZip;
    }
    data.resize(size);
    std::uint64_t got = 0;
    while (got < size) {
        const zip_int64_t n = lib.fread(file.get(), data.data() + got, size - got);
        if (n <= 0) return FormatError::BadZip;
        got += std::uint64_t(n);
    }
    // Reading on to the end makes the library check the checksum; a byte more means the
    // archive lied about the size.
    char more;
    if (lib.fread(file.get(), &more, 1) != 0) return FormatError::BadZip;
    return lib.fclose(file.release()) == 0 ? FormatError::None : FormatError::BadZip;
}

// An archive read through the source that create makes (given the error record to fill).
template <typename Create>
FormattedBook readZip(Create create) {
    const ZipLibrary* found = zipLibrary();
    if (!found) return failed(FormatError::NoZipLibrary);
    const ZipLibrary& lib = *found;
    zip_error_t error;
    lib.error_init(&error);
    zip_source_t* source = create(lib, &error);
    ZipPtr zip(source ? lib.open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error) : nullptr,
               lib.discard);
    lib.error_fini(&error);
    if (!zip) {
        // The archive takes the source only when it opens.
        if (source) lib.source_free(source);
        return failed(FormatError::BadZip);
    }
    zip_uint64_t index = 0;
    zip_stat_t stat;
    lib.stat_init(&stat);
    if (const FormatError e = findOnlyFile(lib, zip.get(), index, stat); e != FormatError::None)
        return failed(e);
    if (const FormatError e = checkEntry(stat); e != FormatError::None) return failed(e);
    std::string data;
    if (const FormatError e = readEntry(lib, zip.get(), index, stat.size, data);
        e != FormatError::None)
        return failed(e);
    // The name belongs to the archive.
    const bool isText = (stat.valid & ZIP_STAT_NAME) && endsWithTxt(stat.name);
    zip.reset();

    FormattedBook book = readXml(data);
    if (book.format != BookFormat::PlainText || !book.ok()) return book;
    if (!isText) return failed(FormatError::UnknownEntry);
    book.format = BookFormat::ZippedText;
    book.text = std::move(data);
    return book;
}

}  // namespace

FormattedBook readFormattedBook(const BookFile& book) {
    try {
        QFile file;
        if (!book.isOpen() ||
            !file.open(book.fd(), QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
            return failed(FormatError::Unreadable);
        const QByteArray head = file.peek(kHeadBytes);
        if (isZip(head)) {
            file.close();
            return readZip([&](const ZipLibrary& lib, zip_error_t* error) -> zip_source_t* {
                // The archive gets a descriptor of its own on the same open file, and closes it.
                const int fd = ::fcntl(book.fd(), F_DUPFD_CLOEXEC, 0);
                std::FILE* stream = fd >= 0 ? ::fdopen(fd, "rb") : nullptr;
                if (!stream) {
                    if (fd >= 0) ::close(fd);
                    return nullptr;
                }
                zip_source_t* source = lib.source_filep_create(stream, 0, -1, error);
                if (!source) std::fclose(stream);
                return source;
            });
        }
        FormattedBook book = readFictionBook(file, head);
        if (book.format == BookFormat::PlainText && book.ok() &&
            file.error() != QFileDevice::NoError)
            return failed(FormatError::Unreadable);
        return book;
    } catch (const std::bad_alloc&) {
        return failed(FormatError::OutOfMemory);
    }
}

FormattedBook readFormattedBytes(std::string_view bytes) {
    try {
        if (isZip(QByteArrayView(bytes.data(), qsizetype(bytes.size())))) {
            return readZip([&](const ZipLibrary& lib, zip_error_t* error) {
                return lib.source_buffer_create(bytes.data(), bytes.size(), 0, error);
            });
        }
        return readXml(bytes);
    } catch (const std::bad_alloc&) {
        return failed(FormatError::OutOfMemory);
    }
}

}  // namespace tresslin
