// Stay on top and opacity as the window manager sees them; run_with_xvfb.sh provides the display.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <vector>

#include "settings/Settings.h"
#include "support/FakePrompts.h"
#include "support/TestSupport.h"
#include "viewer/frmMain.h"

// X headers last: their macros (None, Bool, KeyPress, ...) would break the Qt headers.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace tresslin {
namespace {

constexpr int kWaitMs = 5000;

// The 32-bit items of a window property, read through a connection of the test's own.
std::vector<unsigned long> property(Display* display, Window window, const char* name, Atom type) {
    Atom actualType = 0;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    std::vector<unsigned long> values;
    if (XGetWindowProperty(display, window, XInternAtom(display, name, False), 0, 64, False, type,
                           &actualType, &format, &items, &after, &data) == Success &&
        data != nullptr) {
        if (format == 32) {
            const auto* longs = reinterpret_cast<const unsigned long*>(data);
            values.assign(longs, longs + items);
        }
        XFree(data);
    }
    return values;
}

TEST(WindowOptionsX11, TheWindowManagerSeesBothAndTheWindowStaysPut) {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        GTEST_SKIP() << "needs an X server with a window manager: run it through "
                        "tests/platform/run_with_xvfb.sh";
    Display* x = XOpenDisplay(nullptr);
    ASSERT_NE(x, nullptr);
    test::SettingsSandbox box;
    test::FakePrompts prompts;
    frmMain window(prompts);
    window.Form_Load({});
    window.show();
    const auto id = static_cast<Window>(window.winId());
    const Atom above = XInternAtom(x, "_NET_WM_STATE_ABOVE", False);
    const auto isAbove = [&] {
        const auto states = property(x, id, "_NET_WM_STATE", XA_ATOM);
        return std::find(states.begin(), states.end(), above) != states.end();
    };
    // No property at all also means opaque.
    const auto opacity = [&] {
        const auto v = property(x, id, "_NET_WM_WINDOW_OPACITY", XA_CARDINAL);
        // Xlib hands 32-bit items over as sign-extended longs.
        return v.empty() ? 1.0 : double(v[0] & 0xffffffffUL) / 0xffffffffUL;
    };
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window, kWaitMs));
    const QRect frame = window.frameGeometry();

    for (bool on : {true, false}) {
        SCOPED_TRACE(on ? "on" : "off");
        WriteSetting(settings::StayOnTop, on ? "1" : "0");
        WriteSetting(settings::Opacity, on ? "50" : "100");
        window.applyWindowOptions();
        EXPECT_TRUE(QTest::qWaitFor([&] { return isAbove() == on; }, kWaitMs));
        const double want = on ? 0.5 : 1.0;
        EXPECT_TRUE(QTest::qWaitFor([&] { return std::abs(opacity() - want) < 0.01; }, kWaitMs))
            << opacity();
        EXPECT_EQ(static_cast<Window>(window.winId()), id) << "the native window was re-created";
        EXPECT_TRUE(window.isVisible());
        EXPECT_EQ(window.frameGeometry(), frame);
    }
    XCloseDisplay(x);
}

}  // namespace
}  // namespace tresslin
