// Keypad plus against a real X server and window manager; run_with_xvfb.sh provides both.
#include <gtest/gtest.h>

#include <QApplication>
#include <QByteArray>
#include <QGuiApplication>
#include <QTest>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "platform/HotKey.h"
#include "platform/WindowOptions.h"

// X headers last: their macros (None, Bool, KeyPress, ...) would break the Qt headers.
#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace tresslin {
namespace {

constexpr int kWaitMs = 5000;
constexpr long kNormalState = 1;
constexpr long kIconicState = 3;

int lastError = 0;
int recordError(Display*, XErrorEvent* error) {
    if (lastError == 0) lastError = error->error_code;
    return 0;
}

// The first X error raised by the requests of calls, or 0.
template <typename Calls>
int xErrorOf(Display* display, Calls calls) {
    XSync(display, False);
    lastError = 0;
    const XErrorHandler outer = XSetErrorHandler(recordError);
    calls();
    XSync(display, False);
    XSetErrorHandler(outer);
    return lastError;
}

struct Locks {
    const char* name;
    bool numLock;
    bool capsLock;
};

void PrintTo(const Locks& locks, std::ostream* out) {
    *out << locks.name;
}

// The test plays the other program on the display through its own connection.
class HotKeyX11 : public ::testing::Test {
  protected:
    void SetUp() override {
        if (QGuiApplication::platformName() != QLatin1String("xcb")) {
            const QByteArray why = qgetenv("TRESSLIN_X11_SKIP");
            GTEST_SKIP() << "needs an X server with a window manager: "
                         << (why.isEmpty() ? "run it through tests/platform/run_with_xvfb.sh"
                                           : why.constData());
        }
        other_ = XOpenDisplay(nullptr);
        ASSERT_NE(other_, nullptr) << "cannot open a second connection to the display";
        root_ = DefaultRootWindow(other_);
        int event = 0, error = 0, major = 0, minor = 0;
        ASSERT_TRUE(XTestQueryExtension(other_, &event, &error, &major, &minor))
            << "the X server has no XTEST extension";
        ASSERT_TRUE(QTest::qWaitFor([&] { return windowManagerRunning(); }, kWaitMs))
            << "no window manager came up on the display";
        keypadPlus_ = XKeysymToKeycode(other_, XK_KP_Add);
        ASSERT_NE(keypadPlus_, 0) << "the keyboard map has no keypad plus";
        numLockMask_ = XkbKeysymToModifiers(other_, XK_Num_Lock);
        if (numLockMask_ == 0) numLockMask_ = Mod2Mask;
    }

    void TearDown() override {
        if (other_ == nullptr) return;
        XkbLockModifiers(other_, XkbUseCoreKbd, numLockMask_ | LockMask, 0);
        for (unsigned int modifiers : lockVariants()) {
            XUngrabKey(other_, keypadPlus_, modifiers, root_);
        }
        for (Window window : windows_) XDestroyWindow(other_, window);
        XCloseDisplay(other_);
    }

    std::vector<unsigned int> lockVariants() const {
        return {0u, numLockMask_, LockMask, numLockMask_ | LockMask};
    }

    bool windowManagerRunning() const {
        return windowProperty(root_, "_NET_SUPPORTING_WM_CHECK", XA_WINDOW) != 0;
    }

    long windowProperty(Window window, const char* name, Atom type) const {
        const Atom property = XInternAtom(other_, name, False);
        Atom actualType = 0;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char* data = nullptr;
        long value = 0;
        if (XGetWindowProperty(other_, window, property, 0, 1, False, type, &actualType, &format,
                               &items, &after, &data) == Success &&
            data != nullptr) {
            if (format == 32 && items == 1) value = *reinterpret_cast<long*>(data);
            XFree(data);
        }
        return value;
    }

    long wmState(Window window) const {
        return windowProperty(window, "WM_STATE", XInternAtom(other_, "WM_STATE", False));
    }

    Window inputFocus() const {
        Window focus = 0;
        int revert = 0;
        XGetInputFocus(other_, &focus, &revert);
        return focus;
    }

    // A window of the other program, made the focused one.
    Window showOtherWindow() {
        const Window window = XCreateSimpleWindow(other_, root_, 500, 400, 200, 100, 0, 0, 0);
        windows_.push_back(window);
        XSelectInput(other_, window, KeyPressMask);
        XStoreName(other_, window, "other program");
        XWMHints hints{};
        hints.flags = InputHint;
        hints.input = True;
        XSetWMHints(other_, window, &hints);
        XMapWindow(other_, window);
        XEvent request{};
        request.xclient.type = ClientMessage;
        request.xclient.window = window;
        request.xclient.message_type = XInternAtom(other_, "_NET_ACTIVE_WINDOW", False);
        request.xclient.format = 32;
        request.xclient.data.l[0] = 2;
        XSendEvent(other_, root_, False, SubstructureRedirectMask | SubstructureNotifyMask,
                   &request);
        XFlush(other_);
        return window;
    }

