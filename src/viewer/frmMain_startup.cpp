// Start-up and shutdown.
#include <sys/socket.h>
#include <unistd.h>
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QSocketNotifier>
#include <QThread>
#include <csignal>

#include "HotKey.h"
#include "Settings.h"
#include "ViewRules.h"
#include "frmMain.h"

namespace tresslin {

namespace {
const QString kSettingsSection = QString::fromLatin1(keys::kSettings);

}  // namespace

void frmMain::Form_Load(const QStringList& arguments) {
    RestorePosition();
    ApplyColors();
    setWindowTitle(QString::fromStdString(VersionCaption()));

    // The desktop hands over the arguments split; a path with blanks arrives whole again.
    const QString commandLine = TrimBlanks(arguments.join(u' '));
    if (commandLine.isEmpty()) {
        LastFile = ReadSetting(kSettingsSection, QString::fromLatin1(keys::kLastFile), QString());
        if (!LastFile.isEmpty()) {
            LastLine = ReadIntSetting(kSettingsSection, QString::fromLatin1(keys::kLastLine),
                                      kDefaultLastLine);
            txtView->setText(QStringLiteral("Last File: ") + FileNameOf(LastFile) +
                             QStringLiteral("  Line: ") + QString::number(LastLine) +
                             QStringLiteral("  (Press CTRL + G for Open)"));
        } else {
            txtView->setText(QStringLiteral("Show Commands List - Press F1"));
        }
    } else {
        OpenBook(commandLine);
    }
    txtView->setCursorPosition(0);
    hotKey_ = ActivationHotKey::create(this);
}

bool frmMain::hasHotKey() const {
    return hotKey_ != nullptr && hotKey_->isActive();
}

void frmMain::closeEvent(QCloseEvent* event) {
    // Closing is never refused.
    event->accept();
    if (unloaded_) return;
    unloaded_ = true;
    Form_QueryUnload();
    Form_Unload();
}

void frmMain::Unload() {
    if (unloaded_) {
        // Already saved; a second request (another signal) only makes sure the program ends.
        EndEventLoops();
        return;
    }
    close();
}

void frmMain::Form_Unload() {
    TimerOff();
    if (!BookPath.isEmpty() && MaxLine > 0) {
        WriteSetting(kSettingsSection, QString::fromLatin1(keys::kLastFile), BookPath);
        WriteSetting(kSettingsSection, QString::fromLatin1(keys::kLastLine),
                     QString::number(qint64(CurLine) + 1));
    }
    UnloadAllForms();
}

void frmMain::UnloadAllForms() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w != this && w->isVisible()) w->close();
    }
    FlushSettings();
    EndEventLoops();
}

void frmMain::EndEventLoops() {
    // exit() also ends a modal box's loop. Before any loop runs (a signal during start-up, or a
    // test) there is nothing to end: the caller sees isUnloaded() and does not start one.
    if (QThread::currentThread()->loopLevel() > 0) QCoreApplication::exit(0);
}

namespace {
int gSignalPipe[2] = {-1, -1};

void onTerminationSignal(int) {
    const char byte = 1;
    // Only async-signal-safe work here; the event loop does the rest.
    [[maybe_unused]] ssize_t n = ::write(gSignalPipe[1], &byte, 1);
}
}  // namespace

void InstallTerminationHandler(frmMain& window) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, gSignalPipe) != 0) return;
    auto* notifier = new QSocketNotifier(gSignalPipe[0], QSocketNotifier::Read, &window);
    QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window] {
        char byte;
        [[maybe_unused]] ssize_t n = ::read(gSignalPipe[0], &byte, 1);
        window.Unload();
    });
    struct sigaction sa {};
    sa.sa_handler = onTerminationSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaction(sig, &sa, nullptr);
    // The end of the desktop session closes the window the same way.
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, &window,
                     [&window](QSessionManager&) { window.Unload(); });
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, &window, [&window] { window.Unload(); });
}

}  // namespace tresslin
