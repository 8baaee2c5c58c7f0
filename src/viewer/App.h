// Program entry: the command-line conventions and the window's life.
#pragma once

#include <QStringList>
#include <optional>

class QApplication;

namespace tresslin {

class frmMain;

// "--help" or "--version" as the only argument: prints the answer and gives the exit code.
// Anything else is left to the window (a book's path); handled before any display is needed.
std::optional<int> handleInfoOptions(int argc, char** argv);
std::optional<int> handleInfoOptions(const QStringList& arguments, QString& out);

// SIGTERM, SIGINT, SIGHUP and the end of the desktop session close window as Esc does, so the
// place in the book is saved.
void installTerminationHandler(frmMain& window);

// The arguments after the program's name, as QApplication left them, with their bytes kept
// (a book's name need not be UTF-8).
QStringList bookArguments(int argc, char** argv);

// Creates the main window on those arguments, runs the event loop and returns its exit code.
int runApplication(QApplication& app, const QStringList& arguments);

}  // namespace tresslin
