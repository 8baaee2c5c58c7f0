#include <gtest/gtest.h>

#include <vector>

#include "book/LineWrap.h"
#include "book/ReadingCursor.h"
#include "book/mdlText.h"
#include "support/TestSupport.h"

using namespace tresslin;

namespace {
// One unit a character; 'W' three, a combining accent none.
double advance(char32_t c) {
    return c == U'W' ? 3.0 : c == 0x0301 ? 0.0 : 1.0;
}

std::vector<std::size_t> startsOf(const LineWrap& wrap) {
    std::vector<std::size_t> starts;
    for (std::optional<std::size_t> s = 0; s; s = wrap.nextStart(*s)) starts.push_back(*s);
    return starts;
}

// The width of what the view shows, without the blanks that may run past its edge.
double shownWidth(std::u16string_view text) {
    while (text.size() > 1 && text.back() == u' ') text.remove_suffix(1);
    double w = 0;
    for (char16_t c : text) w += advance(c);
    return w;
}
}  // namespace

TEST(LineWrap, PartsOfSmallLines) {
    // The width includes the part's leading blank.
    const struct {
        std::string text;
        TextCoding coding;
        double width;
        std::vector<std::string> parts;
    } cases[] = {
        {"ab    cd", kWindowsCyrillic, 4, {"ab    ", "cd"}},  // blanks at a break stay before it
        {"abc", kWindowsCyrillic, 1, {"a", "b", "c"}},        // not even one character fits
        {"", kWindowsCyrillic, 10, {""}},
        {"Ёлка и ель", kUtf8, 6, {"Ёлка ", "и ель"}},
        {test::Cp1251("Ёлка и ель"),
         kDosCyrillic,
         6,
         {test::Cp1251("Ёлка "), test::Cp1251("и ель")}},
        {"мо\xCC\x81ре", kUtf8, 3, {"мо\xCC\x81", "ре"}},  // the accent stays with its letter
        {"a\xF0\x9F\x98\x80\xD0", kUtf8, 2, {"a", "\xF0\x9F\x98\x80", "\xD0"}},
        {"\xE0\x80\x80\xFF\x80\x80\x80",
         kUtf8,
         1,  // neither an overlong form nor a lead past F4
         {"\xE0", "\x80", "\x80", "\xFF", "\x80", "\x80", "\x80"}},
    };
    for (const auto& c : cases) {
        const LineWrap wrap(c.text, c.coding, {advance, c.width});
        std::vector<std::string> parts;
        for (std::size_t s : startsOf(wrap)) parts.push_back(c.text.substr(s, wrap.partEnd(s) - s));
        EXPECT_EQ(parts, c.parts) << c.text;
    }
}

TEST(LineWrap, PartsFitJoinAndWalkBothWays) {
    unsigned seed = 5;
    auto next = [&] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7FFF; };
    for (const auto coding : {kWindowsCyrillic, kUtf8}) {
        for (double width : {3.0, 8.0, 40.0}) {
            std::string raw;
            while (raw.size() < 600) {
                const unsigned r = next() % 20;
                raw += r < 4 ? " " : r < 5 ? "W" : coding == kUtf8 && r < 9 ? "ж" : "x";
            }
            const LineWrap wrap(raw, coding, {advance, width});
            const auto starts = startsOf(wrap);
            const DisplayChars chars(raw, coding);
            for (std::size_t i = 0; i < starts.size(); ++i) {
                const std::size_t s = starts[i], e = wrap.partEnd(s);
                EXPECT_EQ(e, i + 1 < starts.size() ? starts[i + 1] : raw.size());
                // No part is wider than the view, unless its first character alone is; a part
                // breaks after a blank unless its one word is wider than the view.
                EXPECT_TRUE(shownWidth(wrap.displayText(s, e)) <= width ||
                            shownWidth(wrap.displayText(s, chars.at(s).next)) > width);
                const bool oneWord = raw.substr(s, e - s).find(' ') == raw.npos;
                EXPECT_TRUE(e == raw.size() || raw[e - 1] == ' ' || oneWord);
                // The next word (or, inside a word wider than the view, the next character)
                // would not fit.
                if (e < raw.size()) {
                    std::size_t more = chars.at(e).next;
                    while (raw[e - 1] == ' ' && more < raw.size() && raw[more] != ' ')
                        more = chars.at(more).next;
                    EXPECT_GT(shownWidth(wrap.displayText(s, more)), width);
                }
                EXPECT_EQ(wrap.prevStart(s), i ? std::optional(starts[i - 1]) : std::nullopt);
                for (std::size_t x = s; x < e; ++x) ASSERT_EQ(wrap.partStartAt(x), s) << x;
            }
            EXPECT_EQ(wrap.lastStart(), starts.back());
        }
    }
}

// Keys and the timer step through the parts of each line; find and a resize keep a character.
TEST(ReadingCursor, StepsThroughLinesAndPartsBothWays) {
    LineStore book;
    ASSERT_TRUE(splitBookLines("one\nab cd ef\nsix", book));
    double width = 4;  // "ab cd ef" in parts at 0, 3 and 6
    const WrapOf wrapOf = [&](std::int32_t line) {
        return std::optional(LineWrap(book.line(line), kWindowsCyrillic, {advance, width}));
    };
    ReadingCursor c;
    std::string trail;
    const auto step = [&](bool moved) {
        const auto wrap = wrapOf(c.line());
        // Appended piece by piece: GCC 12 at -O3 warns wrongly on operator+ here (bug 105651).
        if (!moved) trail += '!';
        trail += std::to_string(c.line());
        trail += ':';
        trail += std::to_string(c.partStart(&*wrap));
        trail += ' ';
    };
    for (char m : std::string("fffffbbbbbb"))
        step(m == 'f' ? c.forward(2, wrapOf) : c.back(wrapOf));
    EXPECT_EQ(trail, "1:0 1:3 1:6 2:0 !2:0 1:6 1:3 1:0 0:0 !0:0 !0:0 ");
    trail.clear();
    c.moveToOffset(1, 4);  // a match inside the second part
    step(true);
    for (double w : {100.0, 4.0}) width = w, c.relayout(), step(true);
    c.moveToOffset(1, 7), step(c.forward(2, wrapOf));
    EXPECT_EQ(trail, "1:3 1:0 1:0 2:0 ");
    EXPECT_FALSE(readsOn(0, wrapOf));  // "one" fits
    EXPECT_TRUE(readsOn(1, wrapOf));   // a second line
    width = 2;
    EXPECT_TRUE(readsOn(0, wrapOf));
}
