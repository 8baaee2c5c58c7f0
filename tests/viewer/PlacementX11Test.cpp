// Where the window first appears, against a real X server and window manager
// (tests/platform/run_with_xvfb.sh provides both).
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <memory>

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

constexpr int kWaitMs = 5000;

// Whether the window asks for a place of its own; without that the window manager chooses.
bool asksForItsPlace(WId window) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return false;
    XSizeHints hints{};
    long supplied = 0;
    XGetWMNormalHints(display, Window(window), &hints, &supplied);
    XCloseDisplay(display);
    return (hints.flags & (USPosition | PPosition)) != 0;
}

}  // namespace

TEST(Placement, OnlyAStoredUsablePlaceIsApplied) {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        GTEST_SKIP() << "needs an X server with a window manager: run_with_xvfb.sh";
    // Another window in the top-left corner, so the manager's own choice lies elsewhere.
    QWidget other;
    other.setGeometry(0, 0, 500, 300);
    other.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&other, kWaitMs));

    const struct {
        const char* what;
        const char* top;
        const char* left;
        bool applied;
    } cases[] = {
        {"nothing stored", nullptr, nullptr, false},
        {"top beyond every screen", "99999999", nullptr, false},
        {"top and left stored", "4500", "6000", true},
    };
    for (const auto& c : cases) {
        SettingsSandbox sandbox;
        if (c.top) WriteSetting(settings::Top, c.top);
        if (c.left) WriteSetting(settings::Left, c.left);
        FakePrompts prompts;
        frmMain window(prompts);
        window.Form_Load({});
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window, kWaitMs)) << c.what;
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return window.frameGeometry() != window.geometry(); }, kWaitMs))
            << c.what << ": never framed";
        EXPECT_EQ(asksForItsPlace(window.winId()), c.applied) << c.what;
        if (c.applied)
            EXPECT_EQ(window.frameGeometry().topLeft(), QPoint(400, 300)) << c.what;
        else
            EXPECT_NE(window.frameGeometry().topLeft(), QPoint(0, 0)) << c.what;
    }
}
