#include <gtest/gtest.h>

#include <QString>
#include <random>

#include "book/CodingDetect.h"
#include "book/Utf16.h"
#include "book/mdlFiles.h"
#include "support/TestSupport.h"

using namespace tresslin;

TEST(DetectCoding, EachCodingFromShortTexts) {
    for (const auto coding : {kWindowsCyrillic, kDosCyrillic, kKoi8R, kUtf8}) {
        for (const std::string& t :
             {std::string("Привет, как дела? Сегодня хорошая погода, и мы идём гулять в парк."),
              std::string(20000, 'a') + "Мороз и солнце; день чудесный! Ещё ты дремлешь, друг."}) {
            const std::string text =
                coding == kUtf8 ? t : RecodeText(test::Cp1251(t), kWindowsCyrillic, coding);
            EXPECT_EQ(detectCoding(text), coding) << t.substr(0, 20) << " " << coding;
        }
    }
    EXPECT_EQ(detectCoding("\xEF\xBB\xBFplain"), kUtf8);      // byte-order mark
    EXPECT_EQ(detectCoding("d\xC3\xA9j\xC3\xA0 vu"), kUtf8);  // accented Latin letters
    EXPECT_EQ(detectCoding("\xD0\x9F\xD1\x80\xD0"), kUtf8);   // a character cut by the sample's end
}

TEST(DetectCoding, OneSentenceInEveryCyrillicCoding) {
    using F = FoundCoding;
    const std::pair<F, std::string> cases[] = {
        // "Это пример кириллического текста", and a Ukrainian sentence for KOI8-U.
        {F::Koi8R,
         "\xFC\xD4\xCF \xD0\xD2\xC9\xCD\xC5\xD2 \xCB\xC9\xD2\xC9\xCC\xCC\xC9\xDE\xC5\xD3\xCB"
         "\xCF\xC7\xCF \xD4\xC5\xCB\xD3\xD4\xC1"},
        {F::Windows1251,
         "\xDD\xF2\xEE \xEF\xF0\xE8\xEC\xE5\xF0 \xEA\xE8\xF0\xE8\xEB\xEB\xE8\xF7\xE5"
         "\xF1\xEA\xEE\xE3\xEE \xF2\xE5\xEA\xF1\xF2\xE0"},
        {F::Cp866,
         "\x9D\xE2\xAE \xAF\xE0\xA8\xAC\xA5\xE0 \xAA\xA8\xE0\xA8\xAB\xAB\xA8\xE7\xA5\xE1\xAA"
         "\xAE\xA3\xAE \xE2\xA5\xAA\xE1\xE2\xA0"},
        {F::Iso8859_5,
         "\xCD\xE2\xDE \xDF\xE0\xD8\xDC\xD5\xE0 \xDA\xD8\xE0\xD8\xDB\xDB\xD8\xE7\xD5"
         "\xE1\xDA\xDE\xD3\xDE \xE2\xD5\xDA\xE1\xE2\xD0"},
        {F::Ibm855,
         "\xF8\xE5\xD6 \xD8\xE1\xB7\xD2\xA8\xE1 \xC6\xB7\xE1\xB7\xD0\xD0\xB7\xFB\xA8\xE3"
         "\xC6\xD6\xAC\xD6 \xE5\xA8\xC6\xE3\xE5\xA0"},
        {F::Koi8U,
         "\xEB\xC9\xA7\xD7 \xA4 \xD3\xD4\xCF\xCC\xC9\xC3\xC5\xC0 \xF5\xCB\xD2\xC1\xA7\xCE\xC9, "
         "\xA6 \xD4\xC1\xCD \xD6\xC9\xD7\xD5\xD4\xD8 \xCD\xCF\xA7 \xC4\xD2\xD5\xDA\xA6."},
    };
    for (const auto& [coding, text] : cases) {
        EXPECT_EQ(detectAnyCoding(text), coding) << codingName(coding);
        EXPECT_EQ(detectCoding(text), storedCoding(coding)) << codingName(coding);
        std::string utf8;
        ASSERT_TRUE(byteCodingToUtf8(text, coding, utf8));
        EXPECT_EQ(utf8 == "Это пример кириллического текста", coding != F::Koi8U);
    }
}

