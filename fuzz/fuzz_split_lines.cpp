// Line splitting: the store built from any bytes, whole or arriving in any chunks as the loader
// reads them, holds the same lines as a plain splitter.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "book/mdlText.h"

using namespace tresslin;
using tresslin::fuzz::Fail;

namespace {

// Lines end at CR LF, CR or LF; a terminator at the very end starts no further line; a leading
// UTF-8 byte-order mark belongs to no line.
std::vector<std::string_view> referenceSplit(std::string_view s) {
    if (s.starts_with("\xEF\xBB\xBF")) s.remove_prefix(3);
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\r' && s[i] != '\n') continue;
        lines.push_back(s.substr(start, i - start));
        if (s.substr(i, 2) == "\r\n") ++i;
        start = i + 1;
    }
    if (start < s.size() || lines.empty()) lines.push_back(s.substr(start));
    return lines;
}

void checkStore(const LineStore& store, std::string_view bytes,
                const std::vector<std::string_view>& expected) {
    if (store.size() != std::int64_t(expected.size())) Fail("line count differs");
    if (std::string_view(store.data(), store.byteSize()) != bytes) Fail("buffer differs");
    for (std::int64_t i = 0; i < store.size(); ++i) {
        if (store.line(i) != expected[std::size_t(i)]) Fail("line differs");
        const std::uint64_t b = store.lineStart(i), e = store.contentEnd(i);
        if (e < b || e > bytes.size()) Fail("line bounds outside the buffer");
        if (store.lineAt(b) != i || (e > b && store.lineAt(e - 1) != i)) Fail("lineAt");
    }
    if (store.upperBound() != store.size() - 1) Fail("upperBound");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzInput in(data, size);
    const unsigned seed = in.u16(), maxChunk = 1 + (in.byte() & 15);
    const std::string_view bytes = in.rest();
    const auto expected = referenceSplit(bytes);

    LineStore whole;
    if (!splitBookLines(bytes, whole)) Fail("splitBookLines failed");
    checkStore(whole, bytes, expected);

    LineStoreBuilder b;
    if (!b.reserveText(bytes.size())) Fail("reserveText failed");
    for (std::size_t filled = 0, n; filled < bytes.size(); filled += n) {
        n = std::min<std::size_t>(1 + (filled * 2654435761u + seed) % maxChunk,
                                  bytes.size() - filled);
        std::memcpy(b.textData() + filled, bytes.data() + filled, n);
        if (!b.addBytes(filled + n, false)) Fail("addBytes failed");
    }
    if (!b.addBytes(bytes.size(), true)) Fail("addBytes failed at the end");
    checkStore(b.take(), bytes, expected);

    return 0;
}
