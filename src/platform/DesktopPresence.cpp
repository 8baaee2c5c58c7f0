#include "platform/DesktopPresence.h"

#include <QAbstractNativeEventFilter>
#include <QByteArray>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QGuiApplication>
#include <QSystemTrayIcon>
#include <QWidget>
#include <QWindow>
#include <vector>

#ifdef TRESSLIN_X11
// X headers last: their macros (None, Bool, KeyPress, ...) would break the Qt headers.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <xcb/xcb.h>
#endif

namespace tresslin {

namespace {

bool onWayland() {
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

#ifdef TRESSLIN_X11
Display* x11Display() {
    if (qGuiApp == nullptr || QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 != nullptr ? x11->display() : nullptr;
}

Window selectionOwner(Display* display, const char* prefix) {
    const QByteArray name = prefix + QByteArray::number(DefaultScreen(display));
    return XGetSelectionOwner(display, XInternAtom(display, name.constData(), False));
}

std::vector<Atom> atomList(Display* display, Window window, Atom property) {
    std::vector<Atom> atoms;
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, property, 0, 64, False, XA_ATOM, &type, &format, &count,
                           &after, &data) == Success &&
        data != nullptr) {
        if (format == 32) {
            const auto* values = reinterpret_cast<const unsigned long*>(data);
            atoms.assign(values, values + count);
        }
        XFree(data);
    }
    return atoms;
}
#endif

}  // namespace

PresenceLimits presenceLimits() {
    PresenceLimits limits;
    if (onWayland())
        limits.skipTaskbar = QCoreApplication::translate(
            "tresslin::DesktopPresence",
            "Wayland does not let a program keep its window out of the taskbar");
#ifdef TRESSLIN_X11
    if (Display* display = x11Display(); display && !selectionOwner(display, "_NET_WM_CM_S"))
        limits.translucentBackground = QCoreApplication::translate(
            "tresslin::DesktopPresence",
            "No compositing manager runs on this display, so the background cannot be "
            "see-through");
#endif
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        limits.tray = QCoreApplication::translate("tresslin::DesktopPresence",
                                                  "The desktop has no system tray");
    return limits;
}

void setSkipTaskbar(QWidget* window, bool on) {
#ifdef TRESSLIN_X11
    Display* display = x11Display();
    if (display == nullptr || !window->testAttribute(Qt::WA_WState_Created)) return;
    const Window id = static_cast<Window>(window->winId());
    const Atom state = XInternAtom(display, "_NET_WM_STATE", False);
    const Atom skip[] = {XInternAtom(display, "_NET_WM_STATE_SKIP_TASKBAR", False),
                         XInternAtom(display, "_NET_WM_STATE_SKIP_PAGER", False)};
    if (atomList(display, id, XInternAtom(display, "WM_STATE", False)).empty()) {
        // Not managed yet: the window manager reads the property when the window is mapped.
        std::vector<Atom> atoms = atomList(display, id, state);
        std::erase_if(atoms, [&](Atom a) { return a == skip[0] || a == skip[1]; });
        if (on) atoms.insert(atoms.end(), std::begin(skip), std::end(skip));
        XChangeProperty(display, id, state, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(atoms.data()), int(atoms.size()));
    } else {
        // Managed: the property is the window manager's, changed on request.
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = id;
        event.xclient.message_type = state;
        event.xclient.format = 32;
        event.xclient.data.l[0] = on ? 1 : 0;
        event.xclient.data.l[1] = static_cast<long>(skip[0]);
        event.xclient.data.l[2] = static_cast<long>(skip[1]);
        event.xclient.data.l[3] = 1;  // an ordinary application asks
        XSendEvent(display, DefaultRootWindow(display), False,
                   SubstructureRedirectMask | SubstructureNotifyMask, &event);
    }
    XFlush(display);
#else
    (void)window;
    (void)on;
#endif
}

void confirmPlace(QWidget* window) {
#ifdef TRESSLIN_X11
    Display* display = x11Display();
    if (display == nullptr || !window->testAttribute(Qt::WA_WState_Created)) return;
    const QWindow* handle = window->windowHandle();
    const QSize size = handle->size() * handle->devicePixelRatio();
    // Sent after Qt's own requests on the same connection, so after the map.
    XResizeWindow(display, static_cast<Window>(window->winId()), unsigned(size.width()),
                  unsigned(size.height()));
    XFlush(display);
#else
    (void)window;
#endif
}

// The XEmbed tray is a window owning a selection; its end is its window's destruction.
class TrayWatch::Native final : public QAbstractNativeEventFilter {
  public:
    explicit Native(TrayWatch& owner) : owner_(owner) {
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    ~Native() override {
        if (QCoreApplication::instance())
            QCoreApplication::instance()->removeNativeEventFilter(this);
    }
    void watch() {
#ifdef TRESSLIN_X11
        Display* display = x11Display();
        tray_ = display ? selectionOwner(display, "_NET_SYSTEM_TRAY_S") : 0;
        if (tray_ == 0) return;
        XWindowAttributes attributes{};
        if (XGetWindowAttributes(display, tray_, &attributes))
            XSelectInput(display, tray_, attributes.your_event_mask | StructureNotifyMask);
        XFlush(display);
#endif
    }

  private:
    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
#ifdef TRESSLIN_X11
        if (tray_ == 0 || type != "xcb_generic_event_t") return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) != XCB_DESTROY_NOTIFY) return false;
        if (static_cast<const xcb_destroy_notify_event_t*>(message)->window != tray_) return false;
        tray_ = 0;
        emit owner_.trayGone();
#else
        (void)type;
        (void)message;
#endif
        return false;
    }

    TrayWatch& owner_;
    unsigned long tray_ = 0;
};

TrayWatch::TrayWatch(QObject* parent) : QObject(parent), native_(new Native(*this)) {
    // A StatusNotifierItem tray is a service on the session bus.
    items_ = new QDBusServiceWatcher(QStringLiteral("org.kde.StatusNotifierWatcher"),
                                     QDBusConnection::sessionBus(),
                                     QDBusServiceWatcher::WatchForUnregistration, this);
    connect(items_, &QDBusServiceWatcher::serviceUnregistered, this, &TrayWatch::trayGone);
}

TrayWatch::~TrayWatch() {
    delete native_;
}

void TrayWatch::watch() {
    native_->watch();
}

}  // namespace tresslin
