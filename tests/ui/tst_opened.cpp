// Opening stored files (the desktop recorded here), their changes stored
// back, the copies at the lock and the end, and the lock itself.
#include <QDesktopServices>
#include <QSpinBox>
#include <QUrl>
#include <chrono>
#include <filesystem>

#include "AboutDlg.h"
#include "CoreTexts.h"
#include "IdleWatch.h"
#include "KeyRecordFiles.h"
#include "NormalPage.h"
#include "OpenedCopies.h"
#include "ProgressDlg.h"
#include "StoredFileInfo.h"
#include "TestFiles.h"
#include "UiTestSupport.h"
#include "UiThread.h"

using namespace quovex;
using namespace quovex::test;

class TestOpened : public QObject, public CDroppedVault {
    Q_OBJECT
public:
    // Stands in for the desktop: records the files it is asked to open.
    Q_INVOKABLE void Open(const QUrl& url) { m_vOpened << url.toLocalFile(); }

private slots:
    void init() {
        QDesktopServices::setUrlHandler(u"file"_s, this, "Open");
        m_vOpened.clear();
        m_nLogins = 0;
    }
    void cleanup();
    void openFilesAndFolders();
    void changesComeBackOnceAndLeftoversLater();
    void lockWipesTheKeyAndAsksAgain();
    void idleLockOnTheTestsClock();

private:
    // Whether strPath is a folder (not a link) only its owner may enter,
    // list or write.
    static bool OwnerOnly(const QString& strPath) {
        const auto status = std::filesystem::symlink_status(strPath.toStdString());
        return status.type() == std::filesystem::file_type::directory &&
               status.permissions() == std::filesystem::perms::owner_all;
    }
    // The plain content of a stored file, restored with the window's key.
    QByteArray Restored(const char* pszRel);
    // The copies' folders and records in the private folder.
    QStringList CopyEntries() const {
        return QDir(g_strHome + "/runtime/quovex-open")
            .entryList(QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot);
    }
    // Opens the stored file pszRel from the tree; the copy handed over.
    QString OpenCopy(const char* pszRel) {
        const auto nBefore = m_vOpened.size();
        if (Select(pszRel)) m_pDlg->OnOpen();
        return m_vOpened.value(nBefore);
    }

    QStringList m_vOpened;
    int m_nLogins = 0;
};

void TestOpened::cleanup() {
    ClearDropped();
    QDesktopServices::unsetUrlHandler(u"file"_s);
    QDir(g_strHome + "/runtime/quovex-open").removeRecursively();
}

QByteArray TestOpened::Restored(const char* pszRel) {
    QString strOut = m_strRoot + "/check/" + pszRel;
    strOut.chop(2);  // ".$"
    QFile::remove(strOut);
    // Less its last extension, or (hidden names) under its sealed name.
    const std::string strTarget = (strOut + ".$").toStdString();
    return RestoreWith(m_pShown->vault.Key(), Box(pszRel).toStdString(), strTarget)
               ? ReadFile(strOut)
               : "(not restored)";
}

