// Takes typed values off the front of a fuzzer's input; zeros once it runs out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tresslin::fuzz {

class FuzzInput {
  public:
    FuzzInput(const std::uint8_t* data, std::size_t size)
        : rest_(reinterpret_cast<const char*>(data), size) {}

    std::uint8_t byte() {
        if (rest_.empty()) return 0;
        const auto b = static_cast<std::uint8_t>(rest_.front());
        rest_.remove_prefix(1);
        return b;
    }
    std::uint16_t u16() { return std::uint16_t(byte() | (byte() << 8)); }
    std::uint32_t u32() { return std::uint32_t(u16()) | (std::uint32_t(u16()) << 16); }
    std::string_view take(std::size_t n) {
        if (n > rest_.size()) n = rest_.size();
        const std::string_view s = rest_.substr(0, n);
        rest_.remove_prefix(n);
        return s;
    }
    std::string_view rest() {
        const std::string_view s = rest_;
        rest_ = {};
        return s;
    }

  private:
    std::string_view rest_;
};

// Stops the run with a message that libFuzzer reports as a crash, with the input saved.
[[noreturn]] void Fail(const char* what);

}  // namespace tresslin::fuzz
