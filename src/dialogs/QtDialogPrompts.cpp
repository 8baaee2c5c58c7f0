#include "dialogs/QtDialogPrompts.h"

#include "dialogs/frmFind.h"
#include "dialogs/frmSettings.h"
#include "dialogs/frmTimer.h"

namespace tresslin {

void QtDialogPrompts::message(QWidget* parent, const QString& text, MessageIcon icon,
                              const QString& title) {
    desktop_.message(parent, text, icon, title);
}

QString QtDialogPrompts::input(QWidget* parent, const QString& prompt, const QString& title) {
    return desktop_.input(parent, prompt, title);
}

std::optional<QString> QtDialogPrompts::openFile(QWidget* parent, const QString& lastPath) {
    return desktop_.openFile(parent, lastPath);
}

std::optional<std::int32_t> QtDialogPrompts::chooseColor(QWidget* parent, std::int32_t colour) {
    return desktop_.chooseColor(parent, colour);
}

// The program's own dialogs are created afresh for each use and gone when they close.
bool QtDialogPrompts::showFind(QWidget* parent, QString& sFind) {
    frmFind dialog(parent);
    return dialog.ShowFind(sFind);
}

void QtDialogPrompts::showSettings(QWidget* parent, DialogHost& host) {
    frmSettings dialog(parent, host, *this);
    dialog.exec();
}

void QtDialogPrompts::showTimer(QWidget* parent, DialogHost& host) {
    frmTimer dialog(parent, host);
    dialog.exec();
}

}  // namespace tresslin
