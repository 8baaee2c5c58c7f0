#include <QWheelEvent>

#include "ViewerFixture.h"

using namespace tresslin;
using namespace tresslin::test;

using Keys = ViewerTest;

namespace {
struct KeyCase {
    const char* what;
    int key;
    Qt::KeyboardModifiers mods;
    bool timerRunning;
    int wantLine;        // 1-based, from line 5 of 10
    const char* suffix;  // caption suffix afterwards
};
}  // namespace

TEST_F(Keys, DispatchTable) {
    const KeyCase cases[] = {
        {"Down", Qt::Key_Down, Qt::NoModifier, false, 6, ""},
        {"Up", Qt::Key_Up, Qt::NoModifier, false, 4, ""},
        {"Home", Qt::Key_Home, Qt::NoModifier, false, 1, ""},
        {"End", Qt::Key_End, Qt::NoModifier, false, 10, ""},
        {"Shift+Down", Qt::Key_Down, Qt::ShiftModifier, false, 6, ""},
        {"Ctrl+Shift+Down", Qt::Key_Down, Qt::ControlModifier | Qt::ShiftModifier, false, 6, ""},
        {"Alt+Down", Qt::Key_Down, Qt::AltModifier, false, 6, ""},
        {"Ctrl+Down", Qt::Key_Down, Qt::ControlModifier, false, 5, ""},
        {"keypad Down", Qt::Key_Down, Qt::KeypadModifier, false, 6, ""},
        {"letter while running", Qt::Key_A, Qt::NoModifier, true, 5, ""},
        {"Shift alone while running", Qt::Key_Shift, Qt::ShiftModifier, true, 5, ""},
        {"Ctrl alone while running", Qt::Key_Control, Qt::NoModifier, true, 5, "   Timer: Off"},
        {"Down while running", Qt::Key_Down, Qt::NoModifier, true, 6, ""},
        {"Ctrl+Q while running", Qt::Key_Q, Qt::ControlModifier, true, 5, "   Timer: Off"},
        {"Tab", Qt::Key_Tab, Qt::NoModifier, false, 5, ""},
    };
    for (const auto& c : cases) {
        makeWindow();
        open(NumberedBook(10), "b.txt");
        for (int i = 0; i < 4; ++i) key(Qt::Key_Down);
        if (c.timerRunning) window->startAutoShow(100000);
        key(c.key, c.mods);
        EXPECT_EQ(window->curLine() + 1, c.wantLine) << c.what;
        EXPECT_FALSE(window->autoShowTimer().isActive()) << c.what;
        EXPECT_TRUE(caption().endsWith(QString("%)") + c.suffix))
            << c.what << " " << caption().toStdString();
    }
}

TEST_F(Keys, NoBookOrOneLineBookIgnoresTheBookKeys) {
    for (const char* book : {"", "one line"}) {
        makeWindow();
        if (*book) open(book);
        const QString before = caption();
        for (int k : {Qt::Key_Down, Qt::Key_Up, Qt::Key_Home, Qt::Key_End, Qt::Key_F3}) key(k);
        for (int k : {Qt::Key_L, Qt::Key_S, Qt::Key_T, Qt::Key_F}) key(k, Qt::ControlModifier);
        EXPECT_EQ(caption(), before);
        EXPECT_EQ(prompts.settingsShown + prompts.timerShown, 0);
        EXPECT_TRUE(prompts.inputPrompts.isEmpty());
        EXPECT_TRUE(prompts.findProposals.isEmpty());
    }
}

TEST_F(Keys, EndsOfTheBookDoNotWrap) {
    open(NumberedBook(3));
    key(Qt::Key_Up);
    EXPECT_EQ(window->curLine(), 0);
    key(Qt::Key_End);
    key(Qt::Key_Down);
    EXPECT_EQ(window->curLine(), 2);
}

TEST_F(Keys, CommandsListOnF1ButNotCtrlF1) {
    key(Qt::Key_F1, Qt::ControlModifier);
    EXPECT_TRUE(prompts.messages.empty());
    key(Qt::Key_F1, Qt::ShiftModifier);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].title, "Tresslin v.1.03 Help");
    EXPECT_EQ(prompts.messages[0].icon, MessageIcon::Information);
    const QStringList lines = prompts.messages[0].text.split("\r\n");
    const int lengths[] = {14, 14, 14, 48, 52, 61, 0,  19, 19, 20, 23, 27, 35,
                           29, 0,  14, 14, 14, 27, 32, 26, 23, 18, 23, 36};
    ASSERT_EQ(lines.size(), qsizetype(std::size(lengths)));
    for (int i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i].size(), lengths[i]) << i + 1;
    EXPECT_EQ(lines[5], "(+) PLUS SIGN (Numeric Keypad)   - Maximize (Restore) Program");
    EXPECT_EQ(lines[3].indexOf('-'), 33);
    EXPECT_EQ(lines[12], "CTRL + T   -  Timer On  (Auto Show)");
    EXPECT_EQ(lines[20].indexOf('-'), 11);
    EXPECT_FALSE(prompts.messages[0].text.contains('\t'));
    EXPECT_FALSE(prompts.messages[0].text.endsWith("\r\n"));
}

