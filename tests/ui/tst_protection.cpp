// Protected vaults in the window, driven from timers while the code under
// test sits in exec(), with the message boxes scripted: the new-vault step
// at the first login, the recovery key that must be acknowledged, the login
// to a protected vault, the forgotten password, the password change and the
// File menu's commands as the vault's kind allows them. Derivations run
// with the smallest limits.
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QThread>
#include <atomic>
#include <memory>

#include "DialogBuilder.h"
#include "Fakes.h"
#include "FileInfoDlg.h"
#include "KeyRecordFiles.h"
#include "LoginDlg.h"
#include "MessageBox.h"
#include "NewVaultDlg.h"
#include "PasswordDlgs.h"
#include "PasswordEntry.h"
#include "ProgressDlg.h"
#include "RecoveryKeyDlg.h"
#include "UiTestSupport.h"
#include "VaultAccess.h"
#include "VaultFolders.h"
#include "VaultKey.h"

using namespace quovex;

namespace {

const QString USER = QStringLiteral("alice");
const QString PASSWORD = QStringLiteral("secret1");

std::string Native(const QString& strPath) {
    return QFile::encodeName(strPath).toStdString();
}

// A fresh, empty folder below the test's home.
QString FreshFolder(const QString& strName) {
    const QString strPath = test::g_strHome + QLatin1Char('/') + strName;
    QDir(strPath).removeRecursively();
    QDir().mkpath(strPath);
    return strPath;
}

// Makes a protected vault of alice's at strVault; its recovery key text.
QString MakeProtectedVault(const QString& strVault) {
    CVaultKey key(USER.toStdString(), PASSWORD.toStdString());
    KeyRecordBytes vRecord;
    CSecretBytes text;
    const AccessOutcome outcome = CreateVault(Native(strVault), PASSWORD.toStdString(), true,
                                              KDF_FASTEST_LIMITS, &key, &vRecord, &text);
    if (!outcome.Opened()) return QString();
    return QString::fromLatin1(reinterpret_cast<const char*>(text.Data()),
                               static_cast<qsizetype>(text.Size()));
}

// How alice's vault at strVault answers strPassword.
AccessResult OpenWith(const QString& strVault, const QString& strPassword) {
    CVaultKey key(USER.toStdString(), strPassword.toStdString());
    return OpenVaultKey(Native(strVault), strPassword.toStdString(), &key).nResult;
}

// Fills the login with the location, alice and strPassword; then OK, or
// "忘记口令..." when bForgot.
void LogInWhenAsked(const QString& strVault, const QString& strPassword, bool bForgot = false) {
    test::WhenModal<CLoginDlg>([=](CLoginDlg* pLogin) {
        FindControl<QLineEdit>(pLogin, 1011)->setText(strVault);
        FindControl<QLineEdit>(pLogin, 1004)->setText(USER);
        FindControl<QLineEdit>(pLogin, 1005)->setText(strPassword);
        FindControl<QPushButton>(pLogin, bForgot ? RES_ID_FORGOT_PASSWORD : RES_ID_OK)->click();
    });
}

// What the main window showed when it came up, if it did; it is then ended.
struct MainWindowSeen {
    bool bShown = false;
    bool bProtected = false;
    bool bChangeEnabled = false;
    bool bProtectEnabled = false;
};

bool CommandEnabled(const QWidget* pWindow, int nCommandId) {
    return pWindow->findChild<QAction*>(QString::number(nCommandId))->isEnabled();
}

void ExitMainWindowWhenUp(MainWindowSeen* pSeen) {
    test::WhenModal<CVaultDlg>([pSeen](CVaultDlg* pMain) {
        pSeen->bShown = true;
        pSeen->bProtected = pMain->Key().IsProtected();
        pSeen->bChangeEnabled = CommandEnabled(pMain, RES_CMD_CHANGE_PASSWORD);
        pSeen->bProtectEnabled = CommandEnabled(pMain, RES_CMD_PROTECT_VAULT);
        pMain->OnExit();
    });
}

void RunProgram() {
    CVaultApp app;
    app.m_kdfLimits = KDF_FASTEST_LIMITS;
    int argc = 1;
    char szName[] = "quovex";
    char* argv[] = {szName, nullptr};
    app.Run(argc, argv);
}

QStringList MessageTexts(const CMessageBoxScript& script) {
    QStringList texts;
    for (const MessageBoxRequest& request : script.Requests()) texts << request.strText;
    return texts;
}

void TypeInto(QWidget* pDialog, int nId, const QString& strText) {
    FindControl<QLineEdit>(pDialog, nId)->setText(strText);
}

}  // namespace

