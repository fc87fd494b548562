// Opening stored files and locking the vault: copies restored into folders
// of their own and handed to the desktop (a recorded URL here), changes
// stored back or declined, copies gone at the lock and the end, leftovers
// of a killed run offered at the next login, the lock's login with the key
// wiped meanwhile, and the idle lock on a clock of the test's own.
#include <sys/stat.h>

#include <QDesktopServices>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidgetItem>
#include <QUrl>
#include <chrono>

#include "AboutDlg.h"
#include "ContentsTree.h"
#include "CoreTexts.h"
#include "DialogBuilder.h"
#include "Fakes.h"
#include "FileStore.h"
#include "IdleWatch.h"
#include "KeyRecordFiles.h"
#include "LoginDlg.h"
#include "MessageBox.h"
#include "NormalPage.h"
#include "OpenedCopies.h"
#include "ProgressDlg.h"
#include "RunContext.h"
#include "StoredFileInfo.h"
#include "UiTestSupport.h"
#include "UiThread.h"
#include "VaultAccess.h"
#include "VaultFolders.h"

using namespace quovex;
using namespace quovex::test;

namespace {

// Whether strPath is a folder only its owner may enter, list or write.
bool OwnerOnly(const QString& strPath) {
    struct stat st = {};
    return ::lstat(QFile::encodeName(strPath).constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
           (st.st_mode & 07777) == 0700;
}

}  // namespace

// Stands in for the desktop: records the URLs it is asked to open.
class CUrlRecorder : public QObject {
    Q_OBJECT
public:
    QStringList m_vOpened;
public slots:
    void Open(const QUrl& url) { m_vOpened << url.toLocalFile(); }
};

class TestOpened : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void openFilesAndFolders();
    void changesComeBackOnce();
    void lockWipesTheKeyAndAsksAgain();
    void exitAndLeftoversOfAKilledRun();
    void idleLockOnTheTestsClock();

private:
    // alice's vault (protected when bProtected) holding a.txt and 目录/a.txt,
    // shown in a window; the sources are gone.
    void Open(bool bProtected);
    bool Select(const char* pszRel);
    QString Box(const char* pszRel) const { return m_strVault + "/FileBox/" + pszRel; }
    QString Src(const char* pszRel) const { return m_strRoot + "/src/" + pszRel; }
    // The plain content of a stored file, restored with the window's key.
    QByteArray Restored(const char* pszRel);
    // The copies' folders and records in the private folder.
    QStringList CopyEntries() const {
        return QDir(g_strHome + "/runtime/quovex-open")
            .entryList(QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot);
    }
    void LogInWhenAsked(const QString& strPassword);

    QString m_strRoot, m_strVault;
    CFaultEnv m_env;
    std::unique_ptr<CShownVault> m_pShown;
    CVaultDlg* m_pDlg = nullptr;
    std::unique_ptr<CMessageBoxScript> m_pScript;
    CUrlRecorder m_desktop;
    int m_nLogins = 0;
};

void TestOpened::init() {
    static int nRun = 0;
    m_strRoot = g_strHome + QStringLiteral("/open%1").arg(++nRun);
    m_strVault = m_strRoot + "/Box";
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &m_desktop, "Open");
    m_desktop.m_vOpened.clear();
    m_pScript = std::make_unique<CMessageBoxScript>();
    m_nLogins = 0;
}

void TestOpened::cleanup() {
    StopWhenModal();
    m_pShown.reset();
    m_pScript.reset();
    m_env = CFaultEnv();
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    QDir(g_strHome + "/runtime/quovex-open").removeRecursively();
}

