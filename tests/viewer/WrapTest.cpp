#include <functional>

#include "ViewerFixture.h"

using namespace tresslin;
using namespace tresslin::test;

namespace {

// A paragraph of numbered words, far wider than the strip.
std::string paragraph(char tag, int words) {
    std::string s;
    for (int i = 1; i <= words; ++i) s += tag + std::to_string(i) + (i < words ? " " : "");
    return s;
}

const std::string kFirst = paragraph('a', 150);
const std::string kLast = paragraph('c', 90);

struct Wrap : ViewerTest {
    void SetUp() override {
        ViewerTest::SetUp();
        open(kFirst + "\r\nshort\r\n" + kLast);
    }
    // The part on view without the display's leading blank, and the file line in the caption.
    std::pair<QString, QString> shown() const {
        return {view().mid(1), caption().section("line: ", 1).section(' ', 0, 0)};
    }
};

}  // namespace

TEST_F(Wrap, EveryWayOfSteppingReadsEachLineWholeAndBackAgain) {
    const std::pair<std::string, QString> lines[] = {{kFirst, "1"}, {"short", "2"}, {kLast, "3"}};
    const std::pair<const char*, const char*> ways[] = {
        {"Down", "Up"}, {"next", "back"}, {"wheel-120", "wheel120"}};
    for (const auto& [next, back] : ways) {
        SCOPED_TRACE(next);
        press("Home");
        std::vector<std::pair<QString, QString>> forward{shown()};
        for (int i = 0; i < 100; ++i) {
            press(next);  // past the end the last part stays
            if (shown() == forward.back()) break;
            forward.push_back(shown());
        }
        for (const auto& [text, number] : lines) {
            QString joined;
            for (const auto& [part, n] : forward) joined += n == number ? part : QString();
            EXPECT_EQ(joined.toStdString(), text) << "line " << number.toStdString();
        }
        EXPECT_GT(forward.size(), 6u);
        for (auto it = forward.rbegin() + 1; it != forward.rend(); ++it) {
            press(back);
            EXPECT_EQ(shown(), *it);
        }
        press(back);  // before the start the first part stays
        EXPECT_EQ(shown(), forward.front());
    }
}

TEST_F(Wrap, TheTimerStopsAfterTheLastPartOfTheLastLine) {
    press("End timer 3*tick");
    EXPECT_TRUE(window->autoShowTimer().isActive());
    press("100*tick");
    EXPECT_TRUE(view().endsWith(" c90"));
    EXPECT_EQ(caption(), "book.txt  line: 3  (100.00%)   Timer: Off");
}

TEST_F(Wrap, ResizeKeepsTheFirstShownWordInView) {
    window->show();
    press("4*Down");
    for (const int width : {300, 900, 405}) {
        const QString first = view().mid(1).section(' ', 0, 0);
        window->resize(width, window->height());
        EXPECT_TRUE(view().contains(" " + first + " ")) << width << " " << first.toStdString();
        EXPECT_TRUE(caption().startsWith("book.txt  line: 1  ")) << width;
    }
}

TEST_F(Wrap, FindShowsThePartOfTheMatchAndProposesThePartOnView) {
    press("Down");
    const QString part = view().trimmed();
    prompts.findAnswers.push_back(QString("c70 "));
    press("Ctrl+F");
    EXPECT_EQ(prompts.findProposals.last(), part);
    EXPECT_EQ(window->curLine(), 2);
    EXPECT_TRUE(view().contains(" c70 ")) << view().toStdString();
    EXPECT_FALSE(view().startsWith(" c1 "));
}

TEST_F(Wrap, SwitchedOffOrAOneLineBook) {
    WriteSetting(settings::WrapLines, "0");
    press("Down");
    EXPECT_EQ(shown(), std::make_pair(QString("short"), QString("2")));
    press("Up");
    EXPECT_EQ(view().toStdString(), " " + kFirst);

    WriteSetting(settings::WrapLines, "1");
    open(kFirst);  // one line that reads in parts takes the keys
    const QString first = view();
    press("Down");
    EXPECT_NE(view(), first);
    EXPECT_EQ(caption(), "book.txt  line: 1  (100.00%)");
    press("Home");
    EXPECT_EQ(view(), first);
}
