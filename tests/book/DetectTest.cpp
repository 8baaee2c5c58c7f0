#include <gtest/gtest.h>

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

TEST(DetectCoding, NoVerdictWithoutClearEvidence) {
    const std::string unclear[] = {
        "",
        "Plain ASCII text only, with numbers 12345 and punctuation!\r\n",
        test::Cp1251("Mostly English text with два слова inside it, and more words here."),
        "\xC2\xAB quotes \xC2\xBB",  // UTF-8 without letters
        // Capitals alone do not tell Windows-1251 from KOI8-R.
        test::Cp1251("ГЛАВА ПЕРВАЯ. ВСЁ НАЧАЛОСЬ ЗИМОЙ, КОГДА ВЫПАЛ СНЕГ."),
    };
    for (const auto& s : unclear) EXPECT_EQ(detectCoding(s), std::nullopt) << s.substr(0, 40);
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