class TestProtection : public QObject {
    Q_OBJECT
private slots:
    void init() {
        QSettings(QStringLiteral("tandrel"), QCoreApplication::applicationName()).clear();
    }
    void cleanup() { test::StopWhenModal(); }
    void newVaultAtFirstLogin_data();
    void newVaultAtFirstLogin();
    void loginToProtectedVault_data();
    void loginToProtectedVault();
    void forgottenPassword_data();
    void forgottenPassword();
    void changePassword();
    void commandsFollowTheKind();
    void protectedFileProperties();
    void protectScrambledVault_data();
    void protectScrambledVault();
};

void TestProtection::newVaultAtFirstLogin_data() {
    QTest::addColumn<bool>("bProtected");
    QTest::newRow("protected") << true;
    QTest::newRow("scrambled") << false;
}

// The password must be typed the same again; the check box is ticked at
// first. A protected vault shows its recovery key, which cannot be passed
// over unacknowledged, and which then really opens the vault.
void TestProtection::newVaultAtFirstLogin() {
    QFETCH(bool, bProtected);
    const QString strVault = FreshFolder(QStringLiteral("new vault"));
    CMessageBoxScript script;
    LogInWhenAsked(strVault, PASSWORD);
    bool bTickedAtFirst = false;
    test::WhenModal<CNewVaultDlg>([&](CNewVaultDlg* pStep) {
        auto* pCheck = FindControl<QCheckBox>(pStep, RES_ID_PROTECT_CHECK);
        bTickedAtFirst = pCheck->isChecked();
        TypeInto(pStep, RES_ID_NEW_PASSWORD_AGAIN, QStringLiteral("secret2"));
        FindControl<QPushButton>(pStep, RES_ID_OK)->click();
        QVERIFY(pStep->isVisible());
        TypeInto(pStep, RES_ID_NEW_PASSWORD_AGAIN, PASSWORD);
        pCheck->setChecked(bProtected);
        test::SaveScreenshot(pStep, QStringLiteral("new-vault"));
        FindControl<QPushButton>(pStep, RES_ID_OK)->click();
    });
    bool bHeldUnticked = false;
    bool bKeyCleared = false;
    QString strShownKey;
    test::WhenModal<CRecoveryKeyDlg>([&](CRecoveryKeyDlg* pKey) {
        auto* pOk = FindControl<QPushButton>(pKey, RES_ID_OK);
        bHeldUnticked = !pOk->isEnabled();
        pKey->accept();
        QTest::keyClick(pKey, Qt::Key_Escape);
        pKey->close();
        bHeldUnticked = bHeldUnticked && pKey->isVisible();
        strShownKey = FindControl<QLabel>(pKey, RES_ID_RECOVERY_KEY)->text();
        test::SaveScreenshot(pKey, QStringLiteral("recovery-key"));
        FindControl<QCheckBox>(pKey, RES_ID_KEY_WRITTEN_CHECK)->click();
        pOk->click();
        bKeyCleared = FindControl<QLabel>(pKey, RES_ID_RECOVERY_KEY)->text().isEmpty();
    });
    MainWindowSeen seen;
    ExitMainWindowWhenUp(&seen);
    RunProgram();

    QVERIFY(bTickedAtFirst);
    QCOMPARE(MessageTexts(script), QStringList({"两次输入的口令不一致。"}));
    QVERIFY(seen.bShown);
    QCOMPARE(seen.bProtected, bProtected);
    QCOMPARE(QFileInfo::exists(strVault + QLatin1Char('/') + QLatin1String(KEY_RECORD_NAME)),
             bProtected);
    QCOMPARE(OpenWith(strVault, PASSWORD), AccessResult::ACCESS_OPENED);
    if (!bProtected) {
        QVERIFY(strShownKey.isEmpty());
        return;
    }
    QVERIFY(bHeldUnticked && bKeyCleared);
    QCOMPARE(OpenWith(strVault, QStringLiteral("secret2")), AccessResult::ACCESS_WRONG_CREDENTIALS);
    // The key as shown, line breaks and all, is the vault's recovery key.
    const CUtf8Secret shown(QString(strShownKey).remove(QLatin1Char('\n')));
    CVaultKey key(USER.toStdString(), "newpass1");
    QVERIFY(RecoverVault(Native(strVault), shown.Text(), "newpass1", KDF_FASTEST_LIMITS, &key)
                .Opened());
}

