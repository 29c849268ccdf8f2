#include "uilanguage.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>

namespace {
const char kCatalogue[] = ":/translations/atlume_en.qm";
// Qt's own texts: the standard buttons, context menus and dialogs.
const char kQtCatalogue[] = "qtbase";

// "C", "POSIX", and either with a codeset or a modifier, such as "C.UTF-8".
bool isUnsetLocale(const QString &name)
{
    const QString base = name.section(QLatin1Char('.'), 0, 0).section(QLatin1Char('@'), 0, 0);
    return base == QLatin1String("C") || base == QLatin1String("POSIX");
}

QString qtTranslationsPath()
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
#else
    return QLibraryInfo::location(QLibraryInfo::TranslationsPath);
#endif
}
} // namespace

// The catalogue lives in a static library, whose resources register only when
// asked for by name, and the name must be declared outside any namespace.
static void initCatalogueResource()
{
    Q_INIT_RESOURCE(atlume_translations);
}

namespace atlume {

UiLanguage chooseUiLanguage(const QStringList &uiLanguages)
{
    if (uiLanguages.isEmpty())
        return UiLanguage::Chinese;
    for (const QString &name : uiLanguages) {
        if (isUnsetLocale(name) || QLocale(name).language() == QLocale::Chinese)
            return UiLanguage::Chinese;
    }
    return UiLanguage::English;
}

UiTranslations::UiTranslations(const QStringList &uiLanguages)
    : chosen(chooseUiLanguage(uiLanguages))
{
    const QString qtPath = qtTranslationsPath();
    if (chosen == UiLanguage::Chinese) {
        // The window's own texts need no catalogue.
        if (qtTexts.load(QLocale(QLocale::Chinese, QLocale::China), QLatin1String(kQtCatalogue),
                         QStringLiteral("_"), qtPath))
            QCoreApplication::installTranslator(&qtTexts);
        return;
    }

    initCatalogueResource();
    if (atlumeTexts.load(QLatin1String(kCatalogue)))
        QCoreApplication::installTranslator(&atlumeTexts);
    for (const QString &name : uiLanguages) {
        if (qtTexts.load(QLocale(name), QLatin1String(kQtCatalogue), QStringLiteral("_"), qtPath)) {
            QCoreApplication::installTranslator(&qtTexts);
            break;
        }
    }
}

UiTranslations::~UiTranslations()
{
    QCoreApplication::removeTranslator(&qtTexts);
    QCoreApplication::removeTranslator(&atlumeTexts);
}

} // namespace atlume
