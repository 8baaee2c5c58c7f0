#include "platform/WindowOptions.h"

#include <QCoreApplication>
#include <QWidget>
#include <QWindow>

namespace tresslin {

WindowOptionLimits windowOptionLimits(const QString& platformName) {
    // Wayland leaves stacking, translucency and placement to the compositor; a client cannot ask
    // for any of them, nor learn where its window is. Other platforms take all as window
    // manager hints.
    if (platformName.startsWith(QLatin1String("wayland")))
        return {QCoreApplication::translate(
                    "tresslin::WindowOptions",
                    "Wayland does not let a program keep its window above others"),
                QCoreApplication::translate(
                    "tresslin::WindowOptions",
                    "Wayland does not let a program make its window translucent"),
                QCoreApplication::translate("tresslin::WindowOptions",
                                            "Wayland does not tell a program where its window is")};
    return {};
}

void setStayOnTop(QWidget* window, bool on) {
    const Qt::WindowFlags flags = window->windowFlags();
    const Qt::WindowFlags wanted =
        on ? flags | Qt::WindowStaysOnTopHint : flags & ~Qt::WindowStaysOnTopHint;
    if (wanted == flags) return;
    // QWidget::setWindowFlags would destroy and re-create the native window: it would blink,
    // lose its place to the window manager and be hidden. The native window can take the new
    // hint as it is (on X11 a _NET_WM_STATE request), so the widget only records it.
    window->overrideWindowFlags(wanted);
    if (QWindow* handle = window->windowHandle()) handle->setFlag(Qt::WindowStaysOnTopHint, on);
}

}  // namespace tresslin
