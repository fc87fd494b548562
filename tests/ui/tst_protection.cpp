// Protected vaults in the window, driven from timers while the code under
// test sits in exec().
#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QMimeData>
#include <QSignalSpy>
#include <QThread>
#include <atomic>

#include "ClipboardSecret.h"
#include "DirDialog.h"
#include "KeyRecordFiles.h"
#include "NewVaultDlg.h"
#include "PasswordDlgs.h"
#include "PasswordEntry.h"
#include "RecoveryKeyDlg.h"
#include "StrengthMeter.h"
#include "UiTestSupport.h"
#include "UiThread.h"

using namespace quovex;
using namespace quovex::test;

namespace {

const QString USER = u"alice"_s;
const QString PASSWORD = u"secret1"_s;          // the test vaults' (MakeProtectedVault)
const QString LONG_PASSWORD = u"secret-one"_s;  // long enough for a new protected vault

// How alice's vault at strVault answers strPassword.
AccessResult OpenWith(const QString& strVault, const QString& strPassword) {
    CVaultKey key(USER.toStdString(), strPassword.toStdString());
    return OpenVaultKey(strVault.toStdString(), strPassword.toStdString(), &key, nullptr,
                        CVaultEnv::Default())
        .nResult;
}

// Whether the window offers the password change and protecting the vault.
std::pair<bool, bool> Commands(const CVaultDlg& window) {
    return std::make_pair(Command(&window, RES_CMD_CHANGE_PASSWORD)->isEnabled(),
                          Command(&window, RES_CMD_PROTECT_VAULT)->isEnabled());
}

// Runs the program with a login of alice / strPassword at strVault (or
// "忘记口令..." when bForgot); whether the window came up, and protected.
std::pair<bool, bool> RunWithLogin(const QString& strVault, const QString& strPassword,
                                   bool bForgot = false) {
    WhenModal<CLoginDlg>([=](CLoginDlg* pLogin) {
        TypeInto(pLogin, 1011, strVault);
        TypeInto(pLogin, 1004, USER);
        TypeInto(pLogin, 1005, strPassword);
        Click(pLogin, bForgot ? RES_ID_FORGOT_PASSWORD : RES_ID_OK);
    });
    std::pair<bool, bool> seen(false, false);
    WhenModal<CVaultDlg>([&seen](CVaultDlg* pMain) {
        seen = {true, pMain->Key().IsProtected()};
        pMain->OnExit();
    });
    CVaultApp app{CVaultEnv::Default()};
    app.m_kdfLimits = KDF_FASTEST_LIMITS;
    RunProgram(app);
    StopWhenModal();  // the waits that never fired hold references to this frame
    return seen;
}

}  // namespace

class TestProtection : public QObject {
    Q_OBJECT
private slots:
    void init() { QSettings(u"tandrel"_s, QCoreApplication::applicationName()).clear(); }
    void cleanup() { StopWhenModal(); }
    void newVaultAndItsNextLogins();
    void forgottenPassword();
    void forgottenPasswordAtTheLock();
    void changePassword();
    void protectScrambledVault_data();
    void protectScrambledVault();
    void lostRecordIsNotTakenForAnotherVault();
    void hideNames();
    void recoveryKeyCanBeKept();
    void newPasswordsShowTheirStrength();
};

