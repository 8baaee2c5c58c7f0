// Built without Xlib: no system-wide key can be registered.
#include <QWidget>
#include <cstdio>

#include "platform/HotKey.h"

namespace tresslin {

namespace {
class NoHotKey : public ActivationHotKey {
  public:
    bool isActive() const override { return false; }
};
}  // namespace

std::unique_ptr<ActivationHotKey> ActivationHotKey::create(QWidget*) {
    static bool said = false;
    if (!said) {
        said = true;
        std::fprintf(
            stderr, "tresslin: the keypad-plus hot key is unavailable (it needs an X11 session)\n");
    }
    return std::make_unique<NoHotKey>();
}

void ActivateWindow(QWidget* window) {
    QWidget* top = window->window();
    // Clearing only the minimised bit keeps a maximised window maximised.
    top->setWindowState(top->windowState() & ~Qt::WindowMinimized);
    top->show();
    top->raise();
    top->activateWindow();
}

}  // namespace tresslin
