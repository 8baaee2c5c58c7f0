// How much of a window the desktop shows: its taskbar, pager and task-switcher entries, whether
// translucent windows are composited, and whether there is a tray to hide into.
#pragma once

#include <QObject>
#include <QString>

class QWidget;
class QDBusServiceWatcher;

namespace tresslin {

// Why the desktop cannot keep a window out of the taskbar, has no compositor for a see-through
// background, or has no tray; empty texts where it can. Asked afresh: a compositor or a panel
// may start or stop at any time.
struct PresenceLimits {
    QString skipTaskbar;
    QString translucentBackground;
    QString tray;
};
PresenceLimits presenceLimits();

// Keeps a top-level window out of the taskbar, the pager and the task switcher, or lets it back
// in; the native window is kept, mapped or not. Call it again whenever the window is about to be
// shown: window managers forget the state of a window they stop managing.
void setSkipTaskbar(QWidget* window, bool on);

// Asks the window manager to confirm where a top-level window it has just been asked to show
// is. Qt learns a window's place from the events about it; one it reads while a window manager
// still frames the window can leave it with the frame's first place, and a window manager that
// then puts the window where it asked to be has nothing more to say. A request that changes
// nothing is answered with the window's real place, after anything the framing sent.
void confirmPlace(QWidget* window);

// Tells when the tray in use goes away (a panel restarting), so a window hidden into it can come
// back. watch() takes note of the tray there is now; nothing is polled meanwhile.
class TrayWatch : public QObject {
    Q_OBJECT
  public:
    explicit TrayWatch(QObject* parent = nullptr);
    ~TrayWatch() override;
    void watch();

  signals:
    void trayGone();

  private:
    class Native;
    Native* native_ = nullptr;
    QDBusServiceWatcher* items_ = nullptr;
};

}  // namespace tresslin
