#include <QApplication>

#include "Activation.h"
#include "App.h"

int main(int argc, char** argv) {
    if (const auto early = tresslin::HandleInfoOptions(argc, argv)) return *early;
    // Before any display work, so the command is quick; with none running, start as plain tresslin.
    if (tresslin::IsActivateCommand(argc, argv)) {
        if (tresslin::ForwardActivation(tresslin::CallerActivationToken())) return 0;
        argc = 1;
    }
    QApplication app(argc, argv);
    return tresslin::RunApplication(app);
}
