// One run of the program from start-up to the end of the main window,
// with the dialogs driven from timers and the message boxes scripted; in
// the main window help, the about box and the ways to end it.
#include <QAction>
#include <QDesktopServices>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>

#include "AboutDlg.h"
#include "DialogBuilder.h"
#include "LoginDlg.h"
#include "MessageBox.h"
#include "UiTestSupport.h"
#include "VaultApp.h"
#include "VaultDlg.h"
#include "VaultFolders.h"

using namespace quovex;

namespace {

QString SettingsFile() {
    return test::TestHome() + QStringLiteral("/config/tandrel/") +
           QCoreApplication::applicationName() + QStringLiteral(".conf");
}

QByteArray SettingsBytes() {
    QFile file(SettingsFile());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

// Receives the URLs the desktop is asked to open.
class CUrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> m_urls;
public slots:
    void Open(const QUrl& url) { m_urls << url; }
};

class TestStartUp : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { test::CancelPendingWaits(); }
    void oneRun_data();
    void oneRun();
};

void TestStartUp::oneRun_data() {
    QTest::addColumn<QString>("strPassword");  // null: the login is cancelled
    QTest::addColumn<bool>("bConfigured");     // settings name the vault and user "alice"
    QTest::addColumn<bool>("bTyped");          // the vault's path typed as location
    QTest::addColumn<int>("nEndKey");          // ends the main window; 0: the Exit command
    const QString strRight = QStringLiteral("口令1234");
    QTest::newRow("cancelled") << QString() << false << false << 0;
    QTest::newRow("wrong password") << QString("wrong-pw") << true << false << 0;
    QTest::newRow("first run, preset location") << strRight << false << false << 0;
    QTest::newRow("first run, folder typed") << strRight << false << true << int(Qt::Key_Return);
    QTest::newRow("configured, preset location")
        << strRight << true << false << int(Qt::Key_Escape);
    QTest::newRow("configured location typed") << strRight << true << true << 0;
}

