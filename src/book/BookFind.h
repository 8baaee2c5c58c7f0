// Case-insensitive search over the line store's buffer.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "book/mdlDeclarations.h"

namespace tresslin {

using FoldTable = std::array<unsigned char, 256>;

// Index of the first line in firstLine..lastLine whose content holds needle, comparing bytes
// through fold; -1 when none does. A match never spans a line terminator. An empty needle
// matches firstLine. Lines outside the store are not read. When matchAt is given it receives
// the byte offset of the first match within its line (to show the part of a wrapped line that
// holds it).
std::int64_t findInLines(const LineStore& lines, std::int64_t firstLine, std::int64_t lastLine,
                         std::string_view needle, const FoldTable& fold,
                         std::uint64_t* matchAt = nullptr);

// What both finds share: the bytes a search of firstLine..lastLine covers, the lines held to
// the store. Nothing when the lines are none or too short for a needle of needleBytes.
struct SearchRange {
    std::int64_t firstLine;
    std::uint64_t begin;      // the first byte of firstLine
    std::uint64_t lastStart;  // the last position a match may start at
};
std::optional<SearchRange> searchRange(const LineStore& lines, std::int64_t firstLine,
                                       std::int64_t lastLine, std::size_t needleBytes);
// The line a match of needleBytes at pos lies in, or -1 when it would cross a line terminator.
std::int64_t lineOfMatch(const LineStore& lines, std::uint64_t pos, std::size_t needleBytes);

}  // namespace tresslin
