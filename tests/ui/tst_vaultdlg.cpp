// The main window's frame: template, menu, exit, help and the about box.
#include <QAction>
#include <QDesktopServices>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QTreeWidget>
#include <QUrl>

#include "AboutDlg.h"
#include "DialogBuilder.h"
#include "UiTestSupport.h"
#include "VaultDlg.h"

using namespace quovex;

// Receives the URLs the desktop is asked to open.
class CUrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> m_urls;
public slots:
    void Open(const QUrl& url) { m_urls << url; }
};

class TestVaultDlg : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { test::CancelPendingWaits(); }
    void frameFollowsItsTemplate();
    void exitEnterAndEscapeEndTheWindow();
    void helpOpensTheFileBesideTheProgram();
    void aboutBoxShowsAndCloses();
};

void TestVaultDlg::frameFollowsItsTemplate() {
    CVaultDlg dialog(QStringLiteral("alice"), QStringLiteral("secret1"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Merovik保险柜"));
    QVERIFY(FindControl<QTreeWidget>(&dialog, 1003));
    QVERIFY(FindControl(&dialog, 1000));
    QVERIFY(FindControl<QLabel>(&dialog, 1002));
    QVERIFY(!dialog.windowIcon().isNull());
    QVERIFY(dialog.windowFlags() & Qt::WindowMinimizeButtonHint);
    QMenuBar* pBar = dialog.findChild<QMenuBar*>();
    QVERIFY(pBar);
    QCOMPARE(pBar->actions().size(), 2);
    QCOMPARE(QByteArray(dialog.Cipher().UserBytes()), QByteArray("alice"));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    // The controls lie below the menu bar.
    QVERIFY(FindControl(&dialog, 1000)->mapTo(&dialog, QPoint(0, 0)).y() >= pBar->height());
    test::SaveScreenshot(&dialog, QStringLiteral("vault-frame"));
}

void TestVaultDlg::exitEnterAndEscapeEndTheWindow() {
    {
        CVaultDlg dialog(QStringLiteral("alice"), QStringLiteral("secret1"));
        test::WhenModal<CVaultDlg>([](CVaultDlg* pMain) {
            pMain->findChild<QAction*>(QStringLiteral("32771"))->trigger();
        });
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
    }
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        CVaultDlg dialog(QStringLiteral("alice"), QStringLiteral("secret1"));
        test::WhenModal<CVaultDlg>([key](CVaultDlg* pMain) { QTest::keyClick(pMain, key); });
        QCOMPARE(dialog.exec(),
                 key == Qt::Key_Return ? int(QDialog::Accepted) : int(QDialog::Rejected));
    }
}

void TestVaultDlg::helpOpensTheFileBesideTheProgram() {
    CUrlRecorder recorder;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &recorder, "Open");
    CVaultDlg dialog(QStringLiteral("alice"), QStringLiteral("secret1"));
    dialog.findChild<QAction*>(QStringLiteral("32777"))->trigger();
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    QCOMPARE(recorder.m_urls.size(), 1);
    QCOMPARE(recorder.m_urls.front().toLocalFile(),
             QCoreApplication::applicationDirPath() + QStringLiteral("/Quovex.chm"));
    QCOMPARE(HelpFilePath(QStringLiteral("/opt/quovex/bin/quovex")),
             QStringLiteral("/opt/quovex/bin/Quovex.chm"));
}

void TestVaultDlg::aboutBoxShowsAndCloses() {
    CVaultDlg dialog(QStringLiteral("alice"), QStringLiteral("secret1"));
    QStringList texts;
    bool bClosed = false;
    test::WhenModal<CAboutDlg>([&](CAboutDlg* pAbout) {
        QCOMPARE(pAbout->windowTitle(), QStringLiteral("关于Merovik保险柜"));
        for (QLabel* pLabel : pAbout->findChildren<QLabel*>()) {
            if (pLabel->pixmap().isNull()) texts << pLabel->text();
        }
        test::SaveScreenshot(pAbout, QStringLiteral("about"));
        FindControl<QPushButton>(pAbout, 1)->click();
        bClosed = true;
    });
    dialog.findChild<QAction*>(QStringLiteral("32778"))->trigger();
    QVERIFY(bClosed);
    QCOMPARE(texts, QStringList({"Merovik保险柜 1.0 版", "Tandrel"}));
}

QUOVEX_UI_TEST_MAIN(TestVaultDlg)
#include "tst_vaultdlg.moc"
