// Every dialog template built into widgets (a screenshot of each goes to
// <build>/screenshots), the login dialog and the questions' buttons.
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <cstdlib>
#include <tuple>
#include <utility>

#include "DialogTemplate.h"
#include "DirDialog.h"
#include "UiTestSupport.h"

using namespace quovex;

class TestDialogs : public QObject {
    Q_OBJECT
private slots:
    void cleanup() {
        CDirDialog::SetFolderPicker({});
        test::StopWhenModal();
    }
    void everyTemplateTakesClicks_data();
    void everyTemplateTakesClicks();
    void loginSession();
    void questionButtons_data();
    void questionButtons();
};

void TestDialogs::everyTemplateTakesClicks_data() {
    QTest::addColumn<int>("nId");
    for (int nId = 0; nId < 1000; ++nId)
        if (FindDialogTemplate(nId)) QTest::addRow("%d", nId) << nId;
}

// Controls lie below any menu bar, and a click on one reaches it, also
// where a frame created after it surrounds it.
void TestDialogs::everyTemplateTakesClicks() {
    QFETCH(int, nId);
    QDialog dialog;
    QWidget* pClient = BuildDialog(&dialog, nId);
    QVERIFY(pClient && QFontMetrics(dialog.font()).inFont(QChar(0x4FDD)));  // 保
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    if (const auto* pMenuBar = dialog.findChild<QMenuBar*>())
        QVERIFY(pClient->mapTo(&dialog, QPoint()).y() >= pMenuBar->height());
    for (QWidget* pControl : pClient->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (qobject_cast<QGroupBox*>(pControl)) continue;
        QWidget* pHit = pClient->childAt(pControl->geometry().center());
        QVERIFY2(pHit == pControl || pControl->isAncestorOf(pHit),
                 qPrintable(pControl->objectName()));
    }
    // Tab goes top to bottom and left to right; a label's mnemonic leads to
    // the control after it.
    QWidget* pFirst = nullptr;  // the top left one
    for (QWidget* pControl : pClient->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!(pControl->focusPolicy() & Qt::TabFocus)) continue;
        const QRect rc = pControl->geometry();
        if (!pFirst || std::make_pair(rc.top(), rc.left()) <
                           std::make_pair(pFirst->geometry().top(), pFirst->geometry().left()))
            pFirst = pControl;
    }
    QList<QWidget*> vChain;
    for (QWidget* p = pFirst; p && !vChain.contains(p); p = p->nextInFocusChain())
        if (p->parentWidget() == pClient && (p->focusPolicy() & Qt::TabFocus)) vChain << p;
    for (qsizetype i = 1; i < vChain.size(); ++i) {
        const QRect a = vChain[i - 1]->geometry(), b = vChain[i]->geometry();
        const bool bSameRow = std::abs(a.top() - b.top()) <= a.height() / 2;
        QVERIFY2(bSameRow ? a.left() < b.left() : a.top() < b.top(),
                 qPrintable(vChain[i - 1]->objectName() + u" before "_s + vChain[i]->objectName()));
    }
    for (const QLabel* pLabel : pClient->findChildren<QLabel*>())
        QVERIFY(!pLabel->text().contains(u'&') || pLabel->buddy());
    QVERIFY(test::SaveScreenshot(&dialog, u"template-%1"_s.arg(nId)));
}

