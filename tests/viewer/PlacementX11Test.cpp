// Against a real X server and window manager (tests/with_desktop.sh provides both).
#include <QGuiApplication>
#include <QTest>

#include "ViewerFixture.h"

using namespace tresslin;
using namespace tresslin::test;

using Placement = ViewerTest;

TEST_F(Placement, FirstPlacementAndTheStoredOuterSize) {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        GTEST_SKIP() << "needs the display of its ctest command";
    QWidget other;  // in the top-left corner, so the manager's own choice lies elsewhere
    other.setGeometry(0, 0, 500, 300);
    other.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&other, 30000));
    for (const bool stored : {false, true}) {
        SCOPED_TRACE(stored ? "place stored" : "nothing stored");
        if (stored) {
            WriteSetting(settings::Top, "4500");
            WriteSetting(settings::Left, "6000");
            WriteSetting(settings::Width, "9000");
        }
        makeWindow();
        window->Form_Load({});
        window->show();
        const int height = window->height();
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return window->frameGeometry().height() > height; }, 30000))
            << "never framed";
        const QRect want(400, 300, 600, window->frameGeometry().height());  // frame included
        if (stored)
            EXPECT_TRUE(QTest::qWaitFor([&] { return window->frameGeometry() == want; }, 30000));
        else
            EXPECT_NE(window->frameGeometry().topLeft(), QPoint(0, 0));  // left to the manager
        window->resize(500, 200);  // a new width, never taller
        ASSERT_TRUE(QTest::qWaitFor([&] { return window->width() == 500; }, 30000));
        EXPECT_EQ(window->height(), height);
        const QRect frame = window->frameGeometry();
        window->close();
        EXPECT_EQ(ReadSetting(settings::Left).toInt(), frame.x() * 15);
        EXPECT_EQ(ReadSetting(settings::Top).toInt(), frame.y() * 15);
        EXPECT_EQ(ReadSetting(settings::Width).toInt(), frame.width() * 15);
    }
}
