// Find, differentially: the fast search, 8-bit and UTF-8, against a plain search of each line.
#include <QString>
#include <algorithm>
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
    QString out;
    for (char b : s) out += QChar(cp1251ToUnicode(static_cast<unsigned char>(b)));
    return out.toStdString();
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

// Where pat is in hay with each U+FFFD of pat standing for one malformed byte (any from 0x80),
// as the view shows each such byte.
std::size_t findAnyHigh(std::string_view hay, std::string_view pat) {
    constexpr std::string_view any = "\xEF\xBF\xBD";
    for (std::size_t at = 0; at <= hay.size(); ++at) {
        std::size_t h = at, p = 0;
        for (; p < pat.size() && h < hay.size(); ++h) {
            if (pat.substr(p, 3) == any) {
                if (static_cast<unsigned char>(hay[h]) < 0x80) break;
                p += 3;
            } else if (pat[p] == hay[h]) {
                ++p;
            } else {
                break;
            }
        }
        if (p == pat.size()) return at;
    }
    return std::string_view::npos;
}

// The first line in [first, last] whose folded text holds the folded needle, and where; with
// anyHigh, also where its U+FFFDs stand for malformed bytes, whichever comes first.
template <typename Fold>
std::pair<std::int64_t, std::uint64_t> referenceFind(const LineStore& lines, std::int64_t first,
                                                     std::int64_t last, std::string_view needle,
                                                     Fold fold, bool anyHigh = false) {
    const std::string pat = fold(needle);
    for (std::int64_t i = std::max<std::int64_t>(first, 0); i <= last && i < lines.size(); ++i) {
        const std::string hay = fold(lines.line(i));
        const std::size_t at =
            std::min(hay.find(pat), anyHigh && pat.find("\xEF\xBF\xBD") != std::string::npos
                                        ? findAnyHigh(hay, pat)
                                        : std::string::npos);
        if (at != std::string::npos) return {i, at};
    }
    return {-1, 0};
}

// at is read once the search under test has written it.
void expect(std::int64_t hit, const std::uint64_t* at, std::pair<std::int64_t, std::uint64_t> want,
            const char* what) {
    if (hit != want.first || (hit >= 0 && *at != want.second)) Fail(what);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzInput in(data, size);
    const auto coding = TextCoding(in.byte() % kCodingCount);
    const std::int64_t first = std::int16_t(in.u16());
    const std::int64_t last = std::int16_t(in.u16());
    const std::string_view needle = in.take(in.byte() % 24);
    LineStore lines;
    if (!splitBookLines(in.rest(), lines)) Fail("split failed");

    // The fast search against the plain one, in the coding chosen, and in UTF-8 for the needle
    // as a user would type it.
    const FoldTable& fold = tablesFor(coding).fold;
    const auto byFold = [&](std::string_view s) {
        std::string out(s);
        for (char& c : out) c = static_cast<char>(fold[static_cast<unsigned char>(c)]);
        return out;
    };
    std::uint64_t at = 0;
    expect(findInLines(lines, first, last, needle, fold, &at), &at,
           referenceFind(lines, first, last, needle, byFold), "8-bit find differs");
    const std::string utf8 = cp1251ToUtf8(needle);
    expect(findInLinesUtf8(lines, first, last, utf8, &at), &at,
           referenceFind(lines, first, last, utf8, foldUtf8, true), "UTF-8 find differs");
    return 0;
}
