// The desktop's real boxes and dialogs.
#pragma once

#include "platform/Prompts.h"

namespace tresslin {

// Prompts is a virtual base so that QtDialogPrompts can add the program's own dialogs to these.
class QtPrompts : public virtual Prompts {
  public:
    void message(QWidget* parent, const QString& text, MessageIcon icon,
                 const QString& title) override;
    QString input(QWidget* parent, const QString& prompt, const QString& title) override;
    std::optional<QString> openFile(QWidget* parent, const QString& lastPath) override;
    std::optional<std::int32_t> chooseColor(QWidget* parent, std::int32_t colour) override;
    std::optional<QFont> chooseFont(QWidget* parent, const QFont& font) override;
};

}  // namespace tresslin
