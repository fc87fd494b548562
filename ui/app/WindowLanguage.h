// The window's language. The texts in the sources are the program's own
// Chinese; English comes from a translation compiled into the program
// (res/translations). The language follows the locale: English for en_*,
// Chinese for zh_* and for every other or missing locale. Qt's own texts
// (the folder chooser, the standard context menus) follow the same choice
// where Qt's translations are installed.
#pragma once

#include <QLocale>
#include <QString>
#include <QTranslator>
#include <memory>
#include <vector>

namespace quovex {

enum class WindowLanguage {
    LANGUAGE_CHINESE,
    LANGUAGE_ENGLISH,
};

// The language a window shown in the given locale speaks.
WindowLanguage LanguageOf(const QLocale& locale);
// The language of the user's first interface language (LANGUAGE, then
// LC_ALL, LC_MESSAGES, LANG).
WindowLanguage SystemWindowLanguage();

// The language the installed translators give (Chinese until
// CWindowTranslators::Install chose another). GUI thread.
WindowLanguage CurrentWindowLanguage();

// Holds the translators of one language installed into the application;
// they leave it with the object. GUI thread, after the QApplication exists.
class CWindowTranslators {
public:
    CWindowTranslators() = default;
    ~CWindowTranslators();
    CWindowTranslators(const CWindowTranslators&) = delete;
    CWindowTranslators& operator=(const CWindowTranslators&) = delete;

    // Installs the program's translation for the language and Qt's own
    // where it is found. A language whose translation does not load leaves
    // the window in Chinese: returns the language the window speaks now.
    WindowLanguage Install(WindowLanguage nLanguage);

private:
    void Remove();
    bool Add(const QString& strName, const QString& strFolder);

    std::vector<std::unique_ptr<QTranslator>> m_vTranslators;
};

}  // namespace quovex
