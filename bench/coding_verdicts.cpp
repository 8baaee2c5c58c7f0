// Reads samples from standard input, each as a line "<bytes>\n" holding the sample's length, then
// its bytes, and prints each verdict of coding detection on a line of its own: the coding's
// name, or "-" for none. bench/detect_fortunes.py feeds it.
#include <iostream>
#include <iterator>
#include <string>

#include "book/CodingDetect.h"

#ifdef TRESSLIN_BEFORE
// Detection as it was at an earlier commit, built under this name (bench/detect_fortunes.py).
namespace tresslin {
std::optional<TextCoding> oldDetectCoding(std::string_view sample);
}
#endif

int main() {
    using namespace tresslin;
    std::ios::sync_with_stdio(false);
    std::size_t n = 0;
    while (std::cin >> n) {
        std::cin.get();
        std::string sample(n, '\0');
        std::cin.read(sample.data(), std::streamsize(n));
#ifdef TRESSLIN_BEFORE
        const auto stored = oldDetectCoding(sample);
        const std::optional<FoundCoding> found =
            stored ? std::optional(FoundCoding(*stored)) : std::nullopt;
#else
        const std::optional<FoundCoding> found = detectAnyCoding(sample);
#endif
        std::cout << (found ? codingName(*found) : "-") << '\n';
    }
}