void TestProtection::loginToProtectedVault_data() {
    QTest::addColumn<QString>("strPassword");
    QTest::addColumn<bool>("bDamaged");  // both copies of the key record spoilt
    QTest::addColumn<QString>("strRefusal");
    QTest::newRow("right") << PASSWORD << false << QString();
    QTest::newRow("wrong") << QStringLiteral("secret2") << false
                           << QStringLiteral("户名或者口令出错。");
    QTest::newRow("record damaged") << PASSWORD << true << QStringLiteral("保险柜的密钥记录已损坏");
}

// A protected vault opens by its record alone; a refusal says why and ends
// the program without the main window.
void TestProtection::loginToProtectedVault() {
    QFETCH(QString, strPassword);
    QFETCH(bool, bDamaged);
    QFETCH(QString, strRefusal);
    const QString strVault = FreshFolder(QStringLiteral("protected vault"));
    QVERIFY(!MakeProtectedVault(strVault).isEmpty());
    if (bDamaged) {
        for (const char* pszName : {KEY_RECORD_NAME, KEY_RECORD_COPY_NAME}) {
            const QString strRecord = strVault + QLatin1Char('/') + QLatin1String(pszName);
            QByteArray bytes = test::ReadFile(strRecord);
            bytes[40] = char(bytes[40] ^ 0x20);
            QVERIFY(test::MakeFile(strRecord, bytes));
        }
    }
    CMessageBoxScript script;
    LogInWhenAsked(strVault, strPassword);
    MainWindowSeen seen;
    ExitMainWindowWhenUp(&seen);
    RunProgram();

    QCOMPARE(seen.bShown, strRefusal.isEmpty());
    QCOMPARE(seen.bProtected, strRefusal.isEmpty());
    QCOMPARE(script.Requests().size(), std::size_t(!strRefusal.isEmpty()));
    if (!strRefusal.isEmpty()) QVERIFY(script.Requests().front().strText.startsWith(strRefusal));
}

void TestProtection::forgottenPassword_data() {
    QTest::addColumn<bool>("bRightKey");
    QTest::newRow("the vault's key") << true;
    QTest::newRow("another vault's key") << false;
}

// The recovery key, typed in any case and spacing, sets a new password and
// opens the vault; the old password is refused from then on and the key
// stays valid. A key of the wrong form is refused in the dialog; another
// vault's key by the vault.
void TestProtection::forgottenPassword() {
    QFETCH(bool, bRightKey);
    const QString strVault = FreshFolder(QStringLiteral("forgotten"));
    const QString strKey = MakeProtectedVault(strVault);
    const QString strOther = MakeProtectedVault(FreshFolder(QStringLiteral("other")));
    const QString strTyped = (bRightKey ? strKey : strOther).toLower().replace('-', ' ');
    const QString strNew = QStringLiteral("新口令ab");
    CMessageBoxScript script;
    LogInWhenAsked(strVault, QString(), true);
    test::WhenModal<CForgotPasswordDlg>([&](CForgotPasswordDlg* pForgot) {
        TypeInto(pForgot, RES_ID_RECOVERY_KEY, strTyped.left(20));
        TypeInto(pForgot, RES_ID_NEW_PASSWORD, strNew);
        TypeInto(pForgot, RES_ID_NEW_PASSWORD_AGAIN, strNew);
        FindControl<QPushButton>(pForgot, RES_ID_OK)->click();
        TypeInto(pForgot, RES_ID_RECOVERY_KEY, strTyped);
        TypeInto(pForgot, RES_ID_NEW_PASSWORD_AGAIN, strNew + QLatin1Char('x'));
        FindControl<QPushButton>(pForgot, RES_ID_OK)->click();
        TypeInto(pForgot, RES_ID_NEW_PASSWORD_AGAIN, strNew);
        test::SaveScreenshot(pForgot, QStringLiteral("forgotten-password"));
        FindControl<QPushButton>(pForgot, RES_ID_OK)->click();
    });
    MainWindowSeen seen;
    ExitMainWindowWhenUp(&seen);
    RunProgram();

    QStringList expected = {"恢复密钥的格式不对：应为 13 组，每组 4 个字母或数字。",
                            "两次输入的口令不一致。"};
    if (!bRightKey) expected << QStringLiteral("恢复密钥不是这个保险柜的。");
    QCOMPARE(MessageTexts(script), expected);
    QCOMPARE(seen.bShown, bRightKey);
    QCOMPARE(seen.bProtected, bRightKey);
    QCOMPARE(OpenWith(strVault, PASSWORD),
             bRightKey ? AccessResult::ACCESS_WRONG_CREDENTIALS : AccessResult::ACCESS_OPENED);
    QCOMPARE(OpenWith(strVault, strNew),
             bRightKey ? AccessResult::ACCESS_OPENED : AccessResult::ACCESS_WRONG_CREDENTIALS);
    CVaultKey key(USER.toStdString(), "again123");
    QVERIFY(
        RecoverVault(Native(strVault), strKey.toStdString(), "again123", KDF_FASTEST_LIMITS, &key)
            .Opened());
}

