#include "platform/ShortcutPortal.h"

#include <QDBusError>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QList>
#include <utility>

namespace tresslin {

namespace {
const QString kPortal = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kShortcuts = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString kRestore = QStringLiteral("restore");

// a(sa{sv}): the shortcuts with their properties.
using ShortcutList = QList<std::pair<QString, QVariantMap>>;
}  // namespace

ShortcutPortal::ShortcutPortal(QDBusConnection bus, QObject* parent)
    : QObject(parent), bus_(std::move(bus)) {
    qDBusRegisterMetaType<ShortcutList::value_type>();
    qDBusRegisterMetaType<ShortcutList>();
}

void ShortcutPortal::bind() {
    if (!bus_.isConnected()) return fail(QStringLiteral("no session bus"));
    request(QStringLiteral("CreateSession"), {},
            {{QStringLiteral("session_handle_token"), QStringLiteral("tresslin")}},
            SLOT(onSessionCreated(uint, QVariantMap)));
}

void ShortcutPortal::request(const QString& method, QVariantList args, QVariantMap options,
                             const char* slot) {
    // The portal answers on a path made of our unique name and the token, so the answer is
    // watched before the call: a fast portal must not answer into the void.
    const QString token = QStringLiteral("tresslin%1").arg(++requests_);
    QString sender = bus_.baseService().mid(1);
    sender.replace(u'.', u'_');
    const QString expected = QStringLiteral("%1/request/%2/%3").arg(kPortalPath, sender, token);
    watchResponse(expected, slot);
    options[QStringLiteral("handle_token")] = token;
    args << options;
    QDBusMessage call = QDBusMessage::createMethodCall(kPortal, kPortalPath, kShortcuts, method);
    call.setArguments(args);
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, slot, expected](auto* w) {
        w->deleteLater();
        const QDBusPendingReply<QDBusObjectPath> reply = *w;
        if (reply.isError()) {
            const bool none = reply.error().type() == QDBusError::ServiceUnknown;
            return fail(none ? QStringLiteral("no desktop portal on the session bus")
                             : reply.error().message());
        }
        // Portals older than the token rule answer elsewhere. The Response may also have come
        // first and the next request be under way: then there is nothing to move.
        if (reply.value().path() != expected && responsePath_ == expected)
            watchResponse(reply.value().path(), slot);
    });
}

void ShortcutPortal::watchResponse(const QString& path, const char* slot) {
    const QString request = QStringLiteral("org.freedesktop.portal.Request");
    const QString response = QStringLiteral("Response");
    if (responseSlot_ != nullptr)
        bus_.disconnect(kPortal, responsePath_, request, response, this, responseSlot_);
    responsePath_ = path;
    responseSlot_ = slot;
    bus_.connect(kPortal, path, request, response, this, slot);
}

void ShortcutPortal::onSessionCreated(uint response, const QVariantMap& results) {
    if (response != 0) return fail(QStringLiteral("the desktop refused a shortcut session"));
    const QVariant handle = results.value(QStringLiteral("session_handle"));
    // A string by the portal's documentation; some portals send an object path.
    session_ = handle.metaType() == QMetaType::fromType<QDBusObjectPath>()
                   ? handle.value<QDBusObjectPath>().path()
                   : handle.toString();
    bus_.connect(kPortal, kPortalPath, kShortcuts, QStringLiteral("Activated"), this,
                 SLOT(onActivated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
    const ShortcutList shortcuts{
        {kRestore,
         {{QStringLiteral("description"), QStringLiteral("Bring the Tresslin window back")},
          {QStringLiteral("preferred_trigger"), QStringLiteral("KP_Add")}}}};
    request(
        QStringLiteral("BindShortcuts"),
        {QVariant::fromValue(QDBusObjectPath(session_)), QVariant::fromValue(shortcuts), QString()},
        {}, SLOT(onShortcutsBound(uint, QVariantMap)));
}

void ShortcutPortal::onShortcutsBound(uint response, const QVariantMap&) {
    if (response != 0) return fail(QStringLiteral("the desktop refused the shortcut"));
    emit bound();
}

void ShortcutPortal::onActivated(const QDBusObjectPath& session, const QString& id, qulonglong,
                                 const QVariantMap& options) {
    if (session.path() != session_ || id != kRestore) return;
    emit activationRequested(options.value(QStringLiteral("activation_token")).toString());
}

void ShortcutPortal::fail(const QString& why) {
    if (failed_) return;
    failed_ = true;
    emit failed(why);
}

}  // namespace tresslin
