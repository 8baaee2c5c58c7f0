#include <QApplication>

#include "viewer/App.h"

int main(int argc, char** argv) {
    if (const auto early = tresslin::handleInfoOptions(argc, argv)) return *early;
    QApplication app(argc, argv);
    return tresslin::runApplication(app);
}