// The password typed the same again; protection ticked at first, and then
// the password must be long enough. The recovery key cannot go
// unacknowledged, and as shown opens the vault. The next login opens it by
// its record; with both copies spoilt it says why.
void TestProtection::newVaultAndItsNextLogins() {
    const QString strVault = FreshFolder(u"new vault"_s);
    CMessageBoxScript script;
    bool bTickedAtFirst = false, bHeldUnticked = false, bKeyCleared = false, bHeldShort = false;
    // 放弃 there comes back to the login, its fields as they were.
    bool bLoginAgain = false;
    WhenModal<CNewVaultDlg>([&](CNewVaultDlg* pStep) {
        TypeInto(pStep, RES_ID_NEW_PASSWORD_AGAIN, PASSWORD);
        Click(pStep, RES_ID_OK);
        bHeldShort = pStep->isVisible();
        WhenModal<CLoginDlg>([&](CLoginDlg* pAgain) {
            bLoginAgain = FindControl<QLineEdit>(pAgain, 1011)->text() == strVault;
            pAgain->reject();
        });
        pStep->reject();
    });
    QCOMPARE(RunWithLogin(strVault, PASSWORD), std::make_pair(false, false));
    QVERIFY(bHeldShort && bLoginAgain &&
            KindOfVault(strVault.toStdString(), CVaultEnv::Default()) == VaultKind::VAULT_NONE);
    WhenModal<CNewVaultDlg>([&](CNewVaultDlg* pStep) {
        bTickedAtFirst = FindControl<QCheckBox>(pStep, RES_ID_PROTECT_CHECK)->isChecked();
        TypeInto(pStep, RES_ID_NEW_PASSWORD_AGAIN, u"secret-two"_s);
        Click(pStep, RES_ID_OK);
        QVERIFY(pStep->isVisible());
        // The wrong one selected, so that typing replaces it.
        QCOMPARE(FindControl<QLineEdit>(pStep, RES_ID_NEW_PASSWORD_AGAIN)->selectionLength(), 10);
        TypeInto(pStep, RES_ID_NEW_PASSWORD_AGAIN, LONG_PASSWORD);
        Click(pStep, RES_ID_OK);
    });
    QString strShownKey;
    WhenModal<CRecoveryKeyDlg>([&](CRecoveryKeyDlg* pKey) {
        bHeldUnticked = !FindControl<QPushButton>(pKey, RES_ID_OK)->isEnabled();
        pKey->accept();
        QTest::keyClick(pKey, Qt::Key_Escape);
        pKey->close();
        bHeldUnticked = bHeldUnticked && pKey->isVisible();
        strShownKey = FindControl<QLabel>(pKey, RES_ID_RECOVERY_KEY)->text();
        FindControl<QCheckBox>(pKey, RES_ID_KEY_WRITTEN_CHECK)->click();
        Click(pKey, RES_ID_OK);
        bKeyCleared = FindControl<QLabel>(pKey, RES_ID_RECOVERY_KEY)->text().isEmpty();
    });
    QCOMPARE(RunWithLogin(strVault, LONG_PASSWORD), std::make_pair(true, true));

    QVERIFY(bTickedAtFirst && bHeldUnticked && bKeyCleared);
    QCOMPARE(MessageTexts(script),
             QStringList({"加密保护的保险柜，口令至少要 8 个字符。", "两次输入的口令不一致。"}));
    QCOMPARE(RunWithLogin(strVault, LONG_PASSWORD), std::make_pair(true, true));
    // The key as shown, line breaks and all, is the vault's recovery key.
    const CUtf8Secret shown(QString(strShownKey).remove(QLatin1Char('\n')));
    CVaultKey key(USER.toStdString(), "newpass1");
    QVERIFY(RecoverVault(strVault.toStdString(), shown.Text(), "newpass1", KDF_FASTEST_LIMITS, &key,
                         CVaultEnv::Default())
                .Opened());

    for (const char* pszName : {KEY_RECORD_NAME, KEY_RECORD_COPY_NAME}) {
        const QString strRecord = strVault + QLatin1Char('/') + QLatin1String(pszName);
        QByteArray bytes = ReadFile(strRecord);
        bytes[40] = char(bytes[40] ^ 0x20);
        QVERIFY(MakeFile(strRecord, bytes));
    }
    QCOMPARE(RunWithLogin(strVault, u"newpass1"_s), std::make_pair(false, false));
    QVERIFY(script.Requests().size() == 3 &&
            script.Requests().back().strText.startsWith(u"保险柜的密钥记录已损坏"_s));
}

