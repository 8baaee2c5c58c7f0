// Program entry: the command-line conventions and the window's life.
#pragma once

#include <QStringList>
#include <optional>

#include "book/BookLocation.h"

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

// The book the arguments after the program's name name, as QApplication left them: the desktop
// hands them over split, so a path with blanks is joined again, trimmed of blanks; its bytes are
// kept (a book's name need not be UTF-8). Nothing when they are blank.
BookLocation commandLineBook(int argc, char** argv);

// Creates the main window on that book, runs the event loop and returns its exit code.
int runApplication(QApplication& app, const BookLocation& commandLine);

}  // namespace tresslin
