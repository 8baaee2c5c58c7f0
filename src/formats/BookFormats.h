// Books that come in a container rather than as plain text: FictionBook XML, and a zip archive
// holding one FictionBook or one text file. Which one a file is comes from its bytes, never its
// name.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tresslin {

class BookFile;

enum class BookFormat {
    PlainText,    // none of ours: the caller reads the file as a plain book
    FictionBook,  // text holds UTF-8 lines, each ended by '\n'
    ZippedText,   // text holds the zipped text file's bytes, coding unknown
};

enum class FormatError {
    None,
    Unreadable,      // the file could not be read
    MalformedXml,    // not well-formed, or in a coding the decoder does not know
    BadZip,          // not a readable archive: truncated, inconsistent, failed checksum
    NotOneEntry,     // an archive of no files or of several
    UnknownEntry,    // the archive's one file is neither a FictionBook nor a .txt file
    EntryTooLarge,   // bigger than kMaxEntryBytes or kMaxEntryRatio x its compressed size
    EncryptedEntry,  // needs a password
    NoZipLibrary,    // libzip could not be loaded
    OutOfMemory,
};

struct FormattedBook {
    BookFormat format = BookFormat::PlainText;
    FormatError error = FormatError::None;
    std::string text;
    // Index of the first line of each title, in order, for moving by chapters.
    std::vector<std::int64_t> headings;

    bool ok() const { return error == FormatError::None; }
};

// Limits on a zipped file, checked against the archive's own record before anything is inflated.
inline constexpr std::uint64_t kMaxEntryBytes = std::uint64_t(2) << 30;
inline constexpr std::uint64_t kMaxEntryRatio = 200;

// Reads an open book file from its start; PlainText when it is none of ours.
FormattedBook readFormattedBook(const BookFile& file);

// The same for bytes already in memory.
FormattedBook readFormattedBytes(std::string_view bytes);

// The heading used for the notes appended after the main text.
inline constexpr std::string_view kNotesHeading = "Примечания";

}  // namespace tresslin
