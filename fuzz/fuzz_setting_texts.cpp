// Stored and typed setting texts: the parsers never crash, keep to their ranges, and read a
// number the way the C library reads it.
#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "FuzzInput.h"
#include "book/ViewRules.h"

using namespace tresslin;
using tresslin::fuzz::Fail;
using tresslin::fuzz::FuzzInput;

namespace {

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Sign, digits with at most one period among them (at least one digit), then optionally an
// exponent with digits: the whole text.
bool isDecimal(std::string_view s) {
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t digits = 0;
    bool point = false;
    for (; i < s.size(); ++i) {
        if (isDigit(s[i])) {
            ++digits;
        } else if (s[i] == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (digits == 0) return false;
    if (i == s.size()) return true;
    if (s[i] != 'e' && s[i] != 'E') return false;
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    if (i == s.size()) return false;
    for (; i < s.size(); ++i) {
        if (!isDigit(s[i])) return false;
    }
    return true;
}

// The value of a decimal text as strtod reads it in the C locale; nothing when it is infinite.
std::optional<double> referenceValue(std::string_view s) {
    const std::string z(s);
    errno = 0;
    const double v = std::strtod(z.c_str(), nullptr);
    if (!std::isfinite(v)) return std::nullopt;
    return v;
}

std::optional<std::int32_t> referenceWhole(std::string_view s) {
    s = trimBlanks(s);
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    if (i == s.size()) return std::nullopt;
    for (std::size_t j = i; j < s.size(); ++j) {
        if (!isDigit(s[j])) return std::nullopt;
    }
    errno = 0;
    const std::string z(s);
    const long long v = std::strtoll(z.c_str(), nullptr, 10);
    if (errno == ERANGE || v < INT32_MIN || v > INT32_MAX) return std::nullopt;
    return std::int32_t(v);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    const auto maxLine = std::int32_t(in.u32());
    const std::string_view text = in.rest();
    const std::string_view trimmed = trimBlanks(text);

    // The line jump: a line that exists, and exactly the one the number names.
    const auto jump = parseLineJump(text, maxLine);
    if (jump && (*jump < 0 || *jump > maxLine)) Fail("line jump outside the book");
    std::optional<std::int32_t> expectJump;
    if (isDecimal(trimmed)) {
        if (const auto v = referenceValue(trimmed)) {
            const double r = std::nearbyint(*v);
            if (r >= 1.0 && r <= double(maxLine) + 1.0)
                expectJump = std::int32_t(std::int64_t(r) - 1);
        }
    }
    if (jump != expectJump) Fail("line jump differs from strtod");

    const std::int32_t interval = readTimerInterval(text);
    if (interval < kIntervalMin || interval > kIntervalMax) Fail("interval outside its range");

    if (parseWholeNumber(text) != referenceWhole(text)) Fail("whole number differs");

    const auto twips = parseTwips(text);
    if (twips && !std::isfinite(*twips)) Fail("twips not finite");
    std::optional<double> expectTwips;
    if (isDecimal(trimmed)) expectTwips = referenceValue(trimmed);
    if (twips != expectTwips) Fail("twips differ from strtod");
    return 0;
}