void TestOpened::Open(bool bProtected) {
    if (bProtected) {
        CVaultKey key("alice", "secret1");
        KeyRecordBytes vRecord;
        CSecretBytes text;
        QVERIFY(CreateVault(m_strVault.toStdString(), "secret1", true, KDF_FASTEST_LIMITS, &key,
                            &vRecord, &text)
                    .Opened());
    }
    CreateBoxFolders(m_strVault.toStdString());
    QVERIFY(MakeFile(Src("a.txt"), "alpha"));
    QVERIFY(MakeFile(Src("目录/a.txt"), "beta"));
    m_pShown = std::make_unique<CShownVault>(m_strVault, &m_env);
    QVERIFY(m_pShown->vault.Open().Opened());
    QCOMPARE(m_pShown->vault.Key().IsProtected(), bProtected);
    m_pDlg = &m_pShown->dlg;
    m_pDlg->StartAddFromDrop({Src("a.txt"), Src("目录")}, m_strVault + "/FileBox");
    QVERIFY(QFileInfo::exists(Box("目录/a.txt.$")) && !QFileInfo::exists(Src("a.txt")));
}

bool TestOpened::Select(const char* pszRel) {
    CContentsTree* pTree = m_pDlg->ContentsTree();
    pTree->ShowAfresh();
    if (QTreeWidgetItem* pFolder = pTree->FindPathItem(Box("目录"))) pFolder->setExpanded(true);
    QTreeWidgetItem* pItem = pTree->FindPathItem(Box(pszRel));
    pTree->setCurrentItem(pItem);
    return pItem && m_pDlg->SelectedItem() == pItem;
}

QByteArray TestOpened::Restored(const char* pszRel) {
    const QString strOut = m_strRoot + "/check/" + pszRel;
    QFile::remove(strOut);
    RunContext run;
    const CFileStore files(m_pShown->vault.Key());
    if (files.RestoreFile(Box(pszRel).toStdString(), (strOut + ".$").toStdString(), run).nOutcome !=
        FileOutcome::FILE_DONE)
        return "(not restored)";
    return ReadFile(strOut);
}

// Fills the lock's login with strPassword and confirms it, counting it.
void TestOpened::LogInWhenAsked(const QString& strPassword) {
    WhenModal<CLoginDlg>([this, strPassword](CLoginDlg* pLogin) {
        ++m_nLogins;
        FindControl<QLineEdit>(pLogin, 1005)->setText(strPassword);
        FindControl<QPushButton>(pLogin, RES_ID_OK)->click();
    });
}

void TestOpened::openFilesAndFolders() {
    Open(false);
    // "打开" restores the file into a private folder and hands it over.
    QVERIFY(Select("a.txt.$"));
    m_pDlg->OnOpen();
    QCOMPARE(m_desktop.m_vOpened.size(), 1);
    const QString strCopy = m_desktop.m_vOpened[0];
    QCOMPARE(QFileInfo(strCopy).fileName(), QStringLiteral("a.txt"));
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
    QCOMPARE(m_desktop.m_vOpened, QStringList({strCopy, strCopy}));
    QCOMPARE(CopyEntries(), vEntries);

    // Enter on the other a.txt: a folder of its own; the window stays.
    QVERIFY(Select("目录/a.txt.$"));
    QTest::keyClick(pTree, Qt::Key_Return);
    QCOMPARE(m_desktop.m_vOpened.size(), 3);
    const QString strOther = m_desktop.m_vOpened[2];
    QCOMPARE(QFileInfo(strOther).fileName(), QStringLiteral("a.txt"));
    QVERIFY(QFileInfo(strOther).path() != QFileInfo(strCopy).path());
    QCOMPARE(ReadFile(strOther), QByteArray("beta"));
    QVERIFY(m_pDlg->isVisible());

    // A folder opens in the tree, not on the desktop.
    QVERIFY(Select("目录"));
    pTree->currentItem()->setExpanded(false);
    m_pDlg->OnOpen();
    QVERIFY(pTree->currentItem()->isExpanded());
    QCOMPARE(m_desktop.m_vOpened.size(), 3);
    QVERIFY(m_pScript->Requests().empty());

    // The private folder below the cache folder without XDG_RUNTIME_DIR;
    // a link in its place is refused.
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    qunsetenv("XDG_RUNTIME_DIR");
    const QString strCached = OpenedCopiesFolder();
    QCOMPARE(strCached,
             g_strHome + "/cache/" + QCoreApplication::applicationName() + "/quovex-open");
    QVERIFY(OwnerOnly(strCached));
    QVERIFY(QDir(strCached).removeRecursively());
    QVERIFY(QFile::link(m_strRoot, strCached));
    QCOMPARE(OpenedCopiesFolder(), QString());
    QFile::remove(strCached);
    qputenv("XDG_RUNTIME_DIR", runtime);
}

