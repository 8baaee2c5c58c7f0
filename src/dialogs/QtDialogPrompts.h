// The real boxes and dialogs.
#pragma once

#include "dialogs/DialogPrompts.h"
#include "platform/QtPrompts.h"

namespace tresslin {

class QtDialogPrompts : public DialogPrompts {
  public:
    void message(QWidget* parent, const QString& text, MessageIcon icon,
                 const QString& title) override;
    QString input(QWidget* parent, const QString& prompt, const QString& title) override;
    std::optional<QString> openFile(QWidget* parent, const QString& lastPath) override;
    std::optional<std::int32_t> chooseColor(QWidget* parent, std::int32_t colour) override;
    bool showFind(QWidget* parent, QString& sFind) override;
    void showSettings(QWidget* parent, DialogHost& host) override;
    void showTimer(QWidget* parent, DialogHost& host) override;

  private:
    QtPrompts desktop_;
};

}  // namespace tresslin