// A new password typed differently twice is refused in the dialog, a wrong
// old one by the vault; a change that went through leaves the old password
// refused and the new one opening the vault.
void TestProtection::changePassword() {
    const QString strVault = FreshFolder(QStringLiteral("change"));
    QVERIFY(!MakeProtectedVault(strVault).isEmpty());
    COpenVault vault(strVault, USER, PASSWORD);
    QVERIFY(vault.Open().Opened());
    CVaultApp app;
    CVaultDlg window(vault, app);
    window.SetKdfLimits(KDF_FASTEST_LIMITS);
    CMessageBoxScript script;
    const auto changeWith = [&](const QString& strOld, const QString& strAgain) {
        test::WhenModal<CChangePasswordDlg>([=](CChangePasswordDlg* pChange) {
            TypeInto(pChange, RES_ID_OLD_PASSWORD, strOld);
            TypeInto(pChange, RES_ID_NEW_PASSWORD, QStringLiteral("newpass1"));
            TypeInto(pChange, RES_ID_NEW_PASSWORD_AGAIN, strAgain);
            FindControl<QPushButton>(pChange, RES_ID_OK)->click();
            if (pChange->isVisible()) pChange->reject();
        });
        window.findChild<QAction*>(QString::number(RES_CMD_CHANGE_PASSWORD))->trigger();
    };
    changeWith(PASSWORD, QStringLiteral("newpass2"));
    changeWith(QStringLiteral("secret2"), QStringLiteral("newpass1"));
    QCOMPARE(OpenWith(strVault, PASSWORD), AccessResult::ACCESS_OPENED);
    changeWith(PASSWORD, QStringLiteral("newpass1"));

    QCOMPARE(MessageTexts(script),
             QStringList({"两次输入的口令不一致。", "口令没有修改。\n户名或者口令出错。",
                          "口令已修改，下次登录请用新口令。恢复密钥仍然有效。"}));
    QCOMPARE(OpenWith(strVault, PASSWORD), AccessResult::ACCESS_WRONG_CREDENTIALS);
    QCOMPARE(OpenWith(strVault, QStringLiteral("newpass1")), AccessResult::ACCESS_OPENED);
}

// A scrambled vault can be protected, not given a new password; a protected
// one the other way round, unless it still holds scrambled files, which
// only its present password reads: then the password change is refused
// and protecting finishes the work.
void TestProtection::commandsFollowTheKind() {
    const QString strScrambled = FreshFolder(QStringLiteral("scrambled"));
    QVERIFY(test::PlaceReference("chinese.txt.$", strScrambled + "/FileBox/chinese.txt.$"));
    const QString strMixed = FreshFolder(QStringLiteral("mixed"));
    QVERIFY(!MakeProtectedVault(strMixed).isEmpty());
    QVERIFY(test::PlaceReference("chinese.txt.$", strMixed + "/FileBox/chinese.txt.$"));
    const QString strProtected = FreshFolder(QStringLiteral("protected"));
    QVERIFY(!MakeProtectedVault(strProtected).isEmpty());
    struct Case {
        QString strVault;
        bool bChange;
        bool bProtect;
    };
    for (const Case& c : {Case{strScrambled, false, true}, Case{strMixed, false, true},
                          Case{strProtected, true, false}}) {
        COpenVault vault(c.strVault, USER, PASSWORD);
        if (QFileInfo::exists(c.strVault + QLatin1Char('/') + QLatin1String(KEY_RECORD_NAME)))
            QVERIFY(vault.Open().Opened());
        CVaultApp app;
        CVaultDlg window(vault, app);
        QCOMPARE(CommandEnabled(&window, RES_CMD_CHANGE_PASSWORD), c.bChange);
        QCOMPARE(CommandEnabled(&window, RES_CMD_PROTECT_VAULT), c.bProtect);
    }
    // A move to another place of the vault that holds scrambled files.
    {
        COpenVault vault(strProtected, USER, PASSWORD);
        QVERIFY(vault.Open().Opened());
        CVaultApp app;
        CVaultDlg window(vault, app);
        QVERIFY(CommandEnabled(&window, RES_CMD_CHANGE_PASSWORD));
        QVERIFY(vault.MoveTo(strMixed));
        QVERIFY(!CommandEnabled(&window, RES_CMD_CHANGE_PASSWORD));
        QVERIFY(CommandEnabled(&window, RES_CMD_PROTECT_VAULT));
    }
    CMessageBoxScript script;
    COpenVault mixed(strMixed, USER, PASSWORD);
    QVERIFY(mixed.Open().Opened());
    CVaultApp app;
    CVaultDlg window(mixed, app);
    window.OnChangePassword();
    QCOMPARE(script.Requests().size(), std::size_t(1));
    QVERIFY(script.Requests().front().strText.contains(QStringLiteral("请先用")));
}