void TestStartUp::oneRun() {
    QFETCH(QString, strPassword);
    QFETCH(bool, bConfigured);
    QFETCH(bool, bTyped);
    QFETCH(int, nEndKey);
    const bool bAccepted = strPassword == QStringLiteral("口令1234");
    QFile::remove(SettingsFile());
    QDir(test::TestHome() + QStringLiteral("/Box")).removeRecursively();
    // The vault holds the reference stored file of 张三user / 口令1234.
    const QString strVault = test::TestHome() + QStringLiteral("/vault");
    QDir(strVault).removeRecursively();
    QVERIFY(QDir().mkpath(strVault + QStringLiteral("/FileBox")));
    QVERIFY(QFile::copy(QStringLiteral(QUOVEX_TEST_DATA "/chinese.txt.$"),
                        strVault + QStringLiteral("/FileBox/chinese.txt.$")));
    if (bConfigured) {
        QSettings settings(QStringLiteral("tandrel"), QCoreApplication::applicationName());
        settings.setValue("SaftyBox/WorkPath", strVault);
        settings.setValue("SaftyBox/SaveUser", QStringLiteral("TRUE"));
        settings.setValue("SaftyBox/UserName", QStringLiteral("alice"));
    }
    const QByteArray before = SettingsBytes();

    // Cancels the login, or types the fields (the location only when
    // bTyped) and confirms it; a second login would be a fault, and is
    // counted and cancelled so that the run ends.
    CMessageBoxScript script;
    int nLoginsShown = 0;
    QStringList presets;
    test::WhenModal<CLoginDlg>([&](CLoginDlg* pLogin) {
        auto* pPath = FindControl<QLineEdit>(pLogin, 1011);
        auto* pUser = FindControl<QLineEdit>(pLogin, 1004);
        auto* pPassword = FindControl<QLineEdit>(pLogin, 1005);
        ++nLoginsShown;
        presets = QStringList({pPath->text(), pUser->text(), pPassword->text()});
        if (strPassword.isNull()) return FindControl<QPushButton>(pLogin, 2)->click();
        if (bTyped) pPath->setText(strVault);
        pUser->setText(QStringLiteral("张三user"));
        pPassword->setText(strPassword);
        FindControl<QPushButton>(pLogin, 1)->click();
        test::WhenModal<CLoginDlg>([&](CLoginDlg* pAgain) {
            ++nLoginsShown;
            pAgain->reject();
        });
    });
    QByteArrayList credentials;
    QStringList aboutTexts;
    test::WhenModal<CVaultDlg>([&](CVaultDlg* pMain) {
        credentials = {pMain->Cipher().UserBytes(), pMain->Cipher().PasswordBytes()};
        QVERIFY(!pMain->windowIcon().isNull());
        test::SaveScreenshot(pMain, QStringLiteral("main-window"));
        pMain->findChild<QAction*>(QStringLiteral("32777"))->trigger();  // Help
        test::WhenModal<CAboutDlg>([&](CAboutDlg* pAbout) {
            for (QLabel* pLabel : pAbout->findChildren<QLabel*>()) {
                if (pLabel->pixmap().isNull()) aboutTexts << pLabel->text();
            }
            test::SaveScreenshot(pAbout, QStringLiteral("about"));
            FindControl<QPushButton>(pAbout, 1)->click();
        });
        pMain->findChild<QAction*>(QStringLiteral("32778"))->trigger();  // About, modal
        if (nEndKey) return QTest::keyClick(pMain, Qt::Key(nEndKey));
        pMain->findChild<QAction*>(QStringLiteral("32771"))->trigger();
    });
    CUrlRecorder help;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &help, "Open");
    CVaultApp app;
    int argc = 1;
    char szName[] = "quovex";
    char* argv[] = {szName, nullptr};
    QCOMPARE(app.Run(argc, argv), 0);
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    QCOMPARE(CVaultApp::Instance(), &app);

    // One login, preset with the remembered user name and no password.
    QCOMPARE(nLoginsShown, 1);
    QCOMPARE(presets, QStringList({"缺省位置", bConfigured ? "alice" : "", ""}));
    // A preset location left as it is keeps the configured one ($HOME/Box at first).
    const QString strWorkPath =
        bConfigured || bTyped ? strVault : test::TestHome() + QStringLiteral("/Box");
    QCOMPARE(app.m_strWorkPath, strWorkPath);
    int nBoxes = 0;
    for (int nBox = 0; nBox < BOX_COUNT; ++nBox)
        nBoxes += QFileInfo(QString::fromStdString(BoxFolderPath(strWorkPath.toStdString(), nBox)))
                      .isDir();
    QCOMPARE(nBoxes == BOX_COUNT, bAccepted);
    // The main window ran with the typed credentials, in GB18030; help asked
    // for the file beside the program, and the about box came and went.
    QCOMPARE(credentials, bAccepted ? QByteArrayList({"\xD5\xC5\xC8\xFDuser",
                                                      "\xBF\xDA\xC1\xEE"
                                                      "1234"})
                                    : QByteArrayList());
    QCOMPARE(help.m_urls,
             bAccepted ? QList<QUrl>({QUrl::fromLocalFile(QCoreApplication::applicationDirPath() +
                                                          QStringLiteral("/Quovex.chm"))})
                       : QList<QUrl>());
    QCOMPARE(aboutTexts,
             bAccepted ? QStringList({"Merovik保险柜 1.0 版", "Tandrel"}) : QStringList());
    // Exactly one message for the rejected credentials, none otherwise.
    QCOMPARE(script.Requests().size(), std::size_t(strPassword == QStringLiteral("wrong-pw")));
    for (const MessageBoxRequest& request : script.Requests()) {
        QCOMPARE(request.strText, QStringLiteral("户名或者口令出错。"));
        QCOMPARE(request.strCaption, QCoreApplication::applicationName());
        QCOMPARE(request.nIcon, unsigned(MSGBOX_ICON_WARNING));
    }

    // Only a new user name at the configured location, typed, is saved.
    QCOMPARE(app.m_bSettingsChanged, bAccepted && bConfigured && bTyped);
    if (!app.m_bSettingsChanged) {
        QCOMPARE(SettingsBytes(), before);
        return;
    }
    QSettings settings(QStringLiteral("tandrel"), QCoreApplication::applicationName());
    QCOMPARE(settings.value("SaftyBox/UserName").toString(), QStringLiteral("张三user"));
    QCOMPARE(settings.value("SaftyBox/WorkPath").toString(), strVault);
}

QUOVEX_UI_TEST_MAIN(TestStartUp)
#include "tst_startup.moc"
