// The program from start-up to the end of the main window, and the
// progress runner, driven from timers while the code under test sits in exec().
#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QScopeGuard>
#include <atomic>
#include <thread>

#include "NewVaultDlg.h"
#include "ProgressDlg.h"
#include "UiTestSupport.h"

using namespace quovex;

namespace {

// Bounds the waits for another thread: it only turns a hang into a failure
// before the suite's time-out, and no load comes near it.
constexpr int HANG_MS = 60000;

// The worker waits until the test lets it go (as it always does), records
// whether it sees a cancel and returns nResult (0: it stopped early).
struct WorkerGate {
    std::atomic<bool> bGo{false}, bSawCancel{false};
    int nResult = 1;  // 0: the worker stopped early, as on a cancel

    void Let() {
        bGo = true;
        bGo.notify_all();
    }
    auto Worker() {
        return [this](CVaultFeedback& feedback) {
            bGo.wait(false);
            bSawCancel = feedback.IsCancelled();
            return nResult ? RunOutcome::RUN_FINISHED : RunOutcome::RUN_CANCELLED;
        };
    }
};

}  // namespace

class TestRuns : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { test::StopWhenModal(); }
    void startUp_data();
    void startUp();
    void typedLocationIsNeverAnotherVault();
    void cancelRules_data();
    void cancelRules();
    void reportsFromTheWorker();
};

void TestRuns::startUp_data() {
    QTest::addColumn<QString>("strPassword");  // null: the login is cancelled
    QTest::addColumn<bool>("bConfigured");     // settings name the vault and user "alice"
    QTest::addColumn<bool>("bTyped");          // the vault's path typed as location
    QTest::addColumn<int>("nEndKey");          // ends the main window; 0: the Exit command
    QTest::addColumn<bool>("bCut");            // the stored file emptied, as by a power loss
    const QString strRight = u"口令1234"_s;
    QTest::newRow("cancelled") << QString() << false << false << 0 << false;
    QTest::newRow("wrong password") << QString("wrong-pw") << true << false << 0 << false;
    QTest::newRow("first run, preset location") << strRight << false << false << 0 << false;
    QTest::newRow("first run, folder typed")
        << strRight << false << true << int(Qt::Key_Return) << false;
    QTest::newRow("configured, preset location")
        << strRight << true << false << int(Qt::Key_Escape) << false;
    QTest::newRow("configured location typed") << strRight << true << true << 0 << false;
    QTest::newRow("first stored file cut short") << strRight << true << false << 0 << true;
}

