#include <QApplication>

#include "platform/Activation.h"
#include "sync/SyncCommand.h"
#include "viewer/App.h"
#include "viewer/Translations.h"

int main(int argc, char** argv) {
    if (const auto early = tresslin::handleInfoOptions(argc, argv)) return *early;
    if (const auto synced =
            tresslin::sync::handleSyncCommand(argc, argv, [] { tresslin::installTranslations(); }))
        return *synced;
    // Before any display work, so the command is quick; with none running, start as plain tresslin.
    if (tresslin::isActivateCommand(argc, argv)) {
        if (tresslin::forwardActivation(tresslin::callerActivationToken())) return 0;
        argc = 1;
    }
    // QApplication takes its own options out of argv; the rest name the book.
    QApplication app(argc, argv);
    return tresslin::runApplication(app, tresslin::commandLineBook(argc, argv));
}
