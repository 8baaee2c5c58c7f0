#include "book/Typography.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "book/mdlFiles.h"
#include "book/mdlText.h"

namespace tresslin {

void foldYoAsYe(FoldTable& fold, TextCoding coding) {
    if (coding == kUtf8) return;
    const CodingTables& t = tablesFor(coding);
    // Windows Cyrillic: е 0xE5, ё 0xB8, Ё 0xA8.
    const unsigned char ye = fold[t.fromWindows[0xE5]];
    fold[t.fromWindows[0xB8]] = ye;
    fold[t.fromWindows[0xA8]] = ye;
}

std::string_view softHyphen(TextCoding coding) {
    if (coding == kUtf8) return "\xC2\xAD";
    // The other 8-bit codings have a letter or box drawing at 0xAD.
    return coding == kWindowsCyrillic ? "\xAD" : "";
}

std::int64_t findIgnoringSoftHyphens(const LineStore& lines, std::int64_t first, std::int64_t last,
                                     TextCoding coding, const LineSearch& search,
                                     std::uint64_t* matchAt) {
    std::uint64_t at = 0;
    const std::int64_t hit = search(lines, first, last, &at);
    const std::string_view shy = softHyphen(coding);
    last = std::min(hit < 0 ? last : hit, lines.upperBound());
    if (shy.empty() || first < 0 || first > last) {
        if (matchAt) *matchAt = at;
        return hit;
    }
    // Only lines that hold a soft hyphen, up to the plain match, are read again without them.
    const char* base = lines.data();
    std::uint64_t pos = lines.lineStart(first);
    const std::uint64_t end = lines.contentEnd(last);
    while (pos < end) {
        const void* found = memmem(base + pos, end - pos, shy.data(), shy.size());
        if (!found) break;
        const std::int64_t line =
            lines.lineAt(std::uint64_t(static_cast<const char*>(found) - base));
        const std::string_view text = lines.line(line);
        std::string plain;
        std::vector<std::uint64_t> origin;  // where each byte of plain stands in the line
        for (std::size_t i = 0; i < text.size();) {
            if (text.substr(i).starts_with(shy)) {
                i += shy.size();
                continue;
            }
            plain += text[i];
            origin.push_back(i++);
        }
        LineStore one;
        std::uint64_t inPlain = 0;
        if (splitBookLines(plain, one) && search(one, 0, 0, &inPlain) == 0 &&
            (line < hit || hit < 0 || origin[inPlain] < at)) {
            if (matchAt) *matchAt = origin[inPlain];
            return line;
        }
        pos = lines.lineStart(line) + text.size() + 1;
    }
    if (matchAt) *matchAt = at;
    return hit;
}

}  // namespace tresslin
