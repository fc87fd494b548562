// The contents tree over temporary folders: order, lazy expansion, the
// right button, and ShowFolder called from a worker thread.
#include <QContextMenuEvent>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <thread>

#include "ContentsTree.h"
#include "DialogBuilder.h"
#include "UiTestSupport.h"
#include "VaultDlg.h"

using namespace quovex;

namespace {

// Records the context menus instead of showing them.
class CRecordingTree : public CContentsTree {
public:
    int m_nMenus = 0;

protected:
    void ShowContextMenu(const QPoint&) override { ++m_nMenus; }
};

QStringList ChildTexts(const QTreeWidgetItem* pItem) {
    QStringList texts;
    for (int i = 0; i < pItem->childCount(); ++i) texts << pItem->child(i)->text(0);
    return texts;
}

}  // namespace

class TestTree : public QObject {
    Q_OBJECT
private slots:
    void init();
    void orderAndPaths();
    void expansion();
    void rightButton();
    void showFromWorker();
    void mainWindowControl();

private:
    std::unique_ptr<QTemporaryDir> m_pDir;
    QString m_strBox;  // a box folder: a/ (x/ y.$), b/ (empty), h/ (.hidden), files
};

void TestTree::init() {
    m_pDir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_pDir->isValid());
    m_strBox = m_pDir->filePath(QStringLiteral("FileBox"));
    QDir box(m_strBox);
    QVERIFY(box.mkpath(QStringLiteral("zeta/x")));
    QVERIFY(box.mkpath(QStringLiteral("Alpha")));
    QVERIFY(box.mkpath(QStringLiteral("hidden")));
    for (const char* psz : {"cherry.$", "apple.$", "Banana.$", "zeta/y.$", "hidden/.h"}) {
        QVERIFY(test::MakeFile(box.filePath(QString::fromLatin1(psz))));
    }
    QVERIFY(
        QFile::link(box.filePath(QStringLiteral("zeta")), box.filePath(QStringLiteral("link"))));
}

void TestTree::orderAndPaths() {
    CContentsTree tree;
    QVERIFY(tree.ShowFolder(m_strBox + QLatin1Char('/'), true));
    QCOMPARE(tree.topLevelItemCount(), 1);
    QTreeWidgetItem* pRoot = tree.topLevelItem(0);
    QCOMPARE(pRoot->text(0), m_strBox);
    QVERIFY(pRoot->isExpanded());
    // Folders first, case ignored, the link passed over.
    QCOMPARE(ChildTexts(pRoot),
             (QStringList{"Alpha", "hidden", "zeta", "apple.$", "Banana.$", "cherry.$"}));
    QCOMPARE(tree.GetItemPath(pRoot), m_strBox);
    QTreeWidgetItem* pZeta = pRoot->child(2);
    pZeta->setExpanded(true);
    QCOMPARE(ChildTexts(pZeta), (QStringList{"x", "y.$"}));
    QCOMPARE(tree.GetItemPath(pZeta->child(1)), m_strBox + QStringLiteral("/zeta/y.$"));
    QVERIFY(!(pZeta->child(1)->flags() & Qt::ItemIsEditable));

    QVERIFY(tree.ShowFolder(m_strBox, false));
    QCOMPARE(ChildTexts(tree.topLevelItem(0)), (QStringList{"Alpha", "hidden", "zeta"}));
    QVERIFY(!tree.ShowFolder(QString(), true));
    QVERIFY(!tree.ShowFolder(m_strBox + QStringLiteral("/none"), true));
    QCOMPARE(tree.topLevelItemCount(), 0);
}

void TestTree::expansion() {
    CContentsTree tree;
    tree.ShowFolder(m_strBox, true);
    QTreeWidgetItem* pRoot = tree.topLevelItem(0);
    // Empty, and holding only a hidden file: nothing to expand.
    QCOMPARE(pRoot->child(0)->childCount(), 0);
    QCOMPARE(pRoot->child(1)->childCount(), 0);
    // Not yet listed: one placeholder.
    QTreeWidgetItem* pZeta = pRoot->child(2);
    QCOMPARE(ChildTexts(pZeta), QStringList{QString()});
    pZeta->setExpanded(true);
    QCOMPARE(pZeta->childCount(), 2);
    QCOMPARE(pZeta->child(0)->childCount(), 0);  // x is empty

    pZeta->setExpanded(false);
    QCOMPARE(ChildTexts(pZeta), QStringList{QString()});
    QVERIFY(test::MakeFile(m_strBox + QStringLiteral("/zeta/new.$")));
    pZeta->setExpanded(true);
    QCOMPARE(ChildTexts(pZeta), (QStringList{"x", "new.$", "y.$"}));

    // The hidden file is listed once its folder is opened.
    pRoot->child(1)->setExpanded(true);
    QCOMPARE(ChildTexts(pRoot->child(1)), QStringList{".h"});
}

void TestTree::rightButton() {
    CRecordingTree tree;
    tree.resize(300, 400);
    tree.ShowFolder(m_strBox, true);
    tree.show();
    QVERIFY(QTest::qWaitForWindowExposed(&tree));
    QTreeWidgetItem* pRoot = tree.topLevelItem(0);
    tree.setCurrentItem(pRoot);

    QTest::mousePress(tree.viewport(), Qt::RightButton, {}, QPoint(150, 390));
    QCOMPARE(tree.m_nMenus, 0);
    QCOMPARE(tree.currentItem(), pRoot);

    QTreeWidgetItem* pApple = pRoot->child(3);
    QTest::mousePress(tree.viewport(), Qt::RightButton, {}, tree.visualItemRect(pApple).center());
    QCOMPARE(tree.m_nMenus, 1);
    QCOMPARE(tree.currentItem(), pApple);

    QContextMenuEvent keyEvent(QContextMenuEvent::Keyboard, QPoint(5, 5), QPoint(5, 5));
    QApplication::sendEvent(tree.viewport(), &keyEvent);
    QCOMPARE(tree.m_nMenus, 1);
}

void TestTree::showFromWorker() {
    CContentsTree tree;
    QEventLoop loop;
    bool bShown = false;
    std::thread worker([&] {
        bShown = tree.ShowFolder(m_strBox, true);
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
    QVERIFY(bShown);
    QCOMPARE(tree.topLevelItem(0)->childCount(), 6);
}

void TestTree::mainWindowControl() {
    CVaultDlg dlg(QStringLiteral("user"), QStringLiteral("password"));
    auto* pTree = FindControl<CContentsTree>(&dlg, RES_ID_CONTENTS_TREE);
    QVERIFY(pTree);
    QCOMPARE(pTree, dlg.ContentsTree());
    QCOMPARE(dlg.findChildren<QTreeWidget*>().size(), 1);
}

QUOVEX_UI_TEST_MAIN(TestTree)
#include "tst_tree.moc"
