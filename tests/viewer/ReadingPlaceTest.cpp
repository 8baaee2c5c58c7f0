#include <QFile>

#include "ViewerFixture.h"
#include "platform/Twips.h"
#include "settings/RecentBooks.h"

using namespace tresslin;
using namespace tresslin::test;

using Place = ViewerTest;

TEST_F(Place, OneWritePerSettledChange) {
    const struct {
        std::vector<int> keys;  // pressed once the opened book's place is on disk
        bool scheduled;         // the timer runs after them
        int writes;             // file replacements once it has run out
        const char* lastLine;   // on disk then
    } cases[] = {{{}, false, 0, "1"},
                 {{Qt::Key_Up}, false, 0, "1"},
                 {{Qt::Key_Down}, true, 1, "2"},
                 {{Qt::Key_Down, Qt::Key_Down, Qt::Key_End}, true, 1, "50"},
                 {{Qt::Key_Down, Qt::Key_Up}, true, 0, "1"},
                 {{Qt::Key_Down, Qt::Key_Down, Qt::Key_Minus}, false, 1, "3"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "case " << (&c - cases));
        makeWindow();
        open(NumberedBook(50));
        ReadingPlace& place = window->readingPlace();
        ASSERT_TRUE(place.timer().isActive());  // the open itself is a change
        EXPECT_LE(place.timer().interval(), 3000);
        place.settle();
        const auto before = settings::fileReplacements();
        for (int k : c.keys) key(k);
        EXPECT_EQ(place.timer().isActive(), c.scheduled);
        if (c.scheduled) place.settle();
        EXPECT_FALSE(place.timer().isActive());  // idle from here on: no wake-ups
        EXPECT_EQ(int(settings::fileReplacements() - before), c.writes);
        EXPECT_TRUE(sandbox.fileText().contains(QStringLiteral("Last Line=") + c.lastLine));
        EXPECT_EQ(window->lastLine(), 0);  // Ctrl+G keeps what start-up read
    }
}

TEST_F(Place, WindowPlaceAfterAMove) {
    window->show();
    QCoreApplication::processEvents();
    window->move(120, 90);
    QCoreApplication::processEvents();
    ASSERT_TRUE(window->readingPlace().timer().isActive());
    window->readingPlace().settle();
    const QRect frame = window->frameGeometry();
    EXPECT_TRUE(sandbox.fileText().contains(
        QString("Left=%1\nTop=%2\n").arg(pixelsToTwips(frame.x())).arg(pixelsToTwips(frame.y()))));
}

TEST_F(Place, RecentBooksOnCtrlR) {
    const QString a = books.write("a.txt", NumberedBook(10));
    const QString gone = books.write("gone.txt", NumberedBook(10));
    ASSERT_TRUE(window->OpenBook(gone));
    ASSERT_TRUE(window->OpenBook(a));
    for (int i = 0; i < 3; ++i) key(Qt::Key_Down);
    open(NumberedBook(10), "b.txt");  // a is left at line 4 at once
    key(Qt::Key_Down);
    QFile::remove(gone);
    prompts.recentAnswers = {1, 2, std::nullopt};
    key(Qt::Key_R, Qt::ControlModifier);
    const QList<RecentBook> shown{{books.path("b.txt"), 2}, {a, 4}, {gone, 1}};
    EXPECT_EQ(prompts.recentShown.at(0), shown);
    EXPECT_EQ(caption(), "a.txt  line: 4  (33.33%)");

    key(Qt::Key_R, Qt::ControlModifier);  // the book that is gone
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "Error Open " + gone);
    EXPECT_EQ(caption(), "a.txt  line: 4  (33.33%)");
    EXPECT_EQ(readRecentBooks().size(), 2);

    key(Qt::Key_Down);
    key(Qt::Key_R, Qt::ControlModifier);  // Esc
    EXPECT_EQ(caption(), "a.txt  line: 5  (44.44%)");
    window->close();  // the line at quitting is what the list keeps
    EXPECT_EQ(readRecentBooks().front(), (RecentBook{a, 5}));
}
