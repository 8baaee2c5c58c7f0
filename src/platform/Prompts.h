// Everything that asks the user in one of the desktop's modal boxes or dialogs goes through this
// interface, so that the windows can be driven by tests with a scripted fake.
#pragma once

#include <QFont>
#include <QString>
#include <cstdint>
#include <optional>

class QWidget;

namespace tresslin {

enum class MessageIcon { Information, Warning };

class Prompts {
  public:
    virtual ~Prompts() = default;

    // A modal box with one OK button.
    virtual void message(QWidget* parent, const QString& text, MessageIcon icon,
                         const QString& title) = 0;
    // A modal input box; the empty text on Cancel.
    virtual QString input(QWidget* parent, const QString& prompt, const QString& title) = 0;
    // The open dialog: the chosen path, or nothing on Cancel. lastPath is the previous choice.
    virtual std::optional<QString> openFile(QWidget* parent, const QString& lastPath) = 0;
    // The colour dialog, given and returning a stored colour value; nothing on Cancel.
    virtual std::optional<std::int32_t> chooseColor(QWidget* parent, std::int32_t colour) = 0;
    // The desktop's font dialog, starting at font; nothing on Cancel.
    virtual std::optional<QFont> chooseFont(QWidget* parent, const QFont& font) = 0;
};

}  // namespace tresslin
