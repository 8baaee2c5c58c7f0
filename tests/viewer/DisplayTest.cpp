#include <QLocale>

#include "ViewerFixture.h"
#include "platform/Colors.h"

using namespace tresslin;
using namespace tresslin::test;

using Display = ViewerTest;

TEST_F(Display, CaptionFollowsThePosition) {
    open(NumberedBook(1000), "war.txt");
    EXPECT_EQ(caption(), "war.txt  line: 1  (0.00%)");
    EXPECT_EQ(view(), " Line 1");
    key(Qt::Key_End);
    EXPECT_EQ(caption(), "war.txt  line: 1000  (100.00%)");
    for (int i = 0; i < 500; ++i) key(Qt::Key_Up);
    EXPECT_EQ(caption(), "war.txt  line: 500  (49.95%)");
    EXPECT_EQ(view(), " Line 500");
}

TEST_F(Display, OneLineAndEmptyBooksAreAtOneHundredPercent) {
    open("only line", "one.txt");
    EXPECT_EQ(caption(), "one.txt  line: 1  (100.00%)");
    open("", "empty.txt");
    EXPECT_EQ(caption(), "empty.txt  line: 1  (100.00%)");
    EXPECT_EQ(view(), " ");
}

TEST_F(Display, PercentageUsesTheLocalesDecimalSeparator) {
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    open(NumberedBook(1000), "war.txt");
    key(Qt::Key_Down);
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(caption(), "war.txt  line: 2  (0,10%)");
}

TEST_F(Display, LinesAreConvertedFromTheStoredCoding) {
    // "Ёж" in KOI8-R bytes: Ё = 179, ж = 214.
    open(CrLfBook({"\xb3\xd6", "x"}));
    setCoding(2);
    window->RefreshShow();
    EXPECT_EQ(view(), QStringLiteral(" Ёж"));
    setCoding(0);
    window->RefreshShow();
    EXPECT_EQ(view(), QString(" ") + QChar(0x0456) + QChar(0x0426));  // і Ц in Windows Cyrillic
    setCoding(1);
    window->RefreshShow();
    EXPECT_EQ(view().size(), 3);
}

TEST_F(Display, VeryLongLinesShowTheirBeginningUnwrapped) {
    WriteSetting(settings::WrapLines, "0");
    std::string line(1'000'000, 'a');
    line[0] = 'B';
    open(line + "\r\nsecond");
    EXPECT_EQ(view().size(), 32767);  // as much as a line box holds
    EXPECT_TRUE(view().startsWith(" Ba"));
}

TEST_F(Display, ColoursComeFromTheStore) {
    WriteSetting(settings::TextColor, "255");
    WriteSetting(settings::BackColor, "16711680");
    open(NumberedBook(3));
    const QPalette p = window->view()->palette();
    EXPECT_EQ(p.color(QPalette::Text), QColor(255, 0, 0));
    EXPECT_EQ(p.color(QPalette::Base), QColor(0, 0, 255));
    WriteSetting(settings::TextColor, QString::number(settings::TextColor.defaultNumber));
    WriteSetting(settings::BackColor, "garbage");
    window->RefreshShow();
    const QPalette q = window->view()->palette();
    EXPECT_EQ(q.color(QPalette::Text), window->palette().color(QPalette::Text));
    EXPECT_EQ(q.color(QPalette::Base), window->palette().color(QPalette::Base));
}

TEST_F(Display, AFailedOpenKeepsTheBookBeingRead) {
    open(NumberedBook(10), "first.txt");
    key(Qt::Key_Down);
    const QString before = caption();
    const QString missing = books.path("missing.txt");
    EXPECT_FALSE(window->OpenBook(missing));
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "Error Open " + missing);
    EXPECT_EQ(prompts.messages[0].title, "Tresslin");
    EXPECT_EQ(prompts.messages[0].icon, MessageIcon::Warning);
    EXPECT_EQ(view(), "Error Open " + missing);
    EXPECT_EQ(caption(), before);
    EXPECT_EQ(window->bookPath(), books.path("first.txt"));
    key(Qt::Key_Down);
    EXPECT_EQ(caption(), "first.txt  line: 3  (22.22%)");
    EXPECT_EQ(view(), " Line 3");
}

