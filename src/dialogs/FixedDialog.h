// What the three dialogs share: a client area of fixed size in twips, a title bar with only a
// close button, and controls placed at twips positions.
#pragma once

#include <QDialog>
#include <QWidget>

#include "platform/Twips.h"

namespace tresslin {

// Parented to the main window the dialog stays out of the taskbar (a transient dialog) and
// QDialog centres it over that window when it is shown.
inline void SetFixedDialogFrame(QDialog& dialog, int widthTwips, int heightTwips) {
    dialog.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    dialog.setFixedSize(TwipsToPixels(widthTwips), TwipsToPixels(heightTwips));
    dialog.setSizeGripEnabled(false);
}

inline void PlaceTwips(QWidget* control, int left, int top, int width, int height) {
    control->setGeometry(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width),
                         TwipsToPixels(height));
}

}  // namespace tresslin
