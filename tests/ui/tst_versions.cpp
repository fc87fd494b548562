// The versions of one stored file in the window: one item in the tree, the
// versions dialog side by side, and each of its answers carried out.
#include <QDesktopServices>
#include <QHeaderView>
#include <QLabel>
#include <QSignalSpy>
#include <QUrl>

#include "DateText.h"
#include "ResolveVersionsDlg.h"
#include "StoredVersions.h"
#include "UiTestSupport.h"
#include "VersionFiles.h"

using namespace quovex;
using namespace quovex::test;

class TestVersions : public QObject, public CDroppedVault {
    Q_OBJECT
public:
    // Stands in for the desktop: records the files it is asked to open.
    Q_INVOKABLE void Open(const QUrl& url) { m_vOpened << url.toLocalFile(); }

private slots:
    void init();
    void cleanup() {
        QDesktopServices::unsetUrlHandler(u"file"_s);
        ClearDropped();
    }
    void oneItemAndTheVersionsSideBySide();
    void keepTheSelectedOne();
    void keepAllUnderNamesOfTheirOwn();

private:
    // The item of the box whose text begins with strText, or nullptr.
    QTreeWidgetItem* BoxItem(const QString& strText) const {
        QTreeWidgetItem* pRoot = m_pDlg->ContentsTree()->topLevelItem(0);
        for (int i = 0; pRoot && i < pRoot->childCount(); ++i)
            if (pRoot->child(i)->text(0).startsWith(strText)) return pRoot->child(i);
        return nullptr;
    }
    QStringList BoxTexts() const {
        QStringList vTexts;
        QTreeWidgetItem* pRoot = m_pDlg->ContentsTree()->topLevelItem(0);
        for (int i = 0; pRoot && i < pRoot->childCount(); ++i) vTexts << pRoot->child(i)->text(0);
        return vTexts;
    }
    // The versions of pszPlain ("FileBox/a.txt.$") as the core reads them.
    std::vector<StoredVersion> VersionsOf(const char* pszPlain) const {
        const CPlainNames names(&m_pShown->vault.Key(), CVaultEnv::Default());
        std::vector<StoredVersion> v;
        FindVersionsOf(names, m_strVault.toStdString(), pszPlain, &v);
        return v;
    }
    // Selects a.txt.$'s item and chooses 解决冲突... on it, with fnAnswer
    // answering the versions dialog.
    void Resolve(std::function<void(CResolveVersionsDlg*)> fnAnswer) {
        m_pDlg->ContentsTree()->ShowAfresh();
        m_pDlg->ContentsTree()->setCurrentItem(BoxItem(u"a.txt.$"_s));
        WhenModal<CResolveVersionsDlg>(std::move(fnAnswer));
        m_pDlg->OnResolveVersions();
    }

    QStringList m_vOpened;
};

void TestVersions::init() {
    QDesktopServices::setUrlHandler(u"file"_s, this, "Open");
    m_vOpened.clear();
    QVERIFY(MakeDropped("versions", true));
    // An older version of a.txt stored on a laptop while apart, which the
    // sync engine kept as a conflict copy.
    const CVaultKey& key = m_pShown->vault.Key();
    const CPlainNames names(&key, CVaultEnv::Default());
    const std::string strCopy =
        SyncthingCopyName(names.Names().NewFileOnDisk("FileBox", "a.txt"), "LAPTOP1");
    QVERIFY(WriteVersion(key, m_strBox.toStdString() + "/" + strCopy, 1700000000, "FileBox/a.txt",
                         {'o', 'l', 'd', 'e', 'r'}, "旧的"));
}

