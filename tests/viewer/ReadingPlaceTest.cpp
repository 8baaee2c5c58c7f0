#include <QFile>

#include "ViewerFixture.h"
#include "settings/RecentBooks.h"

using namespace tresslin;
using namespace tresslin::test;

using Place = ViewerTest;

// The timer is fired by hand: one write per settled change, none while idle.
TEST_F(Place, OneWritePerSettledChange) {
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

TEST_F(Place, RecentBooksOnCtrlR) {
    const QString a = books.write("a.txt", NumberedBook(10)),
                  gone = books.write("gone.txt", "x\ny");
    ASSERT_TRUE(window->OpenBook(gone) && window->OpenBook(a));
    press("3*Down");
    open(NumberedBook(10), "b.txt");  // a is left at line 4 at once
    QFile::remove(gone);
    prompts.recentAnswers = {3, 1, 2, std::nullopt};  // past the end: nothing happens
    press("Down Ctrl+R Ctrl+R");
    EXPECT_EQ(prompts.recentShown.at(0),
              QList<RecentBook>({{books.path("b.txt"), 2}, {a, 4}, {gone, 1}}));
    press("Ctrl+R");  // the book that is gone: said so and dropped
    EXPECT_EQ(prompts.messages.at(0).text, "Error Open " + gone);
    EXPECT_EQ(readRecentBooks().size(), 2);
    press("Down Ctrl+R");
    EXPECT_EQ(caption(), "a.txt  line: 5  (44.44%)");
    open("x", "c.txt");  // one line: not kept
    press("Esc");        // the line at quitting is what the list keeps
    EXPECT_EQ(readRecentBooks().front(), (RecentBook{a, 5}));
}