void TestRuns::startUp() {
    QFETCH(QString, strPassword);
    QFETCH(bool, bConfigured);
    QFETCH(bool, bTyped);
    QFETCH(int, nEndKey);
    QFETCH(bool, bCut);
    const bool bAccepted = strPassword == u"口令1234"_s && !bCut;
    const QString strSettings =
        QSettings(u"tandrel"_s, QCoreApplication::applicationName()).fileName();
    QFile::remove(strSettings);
    QDir(test::g_strHome + u"/Box"_s).removeRecursively();
    // The vault holds the reference stored file of 张三user / 口令1234.
    const QString strVault = test::FreshFolder(u"vault"_s);
    const QString strStored = strVault + u"/FileBox/chinese.txt.$"_s;
    QVERIFY(bCut ? test::MakeFile(strStored) : test::PlaceReference("chinese.txt.$", strStored));
    // The window was left at rcKept; it is moved to rcMoved before the end.
    const QRect rcKept(100, 50, 300, 600), rcMoved(60, 90, 320, 620);
    if (bConfigured) {
        CVaultSettings preset;
        preset.m_strWorkPath = strVault;
        preset.m_strUserName = u"alice"_s;
        preset.SetWindowPlace(rcKept);
        preset.SaveSettings();
    }
    const QByteArray before = test::ReadFile(strSettings);

    // Cancels the login or fills it in; a second login, a fault, is counted
    // and cancelled so that the run ends.
    CMessageBoxScript script;
    int nLoginsShown = 0;
    QStringList presets;
    test::WhenModal<CLoginDlg>([&](CLoginDlg* pLogin) {
        for (int nId : {1011, 1004, 1005}) presets << FindControl<QLineEdit>(pLogin, nId)->text();
        ++nLoginsShown;
        if (strPassword.isNull()) return test::Click(pLogin, 2);
        if (bTyped) test::TypeInto(pLogin, 1011, strVault);
        test::TypeInto(pLogin, 1004, u"张三user"_s);
        test::TypeInto(pLogin, 1005, strPassword);
        test::Click(pLogin, 1);
        test::WhenModal<CLoginDlg>([&](CLoginDlg* pAgain) {
            ++nLoginsShown;
            pAgain->reject();
        });
    });
    // A location without a vault asks for the password again; a scrambled
    // vault is made there.
    bool bNewVaultAsked = false;
    test::WhenModal<CNewVaultDlg>([&](CNewVaultDlg* pStep) {
        bNewVaultAsked = true;
        test::TypeInto(pStep, RES_ID_NEW_PASSWORD_AGAIN, strPassword);
        FindControl<QCheckBox>(pStep, RES_ID_PROTECT_CHECK)->setChecked(false);
        pStep->accept();
    });
    QByteArrayList credentials;
    QRect rcOpened;
    test::WhenModal<CVaultDlg>([&](CVaultDlg* pMain) {
        credentials = {pMain->Key().Cipher().UserBytes(), pMain->Key().Cipher().PasswordBytes()};
        rcOpened = pMain->geometry();
        pMain->setGeometry(rcMoved);
        if (nEndKey) return QTest::keyClick(pMain, Qt::Key(nEndKey));
        test::Command(pMain, RES_CMD_EXIT)->trigger();
    });
    CVaultApp app{CVaultEnv::Default()};
    QCOMPARE(test::RunProgram(app), 0);

    QCOMPARE(nLoginsShown, 1);
    QCOMPARE(bNewVaultAsked, !strPassword.isNull() && !bConfigured && !bTyped);
    QCOMPARE(presets, QStringList({"缺省位置", bConfigured ? "alice" : "", ""}));
    // A preset location left as it is keeps the configured one ($HOME/Box at
    // first); the boxes are made there (the vault itself only holds FileBox).
    const QString strWorkPath = bConfigured || bTyped ? strVault : test::g_strHome + u"/Box"_s;
    QCOMPARE(app.m_strWorkPath, strWorkPath);
    QCOMPARE(test::HasBoxes(strWorkPath), bAccepted);
    // The main window ran with the typed credentials, in GB18030.
    const QByteArrayList gb18030 = {"\xD5\xC5\xC8\xFDuser", "\xBF\xDA\xC1\xEE\x31\x32\x33\x34"};
    QCOMPARE(credentials, bAccepted ? gb18030 : QByteArrayList());
    const QString strRefusal =
        bCut ? u"保险柜中的已存文件已损坏，无法核对户名和口令：\n"_s + strStored
             : u"户名或者口令出错。"_s;
    QCOMPARE(test::MessageTexts(script),
             !bAccepted && !strPassword.isNull() ? QStringList{strRefusal} : QStringList());

    // Only a new user name at the configured location, typed, is saved, and
    // the window's place whenever it ran; it opened where it was left.
    const bool bSaved = bAccepted && bConfigured && bTyped;
    QCOMPARE(app.m_bSettingsChanged, bSaved);
    QCOMPARE(test::ReadFile(strSettings) == before, !bAccepted);
    CVaultSettings saved;
    saved.LoadSettings();
    QCOMPARE(saved.m_strUserName, bSaved ? u"张三user"_s : bConfigured ? u"alice"_s : QString());
    QCOMPARE(test::StoredSetting("WorkPath"), bConfigured ? strVault : QString());
    if (!bAccepted) return;
    if (bConfigured) QCOMPARE(rcOpened, rcKept);
    QCOMPARE(saved.WindowPlace(), rcMoved);
}

