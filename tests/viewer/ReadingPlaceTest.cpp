#include <QFile>

#include "ViewerFixture.h"
#include "platform/Twips.h"
#include "settings/RecentBooks.h"

using namespace tresslin;
using namespace tresslin::test;

using Place = ViewerTest;

namespace {

struct PlaceCase {
    const char* name;
    std::vector<int> keys;  // pressed once the opened book's place is on disk
    bool scheduled;         // the timer runs after them
    int writes;             // file replacements once the timer has run out
    const char* lastLine;   // on disk then
};

std::ostream& operator<<(std::ostream& os, const PlaceCase& c) {
    return os << c.name;
}

class PlaceWrites : public Place, public ::testing::WithParamInterface<PlaceCase> {};

}  // namespace

TEST_P(PlaceWrites, OneWritePerSettledChange) {
    const PlaceCase& c = GetParam();
    open(NumberedBook(50));
    const QTimer& timer = window->readingPlace().timer();
    ASSERT_TRUE(timer.isActive());  // the open itself is a change
    EXPECT_LE(timer.interval(), 3000);
    window->readingPlace().settle();
    ASSERT_FALSE(timer.isActive());
    const auto before = settings::fileReplacements();

    for (int k : c.keys) key(k);
    EXPECT_EQ(timer.isActive(), c.scheduled);
    if (timer.isActive()) window->readingPlace().settle();
    EXPECT_FALSE(timer.isActive());  // idle from here on: no wake-ups

    EXPECT_EQ(int(settings::fileReplacements() - before), c.writes);
    EXPECT_TRUE(sandbox.fileText().contains(QStringLiteral("Last Line=") + c.lastLine))
        << sandbox.fileText().toStdString();
    EXPECT_TRUE(sandbox.fileText().contains("Last File=" + window->bookPath()));
    EXPECT_EQ(window->lastLine(), 0);  // Ctrl+G keeps what start-up read
}

INSTANTIATE_TEST_SUITE_P(
    Keys, PlaceWrites,
    ::testing::Values(
        PlaceCase{"no key", {}, false, 0, "1"},
        PlaceCase{"up on the first line", {Qt::Key_Up}, false, 0, "1"},
        PlaceCase{"one down", {Qt::Key_Down}, true, 1, "2"},
        PlaceCase{"many downs, one write",
                  {Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_End},
                  true,
                  1,
                  "50"},
        PlaceCase{"back where written", {Qt::Key_Down, Qt::Key_Up}, true, 0, "1"},
        PlaceCase{
            "minus writes at once", {Qt::Key_Down, Qt::Key_Down, Qt::Key_Minus}, false, 1, "3"}));

TEST_F(Place, WindowPlaceAfterAMove) {
    window->Form_Load({});
    window->show();
    QCoreApplication::processEvents();
    window->readingPlace().settle();
    window->move(120, 90);
    QCoreApplication::processEvents();
    ASSERT_TRUE(window->readingPlace().timer().isActive());
    window->readingPlace().settle();
    const QRect frame = window->frameGeometry();
    EXPECT_TRUE(sandbox.fileText().contains(QString("Top=%1").arg(pixelsToTwips(frame.y()))));
    EXPECT_TRUE(sandbox.fileText().contains(QString("Left=%1").arg(pixelsToTwips(frame.x()))));
}

TEST_F(Place, RecentBooksOnCtrlR) {
    const QString a = books.write("a.txt", NumberedBook(10));
    const QString b = books.write("b.txt", NumberedBook(10));
    const QString gone = books.write("gone.txt", NumberedBook(10));
    ASSERT_TRUE(window->OpenBook(gone));
    ASSERT_TRUE(window->OpenBook(a));
    for (int i = 0; i < 3; ++i) key(Qt::Key_Down);
    ASSERT_TRUE(window->OpenBook(b));  // a is left at line 4 at once
    key(Qt::Key_Down);
    QFile::remove(gone);

    prompts.recentAnswers = {1};
    key(Qt::Key_R, Qt::ControlModifier);
    ASSERT_EQ(prompts.recentShown.size(), 1u);
    const QList<RecentBook> shown{{b, 2}, {a, 4}, {gone, 1}};
    EXPECT_EQ(prompts.recentShown[0], shown);
    EXPECT_EQ(caption(), "a.txt  line: 4  (33.33%)");

    prompts.recentAnswers = {2};  // the book that is gone
    key(Qt::Key_R, Qt::ControlModifier);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "Error Open " + gone);
    EXPECT_EQ(window->bookPath(), a);
    EXPECT_EQ(window->curLine(), 3);
    const QList<RecentBook> left{{a, 4}, {b, 2}};
    EXPECT_EQ(readRecentBooks(), left);

    key(Qt::Key_Down);
    key(Qt::Key_R, Qt::ControlModifier);  // Esc
    EXPECT_EQ(caption(), "a.txt  line: 5  (44.44%)");
    window->close();  // the line at quitting is what the list keeps
    EXPECT_EQ(readRecentBooks().front(), (RecentBook{a, 5}));
}
