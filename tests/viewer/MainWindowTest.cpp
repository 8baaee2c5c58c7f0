#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocale>
#include <QScreen>
#include <cstdio>
#include <fstream>

#include "ViewerFixture.h"
#include "platform/FileNames.h"
#include "settings/RecentBooks.h"
#include "viewer/App.h"

using namespace tresslin;
using namespace tresslin::test;

using MainWindow = ViewerTest;

namespace {
// Numbered words, far wider than the strip.
std::string paragraph(char tag, int words) {
    std::string s;
    for (int i = 1; i <= words; ++i) s += tag + std::to_string(i) + (i < words ? " " : "");
    return s;
}
const std::string kTen = NumberedBook(10), kOne = "one line";
// Line numbers from 1; "text" lines are no headings, the lone time neither.
const std::string kChapters =
    Cp1251("Пролог\r\n\r\ntext\r\n\r\nГлава 1\r\n\r\n12:30\r\n\r\n* * *\r\n\r\ntext\r\ntext");
// Titles in Windows Cyrillic; "12" alone would read as a heading in plain text.
const std::string kFictionBook = Cp1251(
    "<?xml version=\"1.0\" encoding=\"windows-1251\"?><FictionBook><body>"
    "<section><title><p>Один</p></title><p>a</p><empty-line/><p>12</p><empty-line/></section>"
    "<section><title><p>Два</p></title><p>b</p></section></body></FictionBook>");
const std::string kLong = paragraph('a', 150);
const std::string kWrap = kLong + "\r\nshort\r\n" + paragraph('c', 90);

// An archive of two books: the list offers both, the second opens; Esc on the list keeps the
// book being read; after a restart Ctrl+G comes back to that book inside the archive.
TEST_F(MainWindow, ArchiveOfSeveralBooks) {
    const QString zip = SamplePath("kniga-two.zip");
    makeWindow();
    prompts.archiveAnswers = {1, std::nullopt};
    window->Form_Load(locationOfText(zip));
    prompts.openAnswers = {zip};
    press("Down Down Down");
    EXPECT_EQ(caption(), "kniga-two.zip#kniga-cp1251.txt  line: 4  (0.84%)");
    press("Ctrl+O");
    EXPECT_EQ(caption(), "kniga-two.zip#kniga-cp1251.txt  line: 4  (0.84%)");
    EXPECT_EQ(prompts.archiveShown, (std::vector<qsizetype>{2, 2}));
    EXPECT_TRUE(prompts.messages.empty());
    press("Esc");
    EXPECT_EQ(ReadSetting(settings::LastFile), "zip:" + zip + "#kniga-cp1251.txt");
    makeWindow();
    window->Form_Load({});
    press("Ctrl+G");
    EXPECT_EQ(caption(), "kniga-two.zip#kniga-cp1251.txt  line: 4  (0.84%)");
    EXPECT_EQ(prompts.archiveShown.size(), 2u);
}

}  // namespace

