// The smallest Qt Widgets program of the comparison: one line edit with a line of text.
// As a probe (argument --first-paint) it prints the time of its first paint and exits.
#include <QApplication>
#include <QLineEdit>
#include <cstring>

#include "FirstPaint.h"

int main(int argc, char** argv) {
    const bool probe = argc > 1 && std::strcmp(argv[1], "--first-paint") == 0;
    QApplication app(argc, argv);
    tresslin::bench::FirstPaint firstPaint(QStringLiteral("view"));
    if (probe) app.installEventFilter(&firstPaint);
    QLineEdit edit;
    edit.setObjectName(QStringLiteral("view"));
    edit.setText(QStringLiteral("Last File: book.txt  Line: 1  (Press CTRL + G for Open)"));
    edit.show();
    return app.exec();
}
