// One run of the program from start-up to the end of the main window,
// with the dialogs driven from timers and the message boxes scripted.
#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <memory>

#include "DialogBuilder.h"
#include "LoginDlg.h"
#include "MessageBox.h"
#include "StoredFileFormat.h"
#include "UiTestSupport.h"
#include "VaultApp.h"
#include "VaultCipher.h"
#include "VaultDlg.h"
#include "VaultFolders.h"

using namespace quovex;

namespace {

struct LoginInput {
    QString strPath;  // null: leave the preset
    QString strUser;
    QString strPassword;
};

struct RunRecord {
    int nLoginsShown = 0;
    QString strPresetPath;
    QString strPresetUser;
    QString strPresetPassword;
    bool bMainShown = false;
    QByteArray userBytes;
    QByteArray passwordBytes;
};

// Fills and confirms (or cancels) the login, then records and closes the
// main window.
void DriveRun(RunRecord& record, const LoginInput* pInput) {
    test::WhenModal<CLoginDlg>([&record, pInput](CLoginDlg* pLogin) {
        ++record.nLoginsShown;
        record.strPresetPath = FindControl<QLineEdit>(pLogin, 1011)->text();
        record.strPresetUser = FindControl<QLineEdit>(pLogin, 1004)->text();
        record.strPresetPassword = FindControl<QLineEdit>(pLogin, 1005)->text();
        if (!pInput) {
            FindControl<QPushButton>(pLogin, 2)->click();
            return;
        }
        if (!pInput->strPath.isNull())
            FindControl<QLineEdit>(pLogin, 1011)->setText(pInput->strPath);
        FindControl<QLineEdit>(pLogin, 1004)->setText(pInput->strUser);
        FindControl<QLineEdit>(pLogin, 1005)->setText(pInput->strPassword);
        FindControl<QPushButton>(pLogin, 1)->click();
        // A second login would be a fault; cancel it so the run ends.
        test::WhenModal<CLoginDlg>(
            [&record](CLoginDlg* pAgain) {
                ++record.nLoginsShown;
                pAgain->reject();
            },
            300);
    });
    test::WhenModal<CVaultDlg>(
        [&record](CVaultDlg* pMain) {
            record.bMainShown = true;
            record.userBytes = pMain->Cipher().UserBytes();
            record.passwordBytes = pMain->Cipher().PasswordBytes();
            test::SaveScreenshot(pMain, QStringLiteral("main-window"));
            pMain->findChild<QAction*>(QStringLiteral("32771"))->trigger();
        },
        3000);
}

QByteArray SettingsBytes() {
    QFile file(test::SettingsFilePath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteSettings(const QString& strWorkPath, const QString& strSaveUser, const QString& strUser) {
    QSettings settings(QStringLiteral("tandrel"), QCoreApplication::applicationName());
    settings.clear();
    settings.beginGroup(QStringLiteral("SaftyBox"));
    settings.setValue("WorkPath", strWorkPath);
    settings.setValue("SaveUser", strSaveUser);
    settings.setValue("UserName", strUser);
}

bool HasBoxFolders(const QString& strVault) {
    for (int nBox = 0; nBox < BOX_COUNT; ++nBox) {
        if (!QFileInfo(QString::fromStdString(BoxFolderPath(strVault.toStdString(), nBox)))
                 .isDir()) {
            return false;
        }
    }
    return true;
}

}  // namespace

class TestStartUp : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup() { test::CancelPendingWaits(); }
    void cancelledLoginEndsSilently();
    void rejectedLoginShowsOneMessage();
    void typedFolderOpensTheMainWindow();
    void presetLocationAndNewUserSavesNothing();
    void locationEqualToConfiguredSavesTheNewUser();
    void runReturnsZero();

private:
    QString MakeVault(const QString& strName);
    std::unique_ptr<CMessageBoxScript> m_pScript;
};

void TestStartUp::init() {
    QFile::remove(test::SettingsFilePath());
    m_pScript = std::make_unique<CMessageBoxScript>();
}

QString TestStartUp::MakeVault(const QString& strName) {
    const QString strVault = test::TestHome() + QLatin1Char('/') + strName;
    QDir(strVault).removeRecursively();
    QDir().mkpath(strVault);
    return strVault;
}

void TestStartUp::cancelledLoginEndsSilently() {
    RunRecord record;
    DriveRun(record, nullptr);
    CVaultApp app;
    QVERIFY(!app.InitInstance());
    QCOMPARE(record.nLoginsShown, 1);
    // First run: no settings, so no remembered user name.
    QCOMPARE(record.strPresetPath, QStringLiteral("缺省位置"));
    QCOMPARE(record.strPresetUser, QString());
    QCOMPARE(record.strPresetPassword, QString());
    QCOMPARE(app.m_strWorkPath, test::TestHome() + QStringLiteral("/Box"));
    QVERIFY(!record.bMainShown);
    QVERIFY(m_pScript->Requests().empty());
    QVERIFY(!QFile::exists(test::SettingsFilePath()));
    QVERIFY(!QFileInfo::exists(app.m_strWorkPath));
}

void TestStartUp::rejectedLoginShowsOneMessage() {
    const QString strVault = MakeVault(QStringLiteral("locked"));
    QFile plain(strVault + QStringLiteral("/note.txt"));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.write("private words");
    plain.close();
    const CVaultCipher cipher("alice", "secret1");
    std::uint64_t nDone = 0;
    QCOMPARE(cipher.StoreFile(plain.fileName().toStdString(),
                              (strVault + QStringLiteral("/FileBox/note.txt.$")).toStdString(),
                              nullptr, nDone, 13),
             1);
    WriteSettings(strVault, QStringLiteral("TRUE"), QStringLiteral("alice"));
    const QByteArray before = SettingsBytes();

    RunRecord record;
    const LoginInput input{QString(), QStringLiteral("alice"), QStringLiteral("wrong-pw")};
    DriveRun(record, &input);
    CVaultApp app;
    QVERIFY(!app.InitInstance());
    QCOMPARE(record.strPresetUser, QStringLiteral("alice"));
    QCOMPARE(m_pScript->Requests().size(), std::size_t(1));
    const MessageBoxRequest& request = m_pScript->Requests().front();
    QCOMPARE(request.strText, QStringLiteral("户名或者口令出错。"));
    QCOMPARE(request.strCaption, QCoreApplication::applicationName());
    QCOMPARE(request.nIcon, unsigned(MSGBOX_ICON_WARNING));
    QVERIFY(!record.bMainShown);
    QCOMPARE(record.nLoginsShown, 1);
    QCOMPARE(SettingsBytes(), before);
}

void TestStartUp::typedFolderOpensTheMainWindow() {
    const QString strVault = MakeVault(QStringLiteral("typed"));
    RunRecord record;
    const LoginInput input{strVault, QStringLiteral("保险柜用户"), QStringLiteral("pass1234")};
    DriveRun(record, &input);
    CVaultApp app;
    QVERIFY(!app.InitInstance());
    QVERIFY(record.bMainShown);
    QCOMPARE(app.m_strWorkPath, strVault);
    QVERIFY(HasBoxFolders(strVault));
    // The cipher holds the typed credentials in GB18030.
    QCOMPARE(record.userBytes, QByteArray("\xB1\xA3\xCF\xD5\xB9\xF1\xD3\xC3\xBB\xA7"));
    QCOMPARE(record.passwordBytes, QByteArray("pass1234"));
    QVERIFY(!app.m_bSettingsChanged);
    QVERIFY(!QFile::exists(test::SettingsFilePath()));
    QVERIFY(m_pScript->Requests().empty());
    QCOMPARE(app.m_strProgramPath, QCoreApplication::applicationFilePath());
}

void TestStartUp::presetLocationAndNewUserSavesNothing() {
    const QString strVault = MakeVault(QStringLiteral("configured"));
    WriteSettings(strVault, QStringLiteral("TRUE"), QStringLiteral("alice"));
    const QByteArray before = SettingsBytes();
    RunRecord record;
    const LoginInput input{QString(), QStringLiteral("bob1"), QStringLiteral("pass1234")};
    DriveRun(record, &input);
    CVaultApp app;
    app.InitInstance();
    QVERIFY(record.bMainShown);
    QCOMPARE(record.userBytes, QByteArray("bob1"));
    QCOMPARE(app.m_strUserName, QStringLiteral("bob1"));
    QVERIFY(!app.m_bSettingsChanged);
    QCOMPARE(SettingsBytes(), before);
    QVERIFY(HasBoxFolders(strVault));
}

void TestStartUp::locationEqualToConfiguredSavesTheNewUser() {
    const QString strVault = MakeVault(QStringLiteral("configured"));
    WriteSettings(strVault, QStringLiteral("TRUE"), QStringLiteral("alice"));
    RunRecord record;
    const LoginInput input{strVault, QStringLiteral("bob1"), QStringLiteral("pass1234")};
    DriveRun(record, &input);
    CVaultApp app;
    app.InitInstance();
    QVERIFY(record.bMainShown);
    QVERIFY(app.m_bSettingsChanged);
    QSettings settings(QStringLiteral("tandrel"), QCoreApplication::applicationName());
    settings.beginGroup(QStringLiteral("SaftyBox"));
    QCOMPARE(settings.value("UserName").toString(), QStringLiteral("bob1"));
    QCOMPARE(settings.value("WorkPath").toString(), strVault);
    QCOMPARE(settings.value("DeleteSource").toString(), QStringLiteral("TRUE"));
    QCOMPARE(settings.value("Window_Height").toInt(), 400);
}

void TestStartUp::runReturnsZero() {
    RunRecord record;
    DriveRun(record, nullptr);
    CVaultApp app;
    int argc = 1;
    char szName[] = "quovex";
    char* argv[] = {szName, nullptr};
    QCOMPARE(app.Run(argc, argv), 0);
    QCOMPARE(record.nLoginsShown, 1);
    QCOMPARE(CVaultApp::Instance(), &app);
}

QUOVEX_UI_TEST_MAIN(TestStartUp)
#include "tst_startup.moc"
