// Bringing the window back on a real desktop: keypad plus pressed in another program, a fake
// GlobalShortcuts portal and `tresslin --activate`. Its ctest command provides an Xvfb display
// with openbox and a private session bus.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QProcess>
#include <QTest>
#include <optional>

#include "platform/Activation.h"
#include "platform/BringBack.h"
#include "platform/ShortcutPortal.h"
#include "support/FakePrompts.h"
#include "support/TestSupport.h"
#include "viewer/frmMain.h"

// X headers last: their macros (None, Bool, KeyPress, ...) would break the Qt headers.
#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace tresslin {
namespace {

using test::waitFor;

// The test plays the other programs on the display through its own connection.
class Desktop : public ::testing::Test {
  protected:
    Display* const x_ = XOpenDisplay(nullptr);
    const Window root_ = x_ ? DefaultRootWindow(x_) : 0;
    void SetUp() override {
        if (QGuiApplication::platformName() != "xcb")
            GTEST_SKIP() << "needs the display and bus of its ctest command";
        ASSERT_TRUE(x_ && waitFor([&] { return property(root_, "_NET_SUPPORTING_WM_CHECK"); }));
    }
    void TearDown() override {
        if (x_) XCloseDisplay(x_);
    }

    long property(Window w, const char* name, Atom type = AnyPropertyType) const {
        Atom actual = 0;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char* data = nullptr;
        long value = 0;
        if (XGetWindowProperty(x_, w, XInternAtom(x_, name, False), 0, 1, False, type, &actual,
                               &format, &items, &after, &data) == Success &&
            data) {
            if (items == 1) value = *reinterpret_cast<long*>(data);
            XFree(data);
        }
        return value;
    }
    long wmState(Window w) const { return property(w, "WM_STATE"); }
    Window focus() const {
        Window w = 0;
        int revert = 0;
        XGetInputFocus(x_, &w, &revert);
        return w;
    }
    // Keypad plus, and each lock state it may be pressed in.
    const KeyCode plus_ = x_ ? XKeysymToKeycode(x_, XK_KP_Add) : 0;
    const unsigned numLock_ = x_ ? XkbKeysymToModifiers(x_, XK_Num_Lock) : 0;
    const std::vector<unsigned> locks_{0u, numLock_, LockMask, numLock_ | LockMask};
    // A window of another program with the focus, which openbox may refuse it at first.
    Window focusOtherProgram() {
        const Window w = XCreateSimpleWindow(x_, root_, 500, 400, 200, 100, 0, 0, 0);
        XSelectInput(x_, w, KeyPressMask);
        XMapWindow(x_, w);
        EXPECT_TRUE(waitFor([&] {
            XWindowAttributes a{};
            XGetWindowAttributes(x_, w, &a);
            if (a.map_state == IsViewable) XSetInputFocus(x_, w, RevertToParent, CurrentTime);
            return focus() == w;
        }));
        return w;
    }
    // Asked again until it holds: the program's own activation, sent when its window was mapped
    // again, may reach openbox after the first request and undo it.
    void minimise(Window w) {
        ASSERT_TRUE(waitFor([&] {
            if (wmState(w) == IconicState) return true;
            XIconifyWindow(x_, w, DefaultScreen(x_));
            XSync(x_, False);
            return false;
        }));
    }
};

TEST_F(Desktop, KeypadPlusInAnotherProgramBringsTheHiddenWindowBackInEveryLockState) {
    test::SettingsSandbox box;
    test::FakePrompts prompts;
    frmMain w(prompts);
    w.Form_Load({});
    BringBack back;
    QObject::connect(&back, &BringBack::requested, &w, &frmMain::bringBack);
    ASSERT_TRUE(back.hasHotKey());
    w.show();
    const Window id = Window(w.winId());
    for (unsigned locks : locks_) {
        SCOPED_TRACE(locks);
        ASSERT_TRUE(waitFor([&] { return wmState(id) == NormalState; }));
        const Window other = focusOtherProgram();
        // Pressed again while Qt takes the window for shown: a minus pressed while Qt still took
        // it for minimised asks nothing, and a late activation may undo one that asked.
        ASSERT_TRUE(waitFor([&] {
            if (!w.isMinimized()) w.Form_KeyDown(Qt::Key_Minus, 0);
            return wmState(id) == IconicState;
        }));
        XkbLockModifiers(x_, XkbUseCoreKbd, numLock_ | LockMask, locks);
        XTestFakeKeyEvent(x_, plus_, True, CurrentTime);
        XTestFakeKeyEvent(x_, plus_, False, CurrentTime);
        EXPECT_TRUE(waitFor([&] {
            return wmState(id) == NormalState && focus() == id &&
                   QApplication::activeWindow() == &w;
        }));
        XEvent e;
        XSync(x_, False);
        EXPECT_FALSE(XCheckTypedWindowEvent(x_, other, KeyPress, &e)) << "the key reached it too";
        XDestroyWindow(x_, other);
    }
    XkbLockModifiers(x_, XkbUseCoreKbd, numLock_ | LockMask, 0);
}

using ShortcutList = QList<std::pair<QString, QVariantMap>>;
const QString kPortalPath = "/org/freedesktop/portal/desktop";

// Plays the desktop's portal on a connection of its own; every request succeeds.
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
                  << QVariant::fromValue(QDBusObjectPath(kPortalPath + "/session/s1"))
                  << QString("restore") << qulonglong(0) << QVariantMap());
    }
    ShortcutList shortcuts;

  public slots:
    QDBusObjectPath CreateSession(const QVariantMap& options, const QDBusMessage& call) {
        return respond(call, options, {{"session_handle", kPortalPath + "/session/s1"}});
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
    QDBusConnection bus_;
};