void TestOpened::changesComeBackOnce() {
    Open(false);
    QCOMPARE(WriteStoredSummary(Box("a.txt.$").toStdString(),
                                ReadStoredFileInfo(Box("a.txt.$").toStdString()).stamp, "note"),
             SummaryWriteResult::SUMMARY_WRITTEN);
    QVERIFY(Select("a.txt.$"));
    m_pDlg->OnOpen();
    const QString strCopy = m_desktop.m_vOpened.value(0);

    // Saved by its application: the watch asks, and Yes stores it back,
    // keeping where it came from and its summary.
    m_pScript->SetNextAnswer(MSGBOX_RESULT_YES);
    QVERIFY(MakeFile(strCopy, "alpha, edited"));
    QTRY_VERIFY_WITH_TIMEOUT(Restored("a.txt.$") == "alpha, edited", 60000);
    QCOMPARE(m_pScript->Requests().front().strText,
             QStringLiteral("«a.txt» 已修改，存回保险柜吗？"));
    const StoredFileInfo info = ReadStoredFileInfo(Box("a.txt.$").toStdString());
    QCOMPARE(QString::fromStdString(info.strSourcePath), Src("a.txt"));
    QCOMPARE(info.strSummary, std::string("note"));

    // Changed again: No leaves the stored file, and that change is asked
    // about once only.
    QVERIFY(MakeFile(strCopy, "third version"));
    m_pScript->SetNextAnswer(MSGBOX_RESULT_NO);
    m_pDlg->AskAboutChangedCopies();
    m_pDlg->AskAboutChangedCopies();
    QCOMPARE(m_pScript->Requests().size(), std::size_t(2));
    QCOMPARE(Restored("a.txt.$"), QByteArray("alpha, edited"));
    QCOMPARE(ReadFile(strCopy), QByteArray("third version"));
}

void TestOpened::lockWipesTheKeyAndAsksAgain() {
    Open(true);
    QVERIFY(Select("a.txt.$"));
    m_pDlg->OnOpen();
    QVERIFY(Select("目录/a.txt.$"));
    m_pDlg->OnOpen();
    QVERIFY(MakeFile(m_desktop.m_vOpened.value(0), "alpha, protected edit"));
    QAction* pLock = m_pDlg->findChild<QAction*>(QString::number(RES_CMD_LOCK));
    QCOMPARE(pLock->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_L));

    // At the login: the tree hidden, the copies gone, the key wiped. With
    // its key record gone the vault is not opened; a wrong password is
    // refused; each time the login asks again.
    const QString strRecord = m_strVault + "/" + KEY_RECORD_NAME;
    const QString strRecordCopy = m_strVault + "/" + KEY_RECORD_COPY_NAME;
    bool bSeen = false;
    WhenModal<CLoginDlg>([&](CLoginDlg* pLogin) {
        bSeen = true;
        QVERIFY(m_pDlg->IsLocked() && !m_pDlg->ContentsTree()->isVisible());
        QVERIFY(CopyEntries().isEmpty());
        const CVaultKey& key = m_pShown->vault.Key();
        QVERIFY(key.MasterKey().IsEmpty() && key.Password().IsEmpty() && !key.CanScramble());
        QCOMPARE(Restored("a.txt.$"), QByteArray("(not restored)"));
        QCOMPARE(FindControl<QLineEdit>(pLogin, 1004)->text(), QStringLiteral("alice"));
        QVERIFY(FindControl<QLineEdit>(pLogin, 1004)->isReadOnly());
        QCOMPARE(FindControl<QLineEdit>(pLogin, 1011)->text(), m_strVault);
        QVERIFY(QFile::rename(strRecord, strRecord + ".away"));
        QVERIFY(QFile::rename(strRecordCopy, strRecordCopy + ".away"));
        FindControl<QLineEdit>(pLogin, 1005)->setText(QStringLiteral("secret1"));
        FindControl<QPushButton>(pLogin, RES_ID_OK)->click();
        WhenModal<CLoginDlg>([&](CLoginDlg* pAgain) {
            QVERIFY(QFile::rename(strRecord + ".away", strRecord));
            QVERIFY(QFile::rename(strRecordCopy + ".away", strRecordCopy));
            FindControl<QLineEdit>(pAgain, 1005)->setText(QStringLiteral("wrong-pw"));
            FindControl<QPushButton>(pAgain, RES_ID_OK)->click();
            LogInWhenAsked(QStringLiteral("secret1"));
        });
    });
    m_pScript->SetNextAnswer(MSGBOX_RESULT_YES);
    pLock->trigger();
    QVERIFY(bSeen);
    QCOMPARE(m_nLogins, 1);
    QCOMPARE(m_pScript->Requests().size(), std::size_t(3));
    QCOMPARE(m_pScript->Requests()[1].strText,
             AccessRefusalText({AccessResult::ACCESS_RECORD_DAMAGED, {}, {}}));
    QCOMPARE(m_pScript->Requests()[2].strText, QStringLiteral("户名或者口令出错。"));

    // Open again as it was, with the change stored in the protected format.
    QVERIFY(!m_pDlg->IsLocked() && m_pDlg->ContentsTree()->isVisible());
    QCOMPARE(Restored("a.txt.$"), QByteArray("alpha, protected edit"));
    QCOMPARE(ReadStoredFileInfo(Box("a.txt.$").toStdString()).nKind, StoredKind::STORED_PROTECTED);

    // Escape at the lock's login ends the window.
    WhenModal<CLoginDlg>([](CLoginDlg* pLogin) { pLogin->reject(); });
    m_pDlg->OnLock();
    QVERIFY(!m_pDlg->isVisible());
    QCOMPARE(m_pDlg->result(), int(QDialog::Rejected));
}

