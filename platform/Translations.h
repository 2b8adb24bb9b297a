// The class library's own texts (file, page setup and print dialogs, the pop-up menu of text fields) in Spanish, whatever the locale.
#pragma once

#include <memory>

class QTranslator;

// While it lives, the application's platform texts are Spanish: the class library's Spanish
// translation is installed, and behind it our own string table answers for the few texts that
// translation lacks (the kinds of entry a file dialog lists).
class TSpanishTranslations {
public:
    TSpanishTranslations();
    ~TSpanishTranslations();
    TSpanishTranslations(const TSpanishTranslations&) = delete;
    TSpanishTranslations& operator=(const TSpanishTranslations&) = delete;
    // False when the class library's translations are not installed: its texts then stay English.
    bool Loaded() const { return FLoaded; }

private:
    std::unique_ptr<QTranslator> FLibrary;
    std::unique_ptr<QTranslator> FFallback;
    bool FLoaded = false;
};
