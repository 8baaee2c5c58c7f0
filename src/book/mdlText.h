// The book loader.
#pragma once

#include <string>
#include <string_view>

#include "book/mdlDeclarations.h"

namespace tresslin {

// Reads the whole file at path into a new line store and, only when that succeeds, replaces
// bookLines with it. Lines end at CR LF, at CR alone and at LF alone (LF CR is two ends). Returns
// false (bookLines untouched) when the path names no regular file, cannot be read, or memory runs
// out.
bool ReadBookLines(const std::string& path, LineStore& bookLines);

// Splits bytes already in memory the same way (used for tests and fuzzing). False only when
// memory runs out.
bool splitBookLines(std::string_view bytes, LineStore& bookLines);

// Builds a store from a buffer the caller fills; used by the loader and by splitBookLines.
class LineStoreBuilder {
  public:
    // Reserve room for the whole text.
    [[nodiscard]] bool reserveText(std::size_t bytes);
    char* textData() { return store_.text_.data(); }
    // Split the newly arrived bytes [scanned, filled) into lines; final = no more bytes follow.
    [[nodiscard]] bool addBytes(std::size_t filled, bool final);
    LineStore take();

  private:
    LineStore store_;
    std::size_t filled_ = 0;
    std::size_t scanned_ = 0;
};

}  // namespace tresslin
