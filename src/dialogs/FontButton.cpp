#include "dialogs/FontButton.h"

#include "dialogs/DialogHost.h"
#include "platform/Prompts.h"
#include "settings/Settings.h"

namespace tresslin {

namespace {
QFont storedFont() {
    return QFont(ReadSetting(settings::FontName), settings::readNumber(settings::FontSize));
}
}  // namespace

FontButton::FontButton(QWidget* parent, DialogHost& host, Prompts& prompts)
    : QPushButton(parent), host_(host), prompts_(prompts) {
    setObjectName(QStringLiteral("cmdFont"));
    setAutoDefault(false);
    showFontName();
    connect(this, &QPushButton::clicked, this, &FontButton::cmdFont_Click);
}

void FontButton::cmdFont_Click() {
    const auto chosen = prompts_.chooseFont(window(), storedFont());
    // A size in pixels only (some bitmap fonts) has no point size to store.
    if (!chosen || chosen->pointSize() <= 0) return;
    WriteSetting(settings::FontName, chosen->family());
    settings::writeNumber(settings::FontSize, chosen->pointSize());
    showFontName();
    host_.applyWindowOptions();
}

void FontButton::showFontName() {
    const QFont font = storedFont();
    setText(tr("Font..."));
    setToolTip(tr("%1, %2 pt").arg(font.family()).arg(font.pointSize()));
}

}  // namespace tresslin
