#include "settings/StoredNumbers.h"

#include <cfenv>
#include <charconv>
#include <cmath>

namespace tresslin {

namespace {

std::string_view trimBlanks(std::string_view s) {
    const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

// Length of the longest prefix of s that reads as a decimal number: sign, digits, an optional
// period with digits, an optional exponent. 0 when there is none.
std::size_t numberPrefix(std::string_view s) {
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
    }
    if (digits == 0) return 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
        std::size_t expDigits = 0;
        while (j < s.size() && s[j] >= '0' && s[j] <= '9') ++j, ++expDigits;
        if (expDigits) i = j;
    }
    return i;
}

// Whether a decimal number that a double cannot hold is too large (rather than too close to
// zero): the power of ten of its leading non-zero digit tells.
bool tooLarge(std::string_view s) {
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    long long beforePoint = 0;
    long long digits = 0;
    long long lead = -1;
    bool point = false;
    for (; i < s.size(); ++i) {
        if (s[i] == '.' && !point) {
            point = true;
            continue;
        }
        if (s[i] < '0' || s[i] > '9') break;
        if (lead < 0 && s[i] != '0') lead = digits;
        if (!point) ++beforePoint;
        ++digits;
    }
    long long exponent = 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        const bool negative = i < s.size() && s[i] == '-';
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
            if (exponent < 1000000000000LL) exponent = exponent * 10 + (s[i] - '0');
        }
        if (negative) exponent = -exponent;
    }
    return beforePoint - 1 - (lead < 0 ? 0 : lead) + exponent >= 0;
}

std::optional<double> toDouble(std::string_view s) {
    double v = 0;
    // from_chars does not take a leading '+'.
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    if (r.ec == std::errc::result_out_of_range) {
        // Too large to hold: the sign is all that matters to the callers. Too close to zero to
        // hold: zero.
        const bool negative = !s.empty() && s.front() == '-';
        if (!tooLarge(s)) return negative ? -0.0 : 0.0;
        return negative ? -HUGE_VAL : HUGE_VAL;
    }
    if (r.ec != std::errc()) return std::nullopt;
    return v;
}

double roundHalfEven(double v) {
    const double r = std::nearbyint(v);  // the default rounding mode is to nearest, ties to even
    return r;
}

}  // namespace

std::int32_t readTimerInterval(std::string_view stored) {
    std::string_view t = stored;
    while (!t.empty() && (t.front() == ' ' || t.front() == '\t')) t.remove_prefix(1);
    const std::size_t n = numberPrefix(t);
    double v = 0;
    if (n > 0) {
        const auto d = toDouble(t.substr(0, n));
        if (!d) return kIntervalDefault;
        v = *d;
    }
    if (!std::isfinite(v)) return kIntervalDefault;
    const double r = roundHalfEven(v);
    if (r < kIntervalMin || r > kIntervalMax) return kIntervalDefault;
    return std::int32_t(r);
}

std::optional<std::int32_t> parseWholeNumber(std::string_view text) {
    std::string_view t = trimBlanks(text);
    if (!t.empty() && t.front() == '+') {
        t.remove_prefix(1);
        // from_chars would take the sign of "+-5".
        if (!t.empty() && t.front() == '-') return std::nullopt;
    }
    if (t.empty()) return std::nullopt;
    std::int32_t v = 0;
    auto r = std::from_chars(t.data(), t.data() + t.size(), v);
    if (r.ec != std::errc() || r.ptr != t.data() + t.size()) return std::nullopt;
    return v;
}

std::optional<double> parseDecimal(std::string_view text) {
    const std::string_view t = trimBlanks(text);
    const std::size_t n = numberPrefix(t);
    if (n == 0 || n != t.size()) return std::nullopt;
    const auto v = toDouble(t);
    if (!v || !std::isfinite(*v)) return std::nullopt;
    return *v;
}

}  // namespace tresslin
