// Bringing the window back on a real desktop: keypad plus pressed in another program, the
// window options, a fake GlobalShortcuts portal and `tresslin --activate`. Its ctest command
// provides an Xvfb display with openbox and a private session bus.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <optional>

#include "platform/Activation.h"
#include "platform/HotKey.h"
#include "platform/ShortcutPortal.h"
#include "platform/WindowOptions.h"
#include "support/FakePrompts.h"
#include "support/TestSupport.h"
#include "viewer/frmMain.h"

// X headers last: their macros (None, Bool, KeyPress, ...) would break the Qt headers.
#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace tresslin {
namespace {

constexpr int kWaitMs = 10000;
const QString kHowTo = "`tresslin --activate`";

int lastError = 0;
// The first X error raised by calls, or 0.
template <typename Calls>
int xErrorOf(Display* x, Calls calls) {
    XSync(x, False);
    lastError = 0;
    const XErrorHandler outer = XSetErrorHandler([](Display*, XErrorEvent* e) {
        if (lastError == 0) lastError = e->error_code;
        return 0;
    });
    calls();
    XSync(x, False);
    XSetErrorHandler(outer);
    return lastError;
}

// The test plays the other programs on the display through its own connection.
class Desktop : public ::testing::Test {
  protected:
    void SetUp() override {
        if (QGuiApplication::platformName() != "xcb" || qgetenv("TRESSLIN_PRIVATE_BUS") != "1")
            GTEST_SKIP() << "needs the display and bus of its ctest command";
        x_ = XOpenDisplay(nullptr);
        ASSERT_NE(x_, nullptr);
        root_ = DefaultRootWindow(x_);
        plus_ = XKeysymToKeycode(x_, XK_KP_Add);
        numLock_ = XkbKeysymToModifiers(x_, XK_Num_Lock);
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return property(root_, "_NET_SUPPORTING_WM_CHECK", XA_WINDOW); }, kWaitMs));
    }
    void TearDown() override {
        if (x_ == nullptr) return;
        XkbLockModifiers(x_, XkbUseCoreKbd, numLock_ | LockMask, 0);
        XCloseDisplay(x_);
    }

    long property(Window w, const char* name, Atom type) const {
        Atom actual = 0;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char* data = nullptr;
        long value = 0;
        if (XGetWindowProperty(x_, w, XInternAtom(x_, name, False), 0, 1, False, type, &actual,
                               &format, &items, &after, &data) == Success &&
            data != nullptr) {
            if (items == 1) value = *reinterpret_cast<long*>(data);
            XFree(data);
        }
        return value;
    }
    long wmState(Window w) const {
        return property(w, "WM_STATE", XInternAtom(x_, "WM_STATE", False));
    }
    Window focus() const {
        Window w = 0;
        int revert = 0;
        XGetInputFocus(x_, &w, &revert);
        return w;
    }
    std::vector<unsigned> lockVariants() const {
        return {0u, numLock_, LockMask, numLock_ | LockMask};
    }
    // The X error another program's grab of keypad plus with modifiers m gets, or 0.
    int grab(unsigned m) {
        return xErrorOf(
            x_, [&] { XGrabKey(x_, plus_, m, root_, False, GrabModeAsync, GrabModeAsync); });
    }
    void ungrabAll() {
        for (unsigned m : lockVariants()) XUngrabKey(x_, plus_, m, root_);
        XSync(x_, False);
    }
    // A window of another program with the focus, which openbox may refuse it at first.
    Window focusOtherProgram() {
        const Window w = XCreateSimpleWindow(x_, root_, 500, 400, 200, 100, 0, 0, 0);
        XSelectInput(x_, w, KeyPressMask);
        XMapWindow(x_, w);
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                XWindowAttributes a{};
                XGetWindowAttributes(x_, w, &a);
                if (a.map_state == IsViewable) XSetInputFocus(x_, w, RevertToParent, CurrentTime);
                return focus() == w;
            },
            kWaitMs));
        return w;
    }

    Display* x_ = nullptr;
    Window root_ = 0;
    KeyCode plus_ = 0;
    unsigned numLock_ = 0;
};

