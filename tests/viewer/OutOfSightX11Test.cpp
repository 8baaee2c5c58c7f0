// The strip out of sight on a real desktop: openbox, and xcompmgr or trayer where a case needs
// them, each started on the test's own display.
#include <QMenu>
#include <QProcess>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTest>

#include "ViewerFixture.h"
#include "platform/BringBack.h"
#include "platform/DesktopPresence.h"
#include "viewer/OutOfSight.h"

// X headers last: their macros (None, Bool, KeyPress, ...) would break the Qt headers.
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

using namespace tresslin;
using namespace tresslin::test;

namespace {

class OutOfSightX11 : public ViewerTest {
  protected:
    Display* const x_ = XOpenDisplay(nullptr);
    void SetUp() override {
        if (QGuiApplication::platformName() != "xcb" || !x_)
            GTEST_SKIP() << "needs the display of its ctest command";
    }
    void TearDown() override {
        window.reset();
        if (x_) XCloseDisplay(x_);
    }
    Window id() const { return Window(window->winId()); }
    int skipStates() const {  // how many of taskbar and pager the window is kept out of
        Atom type = 0;
        int format = 0, found = 0;
        unsigned long n = 0, after = 0;
        unsigned char* data = nullptr;
        XGetWindowProperty(x_, id(), XInternAtom(x_, "_NET_WM_STATE", False), 0, 64, False, XA_ATOM,
                           &type, &format, &n, &after, &data);
        for (unsigned long i = 0; data && i < n; ++i) {
            const char* name = XGetAtomName(x_, reinterpret_cast<Atom*>(data)[i]);
            found += QByteArray(name).startsWith("_NET_WM_STATE_SKIP_");
            XFree((void*)name);
        }
        if (data) XFree(data);
        return found;
    }
    // Where the window manager has the window now; the program hears of a move only at its end.
    QRect onScreen(Window w) const {
        XWindowAttributes a{};
        int x = 0, y = 0;
        Window child = 0;
        XGetWindowAttributes(x_, w, &a);
        XTranslateCoordinates(x_, w, DefaultRootWindow(x_), 0, 0, &x, &y, &child);
        return {x, y, a.width, a.height};
    }
    // The deepest window at a point of the screen: the one a click there reaches.
    Window windowAt(QPoint p) const {
        const Window root = DefaultRootWindow(x_);
        Window w = root, child = 0;
        int x = 0, y = 0;
        while (XTranslateCoordinates(x_, root, w, p.x(), p.y(), &x, &y, &child) && child) w = child;
        return w;
    }
    bool mapped() const {
        XWindowAttributes a{};
        return XGetWindowAttributes(x_, id(), &a) && a.map_state == IsViewable;
    }
    void pointer(QPoint p, int button = 0, bool down = false) {
        XTestFakeMotionEvent(x_, -1, p.x(), p.y(), CurrentTime);
        if (button) XTestFakeButtonEvent(x_, button, down, CurrentTime);
        XSync(x_, False);
    }
    // Drags from a point until the window shows the drag's effect. The window manager takes the
    // drag over once the program has seen the press; until then the pointer stays put, and then
    // goes to the end anew at each try, since a motion to where it already is moves nothing.
    bool drag(QPoint from, QPoint by, const std::function<bool()>& done) {
        pointer(from, 1, true);
        bool ok = waitFor([] { return QGuiApplication::mouseButtons() & Qt::LeftButton; });
        ok = ok &&
             waitFor([&] { return pointer(from + by + QPoint(1, 1)), pointer(from + by), done(); });
        pointer(from + by, 1, false);
        return ok;
    }
    void start(QProcess& program, const QString& name, const QStringList& args = {}) {
        program.start(name, args);
        ASSERT_TRUE(program.waitForStarted());
    }
    QImage shot() const {
        return window->screen()->grabWindow(0).toImage().copy(window->geometry());
    }
};

TEST_F(OutOfSightX11, OutOfTheTaskbarOnTheSameWindowAndMinusHidesUntilKeypadPlus) {
    WriteSetting(settings::HideFromTaskbar, "1");
    window->Form_Load({});
    BringBack back;
    QObject::connect(&back, &BringBack::requested, window.get(), &frmMain::bringBack);
    window->show();
    const Window first = id();
    ASSERT_TRUE(waitFor([&] { return mapped() && skipStates() == 2; }));
    window->Form_KeyDown(Qt::Key_Minus, 0);
    EXPECT_TRUE(waitFor([&] { return !mapped(); }));
    const KeyCode plus = XKeysymToKeycode(x_, XK_KP_Add);
    XTestFakeKeyEvent(x_, plus, True, CurrentTime);
    XTestFakeKeyEvent(x_, plus, False, CurrentTime);
    EXPECT_TRUE(waitFor([&] { return mapped() && skipStates() == 2; }));
    WriteSetting(settings::HideFromTaskbar, "0");
    window->applyWindowOptions();
    EXPECT_TRUE(waitFor([&] { return skipStates() == 0; }));
    EXPECT_EQ(id(), first);
}

TEST_F(OutOfSightX11, TrayClickAndMenuShowAndHideAndALostTrayGivesTheStripBack) {
    QProcess trayer;
    start(trayer, "trayer", {"--edge", "bottom", "--width", "10"});
    ASSERT_TRUE(waitFor([] { return QSystemTrayIcon::isSystemTrayAvailable(); }));
    WriteSetting(settings::TrayIcon, "1");
    window->Form_Load({});
    window->show();
    QSystemTrayIcon* tray = window->outOfSight().trayIcon();
    ASSERT_TRUE(tray && waitFor([&] { return mapped(); }));
    EXPECT_EQ(tray->toolTip(), window->windowTitle());
    QWidget* icon = nullptr;
    ASSERT_TRUE(waitFor([&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->inherits("QSystemTrayIconSys") && w->isVisible()) icon = w;
        return icon != nullptr;
    }));
    window->Form_KeyDown(Qt::Key_Minus, 0);
    ASSERT_TRUE(waitFor([&] { return !mapped(); }));
    // The icon is shown before the tray has taken it in and laid it out: click once it is there.
    QPoint centre;
    ASSERT_TRUE(waitFor([&] {
        centre = onScreen(Window(icon->winId())).center();
        return windowAt(centre) == Window(icon->winId());
    }));
    pointer(centre, 1, true);
    pointer(centre, 1, false);
    ASSERT_TRUE(waitFor([&] { return mapped(); })) << "a click on the icon";
    for (const char* action : {"Hide", "Show"}) {
        const bool shown = window->isVisible();
        emit tray->contextMenu()->aboutToShow();
        tray->contextMenu()->actions().value(0)->trigger();
        EXPECT_EQ(tray->contextMenu()->actions().value(0)->text(), action);
        EXPECT_TRUE(waitFor([&] { return mapped() != shown; })) << action;
    }
    window->Form_KeyDown(Qt::Key_Minus, 0);
    ASSERT_TRUE(waitFor([&] { return !mapped(); }));
    trayer.kill();
    trayer.waitForFinished();
    EXPECT_TRUE(waitFor([&] { return mapped(); })) << "the tray went away";
}

