// The main window's box list: drops carried through the progress dialog
// into the box selected last, with the message boxes scripted. A Cancel
// mid-drop is in tst_commands.
#include <QDropEvent>
#include <QMimeData>
#include <QSignalSpy>
#include <QUrl>

#include "BoxListCtrl.h"
#include "ContentsTree.h"
#include "MessageBox.h"
#include "UiTestSupport.h"
#include "VaultFolders.h"

using namespace quovex;
using quovex::test::MakeFile;
using quovex::test::ReadFile;
using quovex::test::Snapshot;

namespace {

void SelectBoxes(CBoxListCtrl* pList, std::initializer_list<int> vRows) {
    for (int nRow : vRows)
        pList->selectionModel()->select(pList->model()->index(nRow, 0),
                                        QItemSelectionModel::Select);
}

// Drags the URLs over and drops them on the picture of box nRow, then lets the queued run go.
bool DropOn(CVaultDlg& dlg, int nRow, const QList<QUrl>& urls) {
    CBoxListCtrl* pList = dlg.BoxList();
    QMimeData data;
    data.setUrls(urls);
    const QPoint pos = pList->visualItemRect(pList->item(nRow)).center();
    // The enter makes the list the target that the drop goes to.
    QDragEnterEvent enter(pos, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(pList->viewport(), &enter);
    QDropEvent drop(pos, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(pList->viewport(), &drop);
    QCoreApplication::sendPostedEvents(&dlg, QEvent::MetaCall);
    return enter.isAccepted() && drop.isAccepted();
}

}  // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void dropsGoIntoTheBoxSelectedLast();
};

void TestMainWindow::dropsGoIntoTheBoxSelectedLast() {
    const QString strRoot = test::g_strHome + QStringLiteral("/drop");
    const QString strVault = strRoot + QStringLiteral("/outer/Box");
    CreateBoxFolders(strVault.toStdString());
    for (const char* pszName : {"src/a.txt", "src/b.txt", "src/目录/c.txt", "src/目录/sub/d.txt"})
        QVERIFY(MakeFile(strRoot + QLatin1Char('/') + QString::fromUtf8(pszName), "quovex"));
    COpenVault vault(strVault, QStringLiteral("alice"), QStringLiteral("secret1"));
    CVaultSettings settings;
    CVaultDlg dlg(vault, settings);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QSignalSpy shown(&dlg, &CVaultDlg::BoxContentsRequested);
    CMessageBoxScript script;

    // The image box, then an empty selection; dropped on another picture.
    CBoxListCtrl* pList = dlg.BoxList();
    pList->clearSelection();
    SelectBoxes(pList, {1});
    pList->clearSelection();
    shown.clear();
    QVERIFY(DropOn(dlg, 3,
                   {QUrl::fromLocalFile(strRoot + QStringLiteral("/src/a.txt")),
                    QUrl(QStringLiteral("https://example.com/x.txt")),
                    QUrl::fromLocalFile(strRoot + QStringLiteral("/src/目录"))}));
    const QString strBox = strVault + QStringLiteral("/ImageBox");
    for (const char* pszStored : {"/a.txt.$", "/目录/c.txt.$", "/目录/sub/d.txt.$"})
        QVERIFY2(ReadFile(strBox + QString::fromUtf8(pszStored)).startsWith("QUOVEX"), pszStored);
    QVERIFY(!QFileInfo::exists(strRoot + QStringLiteral("/src/a.txt")));
    QVERIFY(!QFileInfo::exists(strRoot + QStringLiteral("/src/目录")));
    QVERIFY(QFileInfo::exists(strRoot + QStringLiteral("/src/b.txt")));
    // The box was shown afresh after the dropped items (at most one refresh
    // each, however quickly they came), last of all at the end; nothing to
    // tell, and no wait cursor left behind.
    QVERIFY(shown.size() >= 1 && shown.size() <= 2);
    QCOMPARE(shown.last().at(0).toString(), strBox);
    const auto nShown = shown.size();
    QVERIFY(script.Requests().empty());
    QVERIFY(!QApplication::overrideCursor());

    // Nothing local: refused, and no run.
    QVERIFY(!DropOn(dlg, 0, {QUrl(QStringLiteral("https://example.com/y.txt"))}));
    QCOMPARE(shown.size(), nShown);

    // The folder that holds the vault: nothing in the vault changes, and
    // the user is told once why, naming each box.
    const auto before = Snapshot(strVault);
    QVERIFY(DropOn(dlg, 0, {QUrl::fromLocalFile(strRoot + QStringLiteral("/outer"))}));
    QCOMPARE(Snapshot(strVault), before);
    QVERIFY(QFileInfo(strVault + QStringLiteral("/OtherBox")).isDir());
    QCOMPARE(script.Requests().size(), std::size_t(1));
    const QString strText = script.Requests().front().strText;
    QVERIFY2(strText.contains(strVault + QStringLiteral("/OtherBox（这是保险柜或其存放位置")),
             qPrintable(strText));
}

QUOVEX_UI_TEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
