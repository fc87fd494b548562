// Every dialog template builds into widgets at its rectangles, with its
// ids, kinds, texts and font; the menus and pictures load.
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

#include "DialogBuilder.h"
#include "ResourceImages.h"
#include "UiTestSupport.h"

using namespace quovex;

class TestTemplates : public QObject {
    Q_OBJECT
private slots:
    void everyTemplateBuildsAtItsRectangles_data();
    void everyTemplateBuildsAtItsRectangles();
    void kindsBecomeTheirWidgets();
    void fontHasChineseGlyphs();
    void menusHoldTheirCommands();
    void picturesLoad();
};

void TestTemplates::everyTemplateBuildsAtItsRectangles_data() {
    QTest::addColumn<int>("nId");
    for (int nId : {RES_DLG_ABOUT, RES_DLG_MAIN, RES_DLG_LOGIN, RES_DLG_SETTINGS_PAGE,
                    RES_DLG_FILE_INFO, RES_DLG_DIR_INFO, RES_DLG_PROGRESS}) {
        QTest::addRow("%d", nId) << nId;
    }
}

void TestTemplates::everyTemplateBuildsAtItsRectangles() {
    QFETCH(int, nId);
    const DialogTemplate* pTemplate = FindDialogTemplate(nId);
    QVERIFY(pTemplate);
    QDialog dialog;
    QWidget* pClient = BuildDialog(&dialog, *pTemplate);
    QVERIFY(pClient);
    QCOMPARE(dialog.windowTitle(), QString::fromUtf8(pTemplate->pszCaption));
    QCOMPARE(dialog.objectName(), QString::number(nId));

    const CDialogUnits units(DialogFont(*pTemplate));
    QVERIFY(units.BaseX() > 0 && units.BaseY() > 0);
    const QList<QWidget*> controls = pClient->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    std::size_t nMatched = 0;
    for (const ControlTemplate& ctl : pTemplate->controls) {
        for (QWidget* pControl : controls) {
            if (pControl->objectName() != QString::number(ctl.nId)) continue;
            if (pControl->geometry() != units.ToPixels(ctl.x, ctl.y, ctl.cx, ctl.cy)) continue;
            ++nMatched;
            break;
        }
    }
    QCOMPARE(nMatched, pTemplate->controls.size());
    if (!pTemplate->nMenuId) {
        QCOMPARE(dialog.size(), units.ToPixels(pTemplate->cx, pTemplate->cy));
    }
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    test::SaveScreenshot(&dialog, QStringLiteral("template-%1").arg(nId));
}

void TestTemplates::kindsBecomeTheirWidgets() {
    QDialog login;
    BuildDialog(&login, RES_DLG_LOGIN);
    QCOMPARE(FindControl<QLineEdit>(&login, 1005)->echoMode(), QLineEdit::Password);
    QVERIFY(FindControl<QPushButton>(&login, RES_ID_OK)->isDefault());
    // The frame is created after the edits it surrounds, yet lies behind
    // them, so a click reaches them.
    QLineEdit* pUser = FindControl<QLineEdit>(&login, 1004);
    login.show();
    QVERIFY(QTest::qWaitForWindowExposed(&login));
    QCOMPARE(login.childAt(pUser->geometry().center()), pUser);

    QDialog progress;
    BuildDialog(&progress, RES_DLG_PROGRESS);
    QVERIFY(!(progress.windowFlags() & Qt::WindowCloseButtonHint));

    // Button 1 ends a dialog with OK, button 2 with Cancel.
    QDialog about;
    BuildDialog(&about, RES_DLG_ABOUT);
    about.show();
    FindControl<QPushButton>(&about, RES_ID_OK)->click();
    QCOMPARE(about.result(), int(QDialog::Accepted));
    FindControl<QPushButton>(&login, RES_ID_CANCEL)->click();
    QCOMPARE(login.result(), int(QDialog::Rejected));
}

void TestTemplates::fontHasChineseGlyphs() {
    const QFont font = DialogFont(*FindDialogTemplate(RES_DLG_LOGIN));
    QCOMPARE(font.pointSize(), 10);
    QVERIFY(QFontMetrics(font).inFont(QChar(0x4FDD)));  // 保
    QCOMPARE(DialogFont(*FindDialogTemplate(RES_DLG_MAIN)).pointSize(), 9);
}

void TestTemplates::menusHoldTheirCommands() {
    QWidget owner;
    QMenuBar* pBar = BuildMenuBar(RES_MENU_MAIN, &owner);
    QVERIFY(pBar);
    const QList<QAction*> popups = pBar->actions();
    QCOMPARE(popups.size(), 2);
    QCOMPARE(popups[0]->text(), QStringLiteral("文件[&F]"));
    QCOMPARE(popups[1]->text(), QStringLiteral("帮助[&H]"));
    const QList<QAction*> fileItems = popups[0]->menu()->actions();
    QCOMPARE(fileItems.size(), 3);
    QCOMPARE(fileItems[0]->objectName(), QStringLiteral("32772"));
    QVERIFY(fileItems[1]->isSeparator());
    QCOMPARE(fileItems[2]->text(), QStringLiteral("退出"));
    QCOMPARE(popups[1]->menu()->actions()[2]->text(), QStringLiteral("关于Merovik保险柜..."));

    QMenu* pContext = BuildPopupMenu(RES_MENU_CONTEXT, 0, &owner);
    QStringList texts;
    for (QAction* pAction : pContext->actions()) {
        texts << (pAction->isSeparator() ? QStringLiteral("-")
                                         : pAction->objectName() + pAction->text());
    }
    QCOMPARE(texts,
             QStringList({"32773还原", "32774还原到...", "-", "32775删除", "-", "32776属性"}));
    QVERIFY(!BuildPopupMenu(RES_MENU_CONTEXT, 1, &owner));
    QCOMPARE(QString::fromUtf8(LoadResString(RES_STR_ABOUT_ITEM)),
             QStringLiteral("关于Merovik保险柜(&A)..."));
    QCOMPARE(QString::fromUtf8(LoadResString(999)), QString());
}

void TestTemplates::picturesLoad() {
    const QPixmap strip = LoadBoxStrip();
    QCOMPARE(strip.size(), QSize(640, 80));
    // The corners of every picture are background white.
    const QImage image = strip.toImage();
    for (int i = 0; i < 8; ++i) QCOMPARE(image.pixel(i * 80, 0), qRgb(255, 255, 255));
    const QIcon icon = LoadAppIcon();
    QVERIFY(!icon.isNull());
    QCOMPARE(icon.pixmap(32, 32).size(), QSize(32, 32));
}

QUOVEX_UI_TEST_MAIN(TestTemplates)
#include "tst_templates.moc"