TEST_F(Desktop, ActivateStartsTheProgramThenBringsItBackAsThePortalShortcutDoes) {
    const auto active = [&] { return Window(property(root_, "_NET_ACTIVE_WINDOW")); };
    const auto isBack = [&](Window w) {
        return waitFor([&] { return wmState(w) == NormalState && active() == w; });
    };
    // The portal is used when keypad plus is held by another program, or when the session is
    // Wayland, where the program's own grab would see only X11 programs' key presses.
    const struct {
        bool portal, held, wayland;
    } cases[] = {{true, true, false}, {false, true, false}, {true, false, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.portal << c.held << c.wayland);
        for (unsigned m : locks_)
            if (c.held) XGrabKey(x_, plus_, m, root_, False, GrabModeAsync, GrabModeAsync);
        XSync(x_, False);
        std::optional<FakePortal> portal;
        if (c.portal) portal.emplace();
        test::SettingsSandbox box;  // the program started inherits it
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_SESSION_TYPE", c.wayland ? "wayland" : "x11");
        program.setProcessEnvironment(env);
        QString err;
        QObject::connect(&program, &QProcess::readyReadStandardError,
                         [&] { err += QString::fromLocal8Bit(program.readAllStandardError()); });
        // None runs yet: this one starts the program.
        program.start(PROGRAM_PATH, {"--activate"});
        const auto bus = QDBusConnection::sessionBus().interface();
        ASSERT_TRUE(waitFor([&] { return bus->isServiceRegistered(kActivationService).value(); }));
        Window w = 0;
        ASSERT_TRUE(
            waitFor([&] { return property(w = active(), "_NET_WM_PID") == program.processId(); }));
        if (portal) {
            ASSERT_TRUE(waitFor([&] { return !portal->shortcuts.isEmpty(); }));
            EXPECT_EQ(portal->shortcuts[0].second["preferred_trigger"], "KP_Add");
            minimise(w);
            portal->pressRestore();
            EXPECT_TRUE(isBack(w)) << "after the portal's Activated";
        }
        minimise(w);
        QProcess command;
        command.start(PROGRAM_PATH, {"--activate"});
        ASSERT_TRUE(command.waitForFinished(30000));
        EXPECT_EQ(command.exitCode(), 0);
        EXPECT_TRUE(isBack(w)) << "after tresslin --activate";
        program.terminate();
        ASSERT_TRUE(program.waitForFinished(30000));
        EXPECT_EQ(err.count("`tresslin --activate`"), portal ? 0 : 1) << err.toStdString();
        for (unsigned m : locks_) XUngrabKey(x_, plus_, m, root_);
    }
}

// A second start hands its book, named from its own folder, to the strip running and ends;
// without a book it only brings the strip back. No second window appears.
TEST_F(Desktop, ASecondStartHandsItsBookToTheRunningStrip) {
    test::SettingsSandbox box;
    test::TempBooks books;
    books.write("second.txt", "1\r\n2\r\n3\r\n");
    QProcess program;
    program.start(PROGRAM_PATH, {books.write("first.txt", "1\r\n2\r\n")});
    const auto bus = QDBusConnection::sessionBus().interface();
    ASSERT_TRUE(waitFor([&] { return bus->isServiceRegistered(kActivationService).value(); }));
    const auto active = [&] { return Window(property(root_, "_NET_ACTIVE_WINDOW")); };
    Window w = 0;
    ASSERT_TRUE(
        waitFor([&] { return property(w = active(), "_NET_WM_PID") == program.processId(); }));
    const auto title = [&] {
        XTextProperty text{};
        QString name;
        if (XGetTextProperty(x_, w, &text, XInternAtom(x_, "_NET_WM_NAME", False)) && text.value)
            name = QString::fromUtf8(reinterpret_cast<char*>(text.value), int(text.nitems));
        if (text.value) XFree(text.value);
        return name;
    };
    for (const QStringList& arguments : {QStringList{"second.txt"}, QStringList{}}) {
        minimise(w);
        QProcess second;
        second.setWorkingDirectory(books.folder());
        second.start(PROGRAM_PATH, arguments);
        ASSERT_TRUE(second.waitForFinished(30000));
        EXPECT_EQ(second.exitCode(), 0);
        EXPECT_TRUE(waitFor([&] {
            return wmState(w) == NormalState && active() == w &&
                   title() == "second.txt  line: 1  (0.00%)";
        })) << title().toStdString();
    }
    program.terminate();
    ASSERT_TRUE(program.waitForFinished(30000));
}

}  // namespace
}  // namespace tresslin

#include "DesktopTest.moc"
