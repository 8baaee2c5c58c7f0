#include "viewer/App.h"

#include <QApplication>
#include <QIcon>
#include <QTimer>
#include <cstdio>

#include "book/mdlDeclarations.h"
#include "dialogs/QtDialogPrompts.h"
#include "platform/Activation.h"
#include "platform/BringBack.h"
#include "platform/FileNames.h"
#include "platform/Termination.h"
#include "settings/Settings.h"
#include "viewer/frmMain.h"

namespace tresslin {

std::optional<int> handleInfoOptions(const QStringList& arguments, QString& out) {
    if (arguments.size() != 1) return std::nullopt;
    if (arguments[0] == QStringLiteral("--version")) {
        out = QString::fromLatin1(kAppTitle) + u' ' + QString::fromLatin1(kVersionText) + u'\n';
        return 0;
    }
    if (arguments[0] == QStringLiteral("--help")) {
        out = QStringLiteral(
            "Usage: tresslin [BOOK]\n"
            "       tresslin --activate\n"
            "Shows a Russian plain-text book one line at a time in a one-line window.\n"
            "\n"
            "  BOOK        the text file to open; all arguments together form one path\n"
            "              (to open a file named --help, write ./--help)\n"
            "  --help      show this help and exit\n"
            "  --version   show the version and exit\n"
            "  --activate  bring the running Tresslin's window back (restored and active) and\n"
            "              exit; with none running, start one. Bind it to a key in the\n"
            "              desktop's keyboard settings where keypad plus cannot reach Tresslin\n"
            "              (Wayland): GNOME Settings > Keyboard > Custom Shortcuts; KDE System\n"
            "              Settings > Shortcuts > Custom Shortcuts (or Add Command); Sway:\n"
            "              bindsym KP_Add exec tresslin --activate\n"
            "\n"
            "Without BOOK the last book is offered: press Ctrl+G to reopen it, F1 for the keys.\n"
            "Settings: $XDG_CONFIG_HOME/Tresslin/Tresslin.ini (~/.config/Tresslin/Tresslin.ini)\n");
        return 0;
    }
    return std::nullopt;
}

std::optional<int> handleInfoOptions(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    QString out;
    const auto rc = handleInfoOptions(arguments, out);
    if (rc) std::fputs(out.toLocal8Bit().constData(), stdout);
    return rc;
}

void installTerminationHandler(frmMain& window) {
    auto* watch = new TerminationWatch(&window);
    QObject::connect(watch, &TerminationWatch::endRequested, &window, &frmMain::unload);
}

BookLocation commandLineBook(int argc, char** argv) {
    std::string line;
    for (int i = 1; i < argc; ++i) (line += argv[i]) += ' ';
    const auto first = line.find_first_not_of(' ');
    if (first == line.npos) return {};
    return locationFromBytes(line.substr(first, line.find_last_not_of(' ') + 1 - first));
}

int runApplication(QApplication& app, const BookLocation& commandLine) {
    // One strip per user: a strip already running takes the book, or only comes back.
    if (forwardBook(absoluteLocation(commandLine), callerActivationToken())) return 0;
    ignoreFileSizeSignal();
    QApplication::setApplicationName(QStringLiteral("Tresslin"));
    QApplication::setApplicationVersion(QString::fromLatin1(kVersionText));
    QApplication::setDesktopFileName(QStringLiteral("tresslin"));
    // The window stores its place while it opens; the file waits for the first paint (a second
    // at most, should the window not be painted).
    settings::holdSaves(true);
    QTimer::singleShot(1000, [] { settings::holdSaves(false); });
    QtDialogPrompts prompts;
    frmMain window(prompts);
    installTerminationHandler(window);
    window.Form_Load(commandLine);
    // Ended during start-up (a signal while a message box was open): everything is saved.
    if (window.isUnloaded()) return 0;
    auto* back = new BringBack(&window);
    QObject::connect(back, &BringBack::requested, &window, &frmMain::bringBack);
    QObject::connect(back, &BringBack::bookRequested, &window,
                     [&window](const BookLocation& book, const QString& token) {
                         window.bringBack(token);
                         window.OpenBook(book);
                     });
    window.show();
    // The bus and the icon cost start-up time, so after the first paint.
    afterFirstPaint(&window, [&window, back] {
        settings::holdSaves(false);
        // Reading an image loads every image plugin Qt has. PNG sizes rather than the SVG: the
        // SVG plugin is not always installed.
        QIcon icon;
        for (int size : {16, 32, 48, 64})
            icon.addFile(QStringLiteral(":/icons/hicolor/%1x%1/apps/tresslin.png").arg(size));
        window.setWindowIcon(icon);
        back->listenOnBus();
    });
    const int rc = app.exec();
    settings::flush();
    return rc;
}

}  // namespace tresslin