// The recovery key, in any case and spacing, sets a new password and opens
// the vault. A key of the wrong form is refused in the dialog; another
// vault's by the vault, which stays as it was.
void TestProtection::forgottenPassword() {
    const QString strVault = FreshFolder(u"forgotten"_s);
    const QString strKey = MakeProtectedVault(strVault);
    const QString strOther = MakeProtectedVault(FreshFolder(u"other"_s));
    const QString strNew = u"新口令abcde"_s;
    CMessageBoxScript script;
    for (const QString& strGiven : {strOther, strKey}) {
        const QString strTyped = strGiven.toLower().replace('-', ' ');
        WhenModal<CForgotPasswordDlg>([&](CForgotPasswordDlg* pForgot) {
            TypeInto(pForgot, RES_ID_RECOVERY_KEY, strTyped.left(20));
            TypeInto(pForgot, RES_ID_NEW_PASSWORD, strNew);
            TypeInto(pForgot, RES_ID_NEW_PASSWORD_AGAIN, strNew);
            Click(pForgot, RES_ID_OK);
            TypeInto(pForgot, RES_ID_RECOVERY_KEY, strTyped);
            TypeInto(pForgot, RES_ID_NEW_PASSWORD_AGAIN, strNew + QLatin1Char('x'));
            Click(pForgot, RES_ID_OK);
            TypeInto(pForgot, RES_ID_NEW_PASSWORD_AGAIN, strNew);
            Click(pForgot, RES_ID_OK);
        });
        const bool bRight = strGiven == strKey;
        QCOMPARE(RunWithLogin(strVault, QString(), true), std::make_pair(bRight, bRight));
        QCOMPARE(OpenWith(strVault, PASSWORD),
                 bRight ? AccessResult::ACCESS_WRONG_CREDENTIALS : AccessResult::ACCESS_OPENED);
    }
    const QStringList vTries = {"恢复密钥的格式不对：应为 13 组，每组 4 个字母或数字。",
                                "两次输入的口令不一致。"};
    QCOMPARE(MessageTexts(script), vTries + QStringList{"恢复密钥不是这个保险柜的。"} + vTries +
                                       QStringList{"已用恢复密钥为这个保险柜设置了新口令，保险柜"
                                                   "已打开。以后请用新口令登录；原来的口令不再有"
                                                   "效，恢复密钥仍然有效。"});
    QCOMPARE(OpenWith(strVault, strNew), AccessResult::ACCESS_OPENED);
}

// The lock's login offers "忘记口令..." too: the recovery key gives the
// locked vault a new password and opens it, which is said.
void TestProtection::forgottenPasswordAtTheLock() {
    const QString strVault = FreshFolder(u"forgotten at lock"_s);
    const QString strKey = MakeProtectedVault(strVault);
    CMessageBoxScript script;
    CShownVault shown(strVault);
    QVERIFY(shown.bOpened);
    bool bOffered = false;
    WhenModal<CLoginDlg>([&](CLoginDlg* pLogin) {
        bOffered = FindControl<QPushButton>(pLogin, RES_ID_FORGOT_PASSWORD)->isVisible();
        WhenModal<CForgotPasswordDlg>([&](CForgotPasswordDlg* pForgot) {
            TypeInto(pForgot, RES_ID_RECOVERY_KEY, strKey);
            TypeInto(pForgot, RES_ID_NEW_PASSWORD, LONG_PASSWORD);
            TypeInto(pForgot, RES_ID_NEW_PASSWORD_AGAIN, LONG_PASSWORD);
            Click(pForgot, RES_ID_OK);
        });
        Click(pLogin, RES_ID_FORGOT_PASSWORD);
    });
    shown.dlg.OnLock();
    QVERIFY(bOffered && !shown.dlg.IsLocked());
    QVERIFY(script.Requests().back().strText.startsWith(u"已用恢复密钥为这个保险柜设置了新口令"_s));
    QCOMPARE(OpenWith(strVault, LONG_PASSWORD), AccessResult::ACCESS_OPENED);
    QCOMPARE(OpenWith(strVault, PASSWORD), AccessResult::ACCESS_WRONG_CREDENTIALS);
}

