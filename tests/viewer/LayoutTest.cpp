#include <QGuiApplication>
#include <QScreen>

#include "ViewerFixture.h"

using namespace tresslin;
using namespace tresslin::test;

using Layout = ViewerTest;

namespace {
constexpr int kKeep = INT_MIN;
int stored(const settings::Setting& s) {
    return ReadSetting(s).toInt();
}
}  // namespace

TEST_F(Layout, ResizingFollowsTheWidthAndHoldsTheHeight) {
    window->Form_Load({});
    window->show();
    const int height = window->height();
    window->resize(600, 200);
    QCoreApplication::processEvents();
    EXPECT_EQ(window->height(), height);
    const int outer = window->frameGeometry().width();
    const QRect view = window->view()->geometry();
    const QRect next = window->findChild<QWidget*>("imgNext")->geometry();
    const QRect back = window->findChild<QWidget*>("imgBack")->geometry();
    EXPECT_GT(view.width(), 500);
    EXPECT_LT(view.right(), next.left());
    EXPECT_EQ(back.left(), next.left());
    EXPECT_LT(back.bottom(), next.top());
    EXPECT_LT(next.right(), outer);
    EXPECT_GT(next.right(), outer - 15);
    EXPECT_EQ(stored(settings::Width), outer * 15);
    window->move(120, 90);
    QCoreApplication::processEvents();
    ASSERT_TRUE(window->readingPlace().timer().isActive());
    window->readingPlace().settle();
    EXPECT_EQ(stored(settings::Left), window->frameGeometry().x() * 15);
    EXPECT_EQ(stored(settings::Top), window->frameGeometry().y() * 15);
}

TEST_F(Layout, PositionIsRestored) {
    const QRect desk = QGuiApplication::primaryScreen()->virtualGeometry();
    struct {
        const char* what;
        QString top, left, width;
        int wantTop, wantLeft, wantWidth;  // pixels; kKeep = not applied (default placement)
    } rows[] = {
        {"plain", "1500", "3000", "9000", 100, 200, 600},
        {"top beyond the desktop", QString::number((desk.bottom() + 1) * 15), "3000", "9000", kKeep,
         200, 600},
        {"negative left, partly visible", "1500", "-1500", "9000", 100, -100, 600},
        {"wholly off every screen", "1500", QString::number(-(10000 * 15)), "9000", kKeep, kKeep,
         600},
        {"width too small", "1500", "3000", "450", 100, 200, kKeep},
        {"garbage", "high", "", "wide", kKeep, kKeep, kKeep},
    };
    for (const auto& c : rows) {
        makeWindow();
        const QRect before = window->frameGeometry();
        WriteSetting(settings::Top, c.top);
        WriteSetting(settings::Left, c.left);
        WriteSetting(settings::Width, c.width);
        window->Form_Load({});
        const QRect after = window->frameGeometry();
        EXPECT_EQ(after.y(), c.wantTop == kKeep ? before.y() : c.wantTop) << c.what;
        EXPECT_EQ(after.x(), c.wantLeft == kKeep ? before.x() : c.wantLeft) << c.what;
        EXPECT_EQ(after.width(), c.wantWidth == kKeep ? before.width() : c.wantWidth) << c.what;
    }
}

TEST_F(Layout, MinimisedWindowNeitherLaysOutNorSaves) {
    window->Form_Load({});
    window->show();
    window->resize(500, 32);
    QCoreApplication::processEvents();
    EXPECT_NE(stored(settings::Width), 1);
    window->showMinimized();
    WriteSetting(settings::Width, "1");
    window->resize(700, 32);
    QCoreApplication::processEvents();
    window->unload();
    EXPECT_EQ(stored(settings::Width), 1);
}

TEST_F(Layout, AScreenChangeBringsALostWindowBack) {
    QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen->availableGeometry();
    window->Form_Load({});
    window->show();
    window->move(area.right() + 500, area.top() + 20);
    emit screen->geometryChanged(screen->geometry());  // as when a monitor is unplugged
    QCoreApplication::processEvents();
    EXPECT_EQ(window->frameGeometry().topRight(), QPoint(area.right(), area.top() + 20));
}