TEST_F(MainWindow, KeysPressedToCaptionAndView) {
    const struct {
        const std::string* book;  // none: nothing opened
        const char* keys;
        const char* answer;  // typed into the line or find prompt
        QString caption;     // after "book.txt  line: ", or its start when it ends in "("
        QString view;        // a part of the view's text
        int asked;           // dialogs and messages shown
    } rows[] = {
        {&kTen, "4*Down Home", nullptr, "1  (0.00%)", " Line 1", 0},
        {&kTen, "End Down", nullptr, "10  (100.00%)", " Line 10", 0},
        {&kTen, "4*Down Ctrl+Shift+Down", nullptr, "6  (55.56%)", " Line 6", 0},
        {&kTen, "4*Down Ctrl+Down", nullptr, "5  (44.44%)", " Line 5", 0},
        {&kTen, "4*Down timer Ctrl", nullptr, "5  (44.44%)   Timer: Off", " Line 5", 0},
        {&kTen, "4*Down timer tick", nullptr, "6  (55.56%)   Timer: On", " Line 6", 0},
        {&kTen, "End timer tick", nullptr, "10  (100.00%)   Timer: Off", " Line 10", 0},
        {&kOne, "timer tick", nullptr, "1  (100.00%)   Timer: Off", " one line", 0},
        {&kTen, "End timer next", nullptr, "10  (100.00%)   Timer: Off", " Line 10", 0},
        {&kTen, "back", nullptr, "1  (0.00%)", " Line 1", 0},
        {&kTen, "4*Down timer wheel-60", nullptr, "5  (44.44%)   Timer: On", " Line 5", 0},
        {&kTen, "4*Down wheel120", nullptr, "4  (33.33%)", " Line 4", 0},
        {&kTen, "4*Down Ctrl+L", "10", "10  (100.00%)", " Line 10", 1},
        {&kTen, "4*Down Ctrl+L", nullptr, "5  (44.44%)", " Line 5", 1},
        // The first F3 asks; the text is kept untrimmed (" 1" is in "Line 10" only).
        {&kTen, "4*Down F3 F3", " 1", "10  (100.00%)", " Line 10", 2},
        {&kTen, "Ctrl+F F3", nullptr, "10  (100.00%)", " Line 10", 1},  // the kept proposal
        {&kOne, "Down End Ctrl+L Ctrl+F F3 PgDown", nullptr, "1  (100.00%)", " one line", 0},
        {nullptr, "Down Up Home End F3 Ctrl+L Ctrl+S Ctrl+T Ctrl+F", nullptr, "", "", 0},
        {&kChapters, "2*Down timer PgDown", nullptr, "5  (36.36%)", " Глава 1", 0},
        {&kChapters, "8*Down PgUp", nullptr, "5  (36.36%)", " Глава 1", 0},
        {&kFictionBook, "3*PgDown", nullptr, "9  (", " Два", 0},
        {&kFictionBook, "PgDown PgDown PgUp", nullptr, "4  (", " Один", 0},
        {&kFictionBook, "PgDown PgUp PgUp", nullptr, "1  (", "", 0},
        {&kLong, "100*Down", nullptr, "1  (100.00%)", " a150", 0},  // one line read in parts
        {&kWrap, "End Up Up", nullptr, "1  (0.00%)", " a150", 0},   // the line's last part
        {&kWrap, "End timer 100*tick", nullptr, "3  (100.00%)   Timer: Off", " c90", 0},
        {&kWrap, "Down Ctrl+F", "c70 ", "3  (100.00%)", " c70 ", 1},
    };
    WriteSetting(settings::DetectCoding, "0");
    for (const auto& c : rows) {
        SCOPED_TRACE(c.keys);
        makeWindow();
        const QString name = c.book == &kFictionBook ? "book.fb2" : "book.txt";
        if (c.book) open(*c.book, name);
        prompts.inputPrompts.clear(), prompts.findProposals.clear(), prompts.messages.clear();
        prompts.inputAnswers = {c.answer ? c.answer : ""};
        prompts.findAnswers = {c.answer ? std::optional<QString>(c.answer) : std::nullopt};
        press(c.keys);
        const QString shown = c.book ? name + "  line: " + c.caption : QString();
        EXPECT_EQ(c.caption.endsWith('(') ? caption().left(shown.size()) : caption(), shown);
        EXPECT_TRUE(view().contains(c.view)) << view().toStdString();
        // Every part of a wrapped line fits the view, the first line's too.
        EXPECT_LE(window->view()->fontMetrics().horizontalAdvance(view()), window->view()->width());
        EXPECT_EQ(prompts.inputPrompts.size() + prompts.findProposals.size() +
                      prompts.settingsShown + prompts.timerShown + prompts.messages.size(),
                  c.asked);
    }
}

