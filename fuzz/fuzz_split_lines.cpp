// Line splitting and loading: the store built from any bytes, whole or in any chunks, or read
// from a file, holds the same lines as a plain splitter.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "book/CodingDetect.h"
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
    std::uint32_t seed = in.u16();
    const unsigned maxChunk = 1 + (in.byte() & 15);
    const std::string_view bytes = in.rest();
    const auto expected = referenceSplit(bytes);

    LineStore whole;
    if (!splitBookLines(bytes, whole)) Fail("splitBookLines failed");
    checkStore(whole, bytes, expected);

    // The loader's way: bytes arrive in pieces, each piece split as it comes.
    LineStoreBuilder b;
    if (!b.reserveText(bytes.size())) Fail("reserveText failed");
    for (std::size_t filled = 0; filled < bytes.size();) {
        seed = seed * 1103515245u + 12345u;
        const std::size_t n =
            std::min<std::size_t>(1 + (seed >> 16) % maxChunk, bytes.size() - filled);
        std::memcpy(b.textData() + filled, bytes.data() + filled, n);
        filled += n;
        if (!b.addBytes(filled, false)) Fail("addBytes failed");
    }
    if (!b.addBytes(bytes.size(), true)) Fail("addBytes failed at the end");
    checkStore(b.take(), bytes, expected);

    // Through a file: the loader reads what the file holds.
    static const int fd = memfd_create("book", MFD_CLOEXEC);
    if (fd >= 0 && ftruncate(fd, 0) == 0 &&
        pwrite(fd, bytes.data(), bytes.size(), 0) == ssize_t(bytes.size())) {
        LineStore loaded;
        if (!ReadBookLines("/proc/self/fd/" + std::to_string(fd), loaded))
            Fail("ReadBookLines failed on a regular file");
        checkStore(loaded, bytes, expected);
    }

    const auto coding = detectCoding(bytes);
    if (coding && (*coding < 0 || *coding > 3)) Fail("detectCoding outside 0..3");
    if (bytes.starts_with("\xEF\xBB\xBF") && coding != 3) Fail("a BOM is not UTF-8");
    return 0;
}