TEST_F(Display, TimerTicksStepToTheEndAndStop) {
    open(NumberedBook(3));
    key(Qt::Key_Down);
    window->startAutoShow(1000);
    window->tmrAutoShow_Timer();
    EXPECT_EQ(caption(), "book.txt  line: 3  (100.00%)   Timer: On");
    window->tmrAutoShow_Timer();
    EXPECT_FALSE(window->autoShowTimer().isActive());
    EXPECT_EQ(caption(), "book.txt  line: 3  (100.00%)   Timer: Off");

    open("single");
    window->startAutoShow(1000);
    window->tmrAutoShow_Timer();
    EXPECT_FALSE(window->autoShowTimer().isActive());
    EXPECT_EQ(caption(), "book.txt  line: 1  (100.00%)   Timer: Off");
}

TEST_F(Display, ImageButtonsStepAndStopTheTimer) {
    open(NumberedBook(2));
    window->startAutoShow(1000);
    window->imgNext_Click();
    EXPECT_EQ(caption(), "book.txt  line: 2  (100.00%)");
    window->startAutoShow(1000);
    window->imgNext_Click();  // at the end: the timer stops, the line is not re-shown
    EXPECT_EQ(caption(), "book.txt  line: 2  (100.00%)   Timer: Off");
    window->imgBack_Click();
    EXPECT_EQ(caption(), "book.txt  line: 1  (0.00%)");
    auto* next = window->findChild<ImageButton*>("imgNext");
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(next->toolTip(), "Next Line");
    EXPECT_EQ(window->findChild<ImageButton*>("imgBack")->toolTip(), "Previous line");
    EXPECT_EQ(next->borderStyle(), 0);
}

TEST_F(Display, Utf8LinesAndTheirCut) {
    setCoding(3);
    WriteSetting(settings::DetectCoding, "0");
    WriteSetting(settings::WrapLines, "0");
    // 'я' is two bytes; the cut must not leave half a character.
    std::string longLine = "x";
    for (int i = 0; i < 40000; ++i) longLine += "я";
    open(
        "\xEF\xBB\xBF"
        "Ёлка \xFF end\r\n" +
        longLine);
    EXPECT_EQ(view(), QString(" Ёлка ") + QChar(0xFFFD) + " end");
    key(Qt::Key_Down);
    EXPECT_EQ(view().size(), 32767);
    EXPECT_EQ(view().back(), QChar(u'я'));
    EXPECT_FALSE(view().contains(QChar(0xFFFD)));
}

TEST_F(Display, DetectionOnOpenUnlessSwitchedOff) {
    const QString koi = SamplePath("kniga-koi8r.txt");
    ASSERT_TRUE(window->OpenBook(koi));
    EXPECT_EQ(settings::readNumber(settings::TextCoding), 2);
    EXPECT_TRUE(view().contains(QStringLiteral("ЗИМЫ"))) << view().toStdString();
    ASSERT_TRUE(window->OpenBook(SamplePath("kniga-utf8.txt")));
    EXPECT_EQ(settings::readNumber(settings::TextCoding), 3);
    ASSERT_TRUE(window->OpenBook(books.write("ascii.txt", "plain\r\ntext")));
    EXPECT_EQ(settings::readNumber(settings::TextCoding),
              3);  // nothing to tell: the stored coding stays

    WriteSetting(settings::DetectCoding, "0");
    setCoding(0);
    ASSERT_TRUE(window->OpenBook(koi));
    EXPECT_EQ(settings::readNumber(settings::TextCoding), 0);
    EXPECT_FALSE(view().contains(QStringLiteral("ЗИМЫ")));
}
