// The desktop's boxes and the program's own three dialogs: everything the main window asks the
// user through. Tests pass a scripted fake.
#pragma once

#include <QString>

#include "platform/Prompts.h"

class QWidget;

namespace tresslin {

class DialogHost;

class DialogPrompts : public virtual Prompts {
  public:
    // The find dialog with sFind proposed: true with the confirmed text in sFind.
    virtual bool showFind(QWidget* parent, QString& sFind) = 0;
    virtual void showSettings(QWidget* parent, DialogHost& host) = 0;
    virtual void showTimer(QWidget* parent, DialogHost& host) = 0;
};

}  // namespace tresslin
