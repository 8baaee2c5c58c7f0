// Guessing a book's coding from its first bytes.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace tresslin {

// How much of the beginning of a book detection looks at.
inline constexpr std::size_t kDetectSampleBytes = 256 * 1024;

// The coding index (0 Windows-1251, 1 DOS 866, 2 KOI8-R, 3 UTF-8) the sample is clearly written
// in, or nothing when the evidence is not clear: too few Cyrillic letters (ASCII text), or no
// coding well ahead of the others.
std::optional<int> detectCoding(std::string_view sample);

}  // namespace tresslin
