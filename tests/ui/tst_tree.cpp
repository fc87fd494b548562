// The contents tree: listing, the right button, and finding, in the tree
// and with the main window's keys.
#include <QEventLoop>
#include <QSemaphore>
#include <QSignalSpy>
#include <cstdio>
#include <fstream>
#include <thread>

#include "Fakes.h"
#include "FindRunner.h"
#include "TestFiles.h"
#include "TreeWatch.h"
#include "UiTestSupport.h"
#include "VaultTransfer.h"

using namespace quovex;
using quovex::test::MakeFile;

namespace {

constexpr int WAIT_MS = 20000;  // a bound for a failing test, never a pause

// The items below pItem, one line each, indented by depth: "/" after an open
// folder, "+" after a closed one that can be opened.
QStringList Outline(const QTreeWidgetItem* pItem, const QString& strIndent = QString()) {
    QStringList lines;
    for (int i = 0; i < pItem->childCount(); ++i) {
        const QTreeWidgetItem* pChild = pItem->child(i);
        if (pChild->text(0).isEmpty()) continue;  // a placeholder
        const QString strMark = pChild->isExpanded()   ? u"/"_s
                                : pChild->childCount() ? u"+"_s
                                                       : QString();
        lines << strIndent + pChild->text(0) + strMark;
        if (pChild->isExpanded()) lines << Outline(pChild, strIndent + u"  "_s);
    }
    return lines;
}

// Sets the find's text and waits until its result is shown.
bool Find(CContentsTree& tree, const QString& strText) {
    QSignalSpy shown(&tree, &CContentsTree::FoundShown);
    tree.SetFindText(strText);
    return shown.wait(WAIT_MS);
}

// Records the context menus instead of showing them.
class CRecordingTree : public CContentsTree {
public:
    int m_nMenus = 0;

protected:
    void ShowContextMenu(const QPoint&) override { ++m_nMenus; }
};

}  // namespace

class TestTree : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void listingAndTheRightButton();
    void findsDeepAndGivesTheTreeBack();
    void newestFindWins();
    void keysOfTheMainWindow();
    void hiddenNamesReadPlain();
    void changesOnDiskShowByThemselves();

private:
    QString Box(const char* pszRel) const {
        return m_strBox + QLatin1Char('/') + QString::fromUtf8(pszRel);
    }
    QString m_strVault, m_strBox, m_strTree;
    std::string m_strOdd;  // not UTF-8: QTemporaryDir could not name it to remove it
};

// FileBox for finding (with a link, dot-names and a name that is not
// UTF-8), VideoBox for listing.
void TestTree::init() {
    static int nRun = 0;
    m_strVault = test::g_strHome + u"/find%1/Box"_s.arg(++nRun);
    m_strBox = m_strVault + u"/FileBox"_s;
    m_strTree = m_strVault + u"/VideoBox"_s;
    CreateBoxFolders(m_strVault.toStdString(), CVaultEnv::Default());
    for (const char* psz :
         {"a/b/c/Report-Final.txt.$", "a/b/other.$", "a/REPORTS/x.$", "a/.hid/report.$",
          ".report.$", "Éclair.$", "a/~syncthing~report.$.tmp"})
        QVERIFY(MakeFile(Box(psz)));
    QVERIFY(QFile::link(Box("a/b"), Box("link-report")));
    m_strOdd = QFile::encodeName(m_strBox).toStdString() + "/report\xff.$";
    QVERIFY(std::ofstream(m_strOdd).good());
    QDir tree(m_strTree);
    QVERIFY(tree.mkpath(u"zeta/x"_s) && tree.mkpath(u"Alpha"_s));
    // A sync engine's temporaries and folders are never listed.
    // A conflict copy alone reads as its original.
    for (const char* psz : {"cherry.$", "apple.$", "Banana.$", "zeta/y.$", "hidden/.h",
                            "plum.txt.sync-conflict-20261209-022408-S3MHZRP.$",
                            ".syncthing.apple.$.tmp", "~syncthing~pear.$.tmp", ".stfolder/x"})
        QVERIFY(MakeFile(tree.filePath(QString::fromLatin1(psz))));
    QVERIFY(QFile::link(tree.filePath(u"zeta"_s), tree.filePath(u"link"_s)));
}

