// Bringing the window back from other programs: a fake GlobalShortcuts portal and
// `tresslin --activate`, on the private session bus and X display the test command provides.
#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <optional>
#include <string>

#include "platform/Activation.h"
#include "platform/ShortcutPortal.h"

// X headers last: their macros (None, Bool, KeyPress, ...) would break the Qt headers.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

namespace tresslin {
namespace {

using ShortcutList = QList<std::pair<QString, QVariantMap>>;
const QString kPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kHowTo = QStringLiteral("`tresslin --activate`");
constexpr int kWaitMs = 10000;

// Plays the desktop's portal on a connection of its own, answering with prepared codes.
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
        bus_.registerService(QStringLiteral("org.freedesktop.portal.Desktop"));
    }
    ~FakePortal() override { QDBusConnection::disconnectFromBus(QStringLiteral("portal")); }

    void pressRestore() {
        bus_.send(QDBusMessage::createSignal(
                      kPortalPath, QStringLiteral("org.freedesktop.portal.GlobalShortcuts"),
                      QStringLiteral("Activated"))
                  << QVariant::fromValue(QDBusObjectPath(session)) << QStringLiteral("restore")
                  << qulonglong(0) << QVariantMap());
    }

    uint createAnswer = 0, bindAnswer = 0;
    QString session;
    ShortcutList shortcuts;

  public slots:
    QDBusObjectPath CreateSession(const QVariantMap& options, const QDBusMessage& call) {
        session = kPortalPath + QStringLiteral("/session/s1");
        return respond(call, options, createAnswer, {{QStringLiteral("session_handle"), session}});
    }
    QDBusObjectPath BindShortcuts(const QDBusObjectPath&, const ShortcutList& list, const QString&,
                                  const QVariantMap& options, const QDBusMessage& call) {
        shortcuts = list;
        return respond(call, options, bindAnswer, {});
    }

  private:
    QDBusObjectPath respond(const QDBusMessage& call, const QVariantMap& options, uint code,
                            const QVariantMap& results) {
        const QString path = QStringLiteral("%1/request/%2/%3")
                                 .arg(kPortalPath, call.service().mid(1).replace(u'.', u'_'),
                                      options.value(QStringLiteral("handle_token")).toString());
        // The answer before the reply: the harder order for the caller.
        bus_.send(QDBusMessage::createSignal(path, QStringLiteral("org.freedesktop.portal.Request"),
                                             QStringLiteral("Response"))
                  << code << results);
        return QDBusObjectPath(path);
    }

    QDBusConnection bus_;
};

class Activation : public ::testing::Test {
  protected:
    void SetUp() override {
        if (qgetenv("TRESSLIN_PRIVATE_BUS") != "1")
            GTEST_SKIP() << "needs the private session bus of its ctest command";
    }
};

struct PortalCase {
    const char* name;
    bool present;
    uint createAnswer, bindAnswer;
};

class PortalAnswers : public Activation, public ::testing::WithParamInterface<PortalCase> {};

TEST_P(PortalAnswers, BindsRestoreOnKeypadPlusOrSaysOnceWhatToDoInstead) {
    const PortalCase& c = GetParam();
    std::optional<FakePortal> portal;
    if (c.present) portal.emplace();
    if (portal) portal->createAnswer = c.createAnswer, portal->bindAnswer = c.bindAnswer;
    ShortcutPortal client(QDBusConnection::sessionBus());
    int bound = 0, failed = 0;
    QObject::connect(&client, &ShortcutPortal::bound, [&] { ++bound; });
    QObject::connect(&client, &ShortcutPortal::failed, [&] { ++failed; });
    testing::internal::CaptureStderr();

    client.bind();
    const bool answered = QTest::qWaitFor([&] { return bound + failed > 0; }, kWaitMs);

    const QString err = QString::fromStdString(testing::internal::GetCapturedStderr());
    ASSERT_TRUE(answered);
    const bool works = c.present && c.createAnswer == 0 && c.bindAnswer == 0;
    EXPECT_EQ(bound, works ? 1 : 0);
    EXPECT_EQ(err.count(kHowTo), works ? 0 : 1) << err.toStdString();
    if (!works) return;
    const ShortcutList expected{
        {"restore",
         {{"description", "Bring the Tresslin window back"}, {"preferred_trigger", "KP_Add"}}}};
    EXPECT_EQ(portal->shortcuts, expected);
}

