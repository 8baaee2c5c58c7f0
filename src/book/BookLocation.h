// Where a book is, as one value from where its name comes in to where it is shown or stored: the
// file as the file system names it (bytes, which need not be UTF-8) and, for one book of an
// archive of several, the archive's entry.
#pragma once

#include <string>
#include <string_view>
#include <utility>

namespace tresslin {

struct BookLocation {
    BookLocation() = default;
    BookLocation(std::string file, std::string entry = {})
        : file(std::move(file)), entry(std::move(entry)) {}

    std::string file;
    std::string entry;  // empty: the file itself is the book

    bool empty() const { return file.empty(); }
    bool inArchive() const { return !entry.empty(); }
    bool operator==(const BookLocation&) const = default;
};

// The location as one string of bytes: the file's own, or for a book inside an archive
// "zip:" + the archive + "#" + the entry, each with '%', '#' and control bytes written as %XX.
// An absolute path starts with '/', so never with "zip:".
std::string locationBytes(const BookLocation& location);
// The other way: the "zip:" form gives the archive and the entry, any other bytes name a file.
BookLocation locationFromBytes(std::string_view bytes);

}  // namespace tresslin
