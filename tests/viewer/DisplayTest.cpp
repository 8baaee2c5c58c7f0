#include <QLocale>

#include "ViewerFixture.h"

using namespace tresslin;
using namespace tresslin::test;

using Display = ViewerTest;

TEST_F(Display, TheStoredCodingShowsTheRussianText) {
    std::string longUtf8 = "x";  // 'я' is two bytes: the cut must not leave half of one
    for (int i = 0; i < 40000; ++i) longUtf8 += "я";
    std::string longByte(1'000'000, 'a');
    longByte[0] = 'B';
    const struct {
        int coding;
        std::string line;
        QString start;
        qsizetype size;  // 0: the text is all there is
    } rows[] = {
        {0, "\xa8\xe6 \xc2\xee\xe9\xed\xe0 \xe8 \xec\xe8\xf0", " Ёж Война и мир", 0},
        {1, "\xf0\xa6 \x82\xae\xa9\xad\xa0 \xa8 \xac\xa8\xe0", " Ёж Война и мир", 0},
        {2, "\xb3\xd6 \xf7\xcf\xca\xce\xc1 \xc9 \xcd\xc9\xd2", " Ёж Война и мир", 0},
        {3, "\xEF\xBB\xBF\xD0\x81\xD0\xB6 \xFF end", " Ёж \uFFFD end", 0},
        {3, longUtf8, " xя", 32767},  // as much as a line box holds
        {0, longByte, " Ba", 32767},
    };
    WriteSetting(settings::DetectCoding, "0");
    WriteSetting(settings::WrapLines, "0");
    for (const auto& c : rows) {
        SCOPED_TRACE(c.start.toStdString());
        setCoding(c.coding);
        open(c.line + "\r\nsecond");
        EXPECT_EQ(c.size ? view().left(c.start.size()) : view(), c.start);
        if (c.size) {
            EXPECT_EQ(view().size(), c.size);
            EXPECT_FALSE(view().contains(QChar::ReplacementCharacter));
        }
    }
}

TEST_F(Display, DetectionOnOpenUnlessSwitchedOff) {
    const QString koi = SamplePath("kniga-koi8r.txt");
    const struct {
        const char* detect;
        QString path;
        int coding;
        bool readable;
    } rows[] = {{"1", koi, 2, true},
                {"1", SamplePath("kniga-utf8.txt"), 3, true},
                {"1", books.write("ascii.txt", "plain\r\ntext"), 3, false},  // nothing to tell
                {"0", koi, 3, false}};
    for (const auto& c : rows) {
        WriteSetting(settings::DetectCoding, c.detect);
        ASSERT_TRUE(window->OpenBook(c.path));
        EXPECT_EQ(settings::readNumber(settings::TextCoding), c.coding) << c.path.toStdString();
        EXPECT_EQ(view().contains(QStringLiteral("ЗИМЫ")), c.readable);
    }
}

TEST_F(Display, ColoursComeFromTheStoreAndThePercentageFromTheLocale) {
    WriteSetting(settings::TextColor, "255");
    WriteSetting(settings::BackColor, "16711680");
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    open(NumberedBook(1000), "war.txt");
    press("Down");
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(caption(), "war.txt  line: 2  (0,10%)");
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
