// What the hot key does the same way on every desktop.
#include <QWidget>

#include "platform/HotKey.h"

namespace tresslin {

// Asks the window manager to activate top, where it needs asking; per desktop.
void askWindowManagerToActivate(QWidget* top);

namespace {
class NoHotKey : public ActivationHotKey {
  public:
    bool isActive() const override { return false; }
};
}  // namespace

std::unique_ptr<ActivationHotKey> ActivationHotKey::unavailable(const char* why) {
    auto key = std::make_unique<NoHotKey>();
    key->problem_ = QString::fromUtf8(why);
    return key;
}

bool insideWaylandSession() {
    return qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

void restoreAndActivate(QWidget* window) {
    QWidget* top = window->window();
    // Clearing only the minimised bit keeps a maximised window maximised.
    top->setWindowState(top->windowState() & ~Qt::WindowMinimized);
    top->show();
    top->raise();
    top->activateWindow();
    askWindowManagerToActivate(top);
}

}  // namespace tresslin
