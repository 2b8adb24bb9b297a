// The class library's own texts in Spanish, from its translation files.
#include "platform/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

TSpanishTranslations::TSpanishTranslations() : FLibrary(std::make_unique<QTranslator>())
{
    // The locale of the texts is fixed: the program speaks Spanish under any LANG.
    FLoaded = FLibrary->load(QLocale(QLocale::Spanish, QLocale::Spain), QStringLiteral("qtbase"), QStringLiteral("_"),
                             QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    if (FLoaded)
        QCoreApplication::installTranslator(FLibrary.get());
}

TSpanishTranslations::~TSpanishTranslations()
{
    if (FLoaded)
        QCoreApplication::removeTranslator(FLibrary.get());
}