// A protected vault can take a new password, not be protected again (a
// scrambled one: protectScrambledVault), unless it still holds scrambled
// files, which only the present password reads; the window looks again when
// the vault moves. A new password typed differently twice is refused in the
// dialog, a wrong old one by the vault.
void TestProtection::changePassword() {
    const QString strMixed = FreshFolder(u"mixed"_s);
    QVERIFY(!MakeProtectedVault(strMixed).isEmpty());
    QVERIFY(PlaceReference("chinese.txt.$", strMixed + "/FileBox/chinese.txt.$"));
    const QString strVault = FreshFolder(u"change"_s);
    QVERIFY(!MakeProtectedVault(strVault).isEmpty());
    CShownVault shown(strVault);
    QVERIFY(shown.bOpened && Commands(shown.dlg) == std::make_pair(true, false));
    AccessOutcome moved;
    QVERIFY(shown.vault.MoveTo(strMixed, &moved, PASSWORD));
    QCOMPARE(Commands(shown.dlg), std::make_pair(false, true));
    CMessageBoxScript script;
    shown.dlg.OnChangePassword();
    QVERIFY(shown.vault.MoveTo(strVault, &moved, PASSWORD));

    const auto changeWith = [&](const QString& strOld, const QString& strAgain) {
        WhenModal<CChangePasswordDlg>([=](CChangePasswordDlg* pChange) {
            TypeInto(pChange, RES_ID_OLD_PASSWORD, strOld);
            TypeInto(pChange, RES_ID_NEW_PASSWORD, u"newpass1"_s);
            TypeInto(pChange, RES_ID_NEW_PASSWORD_AGAIN, strAgain);
            Click(pChange, RES_ID_OK);
            if (pChange->isVisible()) pChange->reject();
        });
        Command(&shown.dlg, RES_CMD_CHANGE_PASSWORD)->trigger();
    };
    changeWith(PASSWORD, u"newpass2"_s);
    changeWith(u"secret2"_s, u"newpass1"_s);
    QCOMPARE(OpenWith(strVault, PASSWORD), AccessResult::ACCESS_OPENED);
    changeWith(PASSWORD, u"newpass1"_s);

    const QStringList vTexts = MessageTexts(script);
    QVERIFY2(vTexts.value(0).contains(u"请先用"_s), qPrintable(vTexts.value(0)));
    QCOMPARE(vTexts.mid(1),
             QStringList({"两次输入的口令不一致。", "口令没有修改。\n户名或者口令出错。",
                          "口令已修改，下次登录请用新口令。恢复密钥仍然有效。"}));
    QCOMPARE(OpenWith(strVault, PASSWORD), AccessResult::ACCESS_WRONG_CREDENTIALS);
    QCOMPARE(OpenWith(strVault, u"newpass1"_s), AccessResult::ACCESS_OPENED);
}

void TestProtection::protectScrambledVault_data() {
    QTest::addColumn<bool>("bCancel");  // Cancel while the first file is rewritten
    QTest::newRow("whole run") << false;
    QTest::newRow("cancelled, then run again") << true;
}

