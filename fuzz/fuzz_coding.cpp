// Recoding and the display tables: lengths kept, round trips exact, the tables agreeing with
// the code tables and with Unicode's own lower case; detection on any bytes, UTF-16 read as
// well-formed UTF-8. UTF-16 conversion: each vector path and the scalar one, whole and in two
// pieces, against Qt's decoder.
#include <QChar>
#include <cstdint>
#include <string>

#include "../tests/support/Utf16Reference.h"
#include "FuzzInput.h"
#include "book/CodingDetect.h"
#include "book/CpuFeatures.h"
#include "book/DisplayChars.h"
#include "book/Utf16.h"
#include "book/mdlFiles.h"

using namespace tresslin;
using tresslin::fuzz::Fail;

namespace {

// Whole-table facts, checked once: every code table is a permutation of the upper half, and the
// tables of each coding agree with recoding and with Unicode for every byte.
bool checkTables() {
    for (const TextCoding k : {kWindowsCyrillic, kDosCyrillic, kKoi8R}) {
        bool seen[256] = {};
        for (unsigned char v : CodeTable(k)) {
            if (v < 128 || seen[v]) Fail("code table is not a permutation of 128..255");
            seen[v] = true;
        }
        const CodingTables& t = tablesFor(k);
        for (int c = 0; c < 256; ++c) {
            const auto w = static_cast<unsigned char>(
                RecodeText(std::string(1, char(c)), k, kWindowsCyrillic)[0]);
            const char16_t u = t.toUnicode[c];
            if (w >= 128 && CodeTable(k)[w - 128] != c)
                Fail("recoding differs from the code table");
            if (t.toWindows[c] != w || t.fromWindows[w] != c) Fail("tables differ from recoding");
            if (u != cp1251ToUnicode(w) || QChar::isSurrogate(u)) Fail("toUnicode differs");
            if (c < 128 && (w != c || u != c)) Fail("ASCII changed");
            if (u != 0xFFFD && unicodeToCp1251(u) != w) Fail("unicodeToCp1251 not the inverse");
            if (t.fold[t.fold[c]] != t.fold[c]) Fail("fold is not idempotent");
            for (int d = 0; d < 256; ++d) {
                const bool same = QChar::toLower(char32_t(u)) == QChar::toLower(t.toUnicode[d]);
                if ((t.fold[c] == t.fold[d]) != same) Fail("fold disagrees with lower case");
            }
        }
    }
    for (const auto k : {TextCoding(-1), TextCoding(kCodingCount), kUtf8}) {
        if (&tablesFor(k) != &tablesFor(kWindowsCyrillic)) Fail("unknown coding tables");
    }
    return true;
}

void checkUtf16(std::string_view bytes, bool big, std::size_t cut) {
    const Utf16Order order = big ? Utf16Order::BigEndian : Utf16Order::LittleEndian;
    const std::string want = test::qtUtf8(bytes, big);
    for (const VectorWidth w : {VectorWidth::Scalar, VectorWidth::Sse2, VectorWidth::Avx2}) {
        capVectorWidth(w);
        std::string whole;
        if (!utf16ToUtf8(bytes, order, whole) || whole != want) Fail("UTF-16 differs from Qt");
        Utf16Decoder d(order);
        std::string out(Utf16Decoder::maxOutput(bytes.size()), '\0');
        std::size_t n = d.convert(bytes.substr(0, cut), out.data(), false);
        n += d.convert(bytes.substr(cut), out.data() + n, true);
        if (out.substr(0, n) != want) Fail("UTF-16 in two pieces differs");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool tablesOk = checkTables();
    (void)tablesOk;
    fuzz::FuzzInput in(data, size);
    const auto from = TextCoding(in.byte() % kCodingCount);
    const auto to = TextCoding(in.byte() % kCodingCount);
    const auto odd = TextCoding(std::int8_t(in.byte()));
    const std::string_view text = in.rest();

    const std::string there = RecodeText(text, from, to);
    if (there.size() != text.size()) Fail("length changed");
    if (RecodeText(there, to, from) != text) Fail("round trip changed the text");
    if (from == to && there != text) Fail("same coding changed the text");
    if (RecodeText(RecodeText(text, from, kWindowsCyrillic), kWindowsCyrillic, to) != there)
        Fail("pivot differs");
    if ((odd < 0 || odd >= kCodingCount) &&
        RecodeText(text, odd, to) != RecodeText(text, kWindowsCyrillic, to))
        Fail("unknown coding is not Windows Cyrillic");
    checkUtf16(text, from % 2, std::uint8_t(odd) % (text.size() + 1));

    // Whatever detection finds, the book it gives is well-formed UTF-8.
    (void)detectAnyCoding(text);
    if (const Utf16Order order = detectUtf16(text); order != Utf16Order::None) {
        std::string utf8;
        if (!utf16ToUtf8(text, order, utf8)) Fail("UTF-16 conversion failed");
        const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
        for (std::size_t i = 0; i < utf8.size();) {
            const std::size_t n = decodeUtf8(p + i, utf8.size() - i).length;
            if (n == 0) Fail("UTF-16 converted to malformed UTF-8");
            i += n;
        }
    }
    return 0;
}
