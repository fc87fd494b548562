#include "WindowLanguage.h"

#include <QCoreApplication>
#include <QLibraryInfo>

namespace quovex {

namespace {

WindowLanguage s_nCurrent = WindowLanguage::LANGUAGE_CHINESE;

// Where the build puts the program's compiled translations.
const char* const PROGRAM_TRANSLATIONS = ":/i18n";

}  // namespace

WindowLanguage LanguageOf(const QLocale& locale) {
    return locale.language() == QLocale::English ? WindowLanguage::LANGUAGE_ENGLISH
                                                 : WindowLanguage::LANGUAGE_CHINESE;
}

WindowLanguage SystemWindowLanguage() {
    const QStringList vLanguages = QLocale::system().uiLanguages();
    return LanguageOf(vLanguages.isEmpty() ? QLocale::system() : QLocale(vLanguages.first()));
}

WindowLanguage CurrentWindowLanguage() {
    return s_nCurrent;
}

CWindowTranslators::~CWindowTranslators() {
    Remove();
}

WindowLanguage CWindowTranslators::Install(WindowLanguage nLanguage) {
    Remove();
    const QString strQtFolder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (nLanguage == WindowLanguage::LANGUAGE_ENGLISH &&
        Add(QStringLiteral("quovex_en"), QString::fromLatin1(PROGRAM_TRANSLATIONS))) {
        // Qt's own texts are English already.
        s_nCurrent = WindowLanguage::LANGUAGE_ENGLISH;
        return s_nCurrent;
    }
    // The program's texts are written in simplified Chinese, so Qt's follow
    // in the same script whatever Chinese locale (or other) this is. Without
    // Qt's translations installed its few texts stay English.
    Add(QStringLiteral("qtbase_zh_CN"), strQtFolder);
    s_nCurrent = WindowLanguage::LANGUAGE_CHINESE;
    return s_nCurrent;
}

void CWindowTranslators::Remove() {
    for (const auto& pTranslator : m_vTranslators)
        QCoreApplication::removeTranslator(pTranslator.get());
    m_vTranslators.clear();
    s_nCurrent = WindowLanguage::LANGUAGE_CHINESE;
}

bool CWindowTranslators::Add(const QString& strName, const QString& strFolder) {
    auto pTranslator = std::make_unique<QTranslator>();
    if (!pTranslator->load(strName, strFolder) ||
        !QCoreApplication::installTranslator(pTranslator.get()))
        return false;
    m_vTranslators.push_back(std::move(pTranslator));
    return true;
}

}  // namespace quovex
