#include "book/ReadingCursor.h"

namespace tresslin {

std::size_t ReadingCursor::partStart(const LineWrap* wrap) {
    // A command that moved to a line without a word of parts shows its first part.
    if (partLine_ != line_) {
        partLine_ = line_;
        start_ = 0;
        isStart_ = true;
    }
    if (!wrap) {
        start_ = 0;
    } else if (!isStart_) {
        start_ = wrap->partStartAt(start_);
        isStart_ = true;
    }
    return start_;
}

void ReadingCursor::moveTo(std::int32_t line) {
    line_ = line;
    partLine_ = -1;
}

void ReadingCursor::moveToOffset(std::int32_t line, std::size_t offset) {
    line_ = partLine_ = line;
    start_ = offset;
    isStart_ = false;
}

bool ReadingCursor::forward(std::int32_t maxLine, const WrapOf& wrapOf) {
    const auto wrap = wrapOf(line_);
    const std::size_t start = partStart(wrap ? &*wrap : nullptr);
    if (wrap) {
        if (const auto next = wrap->nextStart(start)) {
            start_ = *next;
            return true;
        }
    }
    if (line_ >= maxLine) return false;
    ++line_;
    return true;
}

bool ReadingCursor::back(const WrapOf& wrapOf) {
    const auto wrap = wrapOf(line_);
    const std::size_t start = partStart(wrap ? &*wrap : nullptr);
    if (wrap && start > 0) {
        start_ = wrap->prevStart(start).value_or(0);
        return true;
    }
    if (line_ <= 0) return false;
    --line_;
    if (const auto previous = wrapOf(line_)) {
        partLine_ = line_;
        start_ = previous->lastStart();
    }
    return true;
}

bool readsOn(std::int32_t maxLine, const WrapOf& wrapOf) {
    if (maxLine >= 1) return true;
    const auto wrap = wrapOf(0);
    return wrap && wrap->nextStart(0).has_value();
}

}  // namespace tresslin