TEST(DetectCoding, NoVerdictWithoutClearEvidence) {
    const std::string unclear[] = {
        "",
        "Plain ASCII text only, with numbers 12345 and punctuation!\r\n",
        test::Cp1251("Mostly English text with два слова inside it, and more words here."),
        "\xC2\xAB quotes \xC2\xBB",  // UTF-8 without letters
        // Capitals alone do not tell Windows-1251 from KOI8-R.
        test::Cp1251("ГЛАВА ПЕРВАЯ. ВСЁ НАЧАЛОСЬ ЗИМОЙ, КОГДА ВЫПАЛ СНЕГ."),
        test::Cp1251("Да, нет. Мир."),  // a handful of letters
        // Mac Cyrillic by one capital only, which Windows-1251 reads as a letter as well.
        "\x9D\xF2\xEE \xEF\xF0\xE8\xEC\xE5\xF0 \xEA\xE8\xF0\xE8\xEB\xEB\xE8\xF7\xE5"
        "\xF1\xEA\xEE\xE3\xEE \xF2\xE5\xEA\xF1\xF2\xE0",
        // Mac Cyrillic whose two capitals Windows-1251 reads as quotes: no letter of its own.
        "\x93\xEF\xF0\xE5\xEA\xE0\xE9 \xE4\xF0\xF3\xE3\xE0 \xED\xE0\xE5\xE4\xE8\xED\xE5, "
        "\xF5\xE2\xE0\xEB\xE8 \xEF\xF3\xE1\xEB\xE8\xF7\xED\xEE.\n\t\t-- \x91\xEE\xEB\xEE\xED",
    };
    for (const auto& s : unclear) EXPECT_EQ(detectAnyCoding(s), std::nullopt) << s.substr(0, 40);
    // Windows-1251 whose capitals Mac Cyrillic reads as quotes and dashes stays Windows-1251.
    for (const char* s : {"К чему доказывать мошкам, что они мошки?\n\t\t-- И.С.Тургенев",
                          "Чрезвычайно красивые женщины вызывают не такое уж изумление при "
                          "второй\nвстрече.\n\t\t-- Ф. Стендаль"})
        EXPECT_EQ(detectAnyCoding(test::Cp1251(s)), FoundCoding::Windows1251) << s;
}

TEST(Utf16, DetectedAndConverted) {
    using O = Utf16Order;
    const struct {
        std::string bytes;
        Utf16Order order;
        std::string utf8;
    } cases[] = {
        {std::string("\xFF\xFE\x1F\x04\x40\x04\r\0\n\0", 10), O::LittleEndian, "Пр\r\n"},
        {std::string("\xFE\xFF\x04\x1F\0a", 6), O::BigEndian, "Пa"},
        {std::string("\x1F\x04\x40\x04 \0!\0", 8), O::LittleEndian, "Пр !"},
        {std::string("\xFE\xFF\0a\0b\xD8\x3D\xDE\x00", 10), O::BigEndian, "ab\xF0\x9F\x98\x80"},
        // A lone surrogate and an odd last byte.
        {std::string("\xFF\xFE\x00\xD8x\0y", 7), O::LittleEndian, "\xEF\xBF\xBDx\xEF\xBF\xBD"},
        {test::Cp1251("Привет"), O::None, ""},
        {"plain ASCII", O::None, ""},
        {"\xD0\x9F\xD1\x80\xD0\xB8", O::None, ""},
        {std::string("\0\0\0\0\0\0", 6), O::None, ""},
        {std::string("a\0", 2), O::None, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(detectUtf16(c.bytes), c.order) << c.utf8;
        std::string out;
        EXPECT_TRUE(c.order == O::None || utf16ToUtf8(c.bytes, c.order, out));
        EXPECT_EQ(out, c.utf8);
    }
}

// UTF-16 without a byte-order mark, in scripts whose high bytes are neither 0x00 nor 0x04.
TEST(Utf16, RecognisedInAnyScriptByStructure) {
    const char* lines[] = {"Tiếng Việt có dấu: người, được, những điều ấy.",
                           "中文文本，没有字节顺序标记，也能读出来。",
                           "😀 🎉 🚀 emoji ✨ 👍🏽", "Đường xa mới biết ngựa hay."};
    std::string utf8;
    for (int i = 0; i < 28; ++i) utf8 += std::string(lines[i % 4]) + "\n";
    utf8 += "Одна строка по-русски.\n";
    const std::u16string units = QString::fromStdString(utf8).toStdU16String();
    for (const bool big : {false, true}) {
        std::string bytes;
        for (const char16_t u : units) {
            const char pair[] = {char(big ? u >> 8 : u), char(big ? u : u >> 8)};
            bytes.append(pair, 2);
        }
        const Utf16Order order = detectUtf16(bytes.substr(0, 4096));
        ASSERT_EQ(order, big ? Utf16Order::BigEndian : Utf16Order::LittleEndian);
        std::string out;
        ASSERT_TRUE(utf16ToUtf8(bytes, order, out));
        EXPECT_EQ(out, utf8);
        EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 29);
    }
    // Binary data and 8-bit or UTF-8 text are not taken for it.
    std::mt19937 random(7);
    std::string noise(4096, '\0');
    for (char& c : noise) c = char(random());
    std::string elf(
        "\x7F"
        "ELF\x02\x01\x01",
        7);
    elf.resize(64, '\0');
    for (int i = 0; i < 400; ++i) elf += char(i * 37) + std::string("\x89\x48", 2);
    const std::string notText[] = {
        noise,
        noise.substr(0, 40),
        elf,
        std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR\0\0\x01\0\0\0\x01\0\x08\x06\0\0\0", 29) +
            noise.substr(0, 200),
        test::Cp1251(utf8.substr(utf8.rfind("Одна"))),
        utf8,
        "B" + std::string(5000, 'a')};
    for (const auto& s : notText) EXPECT_EQ(detectUtf16(s), Utf16Order::None) << s.size();
}
