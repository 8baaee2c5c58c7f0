// Stored and typed setting texts: the parsers never crash, keep to their ranges, and read a
// number the way the C library reads it.
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <regex>
#include <string>

#include "FuzzInput.h"
#include "settings/StoredNumbers.h"
#include "viewer/WindowRules.h"

using namespace tresslin;
using tresslin::fuzz::Fail;

namespace {

// Sign, digits with at most one period among them, then optionally an exponent: the whole text.
const std::regex kDecimal("[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eE][+-]?[0-9]+)?");

// The value of a decimal text as strtod reads it; nothing when it is not one, or infinite.
std::optional<double> referenceValue(const std::string& s) {
    if (!std::regex_match(s, kDecimal)) return std::nullopt;
    const double v = std::strtod(s.c_str(), nullptr);
    return std::isfinite(v) ? std::optional(v) : std::nullopt;
}

std::optional<std::int32_t> referenceWhole(const std::string& s) {
    if (!std::regex_match(s, std::regex("[+-]?[0-9]+"))) return std::nullopt;
    errno = 0;
    const long long v = std::strtoll(s.c_str(), nullptr, 10);
    if (errno == ERANGE || v < INT32_MIN || v > INT32_MAX) return std::nullopt;
    return std::int32_t(v);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzInput in(data, size);
    const auto maxLine = std::int32_t(in.u16() | (std::uint32_t(in.u16()) << 16));
    const std::string_view text = in.rest();
    const auto from = text.find_first_not_of(" \t");
    const std::string trimmed(
        from == text.npos ? "" : text.substr(from, text.find_last_not_of(" \t") + 1 - from));
    const auto value = referenceValue(trimmed);

    // The line jump: a line that exists, and exactly the one the number names.
    std::optional<std::int32_t> expectJump;
    if (value && std::nearbyint(*value) >= 1.0 && std::nearbyint(*value) <= maxLine + 1.0)
        expectJump = std::int32_t(std::int64_t(std::nearbyint(*value)) - 1);
    if (parseLineJump(text, maxLine) != expectJump) Fail("line jump differs from strtod");

    const std::int32_t interval = readTimerInterval(text);
    if (interval < kIntervalMin || interval > kIntervalMax) Fail("interval outside its range");
    if (parseWholeNumber(text) != referenceWhole(trimmed)) Fail("whole number differs");
    if (parseDecimal(text) != value) Fail("twips differ from strtod");
    return 0;
}