void TestVersions::oneItemAndTheVersionsSideBySide() {
    m_pDlg->ContentsTree()->ShowAfresh();
    QCOMPARE(BoxTexts(), QStringList({u"目录"_s, u"a.txt.$（2 个版本）"_s}));
    // A find shows it as one item too (目录 leads to another a.txt).
    QSignalSpy found(m_pDlg->ContentsTree(), &CContentsTree::FoundShown);
    m_pDlg->ContentsTree()->SetFindText(u"A.T"_s);
    QVERIFY(found.wait(20000));
    QCOMPARE(BoxTexts(), QStringList({u"目录"_s, u"a.txt.$（2 个版本）"_s}));
    QCOMPARE(CContentsTree::VersionNamesOf(BoxItem(u"a.txt.$"_s)).size(), 2);
    m_pDlg->ContentsTree()->SetFindText(QString());
    QVERIFY(Command(m_pDlg, RES_CMD_RESOLVE));
    bool bShown = false;
    Resolve([&](CResolveVersionsDlg* pDialog) {
        bShown = true;
        auto* pList = FindControl<QTreeWidget>(pDialog, RES_ID_VERSIONS_LIST);
        QStringList vHeader;
        for (int i = 0; i < pList->columnCount(); ++i) vHeader << pList->headerItem()->text(i);
        QCOMPARE(vHeader, QStringList({u"版本"_s, u"存入时间"_s, u"大小"_s, u"摘要"_s, u"设备"_s,
                                       u"原位置"_s}));
        QCOMPARE(pList->topLevelItemCount(), 2);
        const QTreeWidgetItem* pOld = pList->topLevelItem(0);
        QCOMPARE(pOld->text(1),
                 QDateTime::fromSecsSinceEpoch(1700000000).toString(u"yyyy年M月d日 HH:mm:ss"_s));
        QVERIFY(pOld->text(5).startsWith(u"/home/u/"_s));  // as WriteVersion records it
        QCOMPARE(pOld->text(2), u"5 字节( 5 字节)"_s);
        QCOMPARE(pOld->text(3), u"旧的"_s);
        QCOMPARE(pOld->text(4), u"LAPTOP1"_s);
        QCOMPARE(pList->topLevelItem(1)->text(4), QString());
        QVERIFY(FindControl<QLabel>(pDialog, RES_ID_VERSIONS_TEXT)->text().contains(u"2 个版本"_s));
        QCOMPARE(pDialog->SelectedVersion(), 2);  // the newest
        QVERIFY(SaveScreenshot(pDialog, u"resolve-versions"_s));
        // 打开 opens the selected version as the window opens a stored
        // file, and the dialog stays.
        pList->setCurrentItem(pList->topLevelItem(0));
        Click(pDialog, RES_ID_OPEN_VERSION);
        QCOMPARE(m_vOpened.size(), 1);
        QCOMPARE(ReadFile(m_vOpened.front()), QByteArray("older"));
        QVERIFY(pDialog->isVisible());
        Click(pDialog, RES_ID_CANCEL);
    });
    QVERIFY(bShown);
    QCOMPARE(VersionsOf("FileBox/a.txt.$").size(), std::size_t(2));
    QVERIFY(m_pScript->Requests().empty());
    // A folder, or a file of one version, has no conflict to resolve.
    QVERIFY(Select("目录"));
    m_pDlg->OnResolveVersions();
    QCOMPARE(LastMessage(), u"这个文件只有一个版本，没有冲突需要解决。"_s);
    // Deleting the one item deletes every version.
    m_pScript->SetNextAnswer(MSGBOX_RESULT_YES);
    m_pDlg->ContentsTree()->setCurrentItem(BoxItem(u"a.txt.$"_s));
    m_pDlg->OnDelete();
    QVERIFY(LastMessage().contains(u"全部 2 个版本都将被删除"_s));
    QVERIFY(VersionsOf("FileBox/a.txt.$").empty());
    QCOMPARE(BoxTexts(), QStringList({u"目录"_s}));
}

void TestVersions::keepTheSelectedOne() {
    Resolve([](CResolveVersionsDlg* pDialog) {
        auto* pList = FindControl<QTreeWidget>(pDialog, RES_ID_VERSIONS_LIST);
        pList->setCurrentItem(pList->topLevelItem(0));
        Click(pDialog, RES_ID_KEEP_SELECTED);
    });
    QCOMPARE(BoxTexts(), QStringList({u"目录"_s, u"a.txt.$"_s}));
    const std::vector<StoredVersion> v = VersionsOf("FileBox/a.txt.$");
    QCOMPARE(v.size(), std::size_t(1));
    QCOMPARE(v[0].strSummary, std::string("旧的"));
    QCOMPARE(v[0].strDevice, std::string());  // a name of the vault's own now
    QVERIFY(m_pScript->Requests().empty());
}

void TestVersions::keepAllUnderNamesOfTheirOwn() {
    Resolve([](CResolveVersionsDlg* pDialog) { Click(pDialog, RES_ID_KEEP_ALL); });
    QCOMPARE(BoxTexts(), QStringList({u"目录"_s, u"a (2).txt.$"_s, u"a.txt.$"_s}));
    const std::vector<StoredVersion> vOld = VersionsOf("FileBox/a (2).txt.$");
    QCOMPARE(vOld.size(), std::size_t(1));
    QCOMPARE(vOld[0].strSummary, std::string("旧的"));
    const std::vector<StoredVersion> vNew = VersionsOf("FileBox/a.txt.$");
    QCOMPARE(vNew.size(), std::size_t(1));
    QCOMPARE(vNew[0].strSummary, std::string());
    QVERIFY(m_pScript->Requests().empty());
}

QUOVEX_UI_TEST_MAIN(TestVersions)
#include "tst_versions.moc"
