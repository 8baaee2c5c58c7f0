#include "formats/ZipArchive.h"

#include <fcntl.h>
#include <unistd.h>
#include <zip.h>

#include <QLibrary>
#include <algorithm>
#include <cstdio>

namespace tresslin {

namespace {

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

FormatError checkSizes(const zip_stat_t& stat, std::uint64_t before,
                       std::uint64_t beforeCompressed) {
    if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE)
        return FormatError::EncryptedEntry;
    if (!(stat.valid & ZIP_STAT_SIZE) || !(stat.valid & ZIP_STAT_COMP_SIZE))
        return FormatError::BadZip;
    // The sizes are the archive's claims; reading stops at the claimed size whatever comes.
    if (stat.size > kMaxEntryBytes || stat.comp_size >= kMaxEntryBytes)
        return FormatError::EntryTooLarge;
    const std::uint64_t size = before + stat.size, compressed = beforeCompressed + stat.comp_size;
    if (size > kMaxEntryBytes || size > kMaxEntryRatio * compressed)
        return FormatError::EntryTooLarge;
    return FormatError::None;
}

// The archive read from source, or null. The archive takes the source only when it opens.
zip_t* openSource(const ZipLibrary& lib, zip_source_t* source) {
    if (!source) return nullptr;
    zip_error_t e;
    lib.error_init(&e);
    zip_t* archive = lib.open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &e);
    lib.error_fini(&e);
    if (!archive) lib.source_free(source);
    return archive;
}

// The first size bytes of an open entry into data; false when the library gives fewer.
bool readBytes(const ZipLibrary& lib, zip_file_t* file, std::uint64_t size, std::string& data) {
    data.resize(size);
    for (std::uint64_t got = 0; got < size;) {
        const zip_int64_t n = lib.fread(file, data.data() + got, size - got);
        if (n <= 0) return false;
        got += std::uint64_t(n);
    }
    return true;
}

}  // namespace

std::unique_ptr<ZipArchive> ZipArchive::open(zip_t* archive, FormatError& error) {
    if (!archive) {
        error = FormatError::BadZip;
        return nullptr;
    }
    std::unique_ptr<ZipArchive> result(new ZipArchive);
    result->zip_ = archive;
    const ZipLibrary& lib = *zipLibrary();
    const zip_int64_t count = lib.get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t s;
        lib.stat_init(&s);
        if (lib.stat_index(archive, zip_uint64_t(i), 0, &s) != 0) {
            error = FormatError::BadZip;
            return nullptr;
        }
        ZipEntry e;
        e.name = (s.valid & ZIP_STAT_NAME) ? s.name : "";
        e.size = (s.valid & ZIP_STAT_SIZE) ? s.size : 0;
        e.compressed = (s.valid & ZIP_STAT_COMP_SIZE) ? s.comp_size : 0;
        e.folder = e.name.ends_with('/') && e.size == 0;
        result->entries_.push_back(std::move(e));
    }
    error = FormatError::None;
    return result;
}

std::unique_ptr<ZipArchive> ZipArchive::openFile(int fd, FormatError& error) {
    const ZipLibrary* lib = zipLibrary();
    if (!lib) {
        error = FormatError::NoZipLibrary;
        return nullptr;
    }
    zip_error_t e;
    lib->error_init(&e);
    // The archive gets a descriptor of its own on the same open file, and closes it.
    const int own = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    std::FILE* stream = own >= 0 ? ::fdopen(own, "rb") : nullptr;
    if (!stream && own >= 0) ::close(own);
    zip_source_t* source = stream ? lib->source_filep_create(stream, 0, -1, &e) : nullptr;
    if (stream && !source) std::fclose(stream);
    lib->error_fini(&e);
    return open(openSource(*lib, source), error);
}

std::unique_ptr<ZipArchive> ZipArchive::openBytes(std::string_view bytes, FormatError& error) {
    const ZipLibrary* lib = zipLibrary();
    if (!lib) {
        error = FormatError::NoZipLibrary;
        return nullptr;
    }
    zip_error_t e;
    lib->error_init(&e);
    zip_source_t* source = lib->source_buffer_create(bytes.data(), bytes.size(), 0, &e);
    lib->error_fini(&e);
    return open(openSource(*lib, source), error);
}

ZipArchive::~ZipArchive() {
    if (zip_) zipLibrary()->discard(zip_);
}

std::optional<std::size_t> ZipArchive::find(std::string_view name) const {
    for (std::size_t i = 0; i < entries_.size(); ++i)
        if (entries_[i].name == name) return i;
    return std::nullopt;
}

FormatError ZipArchive::read(std::size_t i, std::string& data) {
    const ZipLibrary& lib = *zipLibrary();
    zip_stat_t stat;
    lib.stat_init(&stat);
    if (i >= entries_.size() || lib.stat_index(zip_, i, 0, &stat) != 0) return FormatError::BadZip;
    if (const FormatError e = checkSizes(stat, read_, readCompressed_); e != FormatError::None)
        return e;
    read_ += stat.size;
    readCompressed_ += stat.comp_size;
    using FilePtr = std::unique_ptr<zip_file_t, decltype(&zip_fclose)>;
    FilePtr file(lib.fopen_index(zip_, i, 0), lib.fclose);
    if (!file) {
        const int code = lib.error_code_zip(lib.get_error(zip_));
        return code == ZIP_ER_NOPASSWD || code == ZIP_ER_WRONGPASSWD || code == ZIP_ER_ENCRNOTSUPP
                   ? FormatError::EncryptedEntry
                   : FormatError::BadZip;
    }
    if (!readBytes(lib, file.get(), stat.size, data)) return FormatError::BadZip;
    // Reading on to the end makes the library check the checksum; a byte more means the
    // archive lied about the size.
    char more;
    if (lib.fread(file.get(), &more, 1) != 0) return FormatError::BadZip;
    return lib.fclose(file.release()) == 0 ? FormatError::None : FormatError::BadZip;
}

FormatError ZipArchive::peek(std::size_t i, std::size_t n, std::string& data) {
    const ZipLibrary& lib = *zipLibrary();
    zip_stat_t stat;
    lib.stat_init(&stat);
    if (i >= entries_.size() || lib.stat_index(zip_, i, 0, &stat) != 0) return FormatError::BadZip;
    if (const FormatError e = checkSizes(stat, 0, 0); e != FormatError::None) return e;
    const std::uint64_t size = std::min<std::uint64_t>(stat.size, n);
    if (peeked_ + size > kMaxEntryBytes) return FormatError::EntryTooLarge;
    peeked_ += size;
    using FilePtr = std::unique_ptr<zip_file_t, decltype(&zip_fclose)>;
    FilePtr file(lib.fopen_index(zip_, i, 0), lib.fclose);
    if (!file) return FormatError::EncryptedEntry;
    return readBytes(lib, file.get(), size, data) ? FormatError::None : FormatError::BadZip;
}

}  // namespace tresslin