// A tree filled from a worker thread; the right button brings the menu up
// only over an item, which it selects. Folders first, case ignored, links
// passed over; a folder is listed when opened, afresh each time, and one
// with nothing but dot-files shows them once opened.
void TestTree::listingAndTheRightButton() {
    CRecordingTree tree;
    tree.resize(300, 400);
    QEventLoop loop;
    bool bShown = false;
    std::thread worker([&] {
        bShown = tree.ShowFolder(m_strTree + QLatin1Char('/'), true);
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
    tree.show();
    QVERIFY(bShown && QTest::qWaitForWindowExposed(&tree));
    QTreeWidgetItem* pRoot = tree.topLevelItem(0);
    QVERIFY(pRoot->text(0) == m_strTree && pRoot->isExpanded());
    tree.setCurrentItem(pRoot);
    QTest::mousePress(tree.viewport(), Qt::RightButton, {}, QPoint(150, 390));
    QCOMPARE(tree.m_nMenus, 0);
    QCOMPARE(tree.currentItem(), pRoot);
    QTreeWidgetItem* pApple = pRoot->child(3);
    QTest::mousePress(tree.viewport(), Qt::RightButton, {}, tree.visualItemRect(pApple).center());
    QCOMPARE(tree.m_nMenus, 1);
    QCOMPARE(tree.currentItem(), pApple);

    QCOMPARE(Outline(pRoot), (QStringList{"Alpha", "hidden", "zeta+", "apple.$", "Banana.$",
                                          "cherry.$", "plum.txt.$"}));
    QCOMPARE(tree.GetItemPath(pRoot->child(6)),
             m_strTree + u"/plum.txt.sync-conflict-20261209-022408-S3MHZRP.$"_s);
    QTreeWidgetItem* pZeta = pRoot->child(2);
    pZeta->setExpanded(true);
    QCOMPARE(Outline(pZeta), (QStringList{"x", "y.$"}));
    QCOMPARE(tree.FindPathItem(m_strTree + u"//zeta/"_s), pZeta);
    QCOMPARE(tree.FindPathItem(m_strTree + u"2/zeta"_s), nullptr);
    // An edited label would name another file to the commands.
    QVERIFY(!(pZeta->child(1)->flags() & Qt::ItemIsEditable));
    pZeta->setExpanded(false);
    QVERIFY(test::MakeFile(m_strTree + u"/zeta/new.$"_s));
    pZeta->setExpanded(true);
    QCOMPARE(Outline(pZeta), (QStringList{"x", "new.$", "y.$"}));
    pRoot->child(1)->setExpanded(true);
    QCOMPARE(Outline(pRoot->child(1)), QStringList{".h"});

    QVERIFY(tree.ShowFolder(m_strTree, false));
    QCOMPARE(Outline(tree.topLevelItem(0)), (QStringList{"Alpha", "hidden", "zeta+"}));
    // The root of the file system: one separator between it and a name.
    QVERIFY(tree.ShowFolder(u"/"_s, false));
    QTreeWidgetItem* pFirst = tree.topLevelItem(0)->child(0);
    QVERIFY(pFirst);
    QCOMPARE(tree.GetItemPath(pFirst), QLatin1Char('/') + pFirst->text(0));
    QCOMPARE(tree.FindPathItem(QLatin1Char('/') + pFirst->text(0)), pFirst);
    QVERIFY(!tree.ShowFolder(m_strTree + u"/none"_s, true));
    QCOMPARE(tree.topLevelItemCount(), 0);
}

void TestTree::cleanup() {
    CFindRunner::SetWalkEndHookForTests({});
    std::remove(m_strOdd.c_str());
}

void TestTree::findsDeepAndGivesTheTreeBack() {
    CContentsTree tree;
    QVERIFY(tree.ShowFolder(m_strBox, true));
    tree.FindPathItem(Box("a"))->setExpanded(true);
    tree.setCurrentItem(tree.FindPathItem(Box("a/b")));
    const QStringList whole = Outline(tree.topLevelItem(0));

    // Either case; the folders on the way open, a found one closed; links,
    // dot-names and names that are not text passed over.
    const QStringList found{"a/", "  b/", "    c/", "      Report-Final.txt.$", "  REPORTS+"};
    for (const char* pszText : {"report", "RePoRt"}) {
        QVERIFY(Find(tree, QString::fromLatin1(pszText)));
        QCOMPARE(Outline(tree.topLevelItem(0)), found);
    }
    QCOMPARE(tree.GetItemPath(tree.FirstFoundItem()), Box("a/b/c/Report-Final.txt.$"));
    // A found folder opens onto all it holds, one on the way onto the found.
    QTreeWidgetItem* pReports = tree.FindPathItem(Box("a/REPORTS"));
    pReports->setExpanded(true);
    QCOMPARE(pReports->child(0)->text(0), u"x.$"_s);
    QTreeWidgetItem* pB = tree.FindPathItem(Box("a/b"));
    pB->setExpanded(false);
    pB->setExpanded(true);
    QCOMPARE(Outline(pB), (QStringList{"c/", "  Report-Final.txt.$"}));
    // Only ASCII letters fold; no match leaves the root alone.
    QVERIFY(Find(tree, u"Écl"_s));
    QCOMPARE(Outline(tree.topLevelItem(0)), QStringList{"Éclair.$"});
    QVERIFY(Find(tree, u"écl"_s));
    QVERIFY(Outline(tree.topLevelItem(0)) == QStringList{u"没有找到"_s} &&
            tree.topLevelItem(0)->text(0) == m_strBox);
    QVERIFY(!(tree.topLevelItem(0)->child(0)->flags() & Qt::ItemIsSelectable));
    QVERIFY(!tree.FirstFoundItem());

    // "" gives back the tree as it was, open folder and selection.
    tree.SetFindText(QString());
    QCOMPARE(Outline(tree.topLevelItem(0)), whole);
    QCOMPARE(tree.GetItemPath(tree.currentItem()), Box("a/b"));
    // Shown afresh while a find is shown: found again, with what is new.
    QVERIFY(Find(tree, u"other"_s));
    QVERIFY(MakeFile(Box("a/another.$")));
    QSignalSpy shown(&tree, &CContentsTree::FoundShown);
    tree.ShowAfresh();
    QVERIFY(shown.wait(WAIT_MS));
    QCOMPARE(Outline(tree.topLevelItem(0)),
             (QStringList{"a/", "  b/", "    other.$", "  another.$"}));
    // Another box while finding: found there, and "" gives back its root.
    const QString strImages = m_strVault + u"/ImageBox"_s;
    QVERIFY(MakeFile(strImages + u"/sub/other-picture.$"_s));
    QVERIFY(tree.ShowFolder(strImages, true) && shown.wait(WAIT_MS));
    QCOMPARE(Outline(tree.topLevelItem(0)), (QStringList{"sub/", "  other-picture.$"}));
    tree.SetFindText(QString());
    QVERIFY(tree.topLevelItem(0)->text(0) == strImages);
    QCOMPARE(Outline(tree.topLevelItem(0)), QStringList{"sub+"});
}

// A find held back after its walk until a newer one is shown: its result
// comes too late and is dropped; a cancelled find shows nothing.
void TestTree::newestFindWins() {
    std::vector<std::pair<int, QStringList>> vShown;
    CFindRunner runner([&](int nGeneration, CFoundItem&& root) {
        QStringList names;
        for (const CFoundItem& child : root.m_vChildren) names << child.m_strName;
        vShown.emplace_back(nGeneration, names);
    });
    QSemaphore walked, go;
    CFindRunner::SetWalkEndHookForTests([&](int nGeneration) {
        if (nGeneration != 1) return;
        walked.release();
        go.acquire();
    });
    QCOMPARE(runner.Start(m_strBox, u"cl"_s, true), 1);
    QVERIFY(walked.tryAcquire(1, WAIT_MS));
    QCOMPARE(runner.Start(m_strBox, u"a"_s, false), 2);
    QTRY_VERIFY_WITH_TIMEOUT(!vShown.empty(), WAIT_MS);
    go.release();
    runner.WaitForWalks();
    QCoreApplication::processEvents();
    const decltype(vShown) vNewest = {{2, {"a"}}};
    QCOMPARE(vShown, vNewest);

    runner.Start(m_strBox, u"a"_s, false);
    runner.Cancel();
    runner.WaitForWalks();
    QCoreApplication::processEvents();
    QCOMPARE(vShown, vNewest);
}

void TestTree::keysOfTheMainWindow() {
    test::CShownVault shownVault(m_strVault);
    CVaultDlg& dlg = shownVault.dlg;
    CContentsTree* pTree = dlg.ContentsTree();
    auto* pField = FindControl<QLineEdit>(&dlg, RES_ID_FIND_TEXT);
    dlg.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
    // The File menu shows the keys, and they work.
    QStringList keys;
    for (int nId : {RES_CMD_FIND, RES_CMD_REFRESH, RES_CMD_SETTINGS, RES_CMD_LOCK, RES_CMD_EXIT})
        keys << test::Command(&dlg, nId)->shortcut().toString(QKeySequence::NativeText);
    QCOMPARE(keys, (QStringList{"Ctrl+F", "F5", "Ctrl+,", "Ctrl+L", "Ctrl+Q"}));
    QTest::keyClick(&dlg, Qt::Key_F, Qt::ControlModifier);
    QVERIFY(pField->hasFocus());

    // Enter goes to the first item found, Escape gives the whole tree back;
    // neither ends the window.
    QSignalSpy shown(pTree, &CContentsTree::FoundShown);
    QTest::keyClicks(pField, u"rep"_s);
    QVERIFY(shown.wait(WAIT_MS));
    QCOMPARE(pTree->FindText(), u"rep"_s);
    QTest::keyClick(pField, Qt::Key_Return);
    QVERIFY(pTree->hasFocus());
    QCOMPARE(pTree->GetItemPath(pTree->currentItem()), Box("a/b/c/Report-Final.txt.$"));
    QTest::keyClick(pField, Qt::Key_Escape);
    QVERIFY(pField->text().isEmpty() && pTree->FindPathItem(Box("Éclair.$")) && dlg.isVisible());

    // Delete on a found file: Yes deletes it and the find is made again.
    // Without a selection Delete does nothing.
    CMessageBoxScript script;
    pField->setText(u"final"_s);
    QVERIFY(shown.wait(WAIT_MS));
    pTree->setCurrentItem(pTree->FirstFoundItem());
    script.SetNextAnswer(MSGBOX_RESULT_YES);
    QTest::keyClick(pTree, Qt::Key_Delete);
    QVERIFY(script.Requests().back().strText.contains(Box("a/b/c/Report-Final.txt.$")));
    QVERIFY(!QFileInfo::exists(Box("a/b/c/Report-Final.txt.$")) && shown.wait(WAIT_MS));
    QCOMPARE(Outline(pTree->topLevelItem(0)), QStringList{u"没有找到"_s});
    pTree->clearSelection();
    QTest::keyClick(pTree, Qt::Key_Delete);
    QCOMPARE(script.Requests().size(), std::size_t(1));

    // F5 shows the box afresh (in a find: findsDeepAndGivesTheTreeBack).
    pField->clear();
    QVERIFY(MakeFile(Box("new.$")));
    QTest::keyClick(&dlg, Qt::Key_F5);
    QVERIFY(pTree->FindPathItem(Box("new.$")));
}

// A vault that hides its names: the items read the plain names, the paths
// they give are the sealed ones on disk, and a find searches plain names.
void TestTree::hiddenNamesReadPlain() {
    const QString strVault = test::FreshFolder(u"hidden"_s) + u"/Box"_s;
    CreateBoxFolders(strVault.toStdString(), CVaultEnv::Default());
    const QString strSrc = test::FreshFolder(u"hidden-src"_s);
    QVERIFY(MakeFile(strSrc + u"/体检/2026年报告.pdf"_s, "pdf") &&
            MakeFile(strSrc + u"/体检/深/笔记.txt"_s, "note") &&
            MakeFile(strSrc + u"/a.txt"_s, "a"));
    CVaultKey key("alice", "secret1");
    test::SetTestMasterKey(&key, 7, true);
    CVaultTransfer transfer(key, CVaultEnv::Default());
    transfer.SetDeleteSource(false);
    test::CFakeFeedback feedback;
    DropJob job{{(strSrc + u"/体检"_s).toStdString(), (strSrc + u"/a.txt"_s).toStdString()},
                (strVault + u"/FileBox"_s).toStdString(),
                &transfer,
                {}};
    AddDropWorker(feedback, job);
    QCOMPARE(job.report.nFilesDone, 3u);

    CContentsTree tree;
    tree.SetVault(&key, CVaultEnv::Default());
    QVERIFY(tree.ShowFolder(strVault + u"/FileBox"_s, true));
    QTreeWidgetItem* pRoot = tree.topLevelItem(0);
    pRoot->child(0)->setExpanded(true);
    pRoot->child(0)->child(0)->setExpanded(true);
    QCOMPARE(Outline(pRoot),
             (QStringList{"体检/", "  深/", "    笔记.txt.$", "  2026年报告.pdf.$", "a.txt.$"}));
    // Every path an item gives is one on disk, and names the item back.
    QTreeWidgetItem* pNote = pRoot->child(0)->child(0)->child(0);
    const QString strNote = tree.GetItemPath(pNote);
    QVERIFY(QFileInfo(strNote).isFile() && !strNote.contains(u"笔记"_s));
    QCOMPARE(tree.FindPathItem(strNote), pNote);
    tree.ShowAfresh();
    QCOMPARE(Outline(tree.topLevelItem(0)).size(), 5);

    QVERIFY(Find(tree, u"报告"_s));
    QCOMPARE(Outline(tree.topLevelItem(0)), (QStringList{"体检/", "  2026年报告.pdf.$"}));
    QTreeWidgetItem* pFound = tree.FirstFoundItem();
    QVERIFY(pFound && QFileInfo(tree.GetItemPath(pFound)).isFile());
    QVERIFY(Find(tree, u"笔记"_s));
    QCOMPARE(Outline(tree.topLevelItem(0)), (QStringList{"体检/", "  深/", "    笔记.txt.$"}));
    QCOMPARE(tree.GetItemPath(tree.FirstFoundItem()), strNote);
    // A sealed name is never found by what it reads on disk.
    const QString strDiskName = QFileInfo(strNote).fileName();
    QVERIFY(Find(tree, strDiskName.left(6)));
    QCOMPARE(Outline(tree.topLevelItem(0)), QStringList{u"没有找到"_s});
}

// What a sync engine brings into an open folder shows by itself, the open
// folders and the selection kept, but never while the window is busy; a
// closed folder is no longer watched.
void TestTree::changesOnDiskShowByThemselves() {
    CContentsTree tree;
    bool bBusy = false;
    int nAsked = 0;
    CTreeWatch watch(&tree, [&] { return ++nAsked, bBusy; });
    watch.SetDelay(10);
    QSignalSpy refreshed(&watch, &CTreeWatch::Refreshed);
    QVERIFY(tree.ShowFolder(m_strTree, true));
    QTreeWidgetItem* pZeta = tree.FindPathItem(m_strTree + u"/zeta"_s);
    pZeta->setExpanded(true);
    tree.setCurrentItem(tree.FindPathItem(m_strTree + u"/zeta/y.$"_s));
    QCOMPARE(watch.Watched().size(), 2);

    // As Syncthing brings a file: a temporary beside it, then renamed.
    QVERIFY(MakeFile(m_strTree + u"/zeta/.syncthing.z.$.tmp"_s));
    QVERIFY(QFile::rename(m_strTree + u"/zeta/.syncthing.z.$.tmp"_s, m_strTree + u"/zeta/z.$"_s));
    QVERIFY(refreshed.wait(WAIT_MS));
    QCOMPARE(Outline(tree.FindPathItem(m_strTree + u"/zeta"_s)), (QStringList{"x", "y.$", "z.$"}));
    QCOMPARE(tree.GetItemPath(tree.currentItem()), m_strTree + u"/zeta/y.$"_s);

    bBusy = true;
    const qsizetype nRefreshed = refreshed.size();
    QVERIFY(MakeFile(m_strTree + u"/w.$"_s));
    nAsked = 0;
    QTRY_VERIFY_WITH_TIMEOUT(nAsked >= 2, WAIT_MS);  // declined at least once, waiting
    QCOMPARE(refreshed.size(), nRefreshed);
    QVERIFY(!tree.FindPathItem(m_strTree + u"/w.$"_s));
    bBusy = false;
    QVERIFY(refreshed.wait(WAIT_MS));
    QVERIFY(tree.FindPathItem(m_strTree + u"/w.$"_s));

    tree.FindPathItem(m_strTree + u"/zeta"_s)->setExpanded(false);
    QCOMPARE(watch.Watched(), QStringList{m_strTree});
}

QUOVEX_UI_TEST_MAIN(TestTree)
#include "tst_tree.moc"