TEST_F(Desktop, KeypadPlusInAnotherProgramBringsTheHiddenWindowBackInEveryLockState) {
    test::SettingsSandbox box;
    test::FakePrompts prompts;
    frmMain w(prompts);
    w.Form_Load({});
    ASSERT_TRUE(w.hasHotKey());
    w.show();
    const Window id = Window(w.winId());
    for (unsigned locks : lockVariants()) {
        SCOPED_TRACE(locks);
        ASSERT_TRUE(QTest::qWaitFor([&] { return wmState(id) == NormalState; }, kWaitMs));
        const Window other = focusOtherProgram();
        w.Form_KeyDown(Qt::Key_Minus, 0);
        ASSERT_TRUE(QTest::qWaitFor([&] { return wmState(id) == IconicState; }, kWaitMs));
        XkbLockModifiers(x_, XkbUseCoreKbd, numLock_ | LockMask, locks);
        XTestFakeKeyEvent(x_, plus_, True, CurrentTime);
        XTestFakeKeyEvent(x_, plus_, False, CurrentTime);
        XFlush(x_);
        const auto back = [&] {
            return wmState(id) == NormalState && focus() == id &&
                   QApplication::activeWindow() == &w;
        };
        EXPECT_TRUE(QTest::qWaitFor(back, kWaitMs));
        XEvent e;
        XSync(x_, False);
        EXPECT_FALSE(XCheckTypedWindowEvent(x_, other, KeyPress, &e)) << "the key reached it too";
        XDestroyWindow(x_, other);
    }
}

TEST_F(Desktop, TheHotKeyHoldsEveryLockVariantOrNone) {
    auto hotKey = ActivationHotKey::create();
    ASSERT_TRUE(hotKey->isActive());
    for (unsigned m : lockVariants()) EXPECT_EQ(grab(m), BadAccess) << m;
    hotKey.reset();
    // With one variant held by another program, the hot key gives back those it got.
    EXPECT_EQ(grab(LockMask), 0);
    EXPECT_FALSE(ActivationHotKey::create()->isActive());
    for (unsigned m : lockVariants()) EXPECT_EQ(grab(m), 0) << m;
    ungrabAll();
}

TEST_F(Desktop, StayOnTopReachesTheWindowManagerOnTheSameWindow) {
    QWidget w;
    w.setGeometry(100, 100, 300, 80);
    w.show();
    const Window id = Window(w.winId());
    ASSERT_TRUE(QTest::qWaitFor([&] { return wmState(id) == NormalState; }, kWaitMs));
    const QRect frame = w.frameGeometry();
    const long above = long(XInternAtom(x_, "_NET_WM_STATE_ABOVE", False));
    for (const bool on : {true, false}) {
        setStayOnTop(&w, on);
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return (property(id, "_NET_WM_STATE", XA_ATOM) == above) == on; }, kWaitMs));
        EXPECT_EQ(Window(w.winId()), id);
        EXPECT_EQ(w.frameGeometry(), frame);
    }
}

using ShortcutList = QList<std::pair<QString, QVariantMap>>;
const QString kPortalPath = "/org/freedesktop/portal/desktop";

