#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <cstdio>
#include <fstream>

#include "ViewerFixture.h"
#include "viewer/FileNames.h"

using namespace tresslin;
using namespace tresslin::test;

using Startup = ViewerTest;

// The settings hold war.txt (50 lines) at a line; the program starts with the arguments given
// (split at "|"), the keys are pressed, then Esc ends it. %F stands for the books' folder, %S for
// the samples', %B for a book whose name is no UTF-8.
TEST_F(Startup, ArgumentsAndTheRememberedBook) {
    const QString offer = "Last File: war.txt  Line: %1  (Press CTRL + G for Open)";
    const QString start = "Tresslin v.1.03";
    const struct {
        const char* lastLine;  // nothing: no book remembered
        QString arguments;
        const char* keys;
        QString caption, view;
        QString saved;  // the book and line remembered at the end
    } rows[] = {
        {nullptr, "", "Ctrl+G", start, "Show Commands List - Press F1", "="},
        {"20", "   ", "", start, offer.arg(20), "war.txt=20"},
        {"20", "", "Ctrl+G Down", "war.txt  line: 21  (40.82%)", " Line 21", "war.txt=21"},
        {"120", "", "Ctrl+G", "war.txt  line: 50  (100.00%)", " Line 50", "war.txt=50"},
        {"0", "", "Ctrl+G", start, offer.arg(0), "war.txt=0"},
        {"1", "", "Ctrl+G", "war.txt  line: 1  (0.00%)", " Line 1", "war.txt=1"},
        {"many", "", "", start, offer.arg(1), "war.txt=many"},
        {"20", "%F/a|b.txt", "Down Ctrl+G", "a b.txt  line: 2  (33.33%)", " Line 2", "a b.txt=2"},
        {"20", "rel.txt", "", "rel.txt  line: 1  (0.00%)", " Line 1", "rel.txt=1"},
        {"20", "one.txt", "", "one.txt  line: 1  (100.00%)", " one", "war.txt=20"},
        {"20", "\"%F/rel.txt\"", "", start, "Error Open \"%F/rel.txt\"", "war.txt=20"},
        {"20", "%F/gone.txt", "", start, "Error Open %F/gone.txt", "war.txt=20"},
        {"20", "%B", "Down", "Война.txt  line: 2  (33.33%)", " Line 2", "Война.txt=2"},
        // The coding is told from the text.
        {"1", "%Skniga-cp866.txt", "", "kniga-cp866.txt  line: 1  (0.00%)",
         " ТРИ ЗИМЫ НА ДАЛЬНЕМ МЫСУ", "kniga-cp866.txt=1"},
        {"1", "%Skniga-koi8r.txt", "", "kniga-koi8r.txt  line: 1  (0.00%)",
         " ТРИ ЗИМЫ НА ДАЛЬНЕМ МЫСУ", "kniga-koi8r.txt=1"},
    };
    books.write("war.txt", NumberedBook(50));
    books.write("a b.txt", NumberedBook(4));
    books.write("rel.txt", NumberedBook(3));
    books.write("one.txt", "one");
    const QByteArray raw = QFile::encodeName(books.folder()) + "/\xc2\xee\xe9\xed\xe0.txt";
    std::ofstream(raw.constData(), std::ios::binary) << NumberedBook(4);
    // The open dialog hands such a name back decoded as UTF-8, with U+FFFD in its place.
    EXPECT_EQ(pathBytes(resolveChosenPath(QFile::decodeName(raw))), raw);
    const QString here = QDir::currentPath();
    QDir::setCurrent(books.folder());  // relative paths are remembered absolute
    for (const auto& c : rows) {
        SCOPED_TRACE(c.arguments.toStdString() + " " + c.keys);
        const auto subst = [&](QString s) {
            return s.replace("%F", books.folder())
                .replace("%S", SamplePath(""))
                .replace("%B", pathFromBytes(raw));
        };
        WriteSetting(settings::LastFile, c.lastLine ? books.path("war.txt") : "");
        WriteSetting(settings::LastLine, c.lastLine ? c.lastLine : "");
        makeWindow();
        prompts.messages.clear();
        window->Form_Load(subst(c.arguments).split('|'));
        press(c.keys);
        EXPECT_EQ(caption(), c.caption);
        EXPECT_EQ(view(), subst(c.view));
        EXPECT_EQ(prompts.messages.size(), c.view.startsWith("Error") ? 1u : 0u);
        press("Esc");
        const QString file = pathFromStored(ReadSetting(settings::LastFile));
        EXPECT_EQ(frmMain::fileNameOf(file) + "=" + ReadSetting(settings::LastLine), c.saved);
        EXPECT_TRUE(file.isEmpty() || QFileInfo(file).isAbsolute());
    }
    QDir::setCurrent(here);
    std::remove(raw.constData());  // QTemporaryDir cannot remove a name it cannot decode
}

TEST_F(Startup, StoredPlaceAndWidth) {
    const int keep = INT_MIN;  // not applied
    const QRect desk = QGuiApplication::primaryScreen()->virtualGeometry();
    const QString below = QString::number((desk.bottom() + 1) * 15);  // the desktop's edge
    const std::tuple<QString, QString, QString, int, int, int> rows[] = {
        // wanted y, x, width
        {"1500", "3000", "9000", 100, 200, 600},   {below, "3000", "9000", keep, 200, 600},
        {"1500", "-1500", "9000", 100, -100, 600}, {"1500", "-150000", "9000", keep, keep, 600},
        {"1500", "3000", "450", 100, 200, keep},   {"high", "", "wide", keep, keep, keep}};
    for (const auto& [top, left, width, y, x, w] : rows) {
        makeWindow();
        const QRect before = window->frameGeometry();
        WriteSetting(settings::Top, top);
        WriteSetting(settings::Left, left);
        WriteSetting(settings::Width, width);
        window->Form_Load({});
        const QRect after = window->frameGeometry();
        EXPECT_EQ(after.y(), y == keep ? before.y() : y) << top.toStdString();
        EXPECT_EQ(after.x(), x == keep ? before.x() : x) << left.toStdString();
        EXPECT_EQ(after.width(), w == keep ? before.width() : w) << width.toStdString();
    }
}
