// Reading numbers from stored and typed texts, and the timer interval's limits.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tresslin {

// The stored auto-show interval: the leading number of the text, rounded; anything outside
// the allowed range (or no number) gives the default.
inline constexpr std::int32_t kIntervalMin = 350;
inline constexpr std::int32_t kIntervalMax = 10000;
inline constexpr std::int32_t kIntervalStep = 50;
inline constexpr std::int32_t kIntervalDefault = 2550;
std::int32_t readTimerInterval(std::string_view stored);

// A whole signed 32-bit decimal number, blanks around it allowed; nothing otherwise.
std::optional<std::int32_t> parseWholeNumber(std::string_view text);

// A decimal number (sign, digits, period, exponent), blanks around it allowed, as the window's
// measures are stored; nothing when the text is not one or it is not finite.
std::optional<double> parseDecimal(std::string_view text);

}  // namespace tresslin
