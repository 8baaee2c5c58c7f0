#include <QWheelEvent>
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
    void wheel(int dy) {
        QWheelEvent e(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, dy), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(window.get(), &e);
    }
    // The part on view without the display's leading blank, and the file line in the caption.
    std::pair<QString, QString> shown() const {
        return {view().mid(1), caption().section("line: ", 1).section(' ', 0, 0)};
    }
};

}  // namespace

TEST_F(Wrap, EveryWayOfSteppingReadsEachLineWholeAndBackAgain) {
    const std::pair<std::string, QString> lines[] = {{kFirst, "1"}, {"short", "2"}, {kLast, "3"}};
    const struct {
        const char* what;
        std::function<void()> next, back;
    } ways[] = {
        {"keys", [this] { key(Qt::Key_Down); }, [this] { key(Qt::Key_Up); }},
        {"buttons", [this] { window->imgNext_Click(); }, [this] { window->imgBack_Click(); }},
        {"wheel", [this] { wheel(-120); }, [this] { wheel(120); }},
    };
    for (const auto& way : ways) {
        key(Qt::Key_Home);
        std::vector<std::pair<QString, QString>> forward{shown()};
        for (int i = 0; i < 100 && window->curLine() < 2; ++i) {
            way.next();
            forward.push_back(shown());
        }
        for (int i = 0; i < 100; ++i) {
            way.next();  // past the end: the last part stays
            if (shown() == forward.back()) break;
            forward.push_back(shown());
        }
        way.next();
        EXPECT_EQ(shown(), forward.back()) << way.what;
        for (const auto& [text, number] : lines) {
            QString joined;
            for (const auto& [part, n] : forward) joined += n == number ? part : QString();
            EXPECT_EQ(joined.toStdString(), text) << way.what << " line " << number.toStdString();
        }
        EXPECT_GT(forward.size(), 6u) << way.what;
        for (auto it = forward.rbegin() + 1; it != forward.rend(); ++it) {
            way.back();
            EXPECT_EQ(shown(), *it) << way.what;
        }
        way.back();  // before the start: the first part stays
        EXPECT_EQ(shown(), forward.front()) << way.what;
    }
}

TEST_F(Wrap, TheTimerStopsAfterTheLastPartOfTheLastLine) {
    key(Qt::Key_End);
    window->startAutoShow(100000);
    int ticks = 0;
    while (window->autoShowTimer().isActive() && ticks < 100) {
        window->tmrAutoShow_Timer();
        ++ticks;
    }
    EXPECT_GT(ticks, 2);
    EXPECT_TRUE(view().endsWith("c90"));
    EXPECT_TRUE(caption().endsWith("line: 3  (100.00%)   Timer: Off"));
}

TEST_F(Wrap, ResizeKeepsTheFirstShownWordInView) {
    window->show();
    for (int i = 0; i < 4; ++i) key(Qt::Key_Down);
    for (const int width : {300, 900, 405}) {
        const QString first = view().mid(1).section(' ', 0, 0);
        window->resize(width, window->height());
        EXPECT_TRUE(view().contains(" " + first + " ")) << width << " " << first.toStdString();
        EXPECT_TRUE(caption().startsWith("book.txt  line: 1  ")) << width;
    }
}

TEST_F(Wrap, FindShowsThePartOfTheMatchAndProposesThePartOnView) {
    key(Qt::Key_Down);
    const QString part = view().trimmed();
    prompts.findAnswers.push_back(QString("c70 "));
    key(Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(prompts.findProposals.last(), part);
    EXPECT_EQ(window->curLine(), 2);
    EXPECT_TRUE(view().contains(" c70 ")) << view().toStdString();
    EXPECT_FALSE(view().startsWith(" c1 "));
}

TEST_F(Wrap, SwitchedOffTheLineIsCutAtTheEdge) {
    WriteSetting(settings::WrapLines, "0");
    key(Qt::Key_Down);
    EXPECT_EQ(shown(), std::make_pair(QString("short"), QString("2")));
    key(Qt::Key_Up);
    EXPECT_EQ(view().toStdString(), " " + kFirst);
}

TEST_F(Wrap, AOneLineBookThatReadsInPartsTakesTheKeys) {
    open(kFirst);
    const QString first = view();
    key(Qt::Key_Down);
    EXPECT_NE(view(), first);
    EXPECT_EQ(caption(), "book.txt  line: 1  (100.00%)");
    key(Qt::Key_Home);
    EXPECT_EQ(view(), first);
}
