// Find, differentially: the fast search, 8-bit and UTF-8, against a plain search of each line.
#include <cstdint>
#include <string>

#include "FuzzInput.h"
#include "book/BookFind.h"
#include "book/BookFindUtf8.h"
#include "book/mdlFiles.h"
#include "book/mdlText.h"

using namespace tresslin;
using tresslin::fuzz::Fail;

namespace {

std::string cp1251ToUtf8(std::string_view s) {
    std::string out;
    for (char b : s) {
        const char32_t c = cp1251ToUnicode(static_cast<unsigned char>(b));
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += {char(0xC0 | (c >> 6)), char(0x80 | (c & 0x3F))};
        } else {
            out +=
                {char(0xE0 | (c >> 12)), char(0x80 | ((c >> 6) & 0x3F)), char(0x80 | (c & 0x3F))};
        }
    }
    return out;
}

// UTF-8 folded the way Windows Cyrillic folds: a two-byte character that code page 1251 holds
// becomes its folded form; every other byte stays as it is.
std::string foldUtf8(std::string_view s) {
    const FoldTable& fold = tablesFor(kWindowsCyrillic).fold;
    std::string out(s);
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto b = static_cast<unsigned char>(s[i]);
        if (b < 0x80) out[i] = static_cast<char>(fold[b]);
        if (b < 0xC2 || b > 0xDF || i + 1 == s.size() || (s[i + 1] & 0xC0) != 0x80) continue;
        if (const auto w = unicodeToCp1251((char32_t(b & 0x1F) << 6) | (s[i + 1] & 0x3F))) {
            const std::string f = cp1251ToUtf8(std::string(1, char(fold[*w])));
            if (f.size() != 2) Fail("a letter's case changes its length");
            out.replace(i, 2, f);
        }
        ++i;
    }
    return out;
}

template <typename Fold>
std::int64_t referenceFind(const LineStore& lines, std::int64_t first, std::int64_t last,
                           std::string_view needle, Fold fold) {
    for (std::int64_t i = std::max<std::int64_t>(first, 0); i <= last && i < lines.size(); ++i) {
        if (fold(lines.line(i)).find(fold(needle)) != std::string::npos) return i;
    }
    return -1;
}

LineStore split(std::string_view bytes) {
    LineStore s;
    if (!splitBookLines(bytes, s)) Fail("split failed");
    return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzInput in(data, size);
    const int coding = in.byte() % kCodingCount;
    const std::int64_t first = std::int16_t(in.u16());
    const std::int64_t last = std::int16_t(in.u16());
    const std::string_view needle = in.take(in.byte() % 24);
    const std::string_view text = in.rest();

    // The fast search against the plain one, in the coding chosen, and in UTF-8 for the needle
    // as a user would type it.
    const FoldTable& fold = tablesFor(coding).fold;
    const auto byFold = [&](std::string_view s) {
        std::string out(s);
        for (char& c : out) c = static_cast<char>(fold[static_cast<unsigned char>(c)]);
        return out;
    };
    const LineStore lines = split(text);
    std::uint64_t at = 0;
    const std::int64_t hit = findInLines(lines, first, last, needle, fold, &at);
    if (hit != referenceFind(lines, first, last, needle, byFold)) Fail("8-bit find differs");
    if (hit >= 0 && byFold(lines.line(hit)).find(byFold(needle)) != at) Fail("8-bit offset");
    const std::string utf8Needle = cp1251ToUtf8(needle);
    const std::int64_t utf8Hit = findInLinesUtf8(lines, first, last, utf8Needle, &at);
    if (utf8Hit != referenceFind(lines, first, last, utf8Needle, foldUtf8))
        Fail("UTF-8 find differs");
    if (utf8Hit >= 0 && foldUtf8(lines.line(utf8Hit)).find(foldUtf8(utf8Needle)) != at)
        Fail("UTF-8 offset");

    return 0;
}
