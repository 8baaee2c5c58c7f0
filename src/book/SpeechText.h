// What the voice says for a part of a line: the characters the reader sees, with no word said
// twice or in halves where a part boundary cuts it.
#pragma once

#include <cstddef>
#include <string>

#include "book/DisplayChars.h"

namespace tresslin {

// A word cut by the part boundary is said once, whole, with the part that holds its end; a
// look-back for its beginning stops after this many bytes (a "word" longer is no word).
inline constexpr std::size_t kSpokenWordBytes = 1024;

// The text for the bytes [start, end) of the line chars reads: the word cut at start said whole,
// the word cut at end left to the next part, soft hyphens left out, outer blanks trimmed. Empty
// when nothing is there to say.
std::u16string speechText(const DisplayChars& chars, std::size_t start, std::size_t end);

}  // namespace tresslin
