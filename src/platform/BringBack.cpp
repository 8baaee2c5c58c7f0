#include "platform/BringBack.h"

#include <QDBusConnection>
#include <cstdio>

#include "platform/Activation.h"
#include "platform/HotKey.h"
#include "platform/ShortcutPortal.h"

namespace tresslin {

BringBack::BringBack(QObject* parent) : QObject(parent), hotKey_(ActivationHotKey::create()) {
    connect(hotKey_.get(), &ActivationHotKey::pressed, this, [this] { emit requested({}); });
}

BringBack::~BringBack() = default;

bool BringBack::hasHotKey() const {
    return hotKey_->isActive();
}

void BringBack::listenOnBus() {
    auto* service = new ActivationService(this);
    connect(service, &ActivationService::activationRequested, this, &BringBack::requested);
    connect(service, &ActivationService::bookRequested, this, &BringBack::bookRequested);
    service->registerOnSessionBus();

    // Keypad plus through the portal where the X11 grab does not see every press: no grab was
    // possible, or X11 runs inside a Wayland session, where a grab sees the key only while an
    // X11 window has the focus.
    const bool grabbed = hasHotKey();
    if (grabbed && !insideWaylandSession()) return;
    auto* portal = new ShortcutPortal(QDBusConnection::sessionBus(), this);
    connect(portal, &ShortcutPortal::activationRequested, this, &BringBack::requested);
    // One line, and only when keypad plus does not work everywhere.
    connect(portal, &ShortcutPortal::failed, this,
            [grabbed, grab = hotKey_->problem()](const QString& why) {
                if (grabbed)
                    std::fprintf(stderr,
                                 "tresslin: keypad plus brings the window back only from X11 "
                                 "programs (portal: %s); bind a key to `tresslin --activate` for "
                                 "the others\n",
                                 qUtf8Printable(why));
                else
                    std::fprintf(stderr,
                                 "tresslin: keypad plus cannot bring the window back (X11 grab: "
                                 "%s; portal: %s); bind a key to `tresslin --activate` instead\n",
                                 qUtf8Printable(grab), qUtf8Printable(why));
            });
    portal->bind();
}

}  // namespace tresslin