TEST_F(MainWindow, CommandsListOnF1ButNotCtrlF1AndTheLinePrompt) {
    open(NumberedBook(3));
    press("Ctrl+F1 Ctrl+Д");  // the L key on the Russian layout
    EXPECT_EQ(prompts.inputPrompts, QStringList{"Open Line|Insert Line Number from 1 to 3"});
    EXPECT_TRUE(prompts.messages.empty());
    press("Shift+F1");
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].title, "Tresslin v.1.03 Help");
    EXPECT_EQ(prompts.messages[0].icon, MessageIcon::Information);
    EXPECT_EQ(prompts.messages[0].text,
              "==============\r\nFile Commands:\r\n==============\r\n"
              "ESC Key                          -  Exit program\r\n"
              "(-) MINUS SIGN (Numeric Keypad)  -  Minimize Program\r\n"
              "(+) PLUS SIGN (Numeric Keypad)   - Maximize (Restore) Program\r\n"
              "\r\n===================\r\nText View Commands:\r\n====================\r\n"
              "Key Down   -  Next Line\r\nKey Up     -  Previous Line\r\n"
              "CTRL + T   -  Timer On  (Auto Show)\r\nCTRL + P   -  Read Aloud On / Off\r\n"
              "(Press Any Key For Timer Off)\r\n"
              "\r\n==============\r\nEdit Commands:\r\n==============\r\n"
              "CTRL + O   -  Open New Text\r\nCTRL + G   -  Get Open Last File\r\n"
              "CTRL + R   -  Recent Books\r\nCTRL + L   -  Goto Line\r\nCTRL + F   -  Find\r\n"
              "F3 Key     -  Find Next\r\nCTRL + S   -  Settings (Text Coding)");
}

// Each book is the line, "? end", the line again; the first is shown and the typed text found.
TEST_F(MainWindow, EveryCodingShowsAndFindsTheRussianText) {
    // 'я' is two bytes: the cut must not leave half of one.
    const std::string longUtf8 = ("x" + QByteArray("я").repeated(40000)).toStdString();
    const std::string longByte = "B" + std::string(999'999, 'a');
    const TextCoding W = kWindowsCyrillic, D = kDosCyrillic, U = kUtf8;
    const struct {
        TextCoding coding;
        std::string line;
        QString shown;   // the view's text, or its start when a size is given
        qsizetype size;  // as much as a line box holds
        QString typed;
        int found;  // -1: not found
    } rows[] = {
        {W, "\xa8\xe6 \xc2\xee\xe9\xed\xe0 \xe8 \xec\xe8\xf0", " Ёж Война и мир", 0, "ёж война", 2},
        {D, "\xf0\xa6 \x82\xae\xa9\xad\xa0 \xa8 \xac\xa8\xe0", " Ёж Война и мир", 0, "ёж война", 2},
        {U, "\xEF\xBB\xBF\xD0\x81\xD0\xB6 \xFF end", " Ёж \uFFFD end", 0, "ёж", 2},
        {U, longUtf8, " xя", 32767, "XЯЯ", 2},
        {W, longByte, " Ba", 32767, "bAA", 2},
        {D, "\xc8 end", " \uFFFD end", 0, "\uFFFD end", 2},  // ╚: no Windows Cyrillic twin
        {W, "b?c", " b?c", 0, "b中c", -1},
    };
    WriteSetting(settings::DetectCoding, "0");
    WriteSetting(settings::WrapLines, "0");
    for (const auto& c : rows) {
        SCOPED_TRACE(c.shown.left(20).toStdString());
        makeWindow();
        settings::writeCoding(c.coding);
        open(c.line + "\r\n? end\r\n" + c.line);
        EXPECT_EQ(view().left(c.shown.size()), c.shown);
        EXPECT_EQ(view().size(), c.size ? c.size : c.shown.size());
        EXPECT_FALSE(c.size && view().contains(QChar::ReplacementCharacter));
        prompts.messages.clear();
        prompts.findAnswers = {c.typed};
        press("Ctrl+F");
        EXPECT_EQ(window->curLine(), std::max(c.found, 0));
        EXPECT_EQ(prompts.messages.size(), c.found < 0 ? 1u : 0u);
    }
}

TEST_F(MainWindow, OpenCancelFailureAndSuccess) {
    open(NumberedBook(5), "first.txt");
    press("Down Ctrl+O");  // cancelled: nothing changes
    EXPECT_EQ(caption(), "first.txt  line: 2  (25.00%)");
    const QString gone = books.path("gone.txt");  // the attempt shows, the book stays open
    prompts.openAnswers = {gone};
    press("Ctrl+O");
    EXPECT_EQ(caption() + "|" + view(), gone + "|Error Open " + gone);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text + "|" + prompts.messages[0].title, view() + "|Tresslin");
    EXPECT_EQ(prompts.messages[0].icon, MessageIcon::Warning);
    press("Down");
    EXPECT_EQ(caption(), "first.txt  line: 3  (50.00%)");
    const QString second = books.write("second.txt", NumberedBook(1001));
    prompts.openAnswers = {second};
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    press("Ctrl+O Down");
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(caption(), "second.txt  line: 2  (0,10%)");
    EXPECT_EQ(prompts.openLastPaths, QStringList({"", "", gone}));  // the previous choice offered
}

