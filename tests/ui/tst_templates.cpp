// Every dialog template builds into widgets at its rectangles, with its
// ids, styles and font; the menus and pictures load.
#include <QDialog>
#include <QGroupBox>
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
    if (!(pTemplate->nStyle & DLGSTYLE_CHILD_PAGE)) {
        const Qt::WindowFlags flags = dialog.windowFlags();
        QCOMPARE(bool(flags & Qt::WindowCloseButtonHint),
                 !(pTemplate->nStyle & DLGSTYLE_NO_CLOSE_BOX));
        QCOMPARE(bool(flags & Qt::WindowMinimizeButtonHint),
                 bool(pTemplate->nStyle & DLGSTYLE_RESIZABLE));
    }
    const QFont font = DialogFont(*pTemplate);
    QCOMPARE(font.pointSize(), pTemplate->nFontPointSize);
    QVERIFY(QFontMetrics(font).inFont(QChar(0x4FDD)));  // 保

    const CDialogUnits units(font);
    QVERIFY(units.BaseX() > 0 && units.BaseY() > 0);
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
    test::SaveScreenshot(&dialog, QStringLiteral("template-%1").arg(nId));
}

void TestTemplates::menusHoldTheirCommands() {
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
}

void TestTemplates::picturesLoad() {
    const QImage strip = LoadBoxStrip().toImage();
    QCOMPARE(strip.size(), QSize(640, 80));
    // The corners of every picture are background white.
    for (int i = 0; i < 8; ++i) QCOMPARE(strip.pixel(i * 80, 0), qRgb(255, 255, 255));
    QCOMPARE(LoadAppIcon().pixmap(32, 32).size(), QSize(32, 32));
}

QUOVEX_UI_TEST_MAIN(TestTemplates)
#include "tst_templates.moc"
