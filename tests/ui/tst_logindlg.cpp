// The login dialog: its controls and focus, the byte limits while typing,
// the length message and the browse button.
#include <QLineEdit>
#include <QPushButton>

#include "ByteLimitValidator.h"
#include "DialogBuilder.h"
#include "DirDialog.h"
#include "LoginDlg.h"
#include "MessageBox.h"
#include "UiTestSupport.h"

using namespace quovex;

namespace {

QLineEdit* Edit(QWidget* pDialog, int nId) {
    return FindControl<QLineEdit>(pDialog, nId);
}

void ShowPreset(CLoginDlg& dialog, const QString& strUser) {
    dialog.m_strPath = QStringLiteral("缺省位置");
    dialog.m_strUser = strUser;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    dialog.activateWindow();
}

}  // namespace

class TestLoginDlg : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { CDirDialog::SetFolderPicker({}); }
    void controlsFocusAndTabOrder();
    void typingStopsAtSixtyThreeBytes();
    void shortCredentialsShowTheLengthMessage();
    void browseResetsTheOtherFields();
};

void TestLoginDlg::controlsFocusAndTabOrder() {
    CLoginDlg dialog;
    ShowPreset(dialog, QStringLiteral("alice"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("登陆Merovik保险柜"));
    QCOMPARE(Edit(&dialog, 1011)->text(), QStringLiteral("缺省位置"));
    QCOMPARE(Edit(&dialog, 1004)->text(), QStringLiteral("alice"));
    QCOMPARE(Edit(&dialog, 1005)->text(), QString());
    QCOMPARE(Edit(&dialog, 1005)->echoMode(), QLineEdit::Password);
    QCOMPARE(FindControl<QPushButton>(&dialog, 1)->text(), QStringLiteral("确定"));
    QCOMPARE(FindControl<QPushButton>(&dialog, 1020)->text(), QStringLiteral("..."));
    QCOMPARE(QApplication::focusWidget(), Edit(&dialog, 1004));

    // Tab walks the controls in template order and comes round again.
    QStringList order;
    for (int i = 0; i < 7; ++i) {
        order << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QCOMPARE(order, QStringList({"1004", "1005", "1", "2", "1011", "1020", "1004"}));
    test::SaveScreenshot(&dialog, QStringLiteral("login"));
}

void TestLoginDlg::typingStopsAtSixtyThreeBytes() {
    CLoginDlg dialog;
    ShowPreset(dialog, QString());
    for (int nId : {1004, 1005}) {
        QLineEdit* pEdit = Edit(&dialog, nId);
        pEdit->setFocus();
        const QString strChinese(31, QChar(0x4FDD));  // 31 × 保: 62 bytes
        test::TypeText(pEdit, strChinese);
        QCOMPARE(pEdit->text(), strChinese);
        test::TypeText(pEdit, QStringLiteral("险"));  // would make 64
        QCOMPARE(pEdit->text(), strChinese);
        test::TypeText(pEdit, QStringLiteral("ab"));  // only "a" fits
        QCOMPARE(pEdit->text(), strChinese + QStringLiteral("a"));
        QCOMPARE(Gb18030Bytes(pEdit->text()), 63L);

        // A character outside code page 936 takes 4 bytes in GB18030.
        pEdit->clear();
        test::TypeText(pEdit, QString(30, QChar(0x4FDD)));
        const QString strEmoji = QString::fromUtf8("\xF0\x9F\x98\x80");
        test::TypeText(pEdit, strEmoji);  // would make 64
        QCOMPARE(pEdit->text(), QString(30, QChar(0x4FDD)));
        pEdit->backspace();
        test::TypeText(pEdit, strEmoji);  // 58 + 4
        QCOMPARE(pEdit->text(), QString(29, QChar(0x4FDD)) + strEmoji);
    }
    // The location field has no limit.
    QLineEdit* pPath = Edit(&dialog, 1011);
    pPath->clear();
    test::TypeText(pPath, QString(80, QChar(0x4FDD)));
    QCOMPARE(pPath->text().size(), 80);
    test::SaveScreenshot(&dialog, QStringLiteral("login-full"));
}

void TestLoginDlg::shortCredentialsShowTheLengthMessage() {
    CMessageBoxScript script;
    CLoginDlg dialog;
    ShowPreset(dialog, QString());
    Edit(&dialog, 1004)->setText(QStringLiteral("abc"));
    Edit(&dialog, 1005)->setText(QStringLiteral("a long password"));
    FindControl<QPushButton>(&dialog, 1)->click();
    QCOMPARE(script.Requests().size(), std::size_t(1));
    const MessageBoxRequest& request = script.Requests().front();
    QCOMPARE(request.strText, QStringLiteral("户名和口令长度至少 4 位"));
    QCOMPARE(request.strCaption, QStringLiteral("合法性警告"));
    QCOMPARE(request.nIcon, 0u);
    QCOMPARE(request.nButtons, unsigned(MSGBOX_OK));
    QVERIFY(dialog.isVisible());
    QCOMPARE(Edit(&dialog, 1004)->text(), QStringLiteral("abc"));

    // A short password alone is refused as well.
    Edit(&dialog, 1004)->setText(QStringLiteral("alice"));
    Edit(&dialog, 1005)->setText(QStringLiteral("abc"));
    FindControl<QPushButton>(&dialog, 1)->click();
    QCOMPARE(script.Requests().size(), std::size_t(2));
    QVERIFY(dialog.isVisible());

    // Two Chinese characters are 4 bytes, enough; the location is not checked.
    Edit(&dialog, 1004)->setText(QStringLiteral("保险"));
    Edit(&dialog, 1005)->setText(QStringLiteral("1234"));
    Edit(&dialog, 1011)->clear();
    FindControl<QPushButton>(&dialog, 1)->click();
    QCOMPARE(script.Requests().size(), std::size_t(2));
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.m_strUser, QStringLiteral("保险"));
    QCOMPARE(dialog.m_strPassword, QStringLiteral("1234"));
    QCOMPARE(dialog.m_strPath, QString());
}

void TestLoginDlg::browseResetsTheOtherFields() {
    QString strAskedTitle;
    QString strAnswer;
    CDirDialog::SetFolderPicker([&](const QString& strTitle) {
        strAskedTitle = strTitle;
        return strAnswer;
    });
    CLoginDlg dialog;
    ShowPreset(dialog, QStringLiteral("alice"));
    QPushButton* pBrowse = FindControl<QPushButton>(&dialog, 1020);

    // A cancelled chooser changes nothing. (The user name is selected as the
    // dialog opens, so move to its end before typing.)
    QTest::keyClick(Edit(&dialog, 1004), Qt::Key_End);
    test::TypeText(Edit(&dialog, 1004), QStringLiteral("-typed"));
    pBrowse->click();
    QCOMPARE(strAskedTitle, QStringLiteral("选择文件夹"));
    QCOMPARE(Edit(&dialog, 1011)->text(), QStringLiteral("缺省位置"));
    QCOMPARE(Edit(&dialog, 1004)->text(), QStringLiteral("alice-typed"));

    // A chosen folder fills the location and puts back the preset user
    // name and the empty password.
    Edit(&dialog, 1005)->setText(QStringLiteral("secret"));
    strAnswer = test::TestHome();
    pBrowse->click();
    QCOMPARE(Edit(&dialog, 1011)->text(), test::TestHome());
    QCOMPARE(Edit(&dialog, 1004)->text(), QStringLiteral("alice"));
    QCOMPARE(Edit(&dialog, 1005)->text(), QString());

    // After a refused OK the fields hold that attempt, and browse shows it.
    CMessageBoxScript script;
    Edit(&dialog, 1004)->setText(QStringLiteral("bob"));
    FindControl<QPushButton>(&dialog, 1)->click();
    Edit(&dialog, 1004)->setText(QStringLiteral("carol"));
    pBrowse->click();
    QCOMPARE(Edit(&dialog, 1004)->text(), QStringLiteral("bob"));
}

QUOVEX_UI_TEST_MAIN(TestLoginDlg)
#include "tst_logindlg.moc"
