// The interface's language: the program's own texts (embedded, ":/i18n/tresslin_<lang>.qm") and
// Qt's (Debian's qt6-translations-l10n) for the desktop's languages. English, the texts as
// written, needs no file; under the C locale nothing is loaded, as gettext does.
#pragma once

#include <QList>
#include <QLocale>

class QTranslator;

namespace tresslin {

// The desktop's locale for messages; the C locale (also "C.UTF-8") when LC_ALL, LC_MESSAGES or
// LANG asks for it, whatever LANGUAGE says.
QLocale desktopLocale();

// Installs the translators found for the locale's languages into the application; returns them
// (owned by the application) so that a caller can remove them again.
QList<QTranslator*> installTranslations(const QLocale& locale = desktopLocale());

}  // namespace tresslin
