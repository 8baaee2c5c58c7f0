// Where the reader is: a line of the book and, in a line read in parts, the part on view.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

#include "book/LineWrap.h"

namespace tresslin {

// A line's parts as the view lays them out now; nothing when the line is shown whole (wrapping
// off, or no such line).
using WrapOf = std::function<std::optional<LineWrap>(std::int32_t line)>;

// The window moves the cursor and draws what it points at; the cursor never sees the window.
class ReadingCursor {
  public:
    std::int32_t line() const { return line_; }
    // Start of the part on view, given the line's parts (nullptr: the line is shown whole).
    std::size_t partStart(const LineWrap* wrap);

    // The first part of a line.
    void moveTo(std::int32_t line);
    // The part of a line that holds a byte offset (where a match starts).
    void moveToOffset(std::int32_t line, std::size_t offset);
    // The parts were laid out anew (another width, font or coding): the part holding the first
    // character on view stays in view.
    void relayout() { isStart_ = false; }

    // The next part, else the next line's first part; false at the end of the book.
    bool forward(std::int32_t maxLine, const WrapOf& wrapOf);
    // The previous part, else the previous line's last part; false at the start of the book.
    bool back(const WrapOf& wrapOf);

  private:
    std::int32_t line_ = 0;
    std::int32_t partLine_ = -1;  // another line than line_: its first part
    std::size_t start_ = 0;
    bool isStart_ = true;  // false: start_ is any offset, shown by the part holding it
};

// Whether there is anything to move through: a second line, or one line in parts.
bool readsOn(std::int32_t maxLine, const WrapOf& wrapOf);

}  // namespace tresslin
