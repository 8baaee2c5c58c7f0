// The book loader.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "book/Utf16.h"
#include "book/mdlDeclarations.h"

namespace tresslin {

// A book's file, opened and looked at once for everything read from it: the look at its start
// that tells the format, and the load. Only a regular file opens; a FIFO or a device could block
// or never end.
class BookFile {
  public:
    explicit BookFile(const std::string& path);
    ~BookFile();
    BookFile(const BookFile&) = delete;
    BookFile& operator=(const BookFile&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    // The size when it was opened.
    std::uint64_t size() const { return size_; }

  private:
    int fd_ = -1;
    std::uint64_t size_ = 0;
};

// Reads the whole file, from its start, the way ReadBookLines(path) does.
bool ReadBookLines(const BookFile& file, LineStore& bookLines);

// Reads the whole file, UTF-16 in the given order, converting it to UTF-8 as it comes: neither
// the file's bytes nor a second copy of the text is ever held whole.
bool ReadUtf16BookLines(const BookFile& file, Utf16Order order, LineStore& bookLines);

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
