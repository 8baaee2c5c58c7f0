// What the three dialogs share: a client area of fixed size in twips, a title bar with only a
// close button, the program's font, and controls named and placed at twips positions.
#pragma once

#include <QDialog>
#include <QFont>
#include <QPushButton>
#include <QWidget>
#include <initializer_list>

#include "platform/Twips.h"

namespace tresslin {

// "Arial" 9 pt; fontconfig gives the metric-compatible Liberation Sans where Arial is absent.
inline QFont programFont() {
    QFont font(QStringLiteral("Arial"), 9);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

// Parented to the main window the dialog stays out of the taskbar (a transient dialog) and
// QDialog centres it over that window when it is shown. The object name is the one tests find.
// Without a size, the dialog's layout fixes it.
inline void setUpFixedDialog(QDialog& dialog, const char* name, const QString& title) {
    dialog.setObjectName(QString::fromLatin1(name));
    dialog.setWindowTitle(title);
    dialog.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    dialog.setSizeGripEnabled(false);
    dialog.setFont(programFont());
}

inline void setUpFixedDialog(QDialog& dialog, const char* name, const QString& title,
                             int widthTwips, int heightTwips) {
    setUpFixedDialog(dialog, name, title);
    dialog.setFixedSize(twipsToPixels(widthTwips), twipsToPixels(heightTwips));
}

inline void placeTwips(QWidget* control, const char* name, int left, int top, int width,
                       int height) {
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width),
                         twipsToPixels(height));
}

// Enter and Esc belong to the dialog's own key handling, never to a default button.
inline void noDefaultButtons(std::initializer_list<QPushButton*> buttons) {
    for (QPushButton* b : buttons) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
}

}  // namespace tresslin
