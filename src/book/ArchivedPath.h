// Where a book read from an archive of several is remembered: one text naming the archive and
// the entry, which no file's own path can be mistaken for.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tresslin {

// "zip:" + the archive's absolute path + "#" + the entry's name, each with '%', '#' and control
// bytes written as %XX. An absolute path starts with '/', so never with "zip:".
std::string archivedPath(std::string_view archive, std::string_view entry);

struct ArchivedBook {
    std::string archive, entry;
};
// The archive and the entry of a path made by archivedPath; nothing for any other path.
std::optional<ArchivedBook> splitArchivedPath(std::string_view path);

}  // namespace tresslin
