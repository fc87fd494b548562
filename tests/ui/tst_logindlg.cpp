// The login dialog: its controls and focus, the byte limits while typing,
// the length message and the browse button.
#include <QLineEdit>
#include <QPushButton>

#include "DialogBuilder.h"
#include "DirDialog.h"
#include "LoginDlg.h"
#include "MessageBox.h"
#include "UiTestSupport.h"

using namespace quovex;

namespace {

// A login dialog preset and shown the way start-up shows it.
class CShownLogin : public CLoginDlg {
public:
    explicit CShownLogin(const QString& strUser = QString()) {
        m_strPath = QStringLiteral("缺省位置");
        m_strUser = strUser;
        show();
        (void)QTest::qWaitForWindowExposed(this);  // focus and typing show a failure
        activateWindow();
    }
    QLineEdit* Edit(int nId) const { return FindControl<QLineEdit>(this, nId); }
    QPushButton* Button(int nId) const { return FindControl<QPushButton>(this, nId); }
};

}  // namespace

class TestLoginDlg : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { CDirDialog::SetFolderPicker({}); }
    void controlsFocusAndTabOrder();
    void typingStopsAtSixtyThreeBytes();
    void okNeedsFourBytesEach_data();
    void okNeedsFourBytesEach();
    void browseResetsTheOtherFields();
};

void TestLoginDlg::controlsFocusAndTabOrder() {
    CShownLogin dialog(QStringLiteral("alice"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("登陆Merovik保险柜"));
    QCOMPARE(dialog.Edit(1011)->text(), QStringLiteral("缺省位置"));
    QCOMPARE(dialog.Edit(1004)->text(), QStringLiteral("alice"));
    QCOMPARE(dialog.Edit(1005)->echoMode(), QLineEdit::Password);
    // Focus starts on the user name; Tab walks the template order and comes round.
    QStringList order;
    for (int i = 0; i < 7; ++i) {
        order << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QCOMPARE(order, QStringList({"1004", "1005", "1", "2", "1011", "1020", "1004"}));
    test::SaveScreenshot(&dialog, QStringLiteral("login"));
}

void TestLoginDlg::typingStopsAtSixtyThreeBytes() {
    CShownLogin dialog;
    const QString strBao(30, QChar(0x4FDD));  // 30 × 保: 60 bytes
    // Outside code page 936, both take 4 bytes in GB18030, though ÿ is one
    // UTF-16 unit and the emoji two.
    const QString strY = QStringLiteral("ÿ");
    const QString strEmoji = QString::fromUtf8("\xF0\x9F\x98\x80");
    for (int nId : {1004, 1005}) {
        QLineEdit* pEdit = dialog.Edit(nId);
        pEdit->setFocus();
        test::TypeText(pEdit, strBao + strY);  // would make 64
        QCOMPARE(pEdit->text(), strBao);
        pEdit->backspace();
        test::TypeText(pEdit, strEmoji + QStringLiteral("ab"));  // 58 + 4 + 1: "b" is refused
        QCOMPARE(pEdit->text(), strBao.left(29) + strEmoji + QStringLiteral("a"));
    }
    // The location field has no limit.
    dialog.Edit(1011)->clear();
    test::TypeText(dialog.Edit(1011), QString(80, QChar(0x4FDD)));
    QCOMPARE(dialog.Edit(1011)->text().size(), 80);
    test::SaveScreenshot(&dialog, QStringLiteral("login-full"));
}

void TestLoginDlg::okNeedsFourBytesEach_data() {
    QTest::addColumn<QString>("strUser");
    QTest::addColumn<QString>("strPassword");
    QTest::addColumn<bool>("bAccepted");
    QTest::newRow("short user") << QString("abc") << QString("a long password") << false;
    QTest::newRow("short password") << QString("alice") << QString("abc") << false;
    QTest::newRow("保a: 3 bytes") << QString("保a") << QString("1234") << false;
    QTest::newRow("保险: 4 bytes") << QString("保险") << QString("1234") << true;
}

void TestLoginDlg::okNeedsFourBytesEach() {
    QFETCH(QString, strUser);
    QFETCH(QString, strPassword);
    QFETCH(bool, bAccepted);
    CMessageBoxScript script;
    CShownLogin dialog;
    dialog.Edit(1004)->setText(strUser);
    dialog.Edit(1005)->setText(strPassword);
    dialog.Edit(1011)->clear();  // the location is not checked
    dialog.Button(1)->click();
    QCOMPARE(dialog.isVisible(), !bAccepted);
    QCOMPARE(dialog.result(), bAccepted ? int(QDialog::Accepted) : 0);
    // OK takes the controls over, even when it refuses them.
    QCOMPARE(dialog.m_strUser, strUser);
    QCOMPARE(dialog.m_strPassword, strPassword);
    QCOMPARE(dialog.m_strPath, QString());
    QCOMPARE(script.Requests().size(), std::size_t(bAccepted ? 0 : 1));
    if (bAccepted) return;
    const MessageBoxRequest& request = script.Requests().front();
    QCOMPARE(request.strText, QStringLiteral("户名和口令长度至少 4 位"));
    QCOMPARE(request.strCaption, QStringLiteral("合法性警告"));
    QCOMPARE(request.nIcon, 0u);
    QCOMPARE(request.nButtons, unsigned(MSGBOX_OK));
}

void TestLoginDlg::browseResetsTheOtherFields() {
    QString strAskedTitle;
    QString strAnswer;
    CDirDialog::SetFolderPicker([&](const QString& strTitle) {
        strAskedTitle = strTitle;
        return strAnswer;
    });
    CShownLogin dialog(QStringLiteral("alice"));
    // A cancelled chooser changes nothing.
    dialog.Edit(1004)->setText(QStringLiteral("alice-typed"));
    dialog.Button(1020)->click();
    QCOMPARE(strAskedTitle, QStringLiteral("选择文件夹"));
    QCOMPARE(dialog.Edit(1011)->text(), QStringLiteral("缺省位置"));
    QCOMPARE(dialog.Edit(1004)->text(), QStringLiteral("alice-typed"));

    // A chosen folder fills the location and puts back the fields' user
    // name and empty password.
    dialog.Edit(1005)->setText(QStringLiteral("secret"));
    strAnswer = test::TestHome();
    dialog.Button(1020)->click();
    QCOMPARE(dialog.Edit(1011)->text(), test::TestHome());
    QCOMPARE(dialog.Edit(1004)->text(), QStringLiteral("alice"));
    QCOMPARE(dialog.Edit(1005)->text(), QString());
}

QUOVEX_UI_TEST_MAIN(TestLoginDlg)
#include "tst_logindlg.moc"
