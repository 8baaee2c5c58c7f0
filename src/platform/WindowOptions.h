// Keeping a window above the others and making it translucent, where the desktop allows it.
#pragma once

#include <QString>

class QWidget;

namespace tresslin {

// Why the platform Qt runs on cannot keep an ordinary window above the others, or cannot make
// it translucent; empty texts where it can.
struct WindowOptionLimits {
    QString stayOnTop;
    QString opacity;
};
WindowOptionLimits windowOptionLimits(const QString& platformName);

// Keeps a top-level window above the others, or lets it go back among them. The window keeps
// its place, size and visibility.
void setStayOnTop(QWidget* window, bool on);

}  // namespace tresslin
