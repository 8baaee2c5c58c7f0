// Find, differentially: the fast search against a plain search of each line, and the same book
// kept in each coding (Windows Cyrillic, DOS, KOI8-R, UTF-8) found at the same line.
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "book/BookFind.h"
#include "book/BookFindUtf8.h"
#include "book/mdlFiles.h"
#include "book/mdlText.h"

using namespace tresslin;
using tresslin::fuzz::Fail;
using tresslin::fuzz::FuzzInput;

namespace {

std::string foldBytes(std::string_view s, const FoldTable& fold) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(fold[static_cast<unsigned char>(c)]);
    return out;
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

std::string cp1251ToUtf8(std::string_view s) {
    std::string out;
    for (char c : s) appendUtf8(out, cp1251ToUnicode(static_cast<unsigned char>(c)));
    return out;
}

// UTF-8 folded the way Windows Cyrillic folds: a two-byte character that code page 1251 holds
// becomes its folded form; every other byte stays as it is.
std::string foldUtf8(std::string_view s) {
    const FoldTable& fold = tablesFor(kWindowsCyrillic).fold;
    std::string out(s);
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        if (b < 0x80) {
            out[i] = static_cast<char>(fold[b]);
            ++i;
            continue;
        }
        if (b >= 0xC2 && b <= 0xDF && i + 1 < s.size() &&
            (static_cast<unsigned char>(s[i + 1]) & 0xC0) == 0x80) {
            const char32_t c =
                (char32_t(b & 0x1F) << 6) | (static_cast<unsigned char>(s[i + 1]) & 0x3F);
            if (const auto w = unicodeToCp1251(c)) {
                std::string f;
                appendUtf8(f, cp1251ToUnicode(fold[*w]));
                if (f.size() != 2) Fail("a letter's case changes its length");
                out[i] = f[0];
                out[i + 1] = f[1];
            }
            i += 2;
            continue;
        }
        ++i;
    }
    return out;
}

template <typename Fold>
std::int64_t referenceFind(const LineStore& lines, std::int64_t first, std::int64_t last,
                           std::string_view needle, Fold fold) {
    if (last > lines.upperBound()) last = lines.upperBound();
    if (first < 0) first = 0;
    if (first > last) return -1;
    const std::string n = fold(needle);
    for (std::int64_t i = first; i <= last; ++i) {
        if (fold(lines.line(i)).find(n) != std::string::npos) return i;
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
    FuzzInput in(data, size);
    const int coding = in.byte() % kCodingCount;
    const std::int64_t first = std::int16_t(in.u16());
    const std::int64_t last = std::int16_t(in.u16());
    const std::string_view needle = in.take(in.byte() % 24);
    const std::string_view text = in.rest();

    // The fast search against the plain one, in the coding chosen.
    const FoldTable& fold = tablesFor(coding).fold;
    const LineStore lines = split(text);
    std::uint64_t at = 0;
    const std::int64_t hit = findInLines(lines, first, last, needle, fold, &at);
    const auto byFold = [&](std::string_view s) { return foldBytes(s, fold); };
    if (hit != referenceFind(lines, first, last, needle, byFold)) Fail("8-bit find differs");
    if (hit >= 0 && byFold(lines.line(hit)).find(byFold(needle)) != at)
        Fail("8-bit find gives another offset in the line");

    // UTF-8 against the plain search, the needle being text a user can type.
    const std::string utf8Needle = cp1251ToUtf8(needle);
    const std::int64_t utf8Hit = findInLinesUtf8(lines, first, last, utf8Needle, &at);
    if (utf8Hit != referenceFind(lines, first, last, utf8Needle, foldUtf8))
        Fail("UTF-8 find differs");
    if (utf8Hit >= 0 && foldUtf8(lines.line(utf8Hit)).find(foldUtf8(utf8Needle)) != at)
        Fail("UTF-8 find gives another offset in the line");

    // The same book in every coding: the text taken into Windows Cyrillic and recoded. A
    // search text with a character code page 1251 lacks is never searched for, and a leading
    // byte-order mark is no text, so those inputs are left out.
    const std::string text0 = RecodeText(text, coding, kWindowsCyrillic);
    const std::string needle0 = RecodeText(needle, coding, kWindowsCyrillic);
    if (needle0.find('\x98') != std::string::npos) return 0;
    for (int k = 0; k < kCodingCount; ++k) {
        if (RecodeText(text0.substr(0, 3), kWindowsCyrillic, k) == "\xEF\xBB\xBF") return 0;
    }
    const std::int64_t base =
        findInLines(split(text0), first, last, needle0, tablesFor(kWindowsCyrillic).fold);
    for (int k = 1; k < kCodingCount; ++k) {
        const LineStore other = split(RecodeText(text0, kWindowsCyrillic, k));
        if (findInLines(other, first, last, RecodeText(needle0, kWindowsCyrillic, k),
                        tablesFor(k).fold) != base)
            Fail("find differs between codings");
    }
    if (findInLinesUtf8(split(cp1251ToUtf8(text0)), first, last, cp1251ToUtf8(needle0)) != base)
        Fail("find in UTF-8 differs from Windows Cyrillic");
    return 0;
}