TEST_F(OutOfSightX11, FramelessStripMovesByDragAndItsEdgeSetsTheRememberedWidth) {
    window->Form_Load({});
    window->show();
    ASSERT_TRUE(waitFor([&] { return mapped() && window->frameGeometry() != window->geometry(); }));
    WriteSetting(settings::Frameless, "1");
    window->applyWindowOptions();
    ASSERT_TRUE(waitFor([&] {  // and the program knows where the window manager put it
        return mapped() && window->frameGeometry() == window->geometry() &&
               window->geometry() == onScreen(id());
    }));
    const QRect was = window->geometry();
    const QPoint middle = window->mapToGlobal(window->view()->geometry().center());
    EXPECT_TRUE(drag(middle, {40, 30}, [&] { return onScreen(id()) == was.translated(40, 30); }));
    ASSERT_TRUE(waitFor([&] { return window->geometry() == was.translated(40, 30); }));
    const QPoint edge = window->mapToGlobal(QPoint(window->width() - 2, window->height() / 2));
    EXPECT_TRUE(drag(edge, {60, 0}, [&] { return onScreen(id()).width() == was.width() + 60; }));
    ASSERT_TRUE(waitFor([&] { return window->width() == was.width() + 60; }));
    EXPECT_EQ(window->height(), was.height());
    window->close();
    EXPECT_EQ(ReadSetting(settings::Width).toInt(), (was.width() + 60) * 15);
}

