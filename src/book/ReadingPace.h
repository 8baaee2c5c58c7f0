// How long a part of the book takes to read: the stay of each part at a pace in words a minute,
// and the reader's own pace measured from how they move through the parts.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tresslin {

inline constexpr int kWordsAMinuteMin = 60;
inline constexpr int kWordsAMinuteMax = 1000;
inline constexpr int kWordsAMinuteDefault = 250;

// Words in a text: runs of anything but blanks (space, tab, no-break space).
int wordCount(std::u16string_view text);

// How long a part stays on view at that pace (held to 60..1000), in milliseconds: the time
// of its words and, at a paragraph's end, that of three words more; nothing for an empty part.
int partStayMs(std::u16string_view text, int wordsAMinute, bool paragraphEnd);

// The reader's pace from their moves: each move forward hands over the words of the part left
// and the time it was on view. A part left within a moment was skipped, one left after long
// was set aside; neither counts.
class PaceMeter {
  public:
    static constexpr std::int64_t kShortestMs = 150;
    static constexpr std::int64_t kLongestMs = 120'000;
    // What must be measured before the pace counts.
    static constexpr std::int64_t kEnoughMs = 60'000;
    static constexpr std::int64_t kEnoughWords = 150;

    void moved(int words, std::int64_t onViewMs);
    // Words a minute once enough is measured.
    std::optional<double> wordsAMinute() const;

  private:
    std::int64_t words_ = 0;
    std::int64_t ms_ = 0;
};

}  // namespace tresslin
