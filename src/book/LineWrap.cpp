#include "book/LineWrap.h"

#include <algorithm>
#include <utility>

namespace tresslin {

namespace {

// How far before an anchor's mark a blank is looked for, so that the cut breaks no word.
constexpr std::size_t kAnchorLookBack = 256;

// Accents over the letter before them (as in Russian stress marks): never a place to break.
bool isCombining(char32_t c) {
    return c >= 0x0300 && c <= 0x036F;
}

}  // namespace

LineWrap::LineWrap(std::string_view raw, TextCoding coding, WrapMetrics metrics)
    : chars_(raw, coding), metrics_(std::move(metrics)) {
    room_ = metrics_.width - metrics_.advance(U' ');
}

std::size_t LineWrap::anchorAt(std::size_t k) const {
    if (k == 0) return 0;
    const std::string_view raw = chars_.raw();
    const std::size_t mark = k * kAnchorBytes;
    for (std::size_t p = mark; p > mark - kAnchorLookBack; --p) {
        if (raw[p - 1] == ' ' || raw[p - 1] == '\t') return p;
    }
    return chars_.charStart(mark);
}

std::size_t LineWrap::anchorAtOrBefore(std::size_t offset) const {
    const std::size_t k = offset / kAnchorBytes;
    // The anchor of the next mark may stand a little before that mark, at or before offset.
    if ((k + 1) * kAnchorBytes < chars_.raw().size()) {
        const std::size_t next = anchorAt(k + 1);
        if (next <= offset) return next;
    }
    return anchorAt(k);
}

std::size_t LineWrap::anchorAfter(std::size_t offset) const {
    const std::size_t n = chars_.raw().size();
    for (std::size_t k = offset / kAnchorBytes + 1; k * kAnchorBytes < n; ++k) {
        const std::size_t a = anchorAt(k);
        if (a > offset) return a;
    }
    return n;
}

std::size_t LineWrap::fill(std::size_t start, std::size_t limit) const {
    // Blanks may run past the edge: they are not seen there, and the next part then starts
    // with a word. A hair of slack absorbs rounding in sums of fractional advances.
    const double room = room_ + 1e-6;
    double used = 0;
    std::size_t afterBlank = 0;
    std::size_t pos = start;
    while (pos < limit) {
        const DisplayChar d = chars_.at(pos);
        const double a = metrics_.advance(d.ch);
        if (isBreakBlank(d.ch)) {
            afterBlank = d.next;
        } else if (used + a > room && pos > start && !isCombining(d.ch)) {
            return afterBlank ? afterBlank : pos;
        }
        used += a;
        pos = d.next;
    }
    return limit;
}

std::size_t LineWrap::partEnd(std::size_t start) const {
    if (start >= chars_.raw().size()) return chars_.raw().size();
    return fill(start, anchorAfter(start));
}

std::optional<std::size_t> LineWrap::nextStart(std::size_t start) const {
    const std::size_t end = partEnd(start);
    if (end >= chars_.raw().size()) return std::nullopt;
    return end;
}

std::optional<std::size_t> LineWrap::prevStart(std::size_t start) const {
    start = std::min(start, chars_.raw().size());
    if (start == 0) return std::nullopt;
    std::size_t p = anchorAtOrBefore(start - 1);
    const std::size_t limit = anchorAfter(p);
    for (;;) {
        const std::size_t end = fill(p, limit);
        if (end >= start) return p;
        p = end;
    }
}

std::size_t LineWrap::partStartAt(std::size_t offset) const {
    const std::size_t n = chars_.raw().size();
    if (n == 0) return 0;
    offset = std::min(offset, n - 1);
    std::size_t p = anchorAtOrBefore(offset);
    const std::size_t limit = anchorAfter(p);
    for (;;) {
        const std::size_t end = fill(p, limit);
        if (offset < end) return p;
        p = end;
    }
}

std::u16string LineWrap::displayText(std::size_t start, std::size_t end) const {
    end = std::min(end, chars_.raw().size());
    std::u16string out(1, u' ');
    if (start >= end) return out;
    out.reserve(end - start + 1);
    chars_.appendUtf16(start, end, out);
    return out;
}

}  // namespace tresslin
