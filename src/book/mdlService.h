// Small path routines.
#pragma once

#include <string>

namespace tresslin {

// True when path (not blank) names a regular file, or a link to one. Directories, FIFOs,
// devices and sockets are not books: reading them could block or never end.
bool FileExists(const std::string& path);

// The part of path after its last '/'. A path without a separator is itself the name; a path
// that ends with '/' has an empty name.
std::string GetFileName(const std::string& path);

}  // namespace tresslin