// A typed location where no folder lies is not dropped for the configured
// one: a file is said to be no folder, a missing path to be missing, and a
// new vault is made there only when the user says so.
void TestRuns::typedLocationIsNeverAnotherVault() {
    QFile::remove(QSettings(u"tandrel"_s, QCoreApplication::applicationName()).fileName());
    const QString strHomeBox = test::g_strHome + u"/Box"_s;
    QDir(strHomeBox).removeRecursively();
    const QString strFile = test::FreshFolder(u"typed"_s) + u"/file"_s;
    const QString strNew = test::g_strHome + u"/typed/new/vault"_s;
    QVERIFY(test::MakeFile(strFile));
    CMessageBoxScript script;
    // The location the main window opened, "" when none came up.
    const auto logInAt = [](const QString& strTyped) {
        test::WhenModal<CLoginDlg>([strTyped](CLoginDlg* pLogin) {
            test::TypeInto(pLogin, 1011, strTyped);
            test::TypeInto(pLogin, 1004, u"alice"_s);
            test::TypeInto(pLogin, 1005, u"secret1"_s);
            test::Click(pLogin, 1);
        });
        test::WhenModal<CNewVaultDlg>([](CNewVaultDlg* pStep) {
            test::TypeInto(pStep, RES_ID_NEW_PASSWORD_AGAIN, u"secret1"_s);
            FindControl<QCheckBox>(pStep, RES_ID_PROTECT_CHECK)->setChecked(false);
            pStep->accept();
        });
        QString strOpened;
        test::WhenModal<CVaultDlg>([&strOpened](CVaultDlg* pMain) {
            strOpened = pMain->Vault().Location();
            test::Command(pMain, RES_CMD_EXIT)->trigger();
        });
        CVaultApp app{CVaultEnv::Default()};
        test::RunProgram(app);
        test::StopWhenModal();
        return strOpened;
    };
    QCOMPARE(logInAt(strFile), QString());
    QCOMPARE(logInAt(u"typo-box"_s), QString());
    QCOMPARE(logInAt(strNew), QString());  // the new vault declined
    QVERIFY(!QFileInfo::exists(strNew) && !QFileInfo::exists(strHomeBox));
    script.SetNextAnswer(MSGBOX_RESULT_YES);
    QCOMPARE(logInAt(strNew), strNew);
    QVERIFY(test::HasBoxes(strNew) && !QFileInfo::exists(strHomeBox));
    const QString strAsked = u"这个位置不存在：\n"_s + strNew + u"\n要在这里新建保险柜吗？"_s;
    QCOMPARE(test::MessageTexts(script),
             QStringList({u"这个位置不是文件夹：\n"_s + strFile,
                          u"这个位置不存在：\ntypo-box\n新建保险柜须用完整路径，例如 "_s +
                              strHomeBox + u"。"_s,
                          strAsked, strAsked}));
}

void TestRuns::cancelRules_data() {
    QTest::addColumn<int>("nFlags");
    QTest::addColumn<bool>("bAfterReturn");  // Cancel once the worker has returned
    QTest::addColumn<int>("nWorkerResult");
    const int CAN = PROGRESS_CAN_CANCEL;
    // The worker sees the cancel and stops early.
    QTest::newRow("mid-run") << CAN << false << 0;
    // Cancel, Escape and closing are all ignored.
    QTest::newRow("can-cancel 0") << 0 << false << 0;
    // The worker did all its work: the Cancel came too late to count.
    QTest::newRow("before the last work") << CAN << false << 1;
    // Ends the dialog at once; the worker's 0 is then no cancel.
    QTest::newRow("after the worker returned") << CAN << true << 0;
}

