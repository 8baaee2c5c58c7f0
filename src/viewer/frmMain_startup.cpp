// Start-up and shutdown.
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QThread>

#include "platform/FileNames.h"
#include "settings/Settings.h"
#include "sync/SyncSession.h"
#include "viewer/WindowRules.h"
#include "viewer/frmMain.h"

namespace tresslin {

void frmMain::Form_Load(const BookLocation& commandLine) {
    RestorePosition();
    applyWindowOptions();
    ApplyColors();
    setWindowTitle(QString::fromStdString(versionCaption()));

    if (commandLine.empty()) {
        LastFile = storedLocation(ReadSetting(settings::LastFile));
        if (!LastFile.empty()) {
            LastLine = settings::readNumber(settings::LastLine);
            txtView->setText(tr("Last File: ") + shownName(LastFile) + tr("  Line: ") +
                             QString::number(LastLine) + tr("  (Press CTRL + G for Open)"));
        } else {
            txtView->setText(tr("Show Commands List - Press F1"));
        }
    } else {
        OpenBook(commandLine);
    }
    txtView->setCursorPosition(0);
}

void frmMain::closeEvent(QCloseEvent* event) {
    // Closing is never refused.
    event->accept();
    if (unloaded_) return;
    unloaded_ = true;
    Form_QueryUnload();
    Form_Unload();
}

void frmMain::unload() {
    if (unloaded_) {
        // Already saved; a second request (another signal) only makes sure the program ends.
        endEventLoops();
        return;
    }
    close();
}

void frmMain::Form_Unload() {
    TimerOff();
    if (!book_.location.empty() && book_.maxLine() > 0) {
        WriteSetting(settings::LastFile, storedText(book_.location));
        settings::writeNumber(settings::LastLine, qint64(cursor_.line()) + 1);
    }
    readingPlace_.leave();
    // Bounded: the close waits less than a second for the server. The session itself stays
    // until the window goes: a close may come from inside one of its answers (a signal).
    if (sync_) sync_->finish();
    UnloadAllForms();
}

void frmMain::UnloadAllForms() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w != this && w->isVisible()) w->close();
    }
    settings::flush();
    endEventLoops();
}

void frmMain::endEventLoops() {
    // exit() also ends a modal box's loop. Before any loop runs (a signal during start-up, or a
    // test) there is nothing to end: the caller sees isUnloaded() and does not start one.
    if (QThread::currentThread()->loopLevel() > 0) QCoreApplication::exit(0);
}

}  // namespace tresslin
