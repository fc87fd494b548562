// The English window beside the Chinese one: the same templates, every
// text translated and fitting its control, the help in the window's
// language and at the section of the window F1 was pressed in. A screenshot
// of each English template goes to <build>/screenshots.
#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTextBrowser>

#include "CoreTexts.h"
#include "DialogTemplate.h"
#include "HelpViewer.h"
#include "SizeText.h"
#include "UiTestSupport.h"
#include "VersionTexts.h"
#include "WindowLanguage.h"

using namespace quovex;

namespace {

const QRegularExpression CHINESE(u"[\u3000-\u303f\u4e00-\u9fff\uff00-\uffef]"_s);

// Each control of a built template: its object name, its text where it
// has one, and whether that text fits the control's rectangle.
struct ControlText {
    QString strName;
    QString strText;
    bool bFits = true;
};

QList<ControlText> TextsOf(const QWidget* pWindow) {
    QList<ControlText> vTexts{{pWindow->objectName(), pWindow->windowTitle(), true}};
    for (const QWidget* pControl : pWindow->findChildren<QWidget*>()) {
        ControlText text{pControl->objectName(), QString()};
        if (const auto* pLabel = qobject_cast<const QLabel*>(pControl)) {
            text.strText = pLabel->text();
            text.bFits = pLabel->wordWrap() || pLabel->sizeHint().width() <= pLabel->width();
        } else if (const auto* pButton = qobject_cast<const QAbstractButton*>(pControl)) {
            text.strText = pButton->text();
            text.bFits = pButton->sizeHint().width() <= pButton->width();
        } else if (const auto* pGroup = qobject_cast<const QGroupBox*>(pControl)) {
            text.strText = pGroup->title();
        }
        vTexts << text;
    }
    for (const QAction* pAction : pWindow->findChildren<QAction*>())
        vTexts << ControlText{pAction->objectName(), pAction->text(), true};
    for (const QMenu* pMenu : pWindow->findChildren<QMenu*>())
        vTexts << ControlText{pMenu->objectName(), pMenu->title(), true};
    return vTexts;
}

}  // namespace

class TestLanguage : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { InstallHelpKey(); }
    void cleanup() { m_translators.Install(WindowLanguage::LANGUAGE_CHINESE); }
    void languageFollowsLocale();
    void englishTemplates_data();
    void englishTemplates();
    void englishTextsOfCode();
    void helpInLanguageAtWindowSection();

private:
    CWindowTranslators m_translators;
};

// English for English locales only; the program's own Chinese for the rest.
void TestLanguage::languageFollowsLocale() {
    for (const char* pszName : {"en_US", "en_GB", "en"})
        QCOMPARE(LanguageOf(QLocale(QString::fromLatin1(pszName))),
                 WindowLanguage::LANGUAGE_ENGLISH);
    for (const char* pszName : {"zh_CN", "zh_TW", "de_DE", "C"})
        QCOMPARE(LanguageOf(QLocale(QString::fromLatin1(pszName))),
                 WindowLanguage::LANGUAGE_CHINESE);
}

void TestLanguage::englishTemplates_data() {
    QTest::addColumn<int>("nId");
    for (int nId = 0; nId < 1000; ++nId)
        if (FindDialogTemplate(nId)) QTest::addRow("%d", nId) << nId;
}

// Both windows come from one template: the same controls under the same
// names, so that tests and the code find them alike. The English one has
// no Chinese text left, and a text that fits its control in Chinese fits
// it in English too.
void TestLanguage::englishTemplates() {
    QFETCH(int, nId);
    QDialog chinese;
    BuildDialog(&chinese, nId);
    const QList<ControlText> vChinese = TextsOf(&chinese);

    QCOMPARE(m_translators.Install(WindowLanguage::LANGUAGE_ENGLISH),
             WindowLanguage::LANGUAGE_ENGLISH);
    QDialog english;
    BuildDialog(&english, nId);
    const QList<ControlText> vEnglish = TextsOf(&english);
    QCOMPARE(vEnglish.size(), vChinese.size());
    for (qsizetype i = 0; i < vEnglish.size(); ++i) {
        const ControlText& text = vEnglish[i];
        QCOMPARE(text.strName, vChinese[i].strName);
        QVERIFY2(!text.strText.contains(CHINESE), qPrintable(text.strText));
        QVERIFY2(text.bFits || !vChinese[i].bFits, qPrintable(text.strText));
        // A mnemonic where the Chinese has one.
        QCOMPARE(text.strText.contains(u'&'), vChinese[i].strText.contains(u'&'));
    }
    english.show();
    QVERIFY(QTest::qWaitForWindowExposed(&english));
    QVERIFY(test::SaveScreenshot(&english, u"template-%1-en"_s.arg(nId)));
}

// The code's own texts: captions, words of units, counts in the plural.
void TestLanguage::englishTextsOfCode() {
    QCOMPARE(VersionsItemText(u"a.txt.$"_s, 2), u"a.txt.$（2 个版本）"_s);
    m_translators.Install(WindowLanguage::LANGUAGE_ENGLISH);
    QCOMPARE(BoxCaption(2), u"Videos vault"_s);
    QCOMPARE(FormatSizeText(12), std::string("12 bytes( 12 bytes)"));
    QCOMPARE(VersionsItemText(u"a.txt.$"_s, 2), u"a.txt.$ (2 versions)"_s);
    QVERIFY(!VersionsDialogHeadText(u"a.txt"_s, 1).contains(CHINESE));
    QVERIFY(!FailReasonText(FailCause{FailReason::FAIL_NO_SPACE}).contains(CHINESE));
}

// F1 in a dialog opens the help at that dialog's section, in the window's
// language; asked again from elsewhere, the one help window moves there.
void TestLanguage::helpInLanguageAtWindowSection() {
    for (const WindowLanguage nLanguage :
         {WindowLanguage::LANGUAGE_CHINESE, WindowLanguage::LANGUAGE_ENGLISH}) {
        m_translators.Install(nLanguage);
        QDialog login;
        BuildDialog(&login, RES_DLG_LOGIN);
        login.show();
        QApplication::setActiveWindow(&login);
        QVERIFY(QTest::qWaitForWindowActive(&login));
        QTest::keyClick(login.focusWidget() ? login.focusWidget() : &login, Qt::Key_F1);
        const auto* pHelp = login.findChild<CHelpWindow*>();
        QVERIFY(pHelp);
        const QUrl source = pHelp->Browser()->source();
        QCOMPARE(source.fragment(), u"login"_s);
        QCOMPARE(source.path().endsWith(u".en.html"_s),
                 nLanguage == WindowLanguage::LANGUAGE_ENGLISH);
        QVERIFY(!pHelp->Browser()->toPlainText().isEmpty());
        ShowProgramHelp(&login, HelpTopicOf(&login) == u"login"_s ? u"versions"_s : QString());
        QCOMPARE(login.findChildren<CHelpWindow*>().size(), 1);
        QCOMPARE(pHelp->Browser()->source().fragment(), u"versions"_s);
    }
}

QTEST_MAIN(TestLanguage)
#include "tst_language.moc"