// The worker waits while the test cancels, so that nothing depends on when
// it runs. It sees a Cancel pressed before its return where the dialog
// takes one; the run is cancelled only if the worker then stops early.
void TestRuns::cancelRules() {
    QFETCH(int, nFlags);
    QFETCH(bool, bAfterReturn);
    QFETCH(int, nWorkerResult);
    const bool bCancelled = nFlags == PROGRESS_CAN_CANCEL && !bAfterReturn;
    const RunOutcome nExpected =
        bCancelled && nWorkerResult == 0 ? RunOutcome::RUN_CANCELLED : RunOutcome::RUN_FINISHED;
    WorkerGate gate{.nResult = nWorkerResult};
    bool bEnded = false;
    test::WhenModal<CProgressDlg>([&](CProgressDlg* pDialog) {
        const auto release = qScopeGuard([&] { gate.Let(); });
        if (bAfterReturn) {
            gate.Let();  // and keep its close request waiting
            while (!pDialog->IsFinished()) std::this_thread::yield();
        }
        test::Click(pDialog, 2);
        if (pDialog->isVisible()) {
            QTest::keyClick(pDialog, Qt::Key_Escape);
            pDialog->close();
        }
        // Cancelling never closes the dialog by itself.
        bEnded = !pDialog->isVisible();
    });
    QCOMPARE(RunWithProgress(gate.Worker(), nFlags), nExpected);
    QVERIFY(bEnded == bAfterReturn && gate.bSawCancel == bCancelled);

    // A worker that returns at once (before the dialog is up) still closes
    // it; its 0 without a Cancel is no cancel.
    WorkerGate early{.nResult = 0};
    early.Let();
    QCOMPARE(RunWithProgress(early.Worker(), nFlags), RunOutcome::RUN_FINISHED);
    QVERIFY(!QApplication::activeModalWidget());
}

// The worker's reports never wait for this thread (which serves no event
// while they are made). Reports before the dialog is up are dropped, not
// remembered as sent. A box refresh held back comes before the next box,
// and the last one by the end.
void TestRuns::reportsFromTheWorker() {
    CProgressDlg dialog(PROGRESS_CAN_CANCEL);
    auto* pBar = FindControl<QProgressBar>(&dialog, 1021);
    dialog.SetProgressPos(40);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog) && pBar->value() == 0);

    std::thread([&] {
        dialog.SetStatusText("/home/用户/文档/报告.doc");
        dialog.SetProgressPos(40);
        dialog.BeginWaitCursor();
    }).join();
    QVERIFY(!QApplication::overrideCursor());
    QCoreApplication::sendPostedEvents(&dialog, QEvent::MetaCall);
    QCOMPARE(pBar->value(), 40);
    QCOMPARE(FindControl<QLabel>(&dialog, 1022)->text(), u"/home/用户/文档/报告.doc"_s);
    QVERIFY(QApplication::overrideCursor());
    std::thread([&] { dialog.EndWaitCursor(); }).join();
    QCoreApplication::sendPostedEvents(&dialog, QEvent::MetaCall);
    QVERIFY(!QApplication::overrideCursor());

    QStringList shown;
    connect(&dialog, &CProgressDlg::BoxContentsChanged, this, [&](const QString& strBox) {
        if (shown.isEmpty() || shown.last() != strBox) shown << strBox;
    });
    std::atomic<bool> bDone{false};
    std::thread worker([&] {
        for (const char* pszBox : {"/v/FileBox", "/v/FileBox", "/v/ImageBox", "/v/ImageBox"})
            dialog.ShowBoxContents(pszBox);
        dialog.NotifyFinished();
        bDone = true;
    });
    QVERIFY(QTest::qWaitFor([&] { return bDone.load(); }, HANG_MS));
    worker.join();
    QCOMPARE(shown, (QStringList{"/v/FileBox", "/v/ImageBox"}));
}

QUOVEX_UI_TEST_MAIN(TestRuns)
#include "tst_runs.moc"
