#include "ViewerFixture.h"
#include "book/mdlFiles.h"

using namespace tresslin;
using namespace tresslin::test;

using Commands = ViewerTest;

TEST_F(Commands, FindProposesTheLineShownAndKeepsACancelledProposal) {
    open(Cp1251("Первая строка\r\nвторая\r\nещё одна ПЕРВАЯ\r\nи снова Первая"));
    press("Ctrl+F F3");  // cancelled, then the kept proposal is searched without a dialog
    EXPECT_EQ(prompts.findProposals, QStringList{"Первая строка"});
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "Search text is not found");
    EXPECT_EQ(prompts.messages[0].title, "Tresslin");
    EXPECT_EQ(prompts.messages[0].icon, MessageIcon::Warning);
    prompts.findAnswers.push_back(QString("первая"));
    press("Ctrl+F");
    EXPECT_EQ(prompts.findProposals.last(), "Первая строка");
    EXPECT_EQ(window->curLine(), 2);
    press("F3");
    EXPECT_EQ(window->curLine(), 3);
}

TEST_F(Commands, FindInEveryCoding) {
    // ╚ in DOS and KOI8-R has no Windows Cyrillic character, nor has Windows Cyrillic's own
    // unused 0x98; the view shows U+FFFD for each, and a line so proposed still finds its twin.
    const QString shown = QString(QChar::ReplacementCharacter) + " end";
    const struct {
        int coding;
        std::string book;
        QString typed;
        int line;  // -1: not found
    } rows[] = {
        {0, Cp1251("начало\r\nЁЛКА И ЁЖ\r\nконец"), "ёлка и ёж", 1},
        {1, RecodeText(Cp1251("начало\r\nЁЛКА И ЁЖ\r\nконец"), 0, 1), "ёлка и ёж", 1},
        {2, RecodeText(Cp1251("начало\r\nЁЛКА И ЁЖ\r\nконец"), 0, 2), "ёлка и ёж", 1},
        {3, "начало\r\nЁЛКА И ЁЖ \xFF\r\nконец", "ёлка и ёж", 1},
        {0, "\x98 end\r\n? end\r\n\x98 end", shown, 2},
        {1, "\xc8 end\r\n? end\r\n\xc8 end", shown, 2},
        {2, "\xab end\r\n? end\r\n\xab end", shown, 2},
        {0, "a\r\nb?c\r\nd", "b中c", -1},
        {3, "a\r\nb?c\r\nd", "b中c", -1},
    };
    WriteSetting(settings::DetectCoding, "0");
    for (const auto& c : rows) {
        SCOPED_TRACE(c.typed.toStdString() + " in coding " + std::to_string(c.coding));
        makeWindow();
        setCoding(c.coding);
        open(c.book);
        prompts.messages.clear();
        prompts.findAnswers = {c.typed};
        press("Ctrl+F");
        EXPECT_EQ(window->curLine(), std::max(c.line, 0));
        EXPECT_EQ(prompts.messages.size(), c.line < 0 ? 1u : 0u);
    }
}

TEST_F(Commands, OpenCancelFailureAndSuccess) {
    open(NumberedBook(5), "first.txt");
    press("Down Ctrl+O");  // cancelled: nothing changes
    EXPECT_EQ(caption(), "first.txt  line: 2  (25.00%)");

    // A failure: the attempted path stays in the caption, the book stays open.
    const QString missing = books.path("gone.txt");
    prompts.openAnswers.push_back(missing);
    press("Ctrl+O");
    EXPECT_EQ(caption(), missing);
    EXPECT_EQ(view(), "Error Open " + missing);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "Error Open " + missing);
    EXPECT_EQ(prompts.messages[0].icon, MessageIcon::Warning);
    press("Down");
    EXPECT_EQ(caption(), "first.txt  line: 3  (50.00%)");

    const QString second = books.write("second.txt", NumberedBook(3));
    prompts.openAnswers.push_back(second);
    press("Ctrl+O");
    EXPECT_EQ(caption(), "second.txt  line: 1  (0.00%)");
    press("Ctrl+O");  // the previous choice is offered
    EXPECT_EQ(prompts.openLastPaths.last(), second);
}

TEST_F(Commands, FictionBookOpensAsUtf8AndABadArchiveKeepsTheBook) {
    WriteSetting(settings::DetectCoding, "0");
    open(
        "<?xml version=\"1.0\" encoding=\"windows-1251\"?><FictionBook><description><title-info>"
        "<book-title>\xCA\xED\xE8\xE3\xE0</book-title></title-info></description></FictionBook>",
        "book.fb2");
    EXPECT_EQ(settings::readNumber(settings::TextCoding), 3);
    EXPECT_TRUE(view().startsWith(" Книга")) << view().toStdString();
    const QString before = caption();

    const QString broken = books.write("broken.zip", "PK\x03\x04 cut short");
    EXPECT_FALSE(window->OpenBook(broken));
    EXPECT_EQ(view(), "Error Open " + broken);
    EXPECT_EQ(caption(), before);
    EXPECT_EQ(settings::readNumber(settings::TextCoding), 3);
    EXPECT_EQ(window->bookPath(), books.path("book.fb2"));
}
