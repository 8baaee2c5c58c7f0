// The system-wide activation key: keypad plus, pressed in any program, is reported here; what it
// does is the window's business.
#pragma once

#include <QObject>
#include <memory>

class QWidget;

namespace tresslin {

class ActivationHotKey : public QObject {
    Q_OBJECT
  public:
    // True when the key is registered with the desktop.
    virtual bool isActive() const = 0;

    // Registers keypad plus (with or without NumLock and CapsLock); when the desktop cannot
    // offer a global key (no X11, or another program holds it), says so once on stderr and
    // returns an inactive object. Destroying the object releases the key.
    static std::unique_ptr<ActivationHotKey> create();

  signals:
    void pressed();

  protected:
    // An inactive key, after saying why (only the first time).
    static std::unique_ptr<ActivationHotKey> unavailable(const char* why);
};

// Brings window's top level back from minimised (a maximised one stays maximised), shows,
// raises and activates it; on X11 it also asks the window manager as a pager would.
void restoreAndActivate(QWidget* window);

}  // namespace tresslin