// A protected file's properties are read with the open vault's key, and a
// summary edit is written into the file, unreadable on disk, without
// changing its length; a file changed after the reading keeps its summary.
// Without the key only the date can be shown.
void TestProtection::protectedFileProperties() {
    const QString strVault = FreshFolder(QStringLiteral("properties"));
    QVERIFY(!MakeProtectedVault(strVault).isEmpty());
    const QString strSource = FreshFolder(QStringLiteral("src")) + QStringLiteral("/报告.txt");
    QVERIFY(test::MakeFile(strSource, "hello"));
    COpenVault vault(strVault, USER, PASSWORD);
    QVERIFY(vault.Open().Opened());
    CVaultApp app;
    CVaultDlg window(vault, app);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    CMessageBoxScript script;
    window.StartAddFromDrop({strSource}, vault.BoxFolder(0));
    const QString strStored = vault.BoxFolder(0) + QStringLiteral("/报告.txt.$");
    const QByteArray before = test::ReadFile(strStored);
    QVERIFY(!before.isEmpty() && !before.contains("hello"));

    const auto load = [&](const CVaultKey* pKey) {
        auto pDialog = std::make_unique<CFileInfoDlg>();
        LoadFileInfo(*pDialog, strStored, nullptr, pKey);
        pDialog->show();
        return pDialog;
    };
    const auto typeSummary = [](CFileInfoDlg* pDialog, const QString& strSummary) {
        auto* pEdit = FindControl<QLineEdit>(pDialog, 1011);
        QVERIFY(!pEdit->isReadOnly());
        pEdit->setText(strSummary);
        FindControl<QPushButton>(pDialog, RES_ID_OK)->click();
    };
    auto pDialog = load(&vault.Key());
    QCOMPARE(pDialog->m_strSize, QString::fromStdString(FormatSizeText(5)));
    QVERIFY(pDialog->m_strSource.endsWith(QStringLiteral("报告.txt")));
    QVERIFY(pDialog->m_strSummary.isEmpty() && !pDialog->m_strDate.isEmpty());
    const QString strSummary = QStringLiteral("机密摘要 secret-note");
    typeSummary(pDialog.get(), strSummary);
    QVERIFY(!pDialog->isVisible());
    const QByteArray after = test::ReadFile(strStored);
    QCOMPARE(after.size(), before.size());
    QVERIFY(!after.contains("secret-note") && after != before);
    pDialog = load(&vault.Key());
    QCOMPARE(pDialog->m_strSummary, strSummary);

    // Changed after the reading (as by another program): nothing written.
    QVERIFY(test::MakeFile(strStored, after + QByteArray("x")));
    typeSummary(pDialog.get(), QStringLiteral("later"));
    QVERIFY(pDialog->isVisible());
    QCOMPARE(test::ReadFile(strStored), after + QByteArray("x"));
    QVERIFY(script.Requests().back().strText.startsWith(QStringLiteral("文件在打开属性窗口后")));
    pDialog->reject();

    const CVaultKey noMaster(USER.toStdString(), PASSWORD.toStdString());
    pDialog = load(&noMaster);
    QVERIFY(pDialog->m_strStoredPath.isEmpty() && pDialog->m_strSize.isEmpty());
    QVERIFY(!pDialog->m_strDate.isEmpty());
}

void TestProtection::protectScrambledVault_data() {
    QTest::addColumn<bool>("bCancel");  // Cancel while the first file is rewritten
    QTest::newRow("whole run") << false;
    QTest::newRow("cancelled, then run again") << true;
}