// The settings hold war.txt (50 lines) at a line; the program starts with the arguments given
// (split at "|"), the keys are pressed, then Esc ends it. %F stands for the books' folder, %S for
// the samples', %B for a book whose name is no UTF-8.
TEST_F(MainWindow, ArgumentsAndTheRememberedBook) {
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
        {"20", "%F/a|b.txt", "Down Ctrl+G", "a b.txt  line: 2  (33.33%)", " Line 2", "a b.txt=2"},
        {"20", "rel.txt", "", "rel.txt  line: 1  (0.00%)", " Line 1", "rel.txt=1"},
        {"20", "one.txt", "", "one.txt  line: 1  (100.00%)", " one", "war.txt=20"},
        {"20", "\"%F/rel.txt\"", "", start, "Error Open \"%F/rel.txt\"", "war.txt=20"},
        {"20", "%B", "Down", "Война.txt  line: 2  (33.33%)", " Line 2", "Война.txt=2"},
        {"1", "%Skniga-cp866.txt", "", "kniga-cp866.txt  line: 1  (0.00%)",
         " ТРИ ЗИМЫ НА ДАЛЬНЕМ МЫСУ", "kniga-cp866.txt=1"},
    };
    books.write("war.txt", NumberedBook(50));
    books.write("a b.txt", NumberedBook(4));
    books.write("rel.txt", NumberedBook(3));
    books.write("one.txt", "one");
    const QByteArray raw = QFile::encodeName(books.folder()) + "/\xc2\xee\xe9\xed\xe0.txt";
    std::ofstream(raw.constData(), std::ios::binary) << NumberedBook(4);
    // The open dialog hands such a name back decoded as UTF-8, with U+FFFD in its place.
    EXPECT_EQ(locationOfText(QFile::decodeName(raw)).file, raw.toStdString());
    const QString here = QDir::currentPath();
    QDir::setCurrent(books.folder());  // relative paths are remembered absolute
    for (const auto& c : rows) {
        SCOPED_TRACE(c.arguments.toStdString() + " " + c.keys);
        const auto subst = [&](QString s) {
            return s.replace("%F", books.folder()).replace("%S", SamplePath(""));
        };
        WriteSetting(settings::LastFile, c.lastLine ? books.path("war.txt") : "");
        WriteSetting(settings::LastLine, c.lastLine ? c.lastLine : "");
        makeWindow();
        prompts.messages.clear();
        QList<QByteArray> arguments = subst(c.arguments).toUtf8().replace("%B", raw).split('|');
        std::vector<char*> argv{nullptr};
        for (QByteArray& a : arguments) argv.push_back(a.data());
        window->Form_Load(commandLineBook(int(argv.size()), argv.data()));
        press(c.keys);
        EXPECT_EQ(caption(), c.caption);
        EXPECT_EQ(view(), subst(c.view));
        EXPECT_EQ(prompts.messages.size(), c.view.startsWith("Error") ? 1u : 0u);
        press("Esc");
        const BookLocation file = storedLocation(ReadSetting(settings::LastFile));
        EXPECT_EQ(shownName(file) + "=" + ReadSetting(settings::LastLine), c.saved);
        EXPECT_TRUE(file.empty() || file.file.starts_with('/'));
    }
    QDir::setCurrent(here);
    std::remove(raw.constData());  // QTemporaryDir cannot remove a name it cannot decode
}