void TestDialogs::loginSession() {
    QString strAnswer;  // the chooser's answer; empty: cancelled
    CDirDialog::SetFolderPicker([&](const QString& strTitle) {
        return strTitle == u"选择文件夹"_s ? strAnswer : QString();
    });
    CMessageBoxScript script;
    CLoginDlg dialog;
    dialog.m_strPath = u"缺省位置"_s;
    dialog.m_strUser = u"alice"_s;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const auto edit = [&](int nId) { return FindControl<QLineEdit>(&dialog, nId); };
    const auto texts = [&] {
        return QStringList({edit(1011)->text(), edit(1004)->text(), edit(1005)->text()});
    };
    QVERIFY(dialog.focusWidget() == edit(1004) && edit(1005)->echoMode() == QLineEdit::Password);
    QTest::keyClicks(edit(1005), u"secret"_s);
    test::SaveScreenshot(&dialog, u"login"_s);

    // User name and password stop at 63 GB18030 bytes, counted per code point:
    // ÿ (one UTF-16 unit) and the emoji (two) both take 4.
    const auto type = [](QLineEdit* pEdit, const QString& strText) {
        for (char32_t c : strText.toUcs4()) pEdit->insert(QString::fromUcs4(&c, 1));
    };
    const QString strBao(30, QChar(0x4FDD));  // 30 × 保: 60 bytes
    const QString strEmoji = QString::fromUtf8("\xF0\x9F\x98\x80");
    for (int nId : {1004, 1005}) {
        edit(nId)->clear();
        type(edit(nId), strBao + u"ÿ"_s);  // would make 64
        QCOMPARE(edit(nId)->text(), strBao);
        edit(nId)->backspace();
        type(edit(nId), strEmoji + u"ab"_s);  // 58 + 4 + 1: "b" is refused
        QCOMPARE(edit(nId)->text(), strBao.left(29) + strEmoji + u"a"_s);
    }

    // A chosen folder (not a cancelled chooser) fills the location and puts
    // back the user name and an empty password.
    const QStringList typed = texts();
    test::Click(&dialog, 1020);
    QCOMPARE(texts(), typed);
    strAnswer = u"/srv/保险柜"_s;
    test::Click(&dialog, 1020);
    QCOMPARE(texts(), QStringList({"/srv/保险柜", "alice", ""}));

    // OK takes the controls over, even refusing them; it needs 4 GB18030 bytes
    // in user name and password, none in the location.
    edit(1011)->clear();
    const std::tuple<const char*, const char*, bool> attempts[] = {
        {"保a", "1234", false}, {"alice", "abc", false}, {"保险", "1234", true}};
    for (const auto& [pszUser, pszPassword, bAccepted] : attempts) {
        edit(1004)->setText(QString::fromUtf8(pszUser));
        edit(1005)->setText(QString::fromUtf8(pszPassword));
        test::Click(&dialog, 1);
        QCOMPARE(dialog.isVisible(), !bAccepted);
        QCOMPARE(QStringList({dialog.m_strPath, dialog.m_strUser, dialog.m_strPassword}), texts());
    }
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    // One length message for each refusal.
    QCOMPARE(test::MessageTexts(script), QStringList(2, u"户名和口令长度至少 4 位"_s));
}

void TestDialogs::questionButtons_data() {
    QTest::addColumn<unsigned>("nStyle");
    QTest::addColumn<QString>("strPress");  // a button's text, or a key's name
    QTest::addColumn<int>("nAnswer");
    const unsigned ALL = MSGBOX_YESNO_ALL | MSGBOX_DEFAULT_NO;
    QTest::newRow("Enter") << unsigned(MSGBOX_YESNO) << "Enter" << int(MSGBOX_RESULT_YES);
    QTest::newRow("Enter, default No") << ALL << "Enter" << int(MSGBOX_RESULT_NO);
    QTest::newRow("Escape") << ALL << "Escape" << int(MSGBOX_RESULT_NO);
    QTest::newRow("是") << ALL << "是(&Y)" << int(MSGBOX_RESULT_YES);
    QTest::newRow("全部是") << ALL << "全部是" << int(MSGBOX_RESULT_YES_ALL);
    QTest::newRow("否") << ALL << "否(&N)" << int(MSGBOX_RESULT_NO);
    QTest::newRow("全部否") << ALL << "全部否" << int(MSGBOX_RESULT_NO_ALL);
}

// The box as the user meets it (no script): Enter goes to the button with
// the focus, as it would from the keyboard.
void TestDialogs::questionButtons() {
    QFETCH(unsigned, nStyle);
    QFETCH(QString, strPress);
    QFETCH(int, nAnswer);
    QStringList buttons;
    test::WhenModal<QMessageBox>([&](QMessageBox* pBox) {
        for (QAbstractButton* pButton : pBox->buttons()) {
            buttons << pButton->text();
            if (pButton->text() == strPress) pButton->click();
        }
        QWidget* pFocus = pBox->focusWidget() ? pBox->focusWidget() : pBox;
        if (strPress == u"Enter"_s) QTest::keyClick(pFocus, Qt::Key_Return);
        if (strPress == u"Escape"_s) QTest::keyClick(pFocus, Qt::Key_Escape);
    });
    QCOMPARE(ShowMessageBox(u"覆盖它吗？"_s, nStyle), nAnswer);
    QCOMPARE(buttons.size(), qsizetype(nStyle & MSGBOX_YESNO_ALL ? 4 : 2));
}

QUOVEX_UI_TEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