// Plays the desktop's portal on a connection of its own.
class FakePortal : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.GlobalShortcuts")
  public:
    FakePortal() : bus_(QDBusConnection::connectToBus(QDBusConnection::SessionBus, "portal")) {
        qDBusRegisterMetaType<ShortcutList::value_type>();
        qDBusRegisterMetaType<ShortcutList>();
        // Qt D-Bus finds a slot's types by the names written in it.
        qRegisterMetaType<ShortcutList>("ShortcutList");
        bus_.registerObject(kPortalPath, this, QDBusConnection::ExportAllSlots);
        bus_.registerService("org.freedesktop.portal.Desktop");
    }
    ~FakePortal() override { QDBusConnection::disconnectFromBus("portal"); }
    void pressRestore() {
        bus_.send(QDBusMessage::createSignal(kPortalPath, "org.freedesktop.portal.GlobalShortcuts",
                                             "Activated")
                  << QVariant::fromValue(QDBusObjectPath(session_)) << QString("restore")
                  << qulonglong(0) << QVariantMap());
    }
    ShortcutList shortcuts;

  public slots:
    QDBusObjectPath CreateSession(const QVariantMap& options, const QDBusMessage& call) {
        session_ = kPortalPath + "/session/s1";
        return respond(call, options, {{"session_handle", session_}});
    }
    QDBusObjectPath BindShortcuts(const QDBusObjectPath&, const ShortcutList& list, const QString&,
                                  const QVariantMap& options, const QDBusMessage& call) {
        shortcuts = list;
        return respond(call, options, {});
    }

  private:
    QDBusObjectPath respond(const QDBusMessage& call, const QVariantMap& options,
                            const QVariantMap& results) {
        const QString path = QString("%1/request/%2/%3")
                                 .arg(kPortalPath, call.service().mid(1).replace(u'.', u'_'),
                                      options.value("handle_token").toString());
        // The answer before the reply: the harder order for the caller.
        bus_.send(QDBusMessage::createSignal(path, "org.freedesktop.portal.Request", "Response")
                  << uint(0) << results);
        return QDBusObjectPath(path);
    }
    QString session_;
    QDBusConnection bus_;
};

TEST_F(Desktop, ActivateStartsTheProgramThenBringsItBackAsThePortalShortcutDoes) {
    // Keypad plus held, as another program could, so the program turns to the portal.
    for (unsigned m : lockVariants()) ASSERT_EQ(grab(m), 0);
    for (const bool withPortal : {true, false}) {
        SCOPED_TRACE(withPortal);
        std::optional<FakePortal> portal;
        if (withPortal) portal.emplace();
        QTemporaryDir config;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", config.path());
        QProcess program;
        program.setProcessEnvironment(env);
        QString err;
        QObject::connect(&program, &QProcess::readyReadStandardError,
                         [&] { err += QString::fromLocal8Bit(program.readAllStandardError()); });
        const auto active = [&] {
            return Window(property(root_, "_NET_ACTIVE_WINDOW", XA_WINDOW));
        };
        const auto minimise = [&](Window w) {
            XIconifyWindow(x_, w, DefaultScreen(x_));
            XFlush(x_);
            ASSERT_TRUE(QTest::qWaitFor([&] { return wmState(w) == IconicState; }, kWaitMs));
        };
        const auto isBack = [&](Window w) {
            return QTest::qWaitFor([&] { return wmState(w) == NormalState && active() == w; },
                                   kWaitMs);
        };
        // None runs yet: this one starts the program, whose window is the only one.
        program.start(PROGRAM_PATH, {"--activate"});
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                return QDBusConnection::sessionBus().interface()->isServiceRegistered(
                    kActivationService);
            },
            kWaitMs));
        Window w = 0;
        ASSERT_TRUE(QTest::qWaitFor([&] { return (w = active()) != 0; }, kWaitMs));
        if (portal) {
            ASSERT_TRUE(QTest::qWaitFor([&] { return !portal->shortcuts.isEmpty(); }, kWaitMs));
            EXPECT_EQ(portal->shortcuts[0].second["preferred_trigger"], "KP_Add");
            minimise(w);
            portal->pressRestore();
            EXPECT_TRUE(isBack(w)) << "after the portal's Activated";
        }
        minimise(w);
        QProcess command;
        command.start(PROGRAM_PATH, {"--activate"});
        ASSERT_TRUE(command.waitForFinished(kWaitMs));
        EXPECT_EQ(command.exitCode(), 0);
        EXPECT_TRUE(isBack(w)) << "after tresslin --activate";
        program.terminate();
        ASSERT_TRUE(program.waitForFinished(kWaitMs));
        EXPECT_EQ(err.count(kHowTo), portal ? 0 : 1) << err.toStdString();
    }
    ungrabAll();
}

}  // namespace
}  // namespace tresslin

#include "DesktopTest.moc"
