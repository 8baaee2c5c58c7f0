// How another process brings the running window back: `tresslin --activate` and the session-bus
// service it calls.
#pragma once

#include <QObject>
#include <QString>
#include <functional>

#include "book/BookLocation.h"

class QWidget;

namespace tresslin {

// The running program's name on the session bus: the application id of the metainfo.
inline constexpr char kActivationService[] = "io.github.tresslin.Tresslin";
inline constexpr char kActivationPath[] = "/io/github/tresslin/Tresslin";

// Offers Activate(token) and OpenBook(file, entry, token) on the session bus and passes each call
// on as activationRequested or bookRequested.
class ActivationService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "io.github.tresslin.Tresslin")
  public:
    using QObject::QObject;
    // Exports Activate and asks for the name; a second program waits in the bus's queue and
    // inherits the name when the first ends. False without a session bus.
    bool registerOnSessionBus();

  public slots:
    // token: the caller's XDG_ACTIVATION_TOKEN or DESKTOP_STARTUP_ID, or empty.
    void Activate(const QString& token);
    // A second start's book. Passed on after the reply, so that a box the open raises cannot
    // keep the caller waiting.
    void OpenBook(const QByteArray& file, const QByteArray& entry, const QString& token);

  signals:
    void activationRequested(const QString& token);
    void bookRequested(const BookLocation& book, const QString& token);
};

// True for the command line `tresslin --activate` (the option alone, like --help).
bool isActivateCommand(int argc, char** argv);

// The token the desktop gave this process for focusing a window, or empty.
QString callerActivationToken();

// Asks the program that owns kActivationService to come forward. True when it answered; false
// when none runs or there is no session bus. Needs no QCoreApplication.
bool forwardActivation(const QString& token);
// The same for a start with a book: the running program opens it (an absolute location) and
// comes forward; an empty one only brings it forward.
bool forwardBook(const BookLocation& book, const QString& token);

// Hands token to the display, so that the next activateWindow() may take the focus.
void useActivationToken(QWidget* window, const QString& token);

// Calls work once window has painted for the first time, so it cannot delay that paint.
void afterFirstPaint(QWidget* window, std::function<void()> work);

}  // namespace tresslin
