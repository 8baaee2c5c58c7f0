#include "ViewerFixture.h"

using namespace tresslin;
using namespace tresslin::test;

using Keys = ViewerTest;

namespace {
struct Book {
    QString name;
    std::string bytes;
};
const Book kTen{"book.txt", NumberedBook(10)};
const Book kOne{"book.txt", "one line"};
const Book kEmpty{"book.txt", ""};
// Line numbers from 1; "text" lines are no headings, the lone time neither.
const Book kChapters{"book.txt", Cp1251(CrLfBook({"Пролог", "", "text", "", "Глава 1", "", "12:30",
                                                  "", "* * *", "", "text", "text"}))};
const Book kForeword{"book.txt",
                     Cp1251(CrLfBook({"Title", "", "text", "", "ГЛАВА ПЕРВАЯ", "", "text"}))};
const Book kNoChapters{"book.txt", CrLfBook({"text", "", "12.30", "", "text"})};
// "12" alone would read as a heading in plain text; here only the titles count.
const Book kFictionBook{
    "book.fb2",
    "<?xml version=\"1.0\" encoding=\"utf-8\"?><FictionBook><body>"
    "<section><title><p>Один</p></title><p>a</p><empty-line/><p>12</p><empty-line/></section>"
    "<section><title><p>Два</p></title><p>b</p></section></body></FictionBook>"};
}  // namespace