    void pressKeypadPlus() {
        XTestFakeKeyEvent(other_, keypadPlus_, True, CurrentTime);
        XTestFakeKeyEvent(other_, keypadPlus_, False, CurrentTime);
        XFlush(other_);
    }

    static Window idOf(QWidget& widget) { return static_cast<Window>(widget.winId()); }

    // Shows window, then lets the other program take the focus and minimises window.
    void minimiseBehindOtherProgram(QWidget& window, Window& other) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return wmState(idOf(window)) == kNormalState; }, kWaitMs))
            << "the window manager did not map the window";
        other = showOtherWindow();
        ASSERT_TRUE(QTest::qWaitFor([&] { return inputFocus() == other; }, kWaitMs))
            << "the other program's window did not get the focus";
        window.showMinimized();
        ASSERT_TRUE(QTest::qWaitFor([&] { return wmState(idOf(window)) == kIconicState; }, kWaitMs))
            << "the window manager did not iconify the window";
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return QApplication::activeWindow() == nullptr; }, kWaitMs))
            << "the application still counts itself active";
    }

    // A request sent to the root window reaches every client that selects substructure events
    // there, so the test sees what the window manager is asked.
    void watchRequestsToWindowManager() {
        XSelectInput(other_, root_, SubstructureNotifyMask);
        XSync(other_, False);
    }

    // Stricter window managers (focus-stealing prevention) only obey a pager with a real time.
    bool pagerActivationRequested(Window window) {
        const Atom activate = XInternAtom(other_, "_NET_ACTIVE_WINDOW", False);
        XSync(other_, False);
        XEvent event;
        while (XCheckTypedWindowEvent(other_, window, ClientMessage, &event)) {
            const XClientMessageEvent& request = event.xclient;
            if (request.message_type == activate && request.data.l[0] == 2 &&
                request.data.l[1] != CurrentTime)
                pagerRequestSeen_ = true;
        }
        return pagerRequestSeen_;
    }

    bool keyPressReached(Window window) {
        XEvent event;
        XSync(other_, False);
        return XCheckTypedWindowEvent(other_, window, KeyPress, &event) != 0;
    }

    Display* other_ = nullptr;
    Window root_ = 0;
    KeyCode keypadPlus_ = 0;
    unsigned int numLockMask_ = 0;
    std::vector<Window> windows_;
    bool pagerRequestSeen_ = false;
};

class HotKeyX11Locks : public HotKeyX11, public ::testing::WithParamInterface<Locks> {};

TEST_P(HotKeyX11Locks, KeypadPlusRestoresAndActivatesTheWindowFromAnotherProgram) {
    QWidget window;
    window.setWindowTitle("hot key window");
    window.setGeometry(100, 100, 300, 80);
    window.show();
    const auto hotKey = ActivationHotKey::create();
    ASSERT_TRUE(hotKey->isActive());
    QObject::connect(hotKey.get(), &ActivationHotKey::pressed,
                     [&] { restoreAndActivate(&window); });
    Window other = 0;
    minimiseBehindOtherProgram(window, other);
    if (HasFatalFailure()) return;
    const unsigned int locks =
        (GetParam().numLock ? numLockMask_ : 0u) | (GetParam().capsLock ? LockMask : 0u);
    XkbLockModifiers(other_, XkbUseCoreKbd, numLockMask_ | LockMask, locks);
    XkbStateRec state{};
    XkbGetState(other_, XkbUseCoreKbd, &state);
    ASSERT_EQ(state.locked_mods & (numLockMask_ | LockMask), locks);
    watchRequestsToWindowManager();

    pressKeypadPlus();

    const Window id = idOf(window);
    const bool back = QTest::qWaitFor(
        [&] {
            return wmState(id) == kNormalState && inputFocus() == id &&
                   QApplication::activeWindow() == &window;
        },
        kWaitMs);
    ASSERT_TRUE(back) << "WM_STATE " << wmState(id) << ", focus on "
                      << (inputFocus() == id ? "the window" : "another window")
                      << ", Qt active: " << (QApplication::activeWindow() == &window);
    EXPECT_FALSE(window.isMinimized());
    EXPECT_FALSE(keyPressReached(other)) << "the grabbed key also reached the focused program";
    EXPECT_TRUE(QTest::qWaitFor([&] { return pagerActivationRequested(id); }, kWaitMs))
        << "no _NET_ACTIVE_WINDOW request as a pager with the key's time";
}

