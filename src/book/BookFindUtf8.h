// Case-insensitive search in a UTF-8 book.
#pragma once

#include <cstdint>
#include <string_view>

#include "book/mdlDeclarations.h"

namespace tresslin {

// Index of the first line in firstLine..lastLine whose content holds needle (UTF-8), with
// Latin and Cyrillic letters compared without regard to case (Ё and ё included); -1 when none
// does; with yoIsYe, Е and Ё are one letter. Other characters compare exactly, but a U+FFFD of
// the needle also matches one byte of malformed UTF-8 (the view shows each so). When matchAt is
// given it receives the byte offset of the first match within its line.
std::int64_t findInLinesUtf8(const LineStore& lines, std::int64_t firstLine, std::int64_t lastLine,
                             std::string_view needle, std::uint64_t* matchAt = nullptr,
                             bool yoIsYe = false);

}  // namespace tresslin
