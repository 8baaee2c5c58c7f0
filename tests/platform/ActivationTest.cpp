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

    void press(const QString& session, const QString& id, const QString& token) {
        bus_.send(QDBusMessage::createSignal(
                      kPortalPath, QStringLiteral("org.freedesktop.portal.GlobalShortcuts"),
                      QStringLiteral("Activated"))
                  << QVariant::fromValue(QDBusObjectPath(session)) << id << qulonglong(0)
                  << QVariantMap{{QStringLiteral("activation_token"), token}});
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
    ASSERT_EQ(portal->shortcuts.size(), 1);
    EXPECT_EQ(portal->shortcuts[0].first, QStringLiteral("restore"));
    EXPECT_EQ(portal->shortcuts[0].second.value(QStringLiteral("preferred_trigger")), "KP_Add");
    EXPECT_EQ(portal->shortcuts[0].second.value(QStringLiteral("description")),
              "Bring the Tresslin window back");
}

INSTANTIATE_TEST_SUITE_P(All, PortalAnswers,
                         ::testing::Values(PortalCase{"Accepts", true, 0, 0},
                                           PortalCase{"Missing", false, 0, 0},
                                           PortalCase{"RefusesSession", true, 2, 0},
                                           PortalCase{"RefusesShortcut", true, 0, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Activation, OnlyTheBoundShortcutOfItsSessionRequestsActivationWithTheToken) {
    FakePortal portal;
    ShortcutPortal client(QDBusConnection::sessionBus());
    QStringList tokens;
    QObject::connect(&client, &ShortcutPortal::activationRequested,
                     [&](const QString& token) { tokens << token; });
    bool bound = false;
    QObject::connect(&client, &ShortcutPortal::bound, [&] { bound = true; });
    client.bind();
    ASSERT_TRUE(QTest::qWaitFor([&] { return bound; }, kWaitMs));

    portal.press(portal.session, QStringLiteral("other"), QStringLiteral("no"));
    portal.press(kPortalPath + QStringLiteral("/session/other"), QStringLiteral("restore"), "no");
    portal.press(portal.session, QStringLiteral("restore"), QStringLiteral("token-1"));

    ASSERT_TRUE(QTest::qWaitFor([&] { return !tokens.isEmpty(); }, kWaitMs));
    EXPECT_EQ(tokens, QStringList{QStringLiteral("token-1")});
}

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

    // The managed window of process pid, or 0.
    Window windowOf(qint64 pid) const {
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        Window found = 0;
        XGetWindowProperty(x_, DefaultRootWindow(x_), XInternAtom(x_, "_NET_CLIENT_LIST", False), 0,
                           64, False, XA_WINDOW, &type, &format, &count, &after, &data);
        for (unsigned long i = 0; data != nullptr && i < count; ++i) {
            const Window w = reinterpret_cast<Window*>(data)[i];
            if (property(w, "_NET_WM_PID", XA_CARDINAL) == pid) found = w;
        }
        if (data != nullptr) XFree(data);
        return found;
    }

    bool isIconic(Window w) const {
        return property(w, "WM_STATE", XInternAtom(x_, "WM_STATE", False)) == IconicState;
    }

    bool isBackAndActive(Window w) const {
        return QTest::qWaitFor(
            [&] {
                Window focus = 0;
                int revert = 0;
                XGetInputFocus(x_, &focus, &revert);
                return !isIconic(w) && focus == w;
            },
            kWaitMs);
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
    ASSERT_TRUE(QTest::qWaitFor([&] { return (w = windowOf(program.processId())) != 0; }, kWaitMs));
    if (portal) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return !portal->shortcuts.isEmpty(); }, kWaitMs));
        minimise(w);
        portal->press(portal->session, QStringLiteral("restore"), QString());
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
