// Takes typed values off the front of a fuzzer's input; zeros once it runs out.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace tresslin::fuzz {

struct FuzzInput {
    std::string_view rest_;
    FuzzInput(const std::uint8_t* data, std::size_t size)
        : rest_(reinterpret_cast<const char*>(data), size) {}
    std::uint8_t byte() { return rest_.empty() ? 0 : std::uint8_t(take(1)[0]); }
    std::uint16_t u16() { return std::uint16_t(byte() | (byte() << 8)); }
    std::string_view take(std::size_t n) {
        const std::string_view s = rest_.substr(0, n);
        rest_.remove_prefix(s.size());
        return s;
    }
    std::string_view rest() { return take(rest_.size()); }
};

// Stops the run in a way libFuzzer reports as a crash, with the input saved.
[[noreturn]] inline void Fail(const char* what) {
    std::fprintf(stderr, "FUZZ PROPERTY FAILED: %s\n", what);
    std::abort();
}

}  // namespace tresslin::fuzz
