// Keeping a window above the others and making it translucent, where the desktop allows it, and
// whether a program can know where its window stands.
#pragma once

#include <QString>

class QWidget;

namespace tresslin {

// Why the platform Qt runs on cannot keep an ordinary window above the others, cannot make it
// translucent, or does not tell a program where its window is; empty texts where it can.
struct WindowOptionLimits {
    QString stayOnTop;
    QString opacity;
    QString position;
};
WindowOptionLimits windowOptionLimits(const QString& platformName);

// Keeps a top-level window above the others, or lets it go back among them. The window keeps
// its place, size and visibility.
void setStayOnTop(QWidget* window, bool on);

}  // namespace tresslin
