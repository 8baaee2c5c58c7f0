#include "book/SpeechText.h"

#include <algorithm>

namespace tresslin {

namespace {
// Blanks are the same single bytes in every coding, and never inside a UTF-8 sequence.
bool blankAt(std::string_view raw, std::size_t pos) {
    return raw[pos] == ' ' || raw[pos] == '\t';
}
}  // namespace

std::u16string speechText(const DisplayChars& chars, std::size_t start, std::size_t end) {
    const std::string_view raw = chars.raw();
    end = std::min(end, raw.size());
    start = std::min(start, end);
    if (start > 0 && start < end && !blankAt(raw, start - 1) && !blankAt(raw, start)) {
        const std::size_t floor = start > kSpokenWordBytes ? start - kSpokenWordBytes : 0;
        while (start > floor && !blankAt(raw, start - 1)) --start;
        start = chars.charStart(start);
    }
    if (end < raw.size() && end > start && !blankAt(raw, end) && !blankAt(raw, end - 1)) {
        std::size_t cut = end;
        while (cut > start && !blankAt(raw, cut - 1)) --cut;
        end = cut;
    }
    std::u16string all;
    chars.appendUtf16(start, end, all);
    std::u16string out;
    out.reserve(all.size());
    for (const char16_t c : all) {
        if (c != u'\u00AD') out += c;
    }
    const auto blank = [](char16_t c) { return c == u' ' || c == u'\t'; };
    const auto first = std::find_if_not(out.begin(), out.end(), blank);
    const auto last = std::find_if_not(out.rbegin(), out.rend(), blank).base();
    return first < last ? std::u16string(first, last) : std::u16string();
}

}  // namespace tresslin
