#include "app/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace {

// Beside the program's folder in an installed tree (/usr/bin and
// /usr/share/pictavel/translations) and in the build folder alike.
QString programCatalogueFolder()
{
    return QCoreApplication::applicationDirPath() +
           QStringLiteral("/../share/pictavel/translations");
}

} // namespace

void installTranslations(const QLocale &locale)
{
    // Installed translators are only pointed to, so they live as long as the
    // program.
    static QTranslator program;
    static QTranslator qt;
    QCoreApplication::removeTranslator(&program);
    QCoreApplication::removeTranslator(&qt);
    switch (locale.language()) {
    case QLocale::C:
        return;
    case QLocale::Russian:
        if (qt.load(locale, QStringLiteral("qt"), QStringLiteral("_"),
                    QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            QCoreApplication::installTranslator(&qt);
        return;
    default:
        if (program.load(QStringLiteral("pictavel_en"), programCatalogueFolder()))
            QCoreApplication::installTranslator(&program);
        return;
    }
}