TEST_F(Keys, KeysPressedToCaptionAndView) {
    const struct {
        const Book* book;  // none: nothing opened
        const char* keys;
        const char* answer;  // typed into the line or find prompt
        QString caption;     // after "<book>  line: "
        QString view;        // how the view's text ends
        int dialogs, messages;
    } rows[] = {
        {&kTen, "4*Down Down", nullptr, "6  (55.56%)", " Line 6", 0, 0},
        {&kTen, "4*Down Up", nullptr, "4  (33.33%)", " Line 4", 0, 0},
        {&kTen, "4*Down Home", nullptr, "1  (0.00%)", " Line 1", 0, 0},
        {&kTen, "4*Down End", nullptr, "10  (100.00%)", " Line 10", 0, 0},
        {&kTen, "Home Up", nullptr, "1  (0.00%)", " Line 1", 0, 0},
        {&kTen, "End Down", nullptr, "10  (100.00%)", " Line 10", 0, 0},
        {&kTen, "4*Down Shift+Down", nullptr, "6  (55.56%)", " Line 6", 0, 0},
        {&kTen, "4*Down Ctrl+Shift+Down", nullptr, "6  (55.56%)", " Line 6", 0, 0},
        {&kTen, "4*Down Alt+Down", nullptr, "6  (55.56%)", " Line 6", 0, 0},
        {&kTen, "4*Down Num+Down", nullptr, "6  (55.56%)", " Line 6", 0, 0},
        {&kTen, "4*Down Ctrl+Down", nullptr, "5  (44.44%)", " Line 5", 0, 0},
        {&kTen, "4*Down Tab", nullptr, "5  (44.44%)", " Line 5", 0, 0},
        // Any key stops the auto-show; the line is shown again, or Ctrl alone only says so.
        {&kTen, "4*Down timer A", nullptr, "5  (44.44%)", " Line 5", 0, 0},
        {&kTen, "4*Down timer Shift", nullptr, "5  (44.44%)", " Line 5", 0, 0},
        {&kTen, "4*Down timer Ctrl", nullptr, "5  (44.44%)   Timer: Off", " Line 5", 0, 0},
        {&kTen, "4*Down timer Ctrl+Q", nullptr, "5  (44.44%)   Timer: Off", " Line 5", 0, 0},
        {&kTen, "4*Down timer Down", nullptr, "6  (55.56%)", " Line 6", 0, 0},
        {&kTen, "4*Down timer F1", nullptr, "5  (44.44%)", " Line 5", 0, 1},
        {&kTen, "4*Down timer tick", nullptr, "6  (55.56%)   Timer: On", " Line 6", 0, 0},
        {&kTen, "End timer tick", nullptr, "10  (100.00%)   Timer: Off", " Line 10", 0, 0},
        {&kOne, "timer tick", nullptr, "1  (100.00%)   Timer: Off", " one line", 0, 0},
        {&kTen, "4*Down timer next", nullptr, "6  (55.56%)", " Line 6", 0, 0},
        {&kTen, "End timer next", nullptr, "10  (100.00%)   Timer: Off", " Line 10", 0, 0},
        {&kTen, "4*Down timer back", nullptr, "4  (33.33%)", " Line 4", 0, 0},
        {&kTen, "back", nullptr, "1  (0.00%)", " Line 1", 0, 0},
        {&kTen, "4*Down timer wheel-60", nullptr, "5  (44.44%)   Timer: On", " Line 5", 0, 0},
        {&kTen, "4*Down wheel-60 wheel-60", nullptr, "6  (55.56%)", " Line 6", 0, 0},
        {&kTen, "4*Down wheel-240", nullptr, "7  (66.67%)", " Line 7", 0, 0},
        {&kTen, "4*Down wheel120", nullptr, "4  (33.33%)", " Line 4", 0, 0},
        {&kTen, "4*Down Ctrl+L", "10", "10  (100.00%)", " Line 10", 1, 0},
        {&kTen, "4*Down Ctrl+L", "1", "1  (0.00%)", " Line 1", 1, 0},
        {&kTen, "4*Down Ctrl+L", "0", "5  (44.44%)", " Line 5", 1, 0},
        {&kTen, "4*Down Ctrl+L", "11", "5  (44.44%)", " Line 5", 1, 0},
        {&kTen, "4*Down Ctrl+L", nullptr, "5  (44.44%)", " Line 5", 1, 0},
        // The first F3 asks; the text is kept untrimmed (" 1" is in "Line 10" only).
        {&kTen, "4*Down F3 F3", " 1", "10  (100.00%)", " Line 10", 1, 1},
        {&kTen, "Ctrl+F", "LINE 7", "7  (66.67%)", " Line 7", 1, 0},
        {&kOne, "Down End Ctrl+L Ctrl+F F3 PgDown", nullptr, "1  (100.00%)", " one line", 0, 0},
        {&kEmpty, "Down Ctrl+L", nullptr, "1  (100.00%)", " ", 0, 0},
        {nullptr, "Down Up Home End F3 Ctrl+L Ctrl+S Ctrl+T Ctrl+F", nullptr, "", "", 0, 0},
        {&kChapters, "2*Down timer PgDown", nullptr, "5  (36.36%)", " Глава 1", 0, 0},
        {&kChapters, "4*Down PgDown", nullptr, "9  (72.73%)", " * * *", 0, 0},
        {&kChapters, "9*Down PgDown", nullptr, "10  (81.82%)", " ", 0, 0},
        {&kChapters, "End PgUp", nullptr, "9  (72.73%)", " * * *", 0, 0},
        {&kChapters, "8*Down PgUp", nullptr, "5  (36.36%)", " Глава 1", 0, 0},
        {&kChapters, "2*Down PgUp", nullptr, "1  (0.00%)", " Пролог", 0, 0},
        {&kChapters, "PgUp", nullptr, "1  (0.00%)", " Пролог", 0, 0},
        {&kForeword, "2*Down PgUp", nullptr, "1  (0.00%)", " Title", 0, 0},
        {&kForeword, "PgDown", nullptr, "5  (66.67%)", " ГЛАВА ПЕРВАЯ", 0, 0},
        {&kNoChapters, "2*Down PgDown", nullptr, "3  (50.00%)", " 12.30", 0, 0},
        {&kNoChapters, "2*Down PgUp", nullptr, "3  (50.00%)", " 12.30", 0, 0},
        {&kFictionBook, "PgDown", nullptr, "4  (", " Один", 0, 0},
        {&kFictionBook, "PgDown PgDown PgDown", nullptr, "9  (", " Два", 0, 0},
        {&kFictionBook, "PgDown PgDown PgUp", nullptr, "4  (", " Один", 0, 0},
        {&kFictionBook, "PgDown PgUp PgUp", nullptr, "1  (", "", 0, 0},
    };
    WriteSetting(settings::DetectCoding, "0");
    for (const auto& c : rows) {
        SCOPED_TRACE(c.keys);
        makeWindow();
        if (c.book) open(c.book->bytes, c.book->name);
        const auto dialogs = [&] {
            return prompts.inputPrompts.size() + prompts.findProposals.size() +
                   prompts.settingsShown + prompts.timerShown;
        };
        const auto dialogsBefore = dialogs();
        const auto messagesBefore = prompts.messages.size();
        if (c.answer) {
            prompts.inputAnswers = {c.answer};
            prompts.findAnswers = {QString(c.answer)};
        }
        press(c.keys);
        const QString shown = c.book ? c.book->name + "  line: " : QString();
        if (c.caption.endsWith('('))
            EXPECT_TRUE(caption().startsWith(shown + c.caption)) << caption().toStdString();
        else
            EXPECT_EQ(caption(), shown + c.caption);
        EXPECT_TRUE(view().endsWith(c.view)) << view().toStdString();
        EXPECT_EQ(dialogs() - dialogsBefore, c.dialogs);
        EXPECT_EQ(prompts.messages.size() - messagesBefore, std::size_t(c.messages));
        prompts.inputAnswers.clear();
        prompts.findAnswers.clear();
    }
}

