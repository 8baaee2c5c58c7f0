// Case-insensitive search over the line store's buffer.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "mdlDeclarations.h"

namespace tresslin {

using FoldTable = std::array<unsigned char, 256>;

// Index of the first line in firstLine..lastLine whose content holds needle, comparing bytes
// through fold; -1 when none does. A match never spans a line terminator. An empty needle
// matches firstLine. Lines outside the store are not read. When matchAt is given it receives
// the byte offset of the first match within its line (to show the part of a wrapped line that
// holds it).
std::int64_t FindInLines(const LineStore& lines, std::int64_t firstLine, std::int64_t lastLine,
                         std::string_view needle, const FoldTable& fold,
                         std::uint64_t* matchAt = nullptr);

}  // namespace tresslin
