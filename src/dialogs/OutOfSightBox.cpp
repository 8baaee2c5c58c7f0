#include "dialogs/OutOfSightBox.h"

#include <QCheckBox>
#include <QSpinBox>

#include "dialogs/DialogHost.h"
#include "platform/DesktopPresence.h"
#include "settings/Settings.h"

namespace tresslin {

OutOfSightBox::OutOfSightBox(QWidget* parent, DialogHost& host)
    : SettingsPage(parent, Frame::Block) {
    setObjectName(QStringLiteral("fraOutOfSight"));
    const auto apply = [&host] { host.applyWindowOptions(); };
    QCheckBox* chkHideFromTaskbar =
        addFlag("chkHideFromTaskbar", tr("Hide from taskbar"), settings::HideFromTaskbar, apply);
    QCheckBox* chkTrayIcon = addFlag("chkTrayIcon", tr("Tray icon"), settings::TrayIcon, apply);
    addFlag("chkFrameless", tr("Frameless"), settings::Frameless, apply);
    QSpinBox* spnBackgroundOpacity =
        addNumber("lblBackgroundOpacity", tr("Background opacity:"), "spnBackgroundOpacity",
                  settings::BackgroundOpacity, QStringLiteral(" %"), apply);
    QSpinBox* spnHideTextAway =
        addNumber("lblHideTextAway", tr("Hide text away after:"), "spnHideTextAway",
                  settings::HideTextAway, tr(" s"), apply);
    spnHideTextAway->setSpecialValueText(tr("never"));

    const PresenceLimits limits = presenceLimits();
    limit(chkHideFromTaskbar, limits.skipTaskbar, chkHideFromTaskbar->isChecked());
    limit(chkTrayIcon, limits.tray, chkTrayIcon->isChecked());
    limit(spnBackgroundOpacity, limits.translucentBackground, spnBackgroundOpacity->value() < 100);
}

}  // namespace tresslin
