#include "viewer/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace tresslin {

QLocale desktopLocale() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QString value = qEnvironmentVariable(name);
        if (value.isEmpty()) continue;
        const QString base = value.section(u'.', 0, 0).section(u'@', 0, 0);
        return base == u"C" || base == u"POSIX" ? QLocale::c() : QLocale::system();
    }
    return QLocale::system();
}

QList<QTranslator*> installTranslations(const QLocale& locale) {
    QList<QTranslator*> installed;
    if (locale.language() == QLocale::C) return installed;
    const std::pair<const char*, QString> catalogues[] = {
        {"tresslin", QStringLiteral(":/i18n")},
        {"qtbase", QLibraryInfo::path(QLibraryInfo::TranslationsPath)},
    };
    for (const auto& [name, folder] : catalogues) {
        auto* translator = new QTranslator(QCoreApplication::instance());
        if (translator->load(locale, QString::fromLatin1(name), QStringLiteral("_"), folder) &&
            QCoreApplication::installTranslator(translator)) {
            installed.append(translator);
        } else {
            delete translator;
        }
    }
    return installed;
}

}  // namespace tresslin
