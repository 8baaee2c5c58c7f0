// Books that come in a container rather than as plain text: FictionBook XML, EPUB, a zip
// archive of books, gzip, and UTF-16 text. Which one a file is comes from its bytes, never its
// name; inside an archive, the names of the entries tell the books from the rest.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "book/Utf16.h"

namespace tresslin {

class BookFile;

enum class BookFormat {
    PlainText,    // none of ours: the caller reads the file as a plain book
    FictionBook,  // text holds UTF-8 lines, each ended by '\n'
    ZippedText,   // text holds the zipped text file's bytes, coding unknown
    Epub,         // as FictionBook
    Utf16Text,    // text holds UTF-16 text converted to UTF-8, or see FormattedBook::utf16File
};

// The text is UTF-8 whatever coding was set before.
inline bool heldAsUtf8(BookFormat f) {
    return f == BookFormat::FictionBook || f == BookFormat::Epub || f == BookFormat::Utf16Text;
}
// The book marks its own chapter headings; guessing them from the text would only err.
inline bool marksOwnHeadings(BookFormat f) {
    return f == BookFormat::FictionBook || f == BookFormat::Epub;
}

enum class FormatError {
    None,
    Unreadable,      // the file could not be read
    MalformedXml,    // not well-formed, or in a coding the decoder does not know
    BadZip,          // not a readable archive: truncated, inconsistent, failed checksum
    NotOneEntry,     // an archive of no files, or of several files none of which is a book
    SeveralBooks,    // an archive of several books: the caller chooses one of FormattedBook::books
    NoEntry,         // the archive has no entry of the name asked for
    UnknownEntry,    // the archive's one file is neither a FictionBook nor a .txt file
    EntryTooLarge,   // bigger than kMaxEntryBytes or kMaxEntryRatio x its compressed size
    EncryptedEntry,  // needs a password, or an EPUB's content is encrypted (DRM)
    NoZipLibrary,    // libzip could not be loaded
    OutOfMemory,
};

// Where each line of a FictionBook or an EPUB came from in its markup, kept as a tree of the
// elements that hold lines rather than a path a line; empty for plain text, whose places follow
// from the lines alone.
struct LineOrigins {
    static constexpr std::uint32_t kNone = UINT32_MAX;
    enum : std::uint8_t { OnlyOfName = 1, SeveralTexts = 2 };
    struct Node {
        std::uint32_t parent = kNone;
        std::uint32_t index = 1;  // among the siblings of its name, from 1
        std::uint16_t name = 0;   // in names
        std::uint8_t flags = 0;
    };
    struct Line {
        std::uint32_t node = kNone;  // kNone where a line has no element of its own
        // The element's text node the line starts in, from 1; 0 when it starts inside a child.
        std::uint32_t text = 0;
        // Bytes of the line within that text node; kNone: all of them.
        std::uint32_t lead = 0;
    };
    std::vector<std::string> names;
    std::vector<Node> nodes;
    std::vector<Line> lines;
    bool empty() const { return lines.empty(); }
};

struct FormattedBook {
    BookFormat format = BookFormat::PlainText;
    FormatError error = FormatError::None;
    std::string text;
    // Index of the first line of each title, in order, for moving by chapters.
    std::vector<std::int64_t> headings;
    LineOrigins origins;
    // With SeveralBooks: the archive's books, in its order.
    struct ArchivedBook {
        std::string name;
        std::uint64_t size = 0;
    };
    std::vector<ArchivedBook> books;
    // A UTF-16 book file: text stays empty, its lines are read from the file in this order
    // (ReadUtf16BookLines), so that the whole file is never held besides its text.
    Utf16Order utf16File = Utf16Order::None;

    bool ok() const { return error == FormatError::None; }
};

// Limits on a zipped file, checked against the archive's own record before anything is inflated.
inline constexpr std::uint64_t kMaxEntryBytes = std::uint64_t(2) << 30;
inline constexpr std::uint64_t kMaxEntryRatio = 200;

// Reads an open book file from its start; PlainText when it is none of ours. In an archive of
// several books, entry names the one to read.
FormattedBook readFormattedBook(const BookFile& file, const std::string& entry = {});

// The same for bytes already in memory.
FormattedBook readFormattedBytes(std::string_view bytes, const std::string& entry = {});

// The heading used for the notes appended after the main text.
inline constexpr std::string_view kNotesHeading = "Примечания";

}  // namespace tresslin
