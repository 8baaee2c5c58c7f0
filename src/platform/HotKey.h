// The system-wide activation key: keypad plus, pressed in any program, is reported here; what it
// does is the window's business.
#pragma once

#include <QObject>
#include <QString>
#include <memory>

class QWidget;

namespace tresslin {

class ActivationHotKey : public QObject {
    Q_OBJECT
  public:
    // True when the key is registered with the desktop.
    virtual bool isActive() const = 0;

    // Why the key is not registered ("another program holds it"); empty when it is.
    QString problem() const { return problem_; }

    // Registers keypad plus (with or without NumLock and CapsLock); when the desktop cannot
    // offer a global key (no X11, or another program holds it), returns an inactive object
    // that says why. Destroying the object releases the key.
    static std::unique_ptr<ActivationHotKey> create();

  signals:
    void pressed();

  protected:
    static std::unique_ptr<ActivationHotKey> unavailable(const char* why);

  private:
    QString problem_;
};

// Whether the desktop session is Wayland, whatever platform Qt runs on: there an X11 grab sees
// keypad plus only while an X11 window has the focus.
bool insideWaylandSession();

// Brings window's top level back from minimised (a maximised one stays maximised), shows,
// raises and activates it; on X11 it also asks the window manager as a pager would.
void restoreAndActivate(QWidget* window);

}  // namespace tresslin