void TestOpened::openFilesAndFolders() {
    QVERIFY(MakeDropped("open"));
    // "打开" restores the file into a private folder and hands it over.
    const QString strCopy = OpenCopy("a.txt.$");
    QCOMPARE(QFileInfo(strCopy).fileName(), u"a.txt"_s);
    QCOMPARE(ReadFile(strCopy), QByteArray("alpha"));
    const QFileInfo folder(QFileInfo(strCopy).path());
    QCOMPARE(folder.path(), g_strHome + "/runtime/quovex-open");
    QVERIFY(OwnerOnly(folder.filePath()) && OwnerOnly(folder.path()));

    // Open again (a double-click): the same copy, nothing restored anew.
    const QStringList vEntries = CopyEntries();
    CContentsTree* pTree = m_pDlg->ContentsTree();
    const QRect rcItem = pTree->visualItemRect(pTree->currentItem());
    // QTest sends the double-click alone; a press on the item comes first.
    QTest::mouseClick(pTree->viewport(), Qt::LeftButton, {}, rcItem.center());
    QTest::mouseDClick(pTree->viewport(), Qt::LeftButton, {}, rcItem.center());
    QCOMPARE(m_vOpened, QStringList({strCopy, strCopy}));
    QCOMPARE(CopyEntries(), vEntries);

    // Enter on the other a.txt: a folder of its own; the window stays.
    QVERIFY(Select("目录/a.txt.$"));
    QTest::keyClick(pTree, Qt::Key_Return);
    const QString strOther = m_vOpened.value(2);
    QVERIFY(QFileInfo(strOther).path() != QFileInfo(strCopy).path() && m_pDlg->isVisible());
    QCOMPARE(ReadFile(strOther), QByteArray("beta"));

    // A folder opens in the tree, not on the desktop.
    QVERIFY(Select("目录"));
    pTree->currentItem()->setExpanded(false);
    m_pDlg->OnOpen();
    QVERIFY(pTree->currentItem()->isExpanded());
    QVERIFY(m_vOpened.size() == 3 && m_pScript->Requests().empty());

    // Without XDG_RUNTIME_DIR below the cache folder; a link there is refused.
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    qunsetenv("XDG_RUNTIME_DIR");
    const QString strCached = OpenedCopiesFolder();
    QCOMPARE(strCached,
             g_strHome + "/cache/" + QCoreApplication::applicationName() + "/quovex-open");
    QVERIFY(OwnerOnly(strCached) && QDir(strCached).removeRecursively());
    QVERIFY(QFile::link(m_strRoot, strCached));
    QCOMPARE(OpenedCopiesFolder(), QString());
    QFile::remove(strCached);
    qputenv("XDG_RUNTIME_DIR", runtime);

    // A Quovex.chm beside the program is the help the desktop shows.
    m_pShown->app.m_strProgramPath = m_strRoot + "/quovex";
    QVERIFY(MakeFile(m_strRoot + "/Quovex.chm"));
    m_pDlg->OnHelp();
    QCOMPARE(m_vOpened.last(), m_strRoot + "/Quovex.chm");
}

void TestOpened::changesComeBackOnceAndLeftoversLater() {
    QVERIFY(MakeDropped("open"));
    QCOMPARE(WriteStoredSummary(
                 Box("a.txt.$").toStdString(),
                 ReadStoredFileInfo(Box("a.txt.$").toStdString(), CVaultEnv::Default()).stamp,
                 "note", CVaultEnv::Default()),
             SummaryWriteResult::SUMMARY_WRITTEN);
    const QString strCopy = OpenCopy("a.txt.$");

    // Saved: the watch asks; Yes stores it back, keeping source and summary.
    m_pScript->SetNextAnswer(MSGBOX_RESULT_YES);
    QVERIFY(MakeFile(strCopy, "alpha, edited"));
    QTRY_VERIFY_WITH_TIMEOUT(Restored("a.txt.$") == "alpha, edited", 60000);
    QCOMPARE(m_pScript->Requests().front().strText, u"«a.txt» 已修改，存回保险柜吗？"_s);
    const StoredFileInfo info =
        ReadStoredFileInfo(Box("a.txt.$").toStdString(), CVaultEnv::Default());
    QVERIFY(info.strSourcePath == Src("a.txt").toStdString() && info.strSummary == "note");

    // Changed again: No leaves the stored file, and is asked once only.
    QVERIFY(MakeFile(strCopy, "third version"));
    m_pScript->SetNextAnswer(MSGBOX_RESULT_NO);
    m_pDlg->AskAboutChangedCopies();
    m_pDlg->AskAboutChangedCopies();
    QCOMPARE(m_pScript->Requests().size(), std::size_t(2));
    QCOMPARE(Restored("a.txt.$"), QByteArray("alpha, edited"));
    QCOMPARE(ReadFile(strCopy), QByteArray("third version"));

    // The end: a new change declined, every copy gone.
    QVERIFY(MakeFile(strCopy, "declined"));
    m_pDlg->OnExit();
    QVERIFY(m_pScript->Requests().size() == 3 && CopyEntries().isEmpty());
    QCOMPARE(Restored("a.txt.$"), QByteArray("alpha, edited"));

    // A run whose store back fails keeps the changed copy, and so does a
    // run that goes without asking (as if killed); the unchanged one goes.
    const auto newRun = [this] {
        m_pShown = std::make_unique<CShownVault>(m_strVault, &m_env);
        m_pDlg = &m_pShown->dlg;
    };
    newRun();
    QVERIFY(!OpenCopy("a.txt.$").isEmpty());
    QVERIFY(MakeFile(OpenCopy("目录/a.txt.$"), "kept through a failure"));
    m_env.m_bFailCommit = true;
    m_pScript->SetNextAnswer(MSGBOX_RESULT_YES);
    m_pDlg->CloseOpenedCopies();
    m_env.m_bFailCommit = false;
    QVERIFY2(LastMessage().contains(m_vOpened.value(2)), qPrintable(LastMessage()));
    QCOMPARE(CopyEntries().size(), 2);  // a folder and its record
    QVERIFY(MakeFile(OpenCopy("a.txt.$"), "killed"));
    m_pShown.reset();
    QCOMPARE(CopyEntries().size(), 4);

    // A running program's copies are its own.
    CShownVault other(m_strVault, &m_env);
    other.dlg.OpenStoredFile(Box("a.txt.$"));
    QCOMPARE(CopyEntries().size(), 7);  // and its lock

    // The next login offers the two changes at once; Yes stores both.
    newRun();
    const std::size_t nAsked = m_pScript->Requests().size();
    m_pScript->SetNextAnswer(MSGBOX_RESULT_YES);
    m_pDlg->OfferLeftoverCopies();
    QCOMPARE(m_pScript->Requests().size(), nAsked + 1);
    QVERIFY2(LastMessage().contains(Box("a.txt.$")) && LastMessage().contains(Box("目录/a.txt.$")),
             qPrintable(LastMessage()));
    QCOMPARE(Restored("目录/a.txt.$"), QByteArray("kept through a failure"));
    QCOMPARE(Restored("a.txt.$"), QByteArray("killed"));
    QCOMPARE(CopyEntries().size(), 3);
    m_pDlg->OfferLeftoverCopies();
    QCOMPARE(m_pScript->Requests().size(), nAsked + 1);
}

