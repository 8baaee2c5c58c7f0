// The program's own dialogs, created afresh for each use and gone when they close.
#include "QtPrompts.h"
#include "frmFind.h"
#include "frmMain.h"
#include "frmSettings.h"
#include "frmTimer.h"

namespace tresslin {

bool QtPrompts::showFind(QWidget* parent, QString& sFind) {
    frmFind dialog(parent);
    return dialog.ShowFind(sFind);
}

void QtPrompts::showSettings(frmMain& main) {
    frmSettings dialog(main, main.prompts());
    dialog.exec();
}

void QtPrompts::showTimer(frmMain& main) {
    frmTimer dialog(main);
    dialog.exec();
}

}  // namespace tresslin
