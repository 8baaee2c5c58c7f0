#include "dialogs/OutOfSightBox.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

#include "dialogs/DialogHost.h"
#include "dialogs/FixedDialog.h"
#include "platform/DesktopPresence.h"
#include "platform/Prompts.h"
#include "settings/Settings.h"

namespace tresslin {

namespace {
// A control the desktop cannot serve is disabled and says why, unless its setting is already on:
// the reader must always be able to turn it off again.
void limit(QWidget* control, const QString& why, bool on) {
    control->setEnabled(why.isEmpty() || on);
    control->setToolTip(why);
}

QFont storedFont() {
    return QFont(ReadSetting(settings::FontName), settings::readNumber(settings::FontSize));
}
}  // namespace

OutOfSightBox::OutOfSightBox(QWidget* parent, DialogHost& host, Prompts& prompts)
    : QWidget(parent),
      host_(host),
      prompts_(prompts),
      chkHideFromTaskbar(new QCheckBox(QStringLiteral("Hide from taskbar"), this)),
      chkTrayIcon(new QCheckBox(QStringLiteral("Tray icon"), this)),
      chkFrameless(new QCheckBox(QStringLiteral("Frameless"), this)),
      cmdFont(new QPushButton(this)),
      lblBackgroundOpacity(new QLabel(QStringLiteral("Background opacity:"), this)),
      spnBackgroundOpacity(new QSpinBox(this)),
      lblHideTextAway(new QLabel(QStringLiteral("Hide text away after:"), this)),
      spnHideTextAway(new QSpinBox(this)) {
    setObjectName(QStringLiteral("fraOutOfSight"));
    placeTwips(chkHideFromTaskbar, "chkHideFromTaskbar", 150, 0, 2200, 315);
    placeTwips(chkTrayIcon, "chkTrayIcon", 2400, 0, 1215, 315);
    placeTwips(chkFrameless, "chkFrameless", 150, 375, 1700, 315);
    placeTwips(cmdFont, "cmdFont", 1900, 345, 1715, 375);
    placeTwips(lblBackgroundOpacity, "lblBackgroundOpacity", 150, 780, 2300, 255);
    placeTwips(spnBackgroundOpacity, "spnBackgroundOpacity", 2520, 750, 1095, 315);
    placeTwips(lblHideTextAway, "lblHideTextAway", 150, 1155, 2300, 255);
    placeTwips(spnHideTextAway, "spnHideTextAway", 2520, 1125, 1095, 315);
    cmdFont->setAutoDefault(false);
    spnBackgroundOpacity->setRange(settings::BackgroundOpacity.min,
                                   settings::BackgroundOpacity.max);
    spnBackgroundOpacity->setSuffix(QStringLiteral(" %"));
    spnHideTextAway->setRange(settings::HideTextAway.min, settings::HideTextAway.max);
    spnHideTextAway->setSuffix(QStringLiteral(" s"));
    spnHideTextAway->setSpecialValueText(QStringLiteral("never"));

    chkHideFromTaskbar->setChecked(settings::readFlag(settings::HideFromTaskbar));
    chkTrayIcon->setChecked(settings::readFlag(settings::TrayIcon));
    chkFrameless->setChecked(settings::readFlag(settings::Frameless));
    spnBackgroundOpacity->setValue(settings::readNumber(settings::BackgroundOpacity));
    spnHideTextAway->setValue(settings::readNumber(settings::HideTextAway));
    showFontName();

    const PresenceLimits limits = presenceLimits();
    limit(chkHideFromTaskbar, limits.skipTaskbar, chkHideFromTaskbar->isChecked());
    limit(chkTrayIcon, limits.tray, chkTrayIcon->isChecked());
    const bool seeThrough = spnBackgroundOpacity->value() < 100;
    limit(lblBackgroundOpacity, limits.translucentBackground, seeThrough);
    limit(spnBackgroundOpacity, limits.translucentBackground, seeThrough);

    for (QCheckBox* box : {chkHideFromTaskbar, chkTrayIcon, chkFrameless})
        connect(box, &QCheckBox::clicked, this, [this, box] { storeFlag(box); });
    connect(spnBackgroundOpacity, &QSpinBox::valueChanged, this, [this](int value) {
        settings::writeNumber(settings::BackgroundOpacity, value);
        host_.applyWindowOptions();
    });
    connect(spnHideTextAway, &QSpinBox::valueChanged, this, [this](int value) {
        settings::writeNumber(settings::HideTextAway, value);
        host_.applyWindowOptions();
    });
    connect(cmdFont, &QPushButton::clicked, this, &OutOfSightBox::cmdFont_Click);
}

void OutOfSightBox::storeFlag(QCheckBox* box) {
    const settings::Setting& setting = box == chkHideFromTaskbar ? settings::HideFromTaskbar
                                       : box == chkTrayIcon      ? settings::TrayIcon
                                                                 : settings::Frameless;
    settings::writeNumber(setting, box->isChecked() ? 1 : 0);
    host_.applyWindowOptions();
}

void OutOfSightBox::cmdFont_Click() {
    const auto chosen = prompts_.chooseFont(window(), storedFont());
    // A size in pixels only (some bitmap fonts) has no point size to store.
    if (!chosen || chosen->pointSize() <= 0) return;
    WriteSetting(settings::FontName, chosen->family());
    settings::writeNumber(settings::FontSize, chosen->pointSize());
    showFontName();
    host_.applyWindowOptions();
}

void OutOfSightBox::showFontName() {
    const QFont font = storedFont();
    cmdFont->setText(QStringLiteral("Font..."));
    cmdFont->setToolTip(QStringLiteral("%1, %2 pt").arg(font.family()).arg(font.pointSize()));
}

}  // namespace tresslin
