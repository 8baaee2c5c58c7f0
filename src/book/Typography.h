// Russian typography in find: Е and Ё as one letter, and soft hyphens that are not there.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "book/BookFind.h"
#include "book/TextCoding.h"
#include "book/mdlDeclarations.h"

namespace tresslin {

// Makes Ё and ё compare as Е in a fold table of the coding.
void foldYoAsYe(FoldTable& fold, TextCoding coding);

// The soft hyphen's bytes in the coding; empty where the coding has none.
std::string_view softHyphen(TextCoding coding);

// A search of lines first..last for one needle (as findInLines), giving the offset of the match.
using LineSearch = std::function<std::int64_t(const LineStore& lines, std::int64_t first,
                                              std::int64_t last, std::uint64_t* matchAt)>;

// The search, but a line holding soft hyphens also matches as if it had none: a word split by
// them is found by its plain spelling. matchAt is the offset in the line as written.
std::int64_t findIgnoringSoftHyphens(const LineStore& lines, std::int64_t first, std::int64_t last,
                                     TextCoding coding, const LineSearch& search,
                                     std::uint64_t* matchAt = nullptr);

}  // namespace tresslin