// Protecting asks for the login's password and a new one long enough,
// shows the recovery key and rewrites every stored file; a cancelled run
// says that a second one finishes the work, and the second one does. The
// vault then opens with the new password only.
void TestProtection::protectScrambledVault() {
    QFETCH(bool, bCancel);
    const QString strVault = FreshFolder(u"to protect"_s);
    const QStringList vStored = {strVault + "/FileBox/a.txt.$", strVault + "/FileBox/目录/b.txt.$"};
    for (const QString& strStored : vStored) QVERIFY(PlaceReference("empty.txt.$", strStored));
    CFaultEnv env;
    CShownVault shown(strVault, &env);
    CVaultDlg& window = shown.dlg;
    QVERIFY(shown.bOpened && Commands(window) == std::make_pair(false, true));
    std::atomic<bool> bStaged{false};
    if (bCancel) {
        // The worker waits until the interface thread has taken the Cancel;
        // writes there (the key record's) pass.
        env.m_fnDuringCopy = [&bStaged](const std::string&) {
            if (QThread::currentThread() == qApp->thread() || bStaged.exchange(true)) return;
            RunOnObjectThread(qApp, [] {
                if (QWidget* pProgress = QApplication::activeModalWidget()) pProgress->close();
            });
        };
    }
    CMessageBoxScript script;
    WhenModal<CProtectVaultDlg>([&](CProtectVaultDlg* pAsk) {
        TypeInto(pAsk, RES_ID_PASSWORD, u"secret2"_s);
        TypeInto(pAsk, RES_ID_NEW_PASSWORD, LONG_PASSWORD);
        TypeInto(pAsk, RES_ID_NEW_PASSWORD_AGAIN, LONG_PASSWORD);
        Click(pAsk, RES_ID_OK);
        TypeInto(pAsk, RES_ID_PASSWORD, PASSWORD);
        TypeInto(pAsk, RES_ID_NEW_PASSWORD, u"short"_s);
        TypeInto(pAsk, RES_ID_NEW_PASSWORD_AGAIN, u"short"_s);
        Click(pAsk, RES_ID_OK);
        TypeInto(pAsk, RES_ID_NEW_PASSWORD, LONG_PASSWORD);
        TypeInto(pAsk, RES_ID_NEW_PASSWORD_AGAIN, LONG_PASSWORD);
        Click(pAsk, RES_ID_OK);
    });
    WhenModal<CRecoveryKeyDlg>([&](CRecoveryKeyDlg* pKey) {
        FindControl<QCheckBox>(pKey, RES_ID_KEY_WRITTEN_CHECK)->click();
        Click(pKey, RES_ID_OK);
    });
    Command(&window, RES_CMD_PROTECT_VAULT)->trigger();
    QVERIFY(window.Key().IsProtected() && Commands(window) == std::make_pair(!bCancel, bCancel));
    QCOMPARE(KindOfVault(strVault.toStdString(), CVaultEnv::Default()), VaultKind::VAULT_PROTECTED);
    // The second run goes on with the scramble key it holds: nothing to ask.
    if (bCancel) Command(&window, RES_CMD_PROTECT_VAULT)->trigger();

    QStringList vExpected = {u"口令不对，请输入登录时的口令。"_s,
                             u"加密保护的保险柜，口令至少要 8 个字符。"_s};
    if (bCancel) vExpected << u"转换已取消"_s;
    vExpected << u"保险柜已加密保护"_s;
    const QStringList vTexts = MessageTexts(script);
    QCOMPARE(vTexts.size(), vExpected.size());
    for (qsizetype i = 0; i < vTexts.size(); ++i)
        QVERIFY2(vTexts[i].startsWith(vExpected[i]), qPrintable(vTexts[i]));
    if (!bCancel) QVERIFY(vTexts.last().contains(u"转换了 2 个文件"_s));
    for (const QString& strStored : vStored) QVERIFY(!ReadFile(strStored).startsWith("QUOVEX"));
    QVERIFY(Commands(window) == std::make_pair(true, false));
    // The old password, which any scrambled file gave away, opens nothing.
    QCOMPARE(OpenWith(strVault, PASSWORD), AccessResult::ACCESS_WRONG_CREDENTIALS);
    QCOMPARE(OpenWith(strVault, LONG_PASSWORD), AccessResult::ACCESS_OPENED);
    QVERIFY(!window.Key().CanScramble());
}

