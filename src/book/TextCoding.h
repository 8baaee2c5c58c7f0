// The codings a book may be stored in.
#pragma once

#include <cstdint>

namespace tresslin {

// The values are those stored under "Settings"/"Text Coding" and the order of the settings
// dialog's list.
enum TextCoding : std::int32_t {
    kWindowsCyrillic = 0,
    kDosCyrillic = 1,
    kKoi8R = 2,
    kUtf8 = 3,
};
// The 8-bit codings, each with its code table, come first.
inline constexpr int kCodingCount = 3;
// Every coding a book may be stored in, UTF-8 last.
inline constexpr int kStoredCodingCount = 4;

}  // namespace tresslin
