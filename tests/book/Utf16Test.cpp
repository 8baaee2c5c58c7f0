// UTF-16 to UTF-8 against Qt's decoder, on each vector path and the scalar one.
#include <gtest/gtest.h>

#include <QFile>
#include <string>
#include <vector>

#include "book/CpuFeatures.h"
#include "book/Utf16.h"
#include "book/mdlText.h"
#include "support/TestSupport.h"
#include "support/Utf16Reference.h"

using namespace tresslin;

namespace {

std::string bytesOf(std::u16string_view units, bool big, bool bom) {
    std::string out;
    if (bom) out = big ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t u : units) {
        const char hi = char(u >> 8), lo = char(u & 0xFF);
        out += big ? std::string{hi, lo} : std::string{lo, hi};
    }
    return out;
}

struct Width {
    VectorWidth cap;
    explicit Width(VectorWidth w) : cap(w) { capVectorWidth(w); }
    ~Width() { capVectorWidth(VectorWidth::Avx2); }
};

}  // namespace

TEST(Utf16Conversion, AgreesWithQtOnEveryPath) {
    // Units that take each path: ASCII and line ends, two-byte, three-byte, pairs, lone halves.
    const std::u16string alphabet[] = {
        u"ab c.", u"\r\n\r\n\n\r", u"Пример ёлки Ж", u"Ǆé\x7F\x80\x7FF", u"中文字\x800\xFFFF\xFEFF",
        u"😀🇷🇺",   u"\xD83D",       u"\xDE00",
    };
    std::vector<std::u16string> texts;
    // Every length around the blocks of 8 and 16 units, in each mix of the alphabet.
    for (const unsigned mix : {1u, 4u, 5u, 13u, 16u, 40u, 255u}) {
        std::u16string pool;
        for (unsigned k = 0; k < 8; ++k)
            if (mix & (1u << k)) pool += alphabet[k];
        for (std::size_t n = 0; n <= 70; ++n) {
            std::u16string t;
            for (std::size_t i = 0; i < n; ++i) t += pool[(i * 7 + n) % pool.size()];
            texts.push_back(t);
        }
    }
    // A pair, a lone high and a lone low half at every place of a block of ASCII or Cyrillic.
    for (const char16_t fill : {u'x', u'ж'}) {
        for (std::size_t at = 0; at < 40; ++at) {
            for (const std::u16string half : {u"😀", u"\xD800", u"\xDC00", u"\xD800\xD800\xDC00"})
                texts.push_back(std::u16string(at, fill) + half + std::u16string(40 - at, fill));
            texts.push_back(std::u16string(at, fill) + u"\xDBFF");
        }
    }
    for (const VectorWidth w : {VectorWidth::Scalar, VectorWidth::Sse2, VectorWidth::Avx2}) {
        const Width width(w);
        if (vectorWidth() != w) continue;  // not on this processor
        for (const auto& t : texts) {
            for (const int form : {0, 1, 2, 3}) {
                const bool big = form & 1, bom = form & 2;
                for (const std::string& bytes :
                     {bytesOf(t, big, bom), bytesOf(t, big, bom) + "\x41"}) {
                    const std::string want = test::qtUtf8(bytes, big);
                    const Utf16Order order = big ? Utf16Order::BigEndian : Utf16Order::LittleEndian;
                    std::string whole;
                    ASSERT_TRUE(utf16ToUtf8(bytes, order, whole));
                    ASSERT_EQ(whole, want) << int(w) << " form " << form << " " << bytes.size();
                    // In pieces (one empty), the cut falling anywhere: inside a unit, inside a
                    // pair.
                    for (std::size_t cut = 1; cut < bytes.size() && t.size() <= 43; ++cut) {
                        Utf16Decoder d(order);
                        std::string out(Utf16Decoder::maxOutput(bytes.size()), '\0');
                        std::size_t n =
                            d.convert(std::string_view(bytes).substr(0, cut), out.data(), false);
                        n += d.convert({}, out.data() + n, false);
                        n += d.convert(std::string_view(bytes).substr(cut), out.data() + n, true);
                        out.resize(n);
                        ASSERT_EQ(out, want) << int(w) << " cut " << cut;
                    }
                }
            }
        }
    }
}

TEST(Utf16Conversion, AFileReadsInPiecesAsInMemory) {
    // Beyond one piece of the reader, with a pair across the first two.
    std::u16string units;
    for (int i = 0; units.size() < 300000; ++i)
        units += i % 3 ? u"Строка с 😀 и 中文\r\n" : u"line\r";
    units.replace(131071, 2, u"😀");
    const std::string bytes = bytesOf(units, false, true);
    test::TempBooks books;
    const BookFile file(QFile::encodeName(books.write("u.txt", bytes)).toStdString());
    LineStore fromFile, fromMemory;
    ASSERT_TRUE(ReadUtf16BookLines(file, Utf16Order::LittleEndian, fromFile));
    ASSERT_TRUE(splitBookLines(test::qtUtf8(bytes, false), fromMemory));
    ASSERT_EQ(fromFile.size(), fromMemory.size());
    EXPECT_EQ(std::string_view(fromFile.data(), fromFile.byteSize()),
              std::string_view(fromMemory.data(), fromMemory.byteSize()));
    for (std::int64_t i = 0; i < fromFile.size(); ++i)
        ASSERT_EQ(fromFile.lineStart(i), fromMemory.lineStart(i));
}
