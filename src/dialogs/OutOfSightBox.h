// The settings dialog's controls for keeping the strip out of sight: taskbar, tray, frame,
// background opacity and text hidden while the mouse is away. Each choice is stored and applied
// to the window at once.
#pragma once

#include "dialogs/SettingsPage.h"

namespace tresslin {

class DialogHost;

class OutOfSightBox : public SettingsPage {
    Q_OBJECT
  public:
    OutOfSightBox(QWidget* parent, DialogHost& host);
};

}  // namespace tresslin
