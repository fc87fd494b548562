// The main window: drops into the box selected last, the controls as the
// window is sized, where it opens again.
#include <QDropEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMimeData>
#include <QResizeEvent>
#include <QScreen>
#include <QSignalSpy>
#include <QUrl>

#include "AnchorGeometry.h"
#include "BoxListCtrl.h"
#include "DirDialog.h"
#include "IdleWatch.h"
#include "TreeWatch.h"
#include "UiTestSupport.h"
#include "VaultTray.h"
#include "WindowPlace.h"

using namespace quovex;
using namespace quovex::test;

namespace {

// Drops the URLs on the picture of box nRow (-1: the list's empty corner)
// and lets the queued run go.
bool DropOn(CVaultDlg& dlg, int nRow, const QList<QUrl>& urls) {
    CBoxListCtrl* pList = dlg.BoxList();
    QMimeData data;
    data.setUrls(urls);
    const QPoint pos =
        nRow >= 0 ? pList->visualItemRect(pList->item(nRow)).center()
                  : QPoint(pList->viewport()->width() - 2, pList->viewport()->height() - 2);
    if (nRow < 0 && pList->itemAt(pos)) return false;
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
    void dropsGoWhereTheyAreAimed();
    void mainWindowStretchesAndKeepsItsPlace();
    void storeByKeyboardAlone();
    void trayKeepsTheProgram();
};

// A drop on a picture goes into its box, which it selects; a drag that
// rests on a picture selects its box; a drop beside the pictures goes into
// the box selected last. The vault lies in the folder outer, which is
// dropped last.
void TestMainWindow::dropsGoWhereTheyAreAimed() {
    const QString strRoot = test::g_strHome + u"/drop"_s;
    const QString strVault = strRoot + u"/outer/Box"_s;
    CreateBoxFolders(strVault.toStdString(), CVaultEnv::Default());
    for (const char* pszName : {"src/a.txt", "src/目录/c.txt", "src/目录/sub/d.txt"})
        QVERIFY(MakeFile(strRoot + QLatin1Char('/') + QString::fromUtf8(pszName), "quovex"));
    test::CShownVault shownVault(strVault);
    CVaultDlg& dlg = shownVault.dlg;
    QSignalSpy shown(&dlg, &CVaultDlg::BoxContentsRequested);
    CMessageBoxScript script;
    // The template's plain tree is gone, not left lying over the contents tree.
    QCOMPARE(dlg.findChildren<QTreeWidget*>(), QList<QTreeWidget*>({dlg.ContentsTree()}));

    // The first box at start. Of several boxes the lowest index decides; an
    // empty selection keeps the last box. Dropped on another picture: that
    // box's, and it is selected.
    CBoxListCtrl* pList = dlg.BoxList();
    QCOMPARE(pList->BoxPath(), strVault + u"/FileBox"_s);
    pList->clearSelection();
    for (int nRow : {3, 1})
        pList->selectionModel()->select(pList->model()->index(nRow, 0),
                                        QItemSelectionModel::Select);
    QCOMPARE(shown.last().at(0).toString(), strVault + u"/ImageBox"_s);
    shown.clear();
    pList->clearSelection();
    QVERIFY(shown.isEmpty());
    QVERIFY(DropOn(
        dlg, 3,
        {QUrl::fromLocalFile(strRoot + u"/src/a.txt"_s), QUrl(u"https://example.com/x.txt"_s),
         QUrl::fromLocalFile(strRoot + u"/src/目录"_s)}));
    const QString strBox = strVault + u"/OtherBox"_s;
    for (const char* pszStored : {"/a.txt.$", "/目录/c.txt.$", "/目录/sub/d.txt.$"})
        QVERIFY2(ReadFile(strBox + QString::fromUtf8(pszStored)).startsWith("QUOVEX"), pszStored);
    QVERIFY(pList->item(3)->isSelected() && pList->BoxPath() == strBox);
    // Shown when selected, afresh at most once per item, and at the end;
    // nothing to ask, no wait cursor left behind; the count in the status.
    QVERIFY(shown.size() >= 2 && shown.size() <= 3);
    QCOMPARE(shown.last().at(0).toString(), strBox);
    QVERIFY(script.Requests().empty() && !QApplication::overrideCursor());
    QCOMPARE(FindControl<QLabel>(&dlg, RES_ID_MAIN_STATUS)->text(), u"3 个文件已存入其他保险柜"_s);

    // Resting on a picture during a drag highlights and selects its box;
    // beside the pictures the selected box is highlighted and takes the drop.
    pList->SetHoverDelay(5);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(strRoot + u"/src/b.txt"_s)});
    QVERIFY(MakeFile(strRoot + u"/src/b.txt"_s, "quovex"));
    const QPoint onVideo = pList->visualItemRect(pList->item(2)).center();
    QDragEnterEvent enter(onVideo, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(pList->viewport(), &enter);
    QCOMPARE(pList->DropTarget(), 2);
    QTRY_COMPARE_WITH_TIMEOUT(pList->BoxPath(), strVault + u"/VideoBox"_s, 20000);
    QCOMPARE(shown.last().at(0).toString(), strVault + u"/VideoBox"_s);
    QDragLeaveEvent leave;
    QApplication::sendEvent(pList->viewport(), &leave);
    QCOMPARE(pList->DropTarget(), -1);
    QVERIFY(DropOn(dlg, -1, {QUrl::fromLocalFile(strRoot + u"/src/b.txt"_s)}));
    QVERIFY(ReadFile(strVault + u"/VideoBox/b.txt.$"_s).startsWith("QUOVEX"));

    // The folder that holds the vault: nothing changes; told once, per box.
    const auto before = Snapshot(strVault);
    QVERIFY(DropOn(dlg, 0, {QUrl::fromLocalFile(strRoot + u"/outer"_s)}));
    QVERIFY(Snapshot(strVault) == before && QFileInfo(strVault + u"/OtherBox"_s).isDir());
    QCOMPARE(script.Requests().size(), std::size_t(1));
    QVERIFY(script.Requests().front().strText.contains(strVault + u"/OtherBox（这是保险柜"_s));
}

