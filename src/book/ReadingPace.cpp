#include "book/ReadingPace.h"

#include <algorithm>

namespace tresslin {

namespace {
bool isBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\u00A0';
}
}  // namespace

int wordCount(std::u16string_view text) {
    int words = 0;
    bool inWord = false;
    for (const char16_t c : text) {
        const bool blank = isBlank(c);
        if (!blank && !inWord) ++words;
        inWord = !blank;
    }
    return words;
}

int partStayMs(std::u16string_view text, int wordsAMinute, bool paragraphEnd) {
    const std::int64_t words = wordCount(text);
    if (words == 0) return 0;
    const std::int64_t pace = std::clamp(wordsAMinute, kWordsAMinuteMin, kWordsAMinuteMax);
    return int((words + (paragraphEnd ? 3 : 0)) * 60'000 / pace);
}

void PaceMeter::moved(int words, std::int64_t onViewMs) {
    if (words <= 0 || onViewMs < kShortestMs || onViewMs > kLongestMs) return;
    words_ += words;
    ms_ += onViewMs;
}

std::optional<double> PaceMeter::wordsAMinute() const {
    if (ms_ < kEnoughMs || words_ < kEnoughWords) return std::nullopt;
    return double(words_) * 60'000.0 / double(ms_);
}

}  // namespace tresslin
