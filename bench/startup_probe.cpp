// The program's own start-up, exactly as main.cpp runs it, ended at the first paint of the line
// view (which shows the last-file offer when the settings name a last file).
#include <QApplication>

#include "FirstPaint.h"
#include "viewer/App.h"

int main(int argc, char** argv) {
    if (const auto early = tresslin::handleInfoOptions(argc, argv)) return *early;
    QApplication app(argc, argv);
    tresslin::bench::FirstPaint firstPaint(QStringLiteral("txtView"));
    app.installEventFilter(&firstPaint);
    return tresslin::runApplication(app, tresslin::commandLineBook(argc, argv));
}
