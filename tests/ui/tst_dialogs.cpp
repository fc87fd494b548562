// Every dialog template builds into widgets at its rectangles, with its
// ids and a font that has Chinese (a screenshot of each goes to
// <build>/screenshots);
// the menus, strings and pictures load. The login dialog: focus and tab
// order, the byte limits while typing, the browse button and OK.
#include <QDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <tuple>

#include "DialogBuilder.h"
#include "DirDialog.h"
#include "LoginDlg.h"
#include "MessageBox.h"
#include "ResourceImages.h"
#include "UiTestSupport.h"

using namespace quovex;

class TestDialogs : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { CDirDialog::SetFolderPicker({}); }
    void everyTemplateBuildsAtItsRectangles_data();
    void everyTemplateBuildsAtItsRectangles();
    void menusStringsAndPictures();
    void loginSession();
};

void TestDialogs::everyTemplateBuildsAtItsRectangles_data() {
    QTest::addColumn<int>("nId");
    for (int nId : {RES_DLG_ABOUT, RES_DLG_MAIN, RES_DLG_LOGIN, RES_DLG_SETTINGS_PAGE,
                    RES_DLG_FILE_INFO, RES_DLG_DIR_INFO, RES_DLG_PROGRESS})
        QTest::addRow("%d", nId) << nId;
}

void TestDialogs::everyTemplateBuildsAtItsRectangles() {
    QFETCH(int, nId);
    const DialogTemplate* pTemplate = FindDialogTemplate(nId);
    QVERIFY(pTemplate);
    QDialog dialog;
    QWidget* pClient = BuildDialog(&dialog, *pTemplate);
    QCOMPARE(dialog.windowTitle(), QString::fromUtf8(pTemplate->pszCaption));
    const QFont font = DialogFont(*pTemplate);
    QVERIFY(QFontMetrics(font).inFont(QChar(0x4FDD)));  // 保

    const CDialogUnits units(font);
    const QList<QWidget*> controls = pClient->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (const ControlTemplate& ctl : pTemplate->controls) {
        const auto it = std::find_if(controls.begin(), controls.end(), [&](QWidget* pControl) {
            return pControl->objectName() == QString::number(ctl.nId) &&
                   pControl->geometry() == units.ToPixels(ctl.x, ctl.y, ctl.cx, ctl.cy);
        });
        QVERIFY2(it != controls.end(), ctl.pszText);
        if (auto* pEdit = qobject_cast<QLineEdit*>(*it))
            QCOMPARE(pEdit->echoMode() == QLineEdit::Password, bool(ctl.nStyle & STYLE_PASSWORD));
        if (auto* pButton = qobject_cast<QPushButton*>(*it))
            QCOMPARE(pButton->isDefault(), bool(ctl.nStyle & STYLE_DEFAULT));
    }
    if (!pTemplate->nMenuId) QCOMPARE(dialog.size(), units.ToPixels(pTemplate->cx, pTemplate->cy));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    // Controls lie below any menu bar, and a click on one reaches it, also
    // where a frame created after it surrounds it.
    if (pTemplate->nMenuId)
        QVERIFY(pClient->mapTo(&dialog, QPoint()).y() >= dialog.findChild<QMenuBar*>()->height());
    for (QWidget* pControl : controls) {
        if (qobject_cast<QGroupBox*>(pControl)) continue;
        QWidget* pHit = pClient->childAt(pControl->geometry().center());
        QVERIFY2(pHit == pControl || pControl->isAncestorOf(pHit),
                 qPrintable(pControl->objectName()));
    }
    QDir().mkpath(QStringLiteral(QUOVEX_SCREENSHOT_DIR));
    QVERIFY(dialog.grab().save(QStringLiteral(QUOVEX_SCREENSHOT_DIR "/template-%1.png").arg(nId)));
}

void TestDialogs::menusStringsAndPictures() {
    // Each popup's title, then its items as "<command id><text>" or "-".
    QStringList listing;
    const auto list = [&listing](QMenu* pMenu) {
        listing << pMenu->title();
        for (QAction* pAction : pMenu->actions()) {
            listing << (pAction->isSeparator() ? QStringLiteral("-")
                                               : pAction->objectName() + pAction->text());
        }
    };
    QWidget owner;
    for (QAction* pPopup : BuildMenuBar(RES_MENU_MAIN, &owner)->actions()) list(pPopup->menu());
    list(BuildPopupMenu(RES_MENU_CONTEXT, 0, &owner));
    QCOMPARE(listing,
             QStringList({"文件[&F]", "32772参数设置...", "-", "32771退出", "帮助[&H]",
                          "32777帮助与索引", "-", "32778关于Merovik保险柜...", "_popup_",
                          "32773还原", "32774还原到...", "-", "32775删除", "-", "32776属性"}));
    QVERIFY(!BuildPopupMenu(RES_MENU_CONTEXT, 1, &owner));
    QCOMPARE(QString::fromUtf8(LoadResString(RES_STR_ABOUT_ITEM)),
             QStringLiteral("关于Merovik保险柜(&A)..."));

    const QImage strip = LoadBoxStrip().toImage();
    QCOMPARE(strip.size(), QSize(640, 80));
    // The corners of every picture are background white.
    for (int i = 0; i < 8; ++i) QCOMPARE(strip.pixel(i * 80, 0), qRgb(255, 255, 255));
    QVERIFY(!LoadAppIcon().isNull());
}