// A location opened as a protected vault whose key record went (here: put
// aside, a scrambled mark in its place) opens as nothing else at the login;
// only a Yes, against the default, to the question that names the danger
// takes it for what lies there now.
void TestProtection::lostRecordIsNotTakenForAnotherVault() {
    const QString strVault = FreshFolder(u"lost"_s);
    QVERIFY(!MakeProtectedVault(strVault).isEmpty());
    for (const char* pszName : {KEY_RECORD_NAME, KEY_RECORD_COPY_NAME})
        QVERIFY(QFile::remove(strVault + QLatin1Char('/') + QLatin1String(pszName)));
    QVERIFY(MakeFile(strVault + u"/.quovex-scrambled"_s, QByteArray()));
    CMessageBoxScript script;
    QCOMPARE(RunWithLogin(strVault, PASSWORD), std::make_pair(false, false));
    QCOMPARE(script.Requests().size(), 1);
    const MessageBoxRequest& asked = script.Requests().front();
    QVERIFY2(asked.strText.startsWith(u"这个位置原来是加密保护的保险柜，但密钥记录不见了"_s),
             qPrintable(asked.strText));
    QVERIFY(asked.bDefaultNo && asked.nButtons == MSGBOX_YESNO);
    script.SetNextAnswer(MSGBOX_RESULT_YES);
    QCOMPARE(RunWithLogin(strVault, PASSWORD), std::make_pair(true, false));
    // Agreed once: the location is a scrambled vault now, and asks no more.
    QCOMPARE(RunWithLogin(strVault, PASSWORD), std::make_pair(true, false));
    QCOMPARE(script.Requests().size(), 2);
}

// Hiding the names is offered for a protected vault with visible names, and
// only where this build opens vaults with hidden names: it asks for the
// password and checks it before anything changes, hides every name under
// the progress dialog, then shows the new recovery key; the password stays.
void TestProtection::hideNames() {
    const QString strVault = FreshFolder(u"hide"_s);
    QVERIFY(!MakeProtectedVault(strVault, true).isEmpty());
    CShownVault shown(strVault);
    QVERIFY(shown.bOpened);
    QAction* pHide = Command(&shown.dlg, RES_CMD_HIDE_NAMES);
    if (!HiddenNamesOpen()) {
        QVERIFY(!pHide->isVisible() && !pHide->isEnabled());
        return;
    }
    QVERIFY(pHide->isVisible() && pHide->isEnabled());
    const QString strSource = FreshFolder(u"hide-src"_s) + u"/a.txt"_s;
    const QString strStored = strVault + u"/FileBox/资料/a.txt.$"_s;
    QFile source(strSource);
    QVERIFY(source.open(QIODevice::WriteOnly) && source.write("alpha") == 5);
    source.close();
    QVERIFY(StoreWith(shown.vault.Key(), strSource.toStdString(), strStored.toStdString()));
    CMessageBoxScript script;
    const auto hideWith = [&](const QString& strPassword) {
        WhenModal<CHideNamesDlg>([=](CHideNamesDlg* pAsk) {
            TypeInto(pAsk, RES_ID_PASSWORD, strPassword);
            Click(pAsk, RES_ID_OK);
        });
        pHide->trigger();
    };
    hideWith(u"secret2"_s);
    QVERIFY(QFileInfo::exists(strStored) && !shown.vault.Key().NamesHidden());
    WhenModal<CRecoveryKeyDlg>([&](CRecoveryKeyDlg* pKey) {
        FindControl<QCheckBox>(pKey, RES_ID_KEY_WRITTEN_CHECK)->click();
        Click(pKey, RES_ID_OK);
    });
    hideWith(PASSWORD);
    QVERIFY(!QFileInfo::exists(strVault + u"/FileBox/资料"_s));
    QVERIFY(shown.vault.Key().NamesHidden() && !pHide->isEnabled());
    QCOMPARE(NamesOfRecord(shown.vault.Record()), VaultNames::NAMES_HIDDEN);
    QCOMPARE(OpenWith(strVault, PASSWORD), AccessResult::ACCESS_OPENED);
    const QStringList vTexts = MessageTexts(script);
    QCOMPARE(vTexts.size(), 2);
    QVERIFY2(vTexts[0].startsWith(u"文件名没有隐藏。"_s), qPrintable(vTexts[0]));
    QVERIFY2(vTexts[1].startsWith(u"保险柜的文件名都已隐藏，隐藏了 1 个文件名。"_s),
             qPrintable(vTexts[1]));
}

