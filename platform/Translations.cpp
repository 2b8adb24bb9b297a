// The class library's own texts in Spanish, from its translation files.
#include "platform/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <cstring>

#include "platform/Win1252Qt.h"
#include "platform/core/SysUtils.h"

namespace {

// The class library's texts its Spanish translation does not hold, each with the string of ours
// that stands for it (found by asking a translator installed behind it which texts reach it).
struct TFallbackText {
    const char* Context;
    const char* Source;
    int Id;
};
constexpr TFallbackText kFallbackTexts[] = {
    {"QAbstractFileIconProvider", "Folder", 4990},
    {"QAbstractFileIconProvider", "Drive", 4991},
    {"QAbstractFileIconProvider", "%1 File", 4992},
    {"QAbstractFileIconProvider", "File", 4993},
    {"QAbstractFileIconProvider", "Unknown", 4994},
    // The print dialog's output page and the printer properties.
    {"QPrintPropertiesWidget", "Advanced", 65370},
    {"QPrintPropertiesWidget", "There are conflicts in some options. Please fix them.", 65371},
    {"QPrintSettingsOutput", "Double Sided Printing", 65372},
    {"QPrintSettingsOutput", "Off", 65373},
    {"QPrintSettingsOutput", "Long side binding", 65374},
    {"QPrintSettingsOutput", "Short side binding", 65375},
    {"QPrintSettingsOutput", "Pages", 65376},
    {"QPrintSettingsOutput",
     "Specify pages or ranges separated by commas. Ranges are specified by two numbers separated by a hyphen. "
     "E.g: 3,5-7,9 prints pages 3, 5, 6, 7 and 9.",
     65377},
};

// Consulted after the library's translation: it answers only for the texts listed above, whatever
// their disambiguation.
class TStringTableTranslator : public QTranslator {
public:
    QString translate(const char* context, const char* sourceText, const char*, int) const override
    {
        if (!context || !sourceText)
            return {};
        for (const TFallbackText& text : kFallbackTexts)
            if (std::strcmp(context, text.Context) == 0 && std::strcmp(sourceText, text.Source) == 0)
                return LoadResQString(text.Id);
        return {};
    }
    bool isEmpty() const override { return false; }
};

} // namespace

TSpanishTranslations::TSpanishTranslations()
    : FLibrary(std::make_unique<QTranslator>()), FFallback(std::make_unique<TStringTableTranslator>())
{
    // Translators installed later are asked first: the fallback goes in before the library's.
    QCoreApplication::installTranslator(FFallback.get());
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
    QCoreApplication::removeTranslator(FFallback.get());
}
