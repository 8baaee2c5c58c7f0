// Program-wide declarations: the open book's line store, the title and the version.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "book/PageBuffer.h"
#include "book/Version.h"

namespace tresslin {

inline constexpr std::string_view kAppTitle = "Tresslin";

// The book as read: one buffer holding the file's bytes and the start offset of every line,
// plus one sentinel offset at the end. A line's bytes exclude its CR, LF or CR LF terminator.
class LineStore {
  public:
    LineStore() = default;
    LineStore(LineStore&&) noexcept = default;
    LineStore& operator=(LineStore&&) noexcept = default;

    // Number of lines; 0 before the first load, at least 1 after one.
    std::int64_t size() const { return starts_.size() == 0 ? 0 : std::int64_t(starts_.size()) - 1; }
    bool empty() const { return size() == 0; }
    // Highest valid index, -1 when nothing has been loaded.
    std::int64_t upperBound() const { return size() - 1; }

    std::string_view line(std::int64_t i) const {
        const std::uint64_t b = starts_[std::size_t(i)];
        return {text_.data() + b, std::size_t(contentEnd(i) - b)};
    }
    // Offset of the first byte of line i, and of the byte just past its content.
    std::uint64_t lineStart(std::int64_t i) const { return starts_[std::size_t(i)]; }
    std::uint64_t contentEnd(std::int64_t i) const;
    // Index of the line whose span (content plus terminator) holds offset pos.
    std::int64_t lineAt(std::uint64_t pos) const;

    const char* data() const { return text_.data(); }
    std::size_t byteSize() const { return text_.size(); }

  private:
    friend class LineStoreBuilder;
    PageBuffer<char> text_;
    PageBuffer<std::uint64_t> starts_;
};

}  // namespace tresslin