TEST_F(Keys, CommandsListOnF1ButNotCtrlF1) {
    press("Ctrl+F1");
    EXPECT_TRUE(prompts.messages.empty());
    press("Shift+F1");
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].title, "Tresslin v.1.03 Help");
    EXPECT_EQ(prompts.messages[0].icon, MessageIcon::Information);
    const QStringList expected{
        "==============",
        "File Commands:",
        "==============",
        "ESC Key                          -  Exit program",
        "(-) MINUS SIGN (Numeric Keypad)  -  Minimize Program",
        "(+) PLUS SIGN (Numeric Keypad)   - Maximize (Restore) Program",
        "",
        "===================",
        "Text View Commands:",
        "====================",
        "Key Down   -  Next Line",
        "Key Up     -  Previous Line",
        "CTRL + T   -  Timer On  (Auto Show)",
        "(Press Any Key For Timer Off)",
        "",
        "==============",
        "Edit Commands:",
        "==============",
        "CTRL + O   -  Open New Text",
        "CTRL + G   -  Get Open Last File",
        "CTRL + R   -  Recent Books",
        "CTRL + L   -  Goto Line",
        "CTRL + F   -  Find",
        "F3 Key     -  Find Next",
        "CTRL + S   -  Settings (Text Coding)",
    };
    EXPECT_EQ(prompts.messages[0].text, expected.join("\r\n"));
}

TEST_F(Keys, MinusMinimisesOnEitherKeyButNotWithCtrl) {
    window->show();
    press("Num+-");
    EXPECT_TRUE(window->isMinimized());
    window->showNormal();
    press("Ctrl+-");
    EXPECT_FALSE(window->isMinimized());
    press("_");
    EXPECT_TRUE(window->isMinimized());
}

TEST_F(Keys, RussianLayoutAndTheDialogKeys) {
    open(NumberedBook(3));
    press("Ctrl+Д");  // the L key
    EXPECT_EQ(prompts.inputPrompts, QStringList{"Open Line|Insert Line Number from 1 to 3"});
    prompts.onSettings = [](DialogHost&) { WriteSetting(settings::TextColor, "255"); };
    press("Ctrl+Ы");  // the S key: the line is shown again in the chosen colour
    EXPECT_EQ(window->view()->palette().color(QPalette::Text), QColor(255, 0, 0));
    prompts.onTimer = [this](DialogHost&) { EXPECT_FALSE(window->autoShowTimer().isActive()); };
    press("timer Ctrl+T");
    EXPECT_EQ(prompts.timerShown, 1);
}