void TestOpened::lockWipesTheKeyAndAsksAgain() {
    QVERIFY(MakeDropped("open", true));
    QVERIFY(MakeFile(OpenCopy("a.txt.$"), "alpha, protected edit"));
    QVERIFY(!OpenCopy("目录/a.txt.$").isEmpty());

    // At the login: the tree hidden, the copies gone, the key wiped. Without
    // its key record, or with a wrong password, the login asks again.
    const QStringList vRecords = {m_strVault + "/" + KEY_RECORD_NAME,
                                  m_strVault + "/" + KEY_RECORD_COPY_NAME};
    const auto moveRecords = [&vRecords](const QString& strFrom, const QString& strTo) {
        for (const QString& strRecord : vRecords)
            QVERIFY(QFile::rename(strRecord + strFrom, strRecord + strTo));
    };
    WhenModal<CLoginDlg>([&](CLoginDlg* pLogin) {
        QVERIFY(m_pDlg->IsLocked() && !m_pDlg->ContentsTree()->isVisible());
        QVERIFY(CopyEntries().isEmpty());
        const CVaultKey& key = m_pShown->vault.Key();
        QVERIFY(key.MasterKey().IsEmpty() && key.User().empty() && !key.CanScramble());
        QCOMPARE(Restored("a.txt.$"), QByteArray("(not restored)"));
        const QLineEdit* pUser = FindControl<QLineEdit>(pLogin, 1004);
        QVERIFY(pUser->text() == u"alice"_s && pUser->isReadOnly());
        QCOMPARE(FindControl<QLineEdit>(pLogin, 1011)->text(), m_strVault);
        moveRecords("", ".away");
        TypeInto(pLogin, 1005, u"secret1"_s);
        Click(pLogin, RES_ID_OK);
        WhenModal<CLoginDlg>([&](CLoginDlg* pAgain) {
            moveRecords(".away", "");
            TypeInto(pAgain, 1005, u"wrong-pw"_s);
            Click(pAgain, RES_ID_OK);
            LogInWhenAsked(u"secret1"_s, &m_nLogins);
        });
    });
    // With copies open, Ctrl+L names them and asks first; 取消 changes nothing.
    Command(m_pDlg, RES_CMD_LOCK)->trigger();
    QVERIFY(!m_pDlg->IsLocked() && !CopyEntries().isEmpty());
    const MessageBoxRequest asked = m_pScript->Requests().back();
    QVERIFY(asked.nButtons == MSGBOX_OKCANCEL && asked.strAction == u"锁定(&L)"_s);
    QVERIFY(asked.strText.contains(u"锁定后这些副本将被删除。请先在程序中保存并关闭。"_s));
    QCOMPARE(asked.strText.count(u"a.txt"_s), 2);
    m_pScript->SetNextAnswer(MSGBOX_RESULT_OK);
    m_pScript->SetNextAnswer(MSGBOX_RESULT_YES);
    Command(m_pDlg, RES_CMD_LOCK)->trigger();
    QCOMPARE(m_nLogins, 1);  // the third login, armed by the second
    QCOMPARE(MessageTexts(*m_pScript).mid(3),
             QStringList(
                 {AccessRefusalText({AccessResult::ACCESS_RECORD_DAMAGED, {}, {}, {}, false, {}}),
                  u"户名或者口令出错。"_s}));

    // Open again, the change stored in the protected format as the drop's.
    QVERIFY(!m_pDlg->IsLocked() && m_pDlg->ContentsTree()->isVisible());
    QCOMPARE(Restored("a.txt.$"), QByteArray("alpha, protected edit"));
    for (const char* pszStored : {"a.txt.$", "目录/a.txt.$"})
        QCOMPARE(ReadStoredFileInfo(Box(pszStored).toStdString(), CVaultEnv::Default()).nKind,
                 StoredKind::STORED_PROTECTED);

    // Escape at the lock's login ends the window.
    WhenModal<CLoginDlg>([](CLoginDlg* pLogin) { pLogin->reject(); });
    m_pDlg->OnLock();
    QVERIFY(!m_pDlg->isVisible() && m_pDlg->result() == QDialog::Rejected);
}

