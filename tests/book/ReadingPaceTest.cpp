#include <gtest/gtest.h>

#include "book/ReadingPace.h"

using namespace tresslin;

TEST(ReadingPace, StayOfAPartFromItsWords) {
    const struct {
        std::u16string_view text;
        int wordsAMinute;
        bool paragraphEnd;
        int ms;
    } rows[] = {
        {u"", 250, true, 0},
        {u"  \u00A0\t", 250, true, 0},  // an empty line: none
        {u" one", 250, false, 240},
        {u" one", 250, true, 960},  // three words more
        {u" a\u00A0b\tc  d", 60, false, 4000},
        {u" one two", 10, false, 2000},   // held to 60
        {u" one two", 5000, false, 120},  // held to 1000
    };
    for (const auto& r : rows)
        EXPECT_EQ(partStayMs(r.text, r.wordsAMinute, r.paragraphEnd), r.ms)
            << std::string(r.text.begin(), r.text.end());
    // A long part stays longer than a short one at the same pace.
    EXPECT_GT(partStayMs(u" " + std::u16string(300, u'w') + u" x y z", 250, false),
              partStayMs(u" w", 250, false));
}

TEST(ReadingPace, MeasuredOnlyOnceEnoughIsRead) {
    PaceMeter meter;
    meter.moved(1000, 100);      // skipped at a glance
    meter.moved(1000, 200'000);  // set aside
    meter.moved(0, 5000);
    EXPECT_FALSE(meter.wordsAMinute());
    for (int i = 0; i < 11; ++i) meter.moved(25, 5000);  // 275 words in 55 s: not yet a minute
    EXPECT_FALSE(meter.wordsAMinute());
    meter.moved(25, 5000);
    ASSERT_TRUE(meter.wordsAMinute());
    EXPECT_DOUBLE_EQ(*meter.wordsAMinute(), 300.0);
}