// The box list and find field stretch across, the tree both ways, the status
// moves down and half across; never smaller than the template, and a
// minimised window's size changes leave the controls alone.
void TestMainWindow::mainWindowStretchesAndKeepsItsPlace() {
    const auto placedIn = [](const QWidget* pWindow) {
        QList<QRect> vPlaced;
        for (int nId :
             {RES_ID_BOX_LIST, RES_ID_FIND_TEXT, RES_ID_CONTENTS_TREE, RES_ID_MAIN_STATUS})
            vPlaced << FindControl(pWindow, nId)->geometry();
        return vPlaced;
    };
    QWidget reference;
    const QWidget* pRefClient = BuildDialog(&reference, RES_DLG_MAIN);
    const QList<QRect> ref = placedIn(pRefClient);
    const auto expected = [&](int dx, int dy) {
        return QList<QRect>({ref[0].adjusted(0, 0, dx, 0), ref[1].adjusted(0, 0, dx, 0),
                             ref[2].adjusted(0, 0, dx, dy), ref[3].translated(dx / 2, dy)});
    };
    test::CShownVault shown(DefaultWorkPath());
    CVaultDlg& dlg = shown.dlg;
    const auto placed = [&] { return placedIn(&dlg); };
    QWidget* pClient = FindControl(&dlg, RES_ID_BOX_LIST)->parentWidget();
    // At first 40 % larger than the template, and wide enough for the four
    // boxes in a row; in the middle of the screen.
    const QSize minimum = dlg.minimumSize();
    QVERIFY(dlg.width() >= minimum.width() + 2 * (minimum.width() / 5));
    QCOMPARE(dlg.height(), minimum.height() + 2 * (minimum.height() / 5));
    const CBoxListCtrl* pList = dlg.BoxList();
    const QRect rcLast = pList->visualItemRect(pList->item(BOX_COUNT - 1));
    QVERIFY(rcLast.top() == pList->visualItemRect(pList->item(0)).top() &&
            pList->viewport()->rect().contains(rcLast));
    const QRect rcAvailable = dlg.screen()->availableGeometry();
    QVERIFY(qAbs(dlg.geometry().center().x() - rcAvailable.center().x()) <= 2);
    dlg.resize(minimum + QSize(101, 100));
    QCOMPARE(placed(), expected(101, 100));
    dlg.resize(minimum - QSize(40, 40));
    QCOMPARE(pClient->size(), pRefClient->minimumSize());
    QCOMPARE(placed(), expected(0, 0));

    dlg.resize(minimum + QSize(60, 30));
    const QList<QRect> before = placed();
    dlg.showMinimized();
    QResizeEvent shrink(QSize(1, 1), pClient->size());
    QCoreApplication::sendEvent(pClient, &shrink);
    dlg.showNormal();
    QCOMPARE(placed(), before);

    // It opens where it was left (tst_runs) if enough is on some screen.
    const auto opened = [&] {
        CVaultDlg dlg(shown.vault, shown.app);
        dlg.show();
        return dlg.geometry();
    };
    const QRect rcFirst = opened();
    // Only a third of its width left on the screen: not enough.
    const QRect rcScreen = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect rcLeft = rcFirst.adjusted(10, 20, 40, 50);
    shown.app.SetWindowPlace(
        rcLeft.translated(rcScreen.right() - rcLeft.left() - rcLeft.width() / 3, 0));
    QCOMPARE(opened(), rcFirst);

    // Half of each extent on one screen is enough, less is not.
    const QList<QRect> vScreens{{0, 0, 1000, 800}, {1000, 0, 1000, 800}};
    QVERIFY(FitsOnScreens({800, 100, 400, 300}, vScreens));
    QVERIFY(!FitsOnScreens({801, 100, 400, 300}, vScreens.mid(0, 1)));
    QVERIFY(!FitsOnScreens({850, -200, 400, 300}, vScreens));
    QVERIFY(!FitsOnScreens({100, 100, 0, 300}, vScreens));
    // At first 40 % larger, held at the top left of a screen left of 0.
    QCOMPARE(EnlargedWindowRect({-1900, 20, -1700, 320}, 10, SIZING_BOTH, {-1920, 0, 0, 1080}),
             (AnchorRect{-1920, 0, -1640, 420}));
}

