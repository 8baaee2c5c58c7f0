// Keypad plus on X11: a passive grab on the root window, so the key reaches us from any program.
#include <QAbstractNativeEventFilter>
#include <QByteArray>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>
#include <array>

#include "platform/HotKey.h"

// X headers last: their macros (None, Bool, KeyPress, ...) would break the Qt headers.
#include <X11/Xlib.h>
#include <X11/Xproto.h>
#include <X11/keysym.h>
#include <xcb/xcb.h>

namespace tresslin {

namespace {

Display* x11Display() {
    auto* app = qGuiApp;
    if (app == nullptr || QGuiApplication::platformName() != QLatin1String("xcb")) return nullptr;
    auto* x11 = app->nativeInterface<QNativeInterface::QX11Application>();
    return x11 != nullptr ? x11->display() : nullptr;
}

// NumLock is usually Mod2, but the keyboard map decides.
unsigned int numLockMask(Display* display) {
    unsigned int mask = 0;
    const KeyCode numLock = XKeysymToKeycode(display, XK_Num_Lock);
    if (XModifierKeymap* map = XGetModifierMapping(display)) {
        for (int i = 0; numLock != 0 && i < 8 * map->max_keypermod; ++i) {
            if (map->modifiermap[i] == numLock) mask = 1u << (i / map->max_keypermod);
        }
        XFreeModifiermap(map);
    }
    return mask != 0 ? mask : Mod2Mask;
}

// Catches the errors of the requests made while it lives, instead of letting Xlib's handler end
// the program. Xlib's handler is process-wide and takes no context, hence the one active trap.
class XErrorTrap {
  public:
    explicit XErrorTrap(Display* display) : display_(display) {
        XSync(display_, False);  // earlier errors must not land in the trap
        active_ = this;
        outer_ = XSetErrorHandler(&XErrorTrap::handle);
    }
    ~XErrorTrap() {
        XSync(display_, False);
        XSetErrorHandler(outer_);
        active_ = nullptr;
    }
    XErrorTrap(const XErrorTrap&) = delete;
    XErrorTrap& operator=(const XErrorTrap&) = delete;

    // The first error of a GrabKey request, after XSync; 0 when none.
    int grabError() {
        XSync(display_, False);
        return grabError_;
    }

  private:
    static int handle(Display* display, XErrorEvent* error) {
        if (active_ != nullptr && error->request_code == X_GrabKey) {
            if (active_->grabError_ == 0) active_->grabError_ = error->error_code;
            return 0;
        }
        return active_ != nullptr && active_->outer_ != nullptr ? active_->outer_(display, error)
                                                                : 0;
    }

    static inline XErrorTrap* active_ = nullptr;
    Display* display_;
    XErrorHandler outer_ = nullptr;
    int grabError_ = 0;
};

// A passive grab matches the modifier state exactly, so the lock keys need their own grabs.
std::array<unsigned int, 4> lockVariants(Display* display) {
    const unsigned int numLock = numLockMask(display);
    return {0u, numLock, LockMask, numLock | LockMask};
}

void ungrab(Display* display, Window root, KeyCode key) {
    for (unsigned int modifiers : lockVariants(display)) XUngrabKey(display, key, modifiers, root);
    XFlush(display);
}

// False when another client holds one of the combinations (BadAccess).
bool grab(Display* display, Window root, KeyCode key) {
    int error = 0;
    {
        XErrorTrap trap(display);
        for (unsigned int modifiers : lockVariants(display)) {
            XGrabKey(display, key, modifiers, root, False, GrabModeAsync, GrabModeAsync);
        }
        error = trap.grabError();
    }
    if (error == 0) return true;
    // Ungrabbing a combination we never got is a no-op, so release all of them.
    ungrab(display, root, key);
    XSync(display, False);
    return false;
}

// The time of the press being reported: an activation it asks for carries it, so that window
// managers that refuse requests with an old time still honour it.
unsigned long pressTime = CurrentTime;

class X11HotKey final : public ActivationHotKey, private QAbstractNativeEventFilter {
  public:
    X11HotKey(Display* display, Window root, KeyCode key)
        : display_(display), root_(root), key_(key) {
        QCoreApplication::instance()->installNativeEventFilter(this);
    }

    ~X11HotKey() override {
        // After the application has gone, so has the connection and with it the grab.
        if (QCoreApplication::instance() == nullptr) return;
        QCoreApplication::instance()->removeNativeEventFilter(this);
        ungrab(display_, root_, key_);
        XSync(display_, False);  // the key is free for others once we return
    }

    bool isActive() const override { return true; }

  private:
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
        if (eventType != "xcb_generic_event_t") return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        const auto type = event->response_type & 0x7f;
        if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE) return false;
        // Press and release share one layout.
        const auto* key = static_cast<const xcb_key_press_event_t*>(message);
        if (key->detail != key_ || key->event != root_) return false;
        if (type == XCB_KEY_PRESS) {
            pressTime = key->time;
            emit pressed();
            pressTime = CurrentTime;
        }
        return true;
    }

    Display* display_;
    Window root_;
    KeyCode key_;
};

}  // namespace

void askWindowManagerToActivate(QWidget* top) {
    Display* display = x11Display();
    QWindow* handle = top->windowHandle();
    if (display == nullptr || handle == nullptr) return;
    // Qt asks as an application with its own (stale) user time; window managers with
    // focus-stealing prevention may refuse that, but honour a pager's request.
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = static_cast<Window>(handle->winId());
    event.xclient.message_type = XInternAtom(display, "_NET_ACTIVE_WINDOW", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = 2;
    event.xclient.data.l[1] = static_cast<long>(pressTime);
    XSendEvent(display, DefaultRootWindow(display), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &event);
    XFlush(display);
}

std::unique_ptr<ActivationHotKey> ActivationHotKey::create() {
    Display* display = x11Display();
    if (display == nullptr) return unavailable("it needs an X11 session");
    const KeyCode key = XKeysymToKeycode(display, XK_KP_Add);
    if (key == 0) return unavailable("the keyboard map has no keypad plus");
    const Window root = DefaultRootWindow(display);
    if (!grab(display, root, key)) return unavailable("another program holds it");
    return std::make_unique<X11HotKey>(display, root, key);
}

}  // namespace tresslin