void TestOpened::idleLockOnTheTestsClock() {
    QVERIFY(MakeDropped("open"));
    auto now = std::chrono::steady_clock::time_point();
    CIdleWatch* pWatch = m_pDlg->IdleWatch();
    pWatch->SetClock([&now] { return now; });
    const auto lockAfter = [&](auto elapsed) {
        now += elapsed;
        pWatch->Check();
        return m_nLogins;
    };

    // The settings' minutes, kept in the record; a copy opened before the
    // vault moves is dealt with while the old key holds.
    QVERIFY(!OpenCopy("a.txt.$").isEmpty());
    const QString strMoved = m_strRoot + "/Moved";
    CNormalPage page(m_pShown->vault, m_pShown->app);
    page.show();
    TypeInto(&page, 1007, strMoved);
    FindControl<QSpinBox>(&page, 1012)->setValue(3);
    QVERIFY(page.OnApply());
    page.hide();
    QVERIFY(CopyEntries().isEmpty() && StoredSetting("LockMinutes") == u"3"_s);
    pWatch->SetLimitMinutes(m_pShown->app.m_nLockMinutes);

    // Input starts the idle time afresh; the lock comes after 3 minutes of none.
    LogInWhenAsked(u"secret1"_s, &m_nLogins);
    QCOMPARE(lockAfter(std::chrono::minutes(2)), 0);
    QTest::keyClick(m_pDlg->ContentsTree(), Qt::Key_Down);
    QCOMPARE(lockAfter(std::chrono::minutes(2)), 0);
    QCOMPARE(lockAfter(std::chrono::minutes(1)), 1);
    QVERIFY(!m_pDlg->IsLocked());

    // A run is never interrupted: the lock waits for its end.
    QVERIFY(MakeFile(Src("late.txt"), "late"));
    bool bRunDisturbed = false;
    m_env.m_fnDuringCopy = [&](const std::string&) {
        RunOnObjectThread(qApp, [&] {
            lockAfter(std::chrono::minutes(5));
            auto* pProgress = qobject_cast<CProgressDlg*>(QApplication::activeModalWidget());
            bRunDisturbed =
                m_pDlg->IsLocked() || m_nLogins > 1 || !pProgress || pProgress->IsCancelled();
        });
    };
    m_pDlg->StartAddFromDrop({Src("late.txt")}, strMoved + "/FileBox");
    m_env.m_fnDuringCopy = {};
    QVERIFY(!bRunDisturbed && QFileInfo::exists(strMoved + "/FileBox/late.txt.$"));
    LogInWhenAsked(u"secret1"_s, &m_nLogins);
    QCOMPARE(lockAfter(std::chrono::minutes(0)), 2);

    // A dialog left open is closed first; the lock comes at the next check.
    now += std::chrono::minutes(5);
    bool bAboutUp = false;
    WhenModal<CAboutDlg>([&](CAboutDlg*) {
        bAboutUp = true;
        pWatch->Check();
    });
    Command(m_pDlg, RES_CMD_ABOUT)->trigger();
    QVERIFY(bAboutUp && m_nLogins == 2);
    LogInWhenAsked(u"secret1"_s, &m_nLogins);
    QCOMPARE(lockAfter(std::chrono::minutes(0)), 3);

    pWatch->SetLimitMinutes(0);
    lockAfter(std::chrono::hours(100));
    QVERIFY(!m_pDlg->IsLocked());
}

QUOVEX_UI_TEST_MAIN(TestOpened)
#include "tst_opened.moc"