TEST_F(MainWindow, StoredPlaceAndWidth) {
    const int edge = QGuiApplication::primaryScreen()->virtualGeometry().bottom() + 1;
    using N = std::optional<int>;  // y, x and width wanted; nothing: not applied
    const std::tuple<QString, QString, QString, N, N, N> rows[] = {
        {QString::number(edge * 15), "3000", "9000", {}, 200, 600},
        {"1500", "-1500", "9000", 100, -100, 600},
        {"1500", "-150000", "9000", {}, {}, 600},
        {"1500", "3000", "450", 100, 200, {}},
        {"high", "", "wide", {}, {}, {}}};
    for (const auto& [top, left, width, y, x, w] : rows) {
        makeWindow();
        const QRect was = window->frameGeometry();
        WriteSetting(settings::Top, top);
        WriteSetting(settings::Left, left);
        WriteSetting(settings::Width, width);
        window->Form_Load({});
        EXPECT_EQ(window->frameGeometry(), QRect(x.value_or(was.x()), y.value_or(was.y()),
                                                 w.value_or(was.width()), was.height()))
            << (top + "," + left + "," + width).toStdString();
    }
}

// The timer is fired by hand: one write per settled change, none while idle.
TEST_F(MainWindow, PlaceKeptWithOneWritePerSettledChange) {
    const struct {
        const char* keys;   // pressed once the opened book's place is on disk
        bool scheduled;     // the timer runs after them
        int writes;         // file replacements once it has run out
        const char* saved;  // the line on disk then
    } rows[] = {{"", false, 0, "1"},       {"Up", false, 0, "1"},
                {"Down", true, 1, "2"},    {"Down Down End", true, 1, "50"},
                {"Down Up", true, 0, "1"}, {"Down Down -", false, 1, "3"}};  // - saves at once
    for (const auto& c : rows) {
        SCOPED_TRACE(c.keys);
        makeWindow();
        open(NumberedBook(50));
        ReadingPlace& place = window->readingPlace();
        ASSERT_TRUE(place.timer().isActive() && place.timer().interval() <= 3000);  // the open
        place.settle();
        const auto before = settings::fileReplacements();
        press(c.keys);
        EXPECT_EQ(place.timer().isActive(), c.scheduled);
        if (c.scheduled) place.settle();
        EXPECT_FALSE(place.timer().isActive());
        EXPECT_EQ(int(settings::fileReplacements() - before), c.writes);
        EXPECT_TRUE(sandbox.fileText().contains(QStringLiteral("Last Line=") + c.saved));
    }
}

TEST_F(MainWindow, ResizeWrittenOnceSettled) {
    window->show();
    ReadingPlace& place = window->readingPlace();
    place.settle();
    const auto before = settings::fileReplacements();
    for (int width : {500, 520, 540}) {  // a drag
        window->resize(width, window->height());
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(settings::fileReplacements(), before);
    ASSERT_TRUE(place.timer().isActive());
    place.settle();
    EXPECT_EQ(settings::fileReplacements(), before + 1);
    const int outer = window->frameGeometry().width();
    EXPECT_TRUE(sandbox.fileText().contains(QStringLiteral("Width=%1").arg(outer * 15)));
}

TEST_F(MainWindow, RecentBooksOnCtrlR) {
    const QString a = books.write("a.txt", NumberedBook(10)),
                  gone = books.write("gone.txt", "x\ny");
    ASSERT_TRUE(window->OpenBook(locationOfText(gone)) && window->OpenBook(locationOfText(a)));
    press("3*Down");
    open(NumberedBook(10), "b.txt");  // a is left at line 4 at once
    QFile::remove(gone);
    prompts.recentAnswers = {3, 1, 2, std::nullopt};  // past the end: nothing happens
    press("Down Ctrl+R Ctrl+R");
    EXPECT_EQ(prompts.recentShown.at(0),
              QList<RecentBook>({{locationOfText(books.path("b.txt")), 2},
                                 {locationOfText(a), 4},
                                 {locationOfText(gone), 1}}));
    press("Ctrl+R");  // the book that is gone: said so and dropped
    EXPECT_EQ(prompts.messages.at(0).text, "Error Open " + gone);
    EXPECT_EQ(readRecentBooks().size(), 2);
    press("Down Ctrl+R");
    EXPECT_EQ(caption(), "a.txt  line: 5  (44.44%)");
    open("x", "c.txt");  // one line: not kept
    press("Esc");        // the line at quitting is what the list keeps
    EXPECT_EQ(readRecentBooks().front(), (RecentBook{locationOfText(a), 5}));
}