TEST_F(Keys, F1WithABookReShowsTheLineAfterwards) {
    open(NumberedBook(3));
    window->startAutoShow(100000);
    key(Qt::Key_F1);
    EXPECT_EQ(caption(), "book.txt  line: 1  (0.00%)");
}

TEST_F(Keys, MinusMinimises) {
    window->show();
    key(Qt::Key_Minus, Qt::KeypadModifier);
    EXPECT_TRUE(window->isMinimized());
    window->showNormal();
    key(Qt::Key_Minus, Qt::ControlModifier);
    EXPECT_FALSE(window->isMinimized());
    key(Qt::Key_Minus);
    EXPECT_TRUE(window->isMinimized());
}

TEST_F(Keys, CtrlLettersWorkOnTheRussianLayout) {
    open(NumberedBook(3));
    key(0x0414 /* Д, the L key */, Qt::ControlModifier);
    EXPECT_EQ(prompts.inputPrompts, QStringList{"Open Line|Insert Line Number from 1 to 3"});
    key(0x044b /* ы, the S key */, Qt::ControlModifier);
    EXPECT_EQ(prompts.settingsShown, 1);
}

TEST_F(Keys, SettingsAndTimerDialogs) {
    open(NumberedBook(3));
    prompts.onSettings = [](DialogHost&) { WriteSetting(settings::TextColor, "255"); };
    key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(window->view()->palette().color(QPalette::Text), QColor(255, 0, 0));
    window->startAutoShow(100000);
    prompts.onTimer = [this](DialogHost&) { EXPECT_FALSE(window->autoShowTimer().isActive()); };
    key(Qt::Key_T, Qt::ControlModifier);
    EXPECT_EQ(prompts.timerShown, 1);
}

TEST_F(Keys, WheelStepsLikeTheArrows) {
    open(NumberedBook(5));
    const auto wheel = [this](int dy) {
        QWheelEvent e(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, dy), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(window.get(), &e);
    };
    window->startAutoShow(100000);
    wheel(-60);
    EXPECT_TRUE(window->autoShowTimer().isActive()) << "half a notch does nothing yet";
    wheel(-60);
    EXPECT_FALSE(window->autoShowTimer().isActive());
    wheel(-240);
    EXPECT_EQ(window->curLine(), 3);
    EXPECT_EQ(caption(), "book.txt  line: 4  (75.00%)");
    wheel(120);
    EXPECT_EQ(window->curLine(), 2);
}

TEST_F(Keys, PageDownAndUpStepByChapter) {
    // Line numbers from 1; "text" lines are no headings, the lone time neither.
    const std::string chapters = CrLfBook(
        {"Пролог", "", "text", "", "Глава 1", "", "12:30", "", "* * *", "", "text", "text"});
    const std::string foreword = CrLfBook({"Title", "", "text", "", "ГЛАВА ПЕРВАЯ", "", "text"});
    const std::string none = CrLfBook({"text", "", "12.30", "", "text"});
    const struct {
        const std::string& book;
        int from;
        int key;
        int want;
    } cases[] = {
        {chapters, 3, Qt::Key_PageDown, 5},   {chapters, 5, Qt::Key_PageDown, 9},
        {chapters, 10, Qt::Key_PageDown, 10}, {chapters, 12, Qt::Key_PageUp, 9},
        {chapters, 9, Qt::Key_PageUp, 5},     {chapters, 3, Qt::Key_PageUp, 1},
        {chapters, 1, Qt::Key_PageUp, 1},     {foreword, 3, Qt::Key_PageUp, 1},
        {foreword, 1, Qt::Key_PageDown, 5},   {none, 3, Qt::Key_PageDown, 3},
        {none, 3, Qt::Key_PageUp, 3},
    };
    for (const int coding : {0, 2}) {
        for (const auto& c : cases) {
            makeWindow();
            open(RecodeText(Cp1251(c.book), 0, coding));
            setCoding(coding);
            for (int i = 1; i < c.from; ++i) key(Qt::Key_Down);
            window->startAutoShow(100000);
            key(c.key);
            EXPECT_EQ(window->curLine() + 1, c.want) << coding << " " << c.from << " " << c.key;
            EXPECT_FALSE(window->autoShowTimer().isActive());
        }
    }
}

TEST_F(Keys, PageDownInAFictionBookStopsAtItsOwnTitlesOnly) {
    // "12" alone would read as a heading in plain text; here only the titles count.
    open(
        "<?xml version=\"1.0\" encoding=\"utf-8\"?><FictionBook><body>"
        "<section><title><p>Один</p></title><p>a</p><empty-line/><p>12</p><empty-line/></section>"
        "<section><title><p>Два</p></title><p>b</p></section></body></FictionBook>",
        "book.fb2");
    std::vector<int> stops;
    for (int k : {Qt::Key_PageDown, Qt::Key_PageDown, Qt::Key_PageDown, Qt::Key_PageUp,
                  Qt::Key_PageUp, Qt::Key_PageUp}) {
        key(k);
        stops.push_back(window->curLine());
    }
    EXPECT_EQ(stops, (std::vector<int>{3, 8, 8, 3, 0, 0}));
}