TEST_F(OutOfSightX11, SeeThroughBackgroundShowsTheRootColourAndLeavesTheTextAsItWas) {
    const Pixmap red = XCreatePixmap(x_, DefaultRootWindow(x_), 1, 1, DefaultDepth(x_, 0));
    GC gc = XCreateGC(x_, red, 0, nullptr);
    XSetForeground(x_, gc, 0xff0000);
    XFillRectangle(x_, red, gc, 0, 0, 1, 1);
    XChangeProperty(x_, DefaultRootWindow(x_), XInternAtom(x_, "_XROOTPMAP_ID", False), XA_PIXMAP,
                    32, PropModeReplace, reinterpret_cast<const unsigned char*>(&red), 1);
    XSync(x_, False);
    QProcess compositor;  // takes the root's picture when it starts
    start(compositor, "xcompmgr");
    ASSERT_TRUE(waitFor([&] { return presenceLimits().translucentBackground.isEmpty(); }));
    WriteSetting(settings::TextColor, "0");
    WriteSetting(settings::BackColor, "16711680");  // blue
    WriteSetting(settings::FontSize, "16");         // strokes wider than their smoothed edges
    window->Form_Load(
        locationOfText(books.write("b.txt", Cp1251("Жили-были дед да баба\r\n2\r\n"))));
    window->show();
    const QPoint back = window->view()->geometry().bottomRight() - QPoint(8, 8);
    QImage opaque;
    ASSERT_TRUE(waitFor([&] { return (opaque = shot()).pixelColor(back) == Qt::blue; }));
    WriteSetting(settings::BackgroundOpacity, "10");
    window->applyWindowOptions();
    QImage clear;
    ASSERT_TRUE(waitFor([&] {
        const QColor c = (clear = shot()).pixelColor(back);
        return c.red() > 200 && c.blue() < 60;
    }));
    int text = 0;
    for (int y = 0; y < opaque.height(); ++y)
        for (int x = 0; x < opaque.width(); ++x)
            if (window->view()->geometry().contains(x, y) && opaque.pixelColor(x, y) == Qt::black) {
                ++text;
                EXPECT_EQ(clear.pixelColor(x, y), QColor(Qt::black)) << x << "," << y;
            }
    EXPECT_GT(text, 30);
    XFreeGC(x_, gc);
    XDeleteProperty(x_, DefaultRootWindow(x_), XInternAtom(x_, "_XROOTPMAP_ID", False));
}

TEST_F(OutOfSightX11, TextHidesAfterTheMouseLeavesAndAFontGivesAStripOfOneLine) {
    WriteSetting(settings::HideTextAway, "5");
    window->Form_Load(locationOfText(books.write("b.txt", "Line one\r\nLine two\r\n")));
    window->show();
    ASSERT_TRUE(waitFor([&] { return mapped(); }));
    pointer(window->geometry().bottomRight() + QPoint(100, 100));
    QWidget other;  // in a corner, clear of the strip
    other.setGeometry(0, 0, 50, 50);
    other.show();
    other.activateWindow();
    const QTimer& timer = window->outOfSight().hideAwayTimer();
    ASSERT_TRUE(waitFor([&] { return timer.isActive(); }));
    EXPECT_EQ(timer.interval(), 5000);
    window->outOfSight().hideAwayTimeout();
    const QImage hidden = window->grab(window->view()->geometry()).toImage();
    QImage blank(hidden.size(), hidden.format());  // the view's colour alone, no text
    blank.fill(hidden.pixel(0, 0));
    EXPECT_EQ(hidden, blank);
    EXPECT_TRUE(window->outOfSight().textHidden());
    pointer(window->mapToGlobal(window->rect().center()));
    EXPECT_TRUE(waitFor([&] { return !window->outOfSight().textHidden() && !timer.isActive(); }));

    const int width = window->width(), height = window->height();
    WriteSetting(settings::FontSize, "14");
    window->applyWindowOptions();
    const int line = QFontMetrics(window->view()->font()).height();
    EXPECT_GT(window->height(), height);
    EXPECT_GE(window->view()->height(), line);
    EXPECT_LT(window->view()->height(), 2 * line);
    EXPECT_EQ(window->width(), width);
}

}  // namespace
