#include <QDir>

#include "ViewerFixture.h"

using namespace tresslin;
using namespace tresslin::test;

using Startup = ViewerTest;

TEST_F(Startup, FirstRun) {
    window->Form_Load({});
    EXPECT_EQ(caption(), "Tresslin v.1.03");
    EXPECT_EQ(view(), "Show Commands List - Press F1");
    key(Qt::Key_G, Qt::ControlModifier);  // nothing remembered: nothing happens
    EXPECT_EQ(caption(), "Tresslin v.1.03");
}

TEST_F(Startup, LastFileIsOfferedAndCtrlGReopensIt) {
    const QString path = books.write("war.txt", NumberedBook(200));
    WriteSetting(settings::LastFile, path);
    WriteSetting(settings::LastLine, "120");
    window->Form_Load({"   "});
    EXPECT_EQ(caption(), "Tresslin v.1.03");
    EXPECT_EQ(view(), "Last File: war.txt  Line: 120  (Press CTRL + G for Open)");
    key(Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(caption(), "war.txt  line: 120  (59.80%)");
    EXPECT_EQ(view(), " Line 120");
}

TEST_F(Startup, CtrlGOnAShortenedBookShowsItsLastLine) {
    WriteSetting(settings::LastFile, books.write("war.txt", NumberedBook(50)));
    WriteSetting(settings::LastLine, "120");
    window->Form_Load({});
    key(Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(caption(), "war.txt  line: 50  (100.00%)");
    EXPECT_EQ(view(), " Line 50");
}

TEST_F(Startup, LastLineBelowOneOrGarbage) {
    WriteSetting(settings::LastFile, books.write("a.txt", NumberedBook(5)));
    WriteSetting(settings::LastLine, "0");
    window->Form_Load({});
    EXPECT_EQ(view(), "Last File: a.txt  Line: 0  (Press CTRL + G for Open)");
    key(Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(caption(), "Tresslin v.1.03");
    makeWindow();
    WriteSetting(settings::LastLine, "many");
    window->Form_Load({});
    EXPECT_EQ(view(), "Last File: a.txt  Line: 1  (Press CTRL + G for Open)");
}

TEST_F(Startup, CommandLineBookWithBlanksInItsPath) {
    WriteSetting(settings::LastFile, books.write("old.txt", NumberedBook(5)));
    books.write("my war book.txt", NumberedBook(4));
    // The arguments arrive split at the blanks and are joined again.
    window->Form_Load({books.folder() + "/my", "war", "book.txt"});
    EXPECT_EQ(caption(), "my war book.txt  line: 1  (0.00%)");
    key(Qt::Key_G, Qt::ControlModifier);  // started with a book: Ctrl+G does nothing
    EXPECT_EQ(caption(), "my war book.txt  line: 1  (0.00%)");
}

TEST_F(Startup, QuotedPathFails) {
    const QString quoted = "\"" + books.write("a b.txt", NumberedBook(4)) + "\"";
    window->Form_Load({quoted});
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "Error Open " + quoted);
    EXPECT_EQ(caption(), "Tresslin v.1.03");
    EXPECT_EQ(view(), "Error Open " + quoted);
}

TEST_F(Startup, RelativePathIsRememberedAbsolute) {
    books.write("rel.txt", NumberedBook(4));
    const QString old = QDir::currentPath();
    QDir::setCurrent(books.folder());
    window->Form_Load({"rel.txt"});
    QDir::setCurrent(old);
    EXPECT_EQ(window->bookPath(), books.path("rel.txt"));
    key(Qt::Key_Down);
    window->unload();
    EXPECT_EQ(ReadSetting(settings::LastFile), books.path("rel.txt"));
    EXPECT_EQ(ReadSetting(settings::LastLine), "2");
}

TEST_F(Startup, ShutdownRemembersTheBookAndLine) {
    window->Form_Load({books.write("b.txt", NumberedBook(1000))});
    key(Qt::Key_End);
    window->unload();
    const QString text = sandbox.fileText();
    EXPECT_TRUE(text.contains("Last File=" + books.path("b.txt") + "\nLast Line=1000\n"))
        << text.toStdString();
    EXPECT_TRUE(text.contains("[Position]\nLeft=")) << text.toStdString();
}

TEST_F(Startup, ShutdownLeavesEarlierValuesWhenNothingWorthKeeping) {
    struct {
        const char* what;
        std::function<void()> setup;
    } cases[] = {
        {"no book", [] {}},
        {"one-line book", [this] { open("one"); }},
        {"failed open", [this] { window->Form_Load({books.path("missing.txt")}); }},
    };
    for (auto& c : cases) {
        makeWindow();
        WriteSetting(settings::LastFile, "/earlier.txt");
        WriteSetting(settings::LastLine, "7");
        c.setup();
        window->unload();
        EXPECT_EQ(ReadSetting(settings::LastFile), "/earlier.txt") << c.what;
        EXPECT_EQ(ReadSetting(settings::LastLine), "7") << c.what;
    }
}

TEST_F(Startup, EscClosesAndSavesOnce) {
    open(NumberedBook(5));
    key(Qt::Key_Down);
    window->show();
    key(Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(ReadSetting(settings::LastLine), "2");
    EXPECT_TRUE(sandbox.fileText().contains("Last Line=2"));
}
