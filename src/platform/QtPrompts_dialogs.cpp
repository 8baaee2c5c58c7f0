// The program's own dialogs, created afresh for each use and gone when they close.
#include "dialogs/frmFind.h"
#include "dialogs/frmSettings.h"
#include "dialogs/frmTimer.h"
#include "platform/QtPrompts.h"
#include "viewer/frmMain.h"

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