INSTANTIATE_TEST_SUITE_P(All, PortalAnswers,
                         ::testing::Values(PortalCase{"Accepts", true, 0, 0},
                                           PortalCase{"Missing", false, 0, 0},
                                           PortalCase{"RefusesSession", true, 2, 0},
                                           PortalCase{"RefusesShortcut", true, 0, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

// The real program under the window manager; the test holds keypad plus, as another program
// could, so the program turns to the portal.
class RunningProgram : public Activation, public ::testing::WithParamInterface<bool> {
  protected:
    void SetUp() override {
        Activation::SetUp();
        if (IsSkipped()) return;
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            GTEST_SKIP() << "needs an X server with a window manager (run_with_xvfb.sh)";
        x_ = XOpenDisplay(nullptr);
        ASSERT_NE(x_, nullptr);
        XGrabKey(x_, XKeysymToKeycode(x_, XK_KP_Add), 0, DefaultRootWindow(x_), False,
                 GrabModeAsync, GrabModeAsync);
        XSync(x_, False);
    }
    void TearDown() override {
        if (x_ != nullptr) XCloseDisplay(x_);
    }

    long property(Window window, const char* name, Atom type) const {
        Atom actual = 0;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char* data = nullptr;
        long value = 0;
        if (XGetWindowProperty(x_, window, XInternAtom(x_, name, False), 0, 1, False, type, &actual,
                               &format, &items, &after, &data) == Success &&
            data != nullptr) {
            if (items == 1) value = *reinterpret_cast<long*>(data);
            XFree(data);
        }
        return value;
    }

    bool isIconic(Window w) const {
        return property(w, "WM_STATE", XInternAtom(x_, "WM_STATE", False)) == IconicState;
    }

    Window activeWindow() const {
        return property(DefaultRootWindow(x_), "_NET_ACTIVE_WINDOW", XA_WINDOW);
    }

    bool isBackAndActive(Window w) const {
        return QTest::qWaitFor([&] { return !isIconic(w) && activeWindow() == w; }, kWaitMs);
    }

    void minimise(Window w) {
        XIconifyWindow(x_, w, DefaultScreen(x_));
        XFlush(x_);
        ASSERT_TRUE(QTest::qWaitFor([&] { return isIconic(w); }, kWaitMs));
    }

    Display* x_ = nullptr;
};

TEST_P(RunningProgram, ActivateStartsOneThenBringsItBackAsThePortalShortcutDoes) {
    std::optional<FakePortal> portal;
    if (GetParam()) portal.emplace();
    QTemporaryDir config;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    QProcess program;
    program.setProcessEnvironment(env);
    QString err;
    QObject::connect(&program, &QProcess::readyReadStandardError,
                     [&] { err += QString::fromLocal8Bit(program.readAllStandardError()); });

    // None runs yet: this one starts the program.
    program.start(QStringLiteral(TRESSLIN_BINARY_PATH), {QStringLiteral("--activate")});
    auto* bus = QDBusConnection::sessionBus().interface();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return bus->isServiceRegistered(QString::fromLatin1(kActivationService)); },
        kWaitMs));
    Window w = 0;
    // The only window on the display.
    ASSERT_TRUE(QTest::qWaitFor([&] { return (w = activeWindow()) != 0; }, kWaitMs));
    if (portal) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return !portal->shortcuts.isEmpty(); }, kWaitMs));
        minimise(w);
        portal->pressRestore();
        EXPECT_TRUE(isBackAndActive(w)) << "after the portal's Activated";
    } else {
        EXPECT_TRUE(QTest::qWaitFor([&] { return err.contains(kHowTo); }, kWaitMs));
    }

    minimise(w);
    QProcess command;
    command.start(QStringLiteral(TRESSLIN_BINARY_PATH), {QStringLiteral("--activate")});
    ASSERT_TRUE(command.waitForFinished(kWaitMs));
    EXPECT_EQ(command.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(command.exitCode(), 0);
    EXPECT_TRUE(isBackAndActive(w)) << "after tresslin --activate";

    program.terminate();
    ASSERT_TRUE(program.waitForFinished(kWaitMs));
    EXPECT_EQ(err.count(kHowTo), portal ? 0 : 1) << err.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Portal, RunningProgram, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Present" : "Missing"; });

}  // namespace
}  // namespace tresslin

#include "ActivationTest.moc"