// The arrow keys choose a box; the File menu's commands store what the file
// chooser gives into it, files and a folder, as a drop would.
void TestMainWindow::storeByKeyboardAlone() {
    const QString strRoot = test::g_strHome + u"/keys"_s;
    const QString strVault = strRoot + u"/Box"_s;
    CreateBoxFolders(strVault.toStdString(), CVaultEnv::Default());
    for (const char* pszName : {"src/one.txt", "src/two.txt", "src/夹/three.txt"})
        QVERIFY(MakeFile(strRoot + QLatin1Char('/') + QString::fromUtf8(pszName), "quovex"));
    test::CShownVault shownVault(strVault);
    CVaultDlg& dlg = shownVault.dlg;
    CMessageBoxScript script;
    CBoxListCtrl* pList = dlg.BoxList();
    pList->setFocus();
    pList->setCurrentRow(0);
    QTest::keyClick(pList, Qt::Key_Right);
    QCOMPARE(pList->BoxPath(), strVault + u"/ImageBox"_s);

    QString strTitle;
    SetFilesPicker([&](const QString& strAsked) {
        strTitle = strAsked;
        return QStringList{strRoot + u"/src/one.txt"_s, strRoot + u"/src/two.txt"_s};
    });
    CDirDialog::SetFolderPicker([&](const QString&) { return strRoot + u"/src/夹"_s; });
    Command(&dlg, RES_CMD_STORE_FILES)->trigger();
    QCoreApplication::sendPostedEvents(&dlg, QEvent::MetaCall);
    Command(&dlg, RES_CMD_STORE_FOLDER)->trigger();
    QCoreApplication::sendPostedEvents(&dlg, QEvent::MetaCall);
    SetFilesPicker({});
    CDirDialog::SetFolderPicker({});
    QCOMPARE(strTitle, u"选择要存入图片保险柜的文件"_s);
    for (const char* pszStored : {"/one.txt.$", "/two.txt.$", "/夹/three.txt.$"})
        QVERIFY2(
            ReadFile(strVault + u"/ImageBox"_s + QString::fromUtf8(pszStored)).startsWith("QUOVEX"),
            pszStored);
    QVERIFY(script.Requests().empty());
    QCOMPARE(Command(&dlg, RES_CMD_STORE_FILES)->shortcut(), QKeySequence(u"Ctrl+I"_s));

    // A file another program puts into the box shown (a sync engine, the
    // tool) shows by itself in the main window, modal as the program runs it.
    dlg.hide();
    dlg.setWindowModality(Qt::ApplicationModal);
    dlg.show();
    QCOMPARE(QApplication::activeModalWidget(), &dlg);
    dlg.TreeWatch()->SetDelay(10);
    QSignalSpy refreshed(dlg.TreeWatch(), &CTreeWatch::Refreshed);
    QVERIFY(MakeFile(strVault + u"/ImageBox/arrived.txt.$"_s, "QUOVEX"));
    QVERIFY(refreshed.wait(20000));
    QVERIFY(dlg.ContentsTree()->FindPathItem(strVault + u"/ImageBox/arrived.txt.$"_s));
    QCOMPARE(Command(&dlg, RES_CMD_HELP)->shortcut(), QKeySequence(Qt::Key_F1));
}

// With a tray, closing the window keeps it there (said once); the tray's
// menu shows it again, locks and ends it; the idle lock is announced a
// minute ahead.
void TestMainWindow::trayKeepsTheProgram() {
    const QString strVault = test::g_strHome + u"/tray/Box"_s;
    CreateBoxFolders(strVault.toStdString(), CVaultEnv::Default());
    test::CShownVault shown(strVault);
    CVaultDlg& dlg = shown.dlg;
    dlg.UseTray(true);
    CVaultTray* pTray = dlg.Tray();
    QSignalSpy finished(&dlg, &QDialog::finished);
    dlg.close();
    QVERIFY(!dlg.isVisible() && finished.isEmpty());
    QVERIFY(pTray->LastMessage().contains(u"仍在运行"_s));
    pTray->ShowAction()->trigger();
    QVERIFY(dlg.isVisible());
    pTray->Tell(QString());
    dlg.close();
    QVERIFY(pTray->LastMessage().isEmpty());  // told once

    pTray->ShowAction()->trigger();
    auto now = std::chrono::steady_clock::time_point();
    CIdleWatch* pWatch = dlg.IdleWatch();
    pWatch->SetClock([&now] { return now; });
    pWatch->SetLimitMinutes(3);
    pWatch->Restart();
    now += std::chrono::seconds(110);
    pWatch->Check();
    QVERIFY(pTray->LastMessage().isEmpty());
    now += std::chrono::seconds(15);
    pWatch->Check();
    QVERIFY(pTray->LastMessage().contains(u"一分钟后保险柜将自动锁定"_s));

    pTray->ExitAction()->trigger();
    QCOMPARE(finished.size(), 1);
}

QUOVEX_UI_TEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