void TestDialogs::loginSession() {
    QStringList asked;  // the chooser's titles
    QString strAnswer;  // the chooser's answer; empty: cancelled
    CDirDialog::SetFolderPicker([&](const QString& strTitle) {
        asked << strTitle;
        return strAnswer;
    });
    CMessageBoxScript script;
    CLoginDlg dialog;
    dialog.m_strPath = QStringLiteral("缺省位置");
    dialog.m_strUser = QStringLiteral("alice");
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    dialog.activateWindow();
    const auto edit = [&](int nId) { return FindControl<QLineEdit>(&dialog, nId); };
    const auto texts = [&] {
        return QStringList({edit(1011)->text(), edit(1004)->text(), edit(1005)->text()});
    };

    // Focus starts on the user name; Tab walks the template order and comes round.
    QStringList order;
    for (int i = 0; i < 7; ++i) {
        order << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QCOMPARE(order, QStringList({"1004", "1005", "1", "2", "1011", "1020", "1004"}));
    QTest::keyClicks(edit(1005), QStringLiteral("secret"));
    test::SaveScreenshot(&dialog, QStringLiteral("login"));

    // User name and password stop at 63 GB18030 bytes, checked as each code
    // point goes in. Outside code page 936 ÿ and the emoji both take 4 bytes,
    // though ÿ is one UTF-16 unit and the emoji two.
    const auto type = [](QLineEdit* pEdit, const QString& strText) {
        for (char32_t c : strText.toUcs4()) pEdit->insert(QString::fromUcs4(&c, 1));
    };
    const QString strBao(30, QChar(0x4FDD));  // 30 × 保: 60 bytes
    const QString strEmoji = QString::fromUtf8("\xF0\x9F\x98\x80");
    for (int nId : {1004, 1005}) {
        edit(nId)->clear();
        type(edit(nId), strBao + QStringLiteral("ÿ"));  // would make 64
        QCOMPARE(edit(nId)->text(), strBao);
        edit(nId)->backspace();
        type(edit(nId), strEmoji + QStringLiteral("ab"));  // 58 + 4 + 1: "b" is refused
        QCOMPARE(edit(nId)->text(), strBao.left(29) + strEmoji + QStringLiteral("a"));
    }
    edit(1011)->clear();  // the location has no limit
    type(edit(1011), QString(80, QChar(0x4FDD)));
    QCOMPARE(edit(1011)->text().size(), 80);

    // A cancelled chooser changes nothing; a chosen folder fills the location
    // and puts back the fields' user name and empty password.
    const QStringList typed = texts();
    FindControl<QPushButton>(&dialog, 1020)->click();
    QCOMPARE(texts(), typed);
    strAnswer = QStringLiteral("/srv/保险柜");
    FindControl<QPushButton>(&dialog, 1020)->click();
    QCOMPARE(texts(), QStringList({"/srv/保险柜", "alice", ""}));
    QCOMPARE(asked, QStringList({"选择文件夹", "选择文件夹"}));

    // OK takes the controls over, even when it refuses them, and needs 4
    // GB18030 bytes in each of user name and password, not in the location.
    edit(1011)->clear();
    const std::tuple<const char*, const char*, bool> attempts[] = {
        {"保a", "1234", false}, {"alice", "abc", false}, {"保险", "1234", true}};
    for (const auto& [pszUser, pszPassword, bAccepted] : attempts) {
        edit(1004)->setText(QString::fromUtf8(pszUser));
        edit(1005)->setText(QString::fromUtf8(pszPassword));
        FindControl<QPushButton>(&dialog, 1)->click();
        QCOMPARE(dialog.isVisible(), !bAccepted);
        QCOMPARE(QStringList({dialog.m_strPath, dialog.m_strUser, dialog.m_strPassword}), texts());
    }
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    // One length message, without an icon, for each refusal.
    QCOMPARE(script.Requests().size(), std::size_t(2));
    for (const MessageBoxRequest& request : script.Requests()) {
        QCOMPARE(request.strText, QStringLiteral("户名和口令长度至少 4 位"));
        QCOMPARE(request.strCaption, QStringLiteral("合法性警告"));
        QCOMPARE(request.nIcon | request.nButtons, unsigned(MSGBOX_OK));
    }
}

QUOVEX_UI_TEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
