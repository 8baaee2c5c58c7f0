// The system-wide activation key: keypad plus brings the main window back from any program.
#pragma once

#include <memory>

class QWidget;

namespace tresslin {

class ActivationHotKey {
  public:
    virtual ~ActivationHotKey() = default;
    // True when the key is registered with the desktop.
    virtual bool isActive() const = 0;

    // Registers keypad plus (with or without NumLock and CapsLock) for window; when the desktop
    // cannot offer a global key (no X11, or another program holds it), says so once on stderr
    // and returns an inactive object. Destroying the object releases the key.
    static std::unique_ptr<ActivationHotKey> create(QWidget* window);
};

// Brings window's top level back from minimised (a maximised one stays maximised), shows,
// raises and activates it; on X11 it also asks the window manager as a pager would.
void ActivateWindow(QWidget* window);

}  // namespace tresslin
