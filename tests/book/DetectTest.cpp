#include <gtest/gtest.h>

#include <QFile>
#include <random>

#include "book/CodingDetect.h"
#include "book/mdlFiles.h"
#include "support/TestSupport.h"

using namespace tresslin;

namespace {
std::string readSample(const char* name) {
    QFile f(test::SamplePath(name));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name;
    return f.readAll().toStdString();
}
std::string inCoding(std::string_view utf8, int coding) {
    if (coding == kUtf8) return std::string(utf8);
    return RecodeText(test::Cp1251(utf8), 0, coding);
}
}  // namespace

TEST(DetectCoding, SampleBooks) {
    const std::pair<const char*, int> cases[] = {{"kniga-cp1251.txt", 0},
                                                 {"kniga-cp866.txt", 1},
                                                 {"kniga-koi8r.txt", 2},
                                                 {"kniga-utf8.txt", 3}};
    for (const auto& [name, coding] : cases)
        EXPECT_EQ(detectCoding(readSample(name)), coding) << name;
}

TEST(DetectCoding, ShortRussianTextsInEveryCoding) {
    const char* texts[] = {
        "Привет, как дела? Сегодня хорошая погода, и мы идём гулять в парк.",
        "Мороз и солнце; день чудесный! Ещё ты дремлешь, друг прелестный.",
    };
    for (const char* t : texts) {
        for (int coding = 0; coding < kStoredCodingCount; ++coding)
            EXPECT_EQ(detectCoding(inCoding(t, coding)), coding) << t << " " << coding;
    }
}

TEST(DetectCoding, NoVerdictWithoutClearEvidence) {
    std::mt19937 random(7);
    std::string noise;
    for (int i = 0; i < 100000; ++i) noise += char(random());
    const std::string unclear[] = {
        "",
        "Plain ASCII text only, with numbers 12345 and punctuation!\r\n",
        test::Cp1251("Mostly English text with два слова inside it, and more words here."),
        noise,
        // Capitals alone do not tell Windows-1251 from KOI8-R.
        test::Cp1251("ГЛАВА ПЕРВАЯ. ВСЁ НАЧАЛОСЬ ЗИМОЙ, КОГДА ВЫПАЛ СНЕГ."),
    };
    for (const auto& s : unclear) EXPECT_EQ(detectCoding(s), std::nullopt) << s.substr(0, 40);
}

TEST(DetectCoding, Utf8Rules) {
    EXPECT_EQ(detectCoding("\xEF\xBB\xBFplain"), 3);                    // byte-order mark
    EXPECT_EQ(detectCoding("d\xC3\xA9j\xC3\xA0 vu"), 3);                // accented Latin letters
    EXPECT_EQ(detectCoding("\xC2\xAB quotes \xC2\xBB"), std::nullopt);  // no letters
    // A character cut by the end of the sample is still valid UTF-8.
    EXPECT_EQ(detectCoding("\xD0\x9F\xD1\x80\xD0"), 3);
}

TEST(DetectCoding, CyrillicAfterAnAsciiBeginning) {
    std::string book(20000, 'a');
    book += test::Cp1251(std::string(20, ' ') +
                         "Мороз и солнце; день чудесный! Ещё ты дремлешь, друг прелестный.");
    EXPECT_EQ(detectCoding(RecodeText(book, 0, kKoi8R)), kKoi8R);
}
