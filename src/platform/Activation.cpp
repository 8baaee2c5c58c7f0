#include "platform/Activation.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QEvent>
#include <QGuiApplication>
#include <QTimer>
#include <QWidget>
#include <cstring>

#ifdef TRESSLIN_X11
// X headers last: their macros (None, Bool, KeyPress, ...) would break the Qt headers.
#include <X11/Xlib.h>
#endif

namespace tresslin {

bool ActivationService::registerOnSessionBus() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return false;
    if (!bus.registerObject(QString::fromLatin1(kActivationPath), this,
                            QDBusConnection::ExportAllSlots))
        return false;
    // Queued, not replacing: an older program keeps answering while it runs.
    const auto reply = bus.interface()->registerService(
        QString::fromLatin1(kActivationService), QDBusConnectionInterface::QueueService,
        QDBusConnectionInterface::DontAllowReplacement);
    return reply.isValid() && reply.value() != QDBusConnectionInterface::ServiceNotRegistered;
}

void ActivationService::Activate(const QString& token) {
    emit activationRequested(token);
}

void ActivationService::OpenBook(const QByteArray& file, const QByteArray& entry,
                                 const QString& token) {
    QTimer::singleShot(0, this,
                       [this, book = BookLocation(file.toStdString(), entry.toStdString()), token] {
                           emit bookRequested(book, token);
                       });
}

bool isActivateCommand(int argc, char** argv) {
    return argc == 2 && std::strcmp(argv[1], "--activate") == 0;
}

QString callerActivationToken() {
    // Wayland's token first: a Wayland session may also set the X11 one for XWayland programs.
    QString token = qEnvironmentVariable("XDG_ACTIVATION_TOKEN");
    return token.isEmpty() ? qEnvironmentVariable("DESKTOP_STARTUP_ID") : token;
}

namespace {
bool callRunning(const QString& method, const QVariantList& arguments) {
    // A connection of its own: the program that may start next must not inherit its state.
    const QString name = QStringLiteral("tresslin-activate");
    bool answered = false;
    {
        QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, name);
        if (bus.isConnected()) {
            QDBusMessage call = QDBusMessage::createMethodCall(
                QString::fromLatin1(kActivationService), QString::fromLatin1(kActivationPath),
                QString::fromLatin1(kActivationService), method);
            call.setArguments(arguments);
            // No owner must mean "start one", never a bus-started program.
            call.setAutoStartService(false);
            // A hung program must not hold the command for long; then a new one starts.
            answered = bus.call(call, QDBus::Block, 2000).type() == QDBusMessage::ReplyMessage;
        }
    }
    QDBusConnection::disconnectFromBus(name);
    return answered;
}
}  // namespace

bool forwardActivation(const QString& token) {
    return callRunning(QStringLiteral("Activate"), {token});
}

bool forwardBook(const BookLocation& book, const QString& token) {
    if (book.empty()) return forwardActivation(token);
    return callRunning(QStringLiteral("OpenBook"), {QByteArray::fromStdString(book.file),
                                                    QByteArray::fromStdString(book.entry), token});
}

#ifdef TRESSLIN_X11
namespace {
// Ends the launcher's busy feedback for the `tresslin --activate` it started: the window it
// waited for is ours. The message goes out in 20-byte pieces, the first typed _BEGIN.
void endStartupFeedback(QWidget* window, const QString& id) {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    Display* display = x11 != nullptr ? x11->display() : nullptr;
    if (display == nullptr) return;
    QByteArray quoted = id.toUtf8();
    quoted.replace('\\', "\\\\").replace('"', "\\\"");
    const QByteArray message = "remove: ID=\"" + quoted + "\"" + QByteArray(1, '\0');
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = static_cast<Window>(window->window()->winId());
    event.xclient.format = 8;
    const Atom begin = XInternAtom(display, "_NET_STARTUP_INFO_BEGIN", False);
    const Atom more = XInternAtom(display, "_NET_STARTUP_INFO", False);
    constexpr qsizetype kPiece = sizeof event.xclient.data.b;
    for (qsizetype at = 0; at < message.size(); at += kPiece) {
        event.xclient.message_type = at == 0 ? begin : more;
        std::memset(event.xclient.data.b, 0, kPiece);
        std::memcpy(event.xclient.data.b, message.constData() + at,
                    std::min(kPiece, message.size() - at));
        XSendEvent(display, DefaultRootWindow(display), False, PropertyChangeMask, &event);
    }
    XFlush(display);
}
}  // namespace
#endif

void useActivationToken(QWidget* window, const QString& token) {
    if (token.isEmpty()) return;
    const QString platform = QGuiApplication::platformName();
    // Qt's Wayland plugin presents this token with the next activation request.
    if (platform == QLatin1String("wayland")) qputenv("XDG_ACTIVATION_TOKEN", token.toUtf8());
#ifdef TRESSLIN_X11
    if (platform == QLatin1String("xcb")) endStartupFeedback(window, token);
#else
    Q_UNUSED(window);
#endif
}

namespace {
class FirstPaintWatch : public QObject {
  public:
    FirstPaintWatch(QWidget* window, std::function<void()> work)
        : QObject(window), window_(window), work_(std::move(work)) {
        QCoreApplication::instance()->installEventFilter(this);
    }

    bool eventFilter(QObject* object, QEvent* event) override {
        if (event->type() != QEvent::Paint || !object->isWidgetType() ||
            static_cast<QWidget*>(object)->window() != window_)
            return false;
        QCoreApplication::instance()->removeEventFilter(this);
        // Queued: the rest of this paint and its flush to the screen come first.
        QTimer::singleShot(0, window_, [work = std::move(work_)] { work(); });
        deleteLater();
        return false;
    }

  private:
    QWidget* window_;
    std::function<void()> work_;
};
}  // namespace

void afterFirstPaint(QWidget* window, std::function<void()> work) {
    new FirstPaintWatch(window, std::move(work));
}

}  // namespace tresslin
