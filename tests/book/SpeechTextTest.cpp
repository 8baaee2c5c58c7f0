#include <gtest/gtest.h>

#include "book/SpeechText.h"
#include "support/TestSupport.h"

using namespace tresslin;

TEST(SpeechText, WordsCutByPartsAreSaidOnceWithTheirEnd) {
    const std::string cp = test::Cp1251("ко\xC2\xADшка спит");
    const std::string longWord(3000, 'x');
    const struct {
        std::string line;
        TextCoding coding;
        std::size_t start, end;
        std::u16string said;
    } cases[] = {
        {"  abc def  ", kWindowsCyrillic, 0, 11, u"abc def"},
        {"abc def", kWindowsCyrillic, 0, 5, u"abc"},      // "d" begins a word the next part ends
        {"abc def", kWindowsCyrillic, 5, 7, u"def"},      // the part holding its end says it whole
        {"abc def ghi", kWindowsCyrillic, 5, 9, u"def"},  // cut at both ends
        {"abcdefgh", kWindowsCyrillic, 2, 5, u""},        // the middle of one word: nothing
        {"abcdefgh", kWindowsCyrillic, 5, 8, u"abcdefgh"},
        {"abc def", kWindowsCyrillic, 4, 7, u"def"},  // a part starting at a word says nothing more
        {cp, kWindowsCyrillic, 0, cp.size(), u"кошка спит"},
        {"мир\xC2\xAD мой", kUtf8, 0, 15, u"мир мой"},
        {"мир мой", kUtf8, 8, 13, u"мой"},  // inside a two-byte letter, back to the word
        {"", kWindowsCyrillic, 0, 0, u""},
        {" \t ", kWindowsCyrillic, 0, 3, u""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(speechText(DisplayChars(c.line, c.coding), c.start, c.end), c.said)
            << c.line << ' ' << c.start;
    }
    // A run without blanks longer than any word is said from no further back than the bound.
    EXPECT_EQ(speechText(DisplayChars(longWord, kWindowsCyrillic), 2990, 3000).size(),
              kSpokenWordBytes + 10);
}
