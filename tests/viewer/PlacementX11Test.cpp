// Where the window first appears and what is stored of it, against a real X server and window
// manager (tests/platform/run_with_xvfb.sh provides both).
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include "settings/Settings.h"
#include "support/FakePrompts.h"
#include "support/TestSupport.h"
#include "viewer/frmMain.h"

// X headers last: their macros would break the Qt headers.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

using namespace tresslin;
using namespace tresslin::test;

namespace {
// Whether the window asks for a place of its own; without that the window manager chooses.
bool asksForItsPlace(WId window) {
    Display* display = XOpenDisplay(nullptr);
    XSizeHints hints{};
    long supplied = 0;
    XGetWMNormalHints(display, Window(window), &hints, &supplied);
    XCloseDisplay(display);
    return (hints.flags & (USPosition | PPosition)) != 0;
}
}  // namespace

TEST(Placement, FirstPlacementAndTheStoredOuterSize) {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        GTEST_SKIP() << "needs an X server with a window manager: run_with_xvfb.sh";
    QWidget other;  // in the top-left corner, so the manager's own choice lies elsewhere
    other.setGeometry(0, 0, 500, 300);
    other.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&other, 5000));
    for (const bool stored : {false, true}) {
        SCOPED_TRACE(stored ? "place stored" : "nothing stored");
        SettingsSandbox sandbox;
        if (stored) {
            WriteSetting(settings::Top, "4500");
            WriteSetting(settings::Left, "6000");
            WriteSetting(settings::Width, "9000");
        }
        FakePrompts prompts;
        frmMain window(prompts);
        window.Form_Load({});
        window.show();
        const int height = window.height();
        ASSERT_TRUE(QTest::qWaitFor([&] { return window.frameGeometry() != window.geometry(); }))
            << "never framed";
        ASSERT_GT(window.frameGeometry().height() - window.height(), 0);
        EXPECT_EQ(asksForItsPlace(window.winId()), stored);
        if (stored) {  // the outer width, frame included, is what was stored
            const QRect want(400, 300, 600, window.frameGeometry().height());
            EXPECT_TRUE(QTest::qWaitFor([&] { return window.frameGeometry() == want; }))
                << window.frameGeometry().x() << "," << window.frameGeometry().y() << " "
                << window.frameGeometry().width();
        } else {
            EXPECT_NE(window.frameGeometry().topLeft(), QPoint(0, 0));
        }
        window.resize(500, 200);  // wider, never taller
        ASSERT_TRUE(QTest::qWaitFor([&] { return window.width() == 500; }));
        EXPECT_EQ(window.height(), height);
        const QRect frame = window.frameGeometry();
        window.close();
        EXPECT_EQ(ReadSetting(settings::Left).toInt(), frame.x() * 15);
        EXPECT_EQ(ReadSetting(settings::Top).toInt(), frame.y() * 15);
        EXPECT_EQ(ReadSetting(settings::Width).toInt(), frame.width() * 15);
    }
}