// Protecting asks for the login's password, shows the recovery key and
// rewrites every stored file; a cancelled run says that a second one
// finishes the work, and the second one does. Then the vault opens by its
// record and takes a new password.
void TestProtection::protectScrambledVault() {
    QFETCH(bool, bCancel);
    const QString strVault = FreshFolder(QStringLiteral("to protect"));
    const QStringList vStored = {strVault + "/FileBox/a.txt.$", strVault + "/FileBox/目录/b.txt.$"};
    for (const QString& strStored : vStored)
        QVERIFY(test::PlaceReference("empty.txt.$", strStored));
    test::CFaultEnv env;
    COpenVault vault(strVault, USER, PASSWORD, &env);
    QVERIFY(vault.Open().Opened());
    CVaultApp app;
    CVaultDlg window(vault, app);
    window.SetKdfLimits(KDF_FASTEST_LIMITS);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    std::atomic<bool> bStaged{false};
    if (bCancel) {
        // The worker waits until the interface thread, in the progress
        // dialog's loop by then, has taken the Cancel.
        // Writes on the interface thread (the key record's) pass.
        env.m_fnDuringCopy = [&bStaged](const std::string&) {
            if (QThread::currentThread() == qApp->thread() || bStaged.exchange(true)) return;
            QMetaObject::invokeMethod(
                qApp,
                [] {
                    if (auto* pProgress =
                            qobject_cast<CProgressDlg*>(QApplication::activeModalWidget()))
                        pProgress->reject();
                },
                Qt::BlockingQueuedConnection);
        };
    }
    CMessageBoxScript script;
    test::WhenModal<CProtectVaultDlg>([&](CProtectVaultDlg* pAsk) {
        TypeInto(pAsk, RES_ID_PASSWORD, QStringLiteral("secret2"));
        FindControl<QPushButton>(pAsk, RES_ID_OK)->click();
        TypeInto(pAsk, RES_ID_PASSWORD, PASSWORD);
        test::SaveScreenshot(pAsk, QStringLiteral("protect-vault"));
        FindControl<QPushButton>(pAsk, RES_ID_OK)->click();
    });
    test::WhenModal<CRecoveryKeyDlg>([&](CRecoveryKeyDlg* pKey) {
        FindControl<QCheckBox>(pKey, RES_ID_KEY_WRITTEN_CHECK)->click();
        FindControl<QPushButton>(pKey, RES_ID_OK)->click();
    });
    window.findChild<QAction*>(QString::number(RES_CMD_PROTECT_VAULT))->trigger();
    QVERIFY(window.Key().IsProtected());
    QCOMPARE(KindOfVault(Native(strVault)), VaultKind::VAULT_PROTECTED);
    QCOMPARE(CommandEnabled(&window, RES_CMD_PROTECT_VAULT), bCancel);
    QCOMPARE(CommandEnabled(&window, RES_CMD_CHANGE_PASSWORD), !bCancel);
    if (bCancel) {
        // The second run asks only whether to go on.
        script.SetNextAnswer(MSGBOX_RESULT_YES);
        window.findChild<QAction*>(QString::number(RES_CMD_PROTECT_VAULT))->trigger();
    }

    QStringList vExpected = {QStringLiteral("口令不对，请输入登录时的口令。")};
    if (bCancel)
        vExpected << QStringLiteral("转换已取消")
                  << QStringLiteral("保险柜中还有没有加密保护的文件");
    vExpected << QStringLiteral("保险柜已加密保护");
    const QStringList vTexts = MessageTexts(script);
    QCOMPARE(vTexts.size(), vExpected.size());
    for (qsizetype i = 0; i < vTexts.size(); ++i)
        QVERIFY2(vTexts[i].startsWith(vExpected[i]), qPrintable(vTexts[i]));
    if (!bCancel) QVERIFY(vTexts.last().contains(QStringLiteral("转换了 2 个文件")));
    for (const QString& strStored : vStored)
        QVERIFY(!test::ReadFile(strStored).startsWith("QUOVEX"));
    QVERIFY(CommandEnabled(&window, RES_CMD_CHANGE_PASSWORD));
    QVERIFY(!CommandEnabled(&window, RES_CMD_PROTECT_VAULT));
    QCOMPARE(OpenWith(strVault, PASSWORD), AccessResult::ACCESS_OPENED);
}

QUOVEX_UI_TEST_MAIN(TestProtection)
#include "tst_protection.moc"
