// Built without Xlib: no system-wide key can be registered.
#include "platform/HotKey.h"

namespace tresslin {

void askWindowManagerToActivate(QWidget*) {}

std::unique_ptr<ActivationHotKey> ActivationHotKey::create() {
    return unavailable("it needs an X11 session");
}

}  // namespace tresslin
