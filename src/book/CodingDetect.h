// Guessing a book's coding from its first bytes.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "book/ByteCodings.h"
#include "book/TextCoding.h"

namespace tresslin {

// How much of the beginning of a book detection looks at.
inline constexpr std::size_t kDetectSampleBytes = 256 * 1024;

// The stored coding the sample is clearly written in, or nothing when the evidence is not clear:
// too few Cyrillic letters (ASCII text), no coding well ahead of the others, or one the reader
// converts at open.
std::optional<TextCoding> detectCoding(std::string_view sample);

// The same among all the codings the reader knows, those converted at open included. A short
// sample (a sentence of twenty letters and more) is decided by its letter pairs and case runs.
std::optional<FoundCoding> detectAnyCoding(std::string_view sample);

}  // namespace tresslin
