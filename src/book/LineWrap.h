// Cutting a line that is wider than the view into parts, each as much as the view holds.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "book/DisplayChars.h"

namespace tresslin {

// How the view draws text: the advance width of each character (the window passes its font's,
// e.g. QFontMetricsF::horizontalAdvance) and the width the view has for a whole part.
struct WrapMetrics {
    std::function<double(char32_t)> advance;
    double width = 0;
};

// The parts of one stored line. Offsets are byte offsets into the line as stored; a part is the
// bytes [start, end) and is shown as one blank followed by its characters. A part ends after
// the last blank that fits (blanks at a break stay at the end of the earlier part, where they
// may run past the view's edge unseen); a word wider than the view is broken where it no longer
// fits. The empty line has one empty part.
//
// Work is bounded whatever the line's length: a part reads only as far as it needs, and every
// kAnchorBytes the line is cut at a blank (or at the mark when there is none nearby), so a walk
// back or a search for the part holding an offset starts no further back than that. Lines
// shorter than kAnchorBytes wrap exactly as from their start.
class LineWrap {
  public:
    static constexpr std::size_t kAnchorBytes = 64 * 1024;

    LineWrap(std::string_view raw, TextCoding coding, WrapMetrics metrics);

    // End of the part that starts at start: the next part's start, or the line's length.
    std::size_t partEnd(std::size_t start) const;
    // Start of the part after / before the one starting at start; nothing at the line's ends.
    std::optional<std::size_t> nextStart(std::size_t start) const;
    std::optional<std::size_t> prevStart(std::size_t start) const;
    // Start of the part holding byte offset; an offset at or past the end gives the last part.
    std::size_t partStartAt(std::size_t offset) const;
    std::size_t lastStart() const { return partStartAt(chars_.raw().size()); }
    // What the view shows for the part [start, end): one blank, then the part's characters.
    std::u16string displayText(std::size_t start, std::size_t end) const;

  private:
    std::size_t anchorAt(std::size_t k) const;
    std::size_t anchorAtOrBefore(std::size_t offset) const;
    std::size_t anchorAfter(std::size_t offset) const;
    std::size_t fill(std::size_t start, std::size_t limit) const;

    DisplayChars chars_;
    WrapMetrics metrics_;
    double room_;  // for a part's characters, once the leading blank is drawn
};

}  // namespace tresslin
