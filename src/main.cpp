#include <QApplication>

#include "viewer/App.h"

int main(int argc, char** argv) {
    if (const auto early = tresslin::HandleInfoOptions(argc, argv)) return *early;
    QApplication app(argc, argv);
    return tresslin::RunApplication(app);
}
