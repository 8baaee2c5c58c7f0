// Guessing a book's coding from its first bytes.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "book/TextCoding.h"

namespace tresslin {

// How much of the beginning of a book detection looks at.
inline constexpr std::size_t kDetectSampleBytes = 256 * 1024;

// The coding the sample is clearly written in, or nothing when the evidence is not clear: too few
// Cyrillic letters (ASCII text), or no coding well ahead of the others.
std::optional<TextCoding> detectCoding(std::string_view sample);

}  // namespace tresslin
