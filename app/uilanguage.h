#pragma once

#include <QStringList>
#include <QTranslator>

namespace atlume {

// The window's texts are written in Chinese; English comes from a catalogue.
enum class UiLanguage { Chinese, English };

// Chinese for a desktop that lists any Chinese language, and for the C or
// POSIX locale, where nobody chose a language; English for every other.
UiLanguage chooseUiLanguage(const QStringList &uiLanguages);

// Installs, for as long as it lives, the catalogue of the language chosen from
// the desktop's languages (QLocale::uiLanguages() order) and Qt's own texts to
// match: Chinese beside the Chinese window, otherwise the first of the
// desktop's languages that Qt has. Make it before the first window.
class UiTranslations {
public:
    explicit UiTranslations(const QStringList &uiLanguages);
    ~UiTranslations();
    UiTranslations(const UiTranslations &) = delete;
    UiTranslations &operator=(const UiTranslations &) = delete;

    UiLanguage language() const { return chosen; }

private:
    UiLanguage chosen;
    QTranslator atlumeTexts;
    QTranslator qtTexts;
};

} // namespace atlume