void TestOpened::exitAndLeftoversOfAKilledRun() {
    Open(false);
    // The end: the change declined, every copy gone.
    QVERIFY(Select("a.txt.$"));
    m_pDlg->OnOpen();
    QVERIFY(MakeFile(m_desktop.m_vOpened.value(0), "declined"));
    m_pDlg->OnExit();
    QCOMPARE(m_pScript->Requests().size(), std::size_t(1));
    QVERIFY(CopyEntries().isEmpty());
    QCOMPARE(Restored("a.txt.$"), QByteArray("alpha"));

    // A run whose store back fails keeps the changed copy, and so does a
    // run that goes without asking (as if killed); the unchanged one goes.
    m_pShown = std::make_unique<CShownVault>(m_strVault, &m_env);
    m_pDlg = &m_pShown->dlg;
    for (const char* pszStored : {"a.txt.$", "目录/a.txt.$"}) {
        QVERIFY(Select(pszStored));
        m_pDlg->OnOpen();
    }
    QVERIFY(MakeFile(m_desktop.m_vOpened.value(1), "kept through a failure"));
    m_env.m_bFailCommit = true;
    m_pScript->SetNextAnswer(MSGBOX_RESULT_YES);
    m_pDlg->CloseOpenedCopies();
    m_env.m_bFailCommit = false;
    QVERIFY2(m_pScript->Requests().back().strText.contains(m_desktop.m_vOpened.value(1)),
             qPrintable(m_pScript->Requests().back().strText));
    QCOMPARE(CopyEntries().size(), 2);  // a folder and its record
    m_pDlg->OnOpen();
    QVERIFY(MakeFile(m_desktop.m_vOpened.value(3), "killed"));
    m_pShown.reset();
    QCOMPARE(CopyEntries().size(), 4);

    // A running program's copies are its own.
    CShownVault other(m_strVault, &m_env);
    other.dlg.OpenStoredFile(Box("a.txt.$"));
    QCOMPARE(CopyEntries().size(), 7);  // and its lock

    // The next login offers the two changes at once; Yes stores both.
    m_pShown = std::make_unique<CShownVault>(m_strVault, &m_env);
    m_pDlg = &m_pShown->dlg;
    const std::size_t nAsked = m_pScript->Requests().size();
    m_pScript->SetNextAnswer(MSGBOX_RESULT_YES);
    m_pDlg->OfferLeftoverCopies();
    QCOMPARE(m_pScript->Requests().size(), nAsked + 1);
    const QString strOffer = m_pScript->Requests().back().strText;
    QVERIFY2(strOffer.contains(Box("a.txt.$")) && strOffer.contains(Box("目录/a.txt.$")),
             qPrintable(strOffer));
    QCOMPARE(Restored("a.txt.$"), QByteArray("kept through a failure"));
    QCOMPARE(Restored("目录/a.txt.$"), QByteArray("killed"));
    QCOMPARE(CopyEntries().size(), 3);
    m_pDlg->OfferLeftoverCopies();
    QCOMPARE(m_pScript->Requests().size(), nAsked + 1);
}

