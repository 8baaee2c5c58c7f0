#include "ViewerFixture.h"
#include "book/mdlFiles.h"

using namespace tresslin;
using namespace tresslin::test;

using Commands = ViewerTest;

TEST_F(Commands, LineJumpEntries) {
    const std::pair<QString, int> cases[] = {
        {"250", 250}, {"1", 1},   {"0", 5}, {"251", 5},   {"-5", 5},    {"2.5", 2},
        {"3.5", 4},   {"abc", 5}, {"", 5},  {"1e300", 5}, {" 17 ", 17},
    };
    open(NumberedBook(250));
    for (const auto& [entry, want] : cases) {
        window->Form_KeyDown(Qt::Key_Home, 0);
        for (int i = 0; i < 4; ++i) key(Qt::Key_Down);
        prompts.inputAnswers.push_back(entry);
        key(Qt::Key_L, Qt::ControlModifier);
        EXPECT_EQ(window->curLine() + 1, want) << entry.toStdString();
    }
    EXPECT_EQ(prompts.inputPrompts.last(), "Open Line|Insert Line Number from 1 to 250");
    key(Qt::Key_L, Qt::ControlModifier);  // Cancel
    EXPECT_EQ(window->curLine() + 1, 17);
}

TEST_F(Commands, FindProposesTheLineAndRepeatsWithF3) {
    open(Cp1251("Первая строка\r\nвторая\r\nещё одна ПЕРВАЯ\r\nи снова Первая"));
    prompts.findAnswers.push_back(std::nullopt);  // Cancel keeps the proposal
    key(Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(prompts.findProposals.last(), "Первая строка");
    EXPECT_EQ(window->findText(), "Первая строка");
    EXPECT_EQ(window->curLine(), 0);
    key(Qt::Key_F3);  // searches the kept proposal without a dialog
    EXPECT_EQ(prompts.findProposals.size(), 1);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "Search text is not found");
    EXPECT_EQ(prompts.messages[0].title, "Tresslin");
    EXPECT_EQ(prompts.messages[0].icon, MessageIcon::Warning);

    prompts.findAnswers.push_back(QString("первая"));
    key(Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(prompts.findProposals.last(), "Первая строка");
    EXPECT_EQ(window->curLine(), 2);
    key(Qt::Key_F3);
    EXPECT_EQ(window->curLine(), 3);
    key(Qt::Key_F3);  // nothing after the last line
    EXPECT_EQ(window->curLine(), 3);
    EXPECT_EQ(prompts.messages.size(), 2u);
}

TEST_F(Commands, FirstF3OpensTheDialog) {
    open(NumberedBook(20));
    prompts.findAnswers.push_back(QString(" 1"));
    key(Qt::Key_F3);
    EXPECT_EQ(prompts.findProposals, QStringList{"Line 1"});
    EXPECT_EQ(window->curLine(), 9);  // "Line 10" holds " 1" untrimmed
    EXPECT_EQ(window->findText(), " 1");
}

TEST_F(Commands, CapitalsFoundFromSmallLettersInEveryCoding) {
    const std::string book = Cp1251("начало\r\nсередина\r\nЁЛКА И ЁЖ\r\nконец");
    for (int coding : {0, 1, 2}) {
        makeWindow();
        setCoding(coding);
        open(RecodeText(book, 0, coding));
        prompts.findAnswers.push_back(QString("ёлка и ёж"));
        key(Qt::Key_F, Qt::ControlModifier);
        EXPECT_EQ(window->curLine(), 2) << coding;
        EXPECT_EQ(view(), " ЁЛКА И ЁЖ") << coding;
    }
}

TEST_F(Commands, ALineWithACharacterTheViewCannotShowFindsItsTwin) {
    // ╚ in DOS and KOI8-R has no Windows Cyrillic character, nor has Windows Cyrillic's own
    // unused 0x98; the view shows U+FFFD for each.
    const std::pair<int, char> cases[] = {{0, '\x98'}, {1, '\xc8'}, {2, '\xab'}};
    for (const auto& [coding, box] : cases) {
        makeWindow();
        setCoding(coding);
        WriteSetting(settings::DetectCoding, "0");
        const std::string line = std::string(1, box) + " end";
        open(line + "\r\n? end\r\n" + line);
        const QString shown = QString(QChar::ReplacementCharacter) + " end";
        prompts.findAnswers.push_back(shown);  // the proposal confirmed as it is
        key(Qt::Key_F, Qt::ControlModifier);
        EXPECT_EQ(prompts.findProposals.last(), shown) << coding;
        EXPECT_EQ(window->curLine(), 2) << coding;
        EXPECT_TRUE(prompts.messages.empty()) << coding;
    }
}

TEST_F(Commands, UnmappableSearchTextIsNotFound) {
    open(Cp1251("a\r\nb?c\r\nd"));
    prompts.findAnswers.push_back(QString("b中c"));
    key(Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(window->curLine(), 0);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "Search text is not found");
}

TEST_F(Commands, OpenCommand) {
    open(NumberedBook(5), "first.txt");
    key(Qt::Key_Down);
    // Cancel: nothing changes.
    key(Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(caption(), "first.txt  line: 2  (25.00%)");
    EXPECT_EQ(window->bookPath(), books.path("first.txt"));

    // A failure: the attempted path stays in the caption, the book stays open.
    const QString missing = books.path("gone.txt");
    prompts.openAnswers.push_back(missing);
    key(Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(caption(), missing);
    EXPECT_EQ(view(), "Error Open " + missing);
    EXPECT_EQ(window->bookPath(), books.path("first.txt"));
    key(Qt::Key_Down);
    EXPECT_EQ(caption(), "first.txt  line: 3  (50.00%)");

    // A success, with the previous choice offered next time.
    const QString second = books.write("second.txt", NumberedBook(3));
    prompts.onMessage = nullptr;
    prompts.openAnswers.push_back(second);
    key(Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(caption(), "second.txt  line: 1  (0.00%)");
    key(Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(prompts.openLastPaths.last(), second);
}

TEST_F(Commands, FindInAUtf8Book) {
    WriteSetting(settings::DetectCoding, "0");
    setCoding(3);
    open("начало\r\nсередина\r\nЁЛКА И ЁЖ \xFF\r\nконец");
    prompts.findAnswers.push_back(QString("ёлка и ёж"));
    key(Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(window->curLine(), 2);
    prompts.findAnswers.push_back(QString("中"));
    key(Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(window->curLine(), 2);
    EXPECT_EQ(prompts.messages.size(), 1u);
}

TEST_F(Commands, FictionBookOpensAsUtf8AndABadArchiveKeepsTheBook) {
    WriteSetting(settings::DetectCoding, "0");
    setCoding(0);
    open(
        "<?xml version=\"1.0\" encoding=\"windows-1251\"?><FictionBook><description><title-info>"
        "<book-title>\xCA\xED\xE8\xE3\xE0</book-title></title-info></description></FictionBook>",
        "book.fb2");
    EXPECT_EQ(settings::readNumber(settings::TextCoding), 3);
    EXPECT_TRUE(view().startsWith(" Книга")) << view().toStdString();

    const QString broken = books.write("broken.zip", "PK\x03\x04 cut short");
    EXPECT_FALSE(window->OpenBook(broken));
    EXPECT_EQ(view(), "Error Open " + broken);
    EXPECT_EQ(window->bookPath(), books.path("book.fb2"));
    EXPECT_EQ(prompts.messages.size(), 1u);
}
