// Keypad plus through the desktop's GlobalShortcuts portal, where no X11 grab is possible.
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QVariantMap>

class QDBusObjectPath;
class QDBusPendingCallWatcher;

namespace tresslin {

class ShortcutPortal : public QObject {
    Q_OBJECT
  public:
    explicit ShortcutPortal(QDBusConnection bus, QObject* parent = nullptr);

    // Opens a session and binds the shortcut "restore" (at every start: some desktops forget
    // it). The answers come later, as bound() or, once, failed().
    void bind();

  signals:
    // The user pressed the shortcut; token is the portal's activation token, or empty.
    void activationRequested(const QString& token);
    // How bind() ended: the desktop took the shortcut, or there is none.
    void bound();
    void failed(const QString& why);

  private slots:
    void onSessionCreated(uint response, const QVariantMap& results);
    void onShortcutsBound(uint response, const QVariantMap& results);
    void onActivated(const QDBusObjectPath& session, const QString& id, qulonglong timestamp,
                     const QVariantMap& options);

  private:
    // Calls method with args and options; the portal's Response to it goes to slot.
    void request(const QString& method, QVariantList args, QVariantMap options, const char* slot);
    void watchResponse(const QString& path, const char* slot);
    void fail(const QString& why);

    QDBusConnection bus_;
    QString session_;
    QString responsePath_;
    const char* responseSlot_ = nullptr;
    int requests_ = 0;
    bool failed_ = false;
};

}  // namespace tresslin
