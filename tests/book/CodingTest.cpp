#include <gtest/gtest.h>

#include "book/mdlFiles.h"
#include "support/TestSupport.h"

using namespace tresslin;

TEST(CodeTable, EveryEntryAsListed) {
    // The code each coding uses for Windows Cyrillic 128 + i.
    const int dos[128] = {176, 177, 178, 179, 180, 181, 182, 183, 184, 185, 186, 187, 188, 189, 190,
                          191, 192, 193, 194, 195, 196, 197, 198, 199, 200, 201, 202, 203, 204, 205,
                          206, 207, 208, 209, 210, 211, 212, 213, 214, 215, 240, 217, 218, 219, 220,
                          221, 222, 223, 242, 243, 244, 245, 246, 247, 248, 249, 241, 251, 252, 253,
                          254, 255, 216, 250, 128, 129, 130, 131, 132, 133, 134, 135, 136, 137, 138,
                          139, 140, 141, 142, 143, 144, 145, 146, 147, 148, 149, 150, 151, 152, 153,
                          154, 155, 156, 157, 158, 159, 160, 161, 162, 163, 164, 165, 166, 167, 168,
                          169, 170, 171, 172, 173, 174, 175, 224, 225, 226, 227, 228, 229, 230, 231,
                          232, 233, 234, 235, 236, 237, 238, 239};
    const int koi[128] = {144, 145, 146, 129, 135, 178, 180, 167, 166, 181, 161, 168, 174, 173, 172,
                          131, 132, 137, 136, 134, 128, 138, 175, 176, 171, 165, 187, 184, 177, 160,
                          190, 185, 186, 182, 183, 170, 169, 162, 164, 189, 179, 133, 130, 141, 140,
                          142, 143, 139, 153, 152, 147, 155, 159, 151, 156, 158, 163, 150, 154, 157,
                          148, 191, 188, 149, 225, 226, 247, 231, 228, 229, 246, 250, 233, 234, 235,
                          236, 237, 238, 239, 240, 242, 243, 244, 245, 230, 232, 227, 254, 251, 253,
                          255, 249, 248, 252, 224, 241, 193, 194, 215, 199, 196, 197, 214, 218, 201,
                          202, 203, 204, 205, 206, 207, 208, 210, 211, 212, 213, 198, 200, 195, 222,
                          219, 221, 223, 217, 216, 220, 192, 209};
    for (int i = 0; i < 128; ++i) {
        EXPECT_EQ(CodeTable(kWindowsCyrillic)[i], 128 + i);
        EXPECT_EQ(CodeTable(kDosCyrillic)[i], dos[i]) << 128 + i;
        EXPECT_EQ(CodeTable(kKoi8R)[i], koi[i]) << 128 + i;
    }
}

TEST(RecodeText, KnownConversions) {
    const struct {
        std::string in;
        int from, to;
        std::string out;
    } cases[] = {
        {"\x80\xB0", kDosCyrillic, kWindowsCyrillic, "\xC0\x80"},
        {"\xE1\xC1\xB3", kKoi8R, kWindowsCyrillic, "\xC0\xE0\xA8"},
        {test::Cp1251("Привет Ёё"), kWindowsCyrillic, kDosCyrillic,
         "\x8F\xE0\xA8\xA2\xA5\xE2 \xF0\xF1"},
        {"\x80", kDosCyrillic, kKoi8R, "\xE1"},  // through Windows Cyrillic
        {"", kKoi8R, kDosCyrillic, ""},
        {"ASCII 0123 ~", kDosCyrillic, kKoi8R, "ASCII 0123 ~"},
        {"\xC8\xC9", kKoi8R, kKoi8R, "\xC8\xC9"},
    };
    for (const auto& c : cases) EXPECT_EQ(RecodeText(c.in, c.from, c.to), c.out) << c.in;
}

TEST(Cp1251, CharactersOutsideTheCodePageHaveNoByte) {
    EXPECT_EQ(unicodeToCp1251(U'€'), 0x88);
    EXPECT_EQ(unicodeToCp1251(U'я'), 0xFF);
    EXPECT_FALSE(unicodeToCp1251(U'€' + 1).has_value());
    EXPECT_FALSE(unicodeToCp1251(U'中').has_value());
    EXPECT_EQ(tablesFor(kKoi8R).toUnicode[0xB3], u'Ё');
    EXPECT_EQ(tablesFor(kDosCyrillic).fold[0x80], 0xA0);  // А folds to а
}
