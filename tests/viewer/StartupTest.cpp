#include <QDir>
#include <QFileInfo>

#include "ViewerFixture.h"

using namespace tresslin;
using namespace tresslin::test;

using Startup = ViewerTest;

// The settings hold war.txt (50 lines) at a line; the program starts with the arguments given,
// the keys are pressed, then Esc ends it. %F stands for the books' folder.
TEST_F(Startup, ArgumentsAndTheRememberedBook) {
    const struct {
        const char* lastLine;  // nothing: no book remembered
        QStringList arguments;
        const char* keys;
        QString caption, view;
        QString saved;  // the book and line remembered at the end
    } rows[] = {
        {nullptr, {}, "Ctrl+G", "Tresslin v.1.03", "Show Commands List - Press F1", "="},
        {"20",
         {"   "},
         "",
         "Tresslin v.1.03",
         "Last File: war.txt  Line: 20  (Press CTRL + G for Open)",
         "war.txt=20"},
        {"20", {}, "Ctrl+G Down", "war.txt  line: 21  (40.82%)", " Line 21", "war.txt=21"},
        {"120", {}, "Ctrl+G", "war.txt  line: 50  (100.00%)", " Line 50", "war.txt=50"},
        {"0",
         {},
         "Ctrl+G",
         "Tresslin v.1.03",
         "Last File: war.txt  Line: 0  (Press CTRL + G for Open)",
         "war.txt=0"},
        {"many",
         {},
         "",
         "Tresslin v.1.03",
         "Last File: war.txt  Line: 1  (Press CTRL + G for Open)",
         "war.txt=many"},
        // Arguments arrive split at the blanks and are joined again.
        {"20",
         {"%F/my", "war", "book.txt"},
         "Down Ctrl+G",
         "my war book.txt  line: 2  (33.33%)",
         " Line 2",
         "my war book.txt=2"},
        {"20", {"rel.txt"}, "", "rel.txt  line: 1  (0.00%)", " Line 1", "rel.txt=1"},
        {"20", {"one.txt"}, "", "one.txt  line: 1  (100.00%)", " one", "war.txt=20"},
        {"20",
         {"\"%F/rel.txt\""},
         "",
         "Tresslin v.1.03",
         "Error Open \"%F/rel.txt\"",
         "war.txt=20"},
        {"20", {"%F/gone.txt"}, "", "Tresslin v.1.03", "Error Open %F/gone.txt", "war.txt=20"},
    };
    books.write("war.txt", NumberedBook(50));
    books.write("my war book.txt", NumberedBook(4));
    books.write("rel.txt", NumberedBook(3));
    books.write("one.txt", "one");
    const QString here = QDir::currentPath();
    QDir::setCurrent(books.folder());  // relative paths are remembered absolute
    for (const auto& c : rows) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString() + " " + c.keys);
        const auto subst = [&](QString s) { return s.replace("%F", books.folder()); };
        WriteSetting(settings::LastFile, c.lastLine ? books.path("war.txt") : "");
        WriteSetting(settings::LastLine, c.lastLine ? c.lastLine : "");
        makeWindow();
        QStringList arguments;
        for (const QString& a : c.arguments) arguments << subst(a);
        const auto messages = prompts.messages.size();
        window->Form_Load(arguments);
        press(c.keys);
        EXPECT_EQ(caption(), c.caption);
        EXPECT_EQ(view(), subst(c.view));
        EXPECT_EQ(prompts.messages.size() - messages, c.view.startsWith("Error") ? 1u : 0u);
        press("Esc");
        EXPECT_TRUE(window->isUnloaded());
        const QString file = ReadSetting(settings::LastFile);
        EXPECT_EQ(QFileInfo(file).fileName() + "=" + ReadSetting(settings::LastLine), c.saved);
        EXPECT_TRUE(file.isEmpty() || file.startsWith(books.folder()));
    }
    QDir::setCurrent(here);
}