void TestOpened::idleLockOnTheTestsClock() {
    Open(false);
    auto now = std::chrono::steady_clock::time_point();
    CIdleWatch* pWatch = m_pDlg->IdleWatch();
    pWatch->SetClock([&now] { return now; });

    // The settings' minutes, kept in the record; a file opened before the
    // vault moves is dealt with while the old key still holds.
    QVERIFY(Select("a.txt.$"));
    m_pDlg->OnOpen();
    const QString strMoved = m_strRoot + "/Moved";
    CNormalPage page(m_pShown->vault, m_pShown->app);
    page.show();
    FindControl<QLineEdit>(&page, 1007)->setText(strMoved);
    FindControl<QSpinBox>(&page, 1012)->setValue(3);
    QVERIFY(page.OnApply());
    page.hide();
    QVERIFY(CopyEntries().isEmpty());
    QCOMPARE(StoredSetting("LockMinutes"), QStringLiteral("3"));
    pWatch->SetLimitMinutes(m_pShown->app.m_nLockMinutes);

    // Input starts the idle time afresh; the lock comes after 3 minutes of none.
    LogInWhenAsked(QStringLiteral("secret1"));
    now += std::chrono::minutes(2);
    pWatch->Check();
    QTest::keyClick(m_pDlg->ContentsTree(), Qt::Key_Down);
    now += std::chrono::minutes(2);
    pWatch->Check();
    QCOMPARE(m_nLogins, 0);
    now += std::chrono::minutes(1);
    pWatch->Check();
    QCOMPARE(m_nLogins, 1);
    QVERIFY(!m_pDlg->IsLocked());

    // A run is never interrupted: the lock waits for its end.
    QVERIFY(MakeFile(Src("late.txt"), "late"));
    bool bRunDisturbed = false;
    m_env.m_fnDuringCopy = [&](const std::string&) {
        RunOnObjectThread(qApp, [&] {
            now += std::chrono::minutes(5);
            pWatch->Check();
            auto* pProgress = qobject_cast<CProgressDlg*>(QApplication::activeModalWidget());
            bRunDisturbed =
                m_pDlg->IsLocked() || m_nLogins > 1 || !pProgress || pProgress->IsCancelled();
        });
    };
    m_pDlg->StartAddFromDrop({Src("late.txt")}, strMoved + "/FileBox");
    m_env.m_fnDuringCopy = {};
    QVERIFY(!bRunDisturbed && QFileInfo::exists(strMoved + "/FileBox/late.txt.$"));
    LogInWhenAsked(QStringLiteral("secret1"));
    pWatch->Check();
    QCOMPARE(m_nLogins, 2);

    // A dialog left open is closed first; the lock comes at the next check.
    now += std::chrono::minutes(5);
    WhenModal<CAboutDlg>([&](CAboutDlg*) { pWatch->Check(); });
    m_pDlg->OnAbout();
    QCOMPARE(m_nLogins, 2);
    LogInWhenAsked(QStringLiteral("secret1"));
    pWatch->Check();
    QCOMPARE(m_nLogins, 3);

    // 0 minutes: never.
    pWatch->SetLimitMinutes(0);
    now += std::chrono::hours(100);
    pWatch->Check();
    QVERIFY(!m_pDlg->IsLocked());
}

QUOVEX_UI_TEST_MAIN(TestOpened)
#include "tst_opened.moc"