// 复制 puts the whole key on one line on the clipboard, marked for clipboard
// managers, and clears it after the delay unless something else was copied
// meanwhile; 另存为 PDF... writes a PDF where asked.
void TestProtection::recoveryKeyCanBeKept() {
    const QString strKey = u"0123-4567-89AB-CDEF-GHJK-MNPQ-RSTV-WXYZ-0123-4567-89AB-CDEF-GHJK"_s;
    CRecoveryKeyDlg dialog(strKey);
    dialog.show();
    QVERIFY(SaveScreenshot(&dialog, u"recovery-key"_s));
    CClipboardSecret& secret = CClipboardSecret::Instance();
    secret.SetClearDelay(10);
    QSignalSpy cleared(&secret, &CClipboardSecret::Cleared);
    QClipboard* pClipboard = QApplication::clipboard();
    Click(&dialog, RES_ID_COPY_KEY);
    QCOMPARE(pClipboard->text(), strKey);
    QCOMPARE(pClipboard->mimeData()->data(u"x-kde-passwordManagerHint"_s), QByteArray("secret"));
    QVERIFY(cleared.wait(20000));
    QVERIFY(pClipboard->text().isEmpty());
    Click(&dialog, RES_ID_COPY_KEY);
    pClipboard->setText(u"the user's own"_s);
    QTRY_VERIFY_WITH_TIMEOUT(!secret.IsWaiting(), 20000);
    QCOMPARE(pClipboard->text(), u"the user's own"_s);
    QCOMPARE(cleared.size(), 1);
    secret.SetClearDelay(CClipboardSecret::CLEAR_AFTER_MS);

    const QString strPdf = g_strHome + u"/恢复密钥"_s;
    SetSavePicker([&](const QString&) { return strPdf; });
    Click(&dialog, RES_ID_SAVE_KEY_PDF);
    SetSavePicker({});
    QVERIFY(ReadFile(strPdf + u".pdf"_s).startsWith("%PDF"));
    dialog.findChild<QCheckBox*>()->click();
    Click(&dialog, RES_ID_OK);
}

// The meter's words for known passwords, the user name counted against one;
// it follows the typing in the password change.
void TestProtection::newPasswordsShowTheirStrength() {
    QVERIFY(StrengthText(u"password1"_s, QString()).startsWith(u"口令强度：很弱"_s));
    QVERIFY(StrengthText(u"alice2026"_s, u"alice"_s).startsWith(u"口令强度：很弱"_s));
    QVERIFY(StrengthText(u"Tr0ub4dor&3xq"_s, QString()).startsWith(u"口令强度：弱"_s));
    QVERIFY(
        StrengthText(u"correct horse battery staple"_s, QString()).startsWith(u"口令强度：良好"_s));
    QVERIFY(StrengthText(u"vX9#qL2!mZ7@wR4$kP8&tN3"_s, QString()).startsWith(u"口令强度：很强"_s));
    QCOMPARE(StrengthText(QString(), QString()), QString());

    CChangePasswordDlg dialog;
    dialog.show();
    const QLabel* pMeter = FindControl<QLabel>(&dialog, RES_ID_STRENGTH);
    QVERIFY(pMeter->text().isEmpty());
    TypeInto(&dialog, RES_ID_NEW_PASSWORD, u"password1"_s);
    QVERIFY(pMeter->text().startsWith(u"口令强度：很弱"_s));
    TypeInto(&dialog, RES_ID_NEW_PASSWORD, u"correct horse battery staple"_s);
    QVERIFY(pMeter->text().startsWith(u"口令强度：良好"_s));
    dialog.reject();
}

QUOVEX_UI_TEST_MAIN(TestProtection)
#include "tst_protection.moc"