INSTANTIATE_TEST_SUITE_P(AllLockStates, HotKeyX11Locks,
                         ::testing::Values(Locks{"NoLocks", false, false},
                                           Locks{"NumLock", true, false},
                                           Locks{"CapsLock", false, true},
                                           Locks{"NumAndCapsLock", true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// Shows the harness could see a failure: unclaimed, the key goes to the focused program.
TEST_F(HotKeyX11, WithoutTheHotKeyTheWindowStaysMinimised) {
    QWidget window;
    window.setGeometry(100, 100, 300, 80);
    window.show();
    Window other = 0;
    minimiseBehindOtherProgram(window, other);
    if (HasFatalFailure()) return;

    pressKeypadPlus();

    ASSERT_TRUE(QTest::qWaitFor([&] { return keyPressReached(other); }, kWaitMs));
    EXPECT_EQ(wmState(idOf(window)), kIconicState);
}

TEST_F(HotKeyX11, KeyHeldByAnotherProgramLeavesTheHotKeyInactiveAndHoldingNothing) {
    QWidget window;
    window.show();
    ASSERT_EQ(
        xErrorOf(
            other_,
            [&] { XGrabKey(other_, keypadPlus_, 0, root_, False, GrabModeAsync, GrabModeAsync); }),
        0);

    const auto refused = ActivationHotKey::create();
    EXPECT_FALSE(refused->isActive());

    // The lock variants it did get must have been given back.
    for (unsigned int modifiers : lockVariants()) {
        EXPECT_EQ(xErrorOf(other_,
                           [&] {
                               XGrabKey(other_, keypadPlus_, modifiers, root_, False, GrabModeAsync,
                                        GrabModeAsync);
                           }),
                  0)
            << "modifiers " << modifiers;
    }
    xErrorOf(other_, [&] {
        for (unsigned int modifiers : lockVariants()) {
            XUngrabKey(other_, keypadPlus_, modifiers, root_);
        }
    });

    const auto granted = ActivationHotKey::create();
    EXPECT_TRUE(granted->isActive());
}

TEST_F(HotKeyX11, HoldsEveryLockVariantUntilDestroyed) {
    QWidget window;
    window.show();
    auto hotKey = ActivationHotKey::create();
    ASSERT_TRUE(hotKey->isActive());
    for (unsigned int modifiers : lockVariants()) {
        EXPECT_EQ(xErrorOf(other_,
                           [&] {
                               XGrabKey(other_, keypadPlus_, modifiers, root_, False, GrabModeAsync,
                                        GrabModeAsync);
                           }),
                  BadAccess)
            << "modifiers " << modifiers;
    }

    hotKey.reset();

    for (unsigned int modifiers : lockVariants()) {
        EXPECT_EQ(xErrorOf(other_,
                           [&] {
                               XGrabKey(other_, keypadPlus_, modifiers, root_, False, GrabModeAsync,
                                        GrabModeAsync);
                           }),
                  0)
            << "modifiers " << modifiers;
    }
}

// The window manager sees both options change, on the same native window, left where it was.
TEST_F(HotKeyX11, StayOnTopAndOpacityReachTheWindowManager) {
    QWidget window;
    window.setGeometry(100, 100, 300, 80);
    window.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return wmState(idOf(window)) == kNormalState; }, kWaitMs));
    const Window id = idOf(window);
    const QRect frame = window.frameGeometry();
    const long above = long(XInternAtom(other_, "_NET_WM_STATE_ABOVE", False));
    for (const bool on : {true, false}) {
        setStayOnTop(&window, on);
        window.setWindowOpacity(on ? 0.5 : 1.0);
        const auto state = [&] { return windowProperty(id, "_NET_WM_STATE", XA_ATOM); };
        EXPECT_TRUE(QTest::qWaitFor([&] { return (state() == above) == on; }, kWaitMs)) << on;
        // Xlib hands the 32-bit value over sign-extended.
        const auto opacity = [&] {
            return windowProperty(id, "_NET_WM_WINDOW_OPACITY", XA_CARDINAL) & 0xffffffffL;
        };
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return opacity() == (on ? 0x80000000L : 0xffffffffL); }, kWaitMs))
            << opacity();
        EXPECT_EQ(idOf(window), id) << "the native window was made anew";
        EXPECT_EQ(window.frameGeometry(), frame);
        EXPECT_TRUE(window.isVisible());
    }
}

}  // namespace
}  // namespace tresslin
