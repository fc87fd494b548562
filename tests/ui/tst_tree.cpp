// The contents tree over temporary folders: order and lazy expansion, the
// right button, and ShowFolder called from a worker thread. (Reopening the
// open folders after a command is checked in tst_commands, the tree in the
// main window in tst_mainwindow.)
#include <QEventLoop>
#include <thread>

#include "UiTestSupport.h"

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
    void orderAndExpansion();
    void rightButton();
    void showFromWorker();

private:
    QString m_strBox;  // a box folder: zeta/ (x/ y.$), Alpha/, hidden/ (.h), a link, files
};

void TestTree::init() {
    m_strBox = test::FreshFolder(QStringLiteral("FileBox"));
    QDir box(m_strBox);
    QVERIFY(box.mkpath(QStringLiteral("zeta/x")) && box.mkpath(QStringLiteral("Alpha")));
    for (const char* psz : {"cherry.$", "apple.$", "Banana.$", "zeta/y.$", "hidden/.h"})
        QVERIFY(test::MakeFile(box.filePath(QString::fromLatin1(psz))));
    QVERIFY(
        QFile::link(box.filePath(QStringLiteral("zeta")), box.filePath(QStringLiteral("link"))));
}

// Folders first, case ignored, the link passed over. A folder is listed
// when opened, afresh each time; one that is empty or holds only dot-files
// has nothing to open, and shows its dot-files once opened.
void TestTree::orderAndExpansion() {
    CContentsTree tree;
    QVERIFY(tree.ShowFolder(m_strBox + QLatin1Char('/'), true));
    QTreeWidgetItem* pRoot = tree.topLevelItem(0);
    QCOMPARE(pRoot->text(0), m_strBox);
    QVERIFY(pRoot->isExpanded());
    QCOMPARE(ChildTexts(pRoot),
             (QStringList{"Alpha", "hidden", "zeta", "apple.$", "Banana.$", "cherry.$"}));
    QCOMPARE(pRoot->child(0)->childCount(), 0);
    QCOMPARE(pRoot->child(1)->childCount(), 0);
    QTreeWidgetItem* pZeta = pRoot->child(2);
    QCOMPARE(ChildTexts(pZeta), QStringList{QString()});  // a placeholder
    pZeta->setExpanded(true);
    QCOMPARE(ChildTexts(pZeta), (QStringList{"x", "y.$"}));
    QCOMPARE(tree.FindPathItem(m_strBox + QStringLiteral("//zeta/")), pZeta);
    QCOMPARE(tree.FindPathItem(m_strBox + QStringLiteral("2/zeta")), nullptr);
    // An edited label would name another file to the commands.
    QVERIFY(!(pZeta->child(1)->flags() & Qt::ItemIsEditable));
    pZeta->setExpanded(false);
    QCOMPARE(ChildTexts(pZeta), QStringList{QString()});
    QVERIFY(test::MakeFile(m_strBox + QStringLiteral("/zeta/new.$")));
    pZeta->setExpanded(true);
    QCOMPARE(ChildTexts(pZeta), (QStringList{"x", "new.$", "y.$"}));
    pRoot->child(1)->setExpanded(true);
    QCOMPARE(ChildTexts(pRoot->child(1)), QStringList{".h"});

    QVERIFY(tree.ShowFolder(m_strBox, false));
    QCOMPARE(ChildTexts(tree.topLevelItem(0)), (QStringList{"Alpha", "hidden", "zeta"}));
    // The root of the file system: one separator between it and a name.
    QVERIFY(tree.ShowFolder(QStringLiteral("/"), false));
    QTreeWidgetItem* pFirst = tree.topLevelItem(0)->child(0);
    QVERIFY(pFirst);
    QCOMPARE(tree.GetItemPath(pFirst), QLatin1Char('/') + pFirst->text(0));
    QCOMPARE(tree.FindPathItem(QLatin1Char('/') + pFirst->text(0)), pFirst);
    QVERIFY(!tree.ShowFolder(m_strBox + QStringLiteral("/none"), true));
    QCOMPARE(tree.topLevelItemCount(), 0);
}

// The right button brings the menu up only over an item, which it selects.
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

QUOVEX_UI_TEST_MAIN(TestTree)
#include "tst_tree.moc"
