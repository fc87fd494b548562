// The resizable main window as it grows, shrinks and is minimised, and
// where it opens again.
#include <QGuiApplication>
#include <QResizeEvent>
#include <QScreen>

#include "AnchorGeometry.h"
#include "DialogBuilder.h"
#include "UiTestSupport.h"
#include "WindowPlace.h"

using namespace quovex;

class TestStretch : public QObject {
    Q_OBJECT
private slots:
    void mainWindowStretches();
    void mainWindowKeepsItsPlace();
};

// The box list stretches across, the tree both ways, the status text moves
// down and half across; the window is never smaller than the template, and
// a minimised window's size changes leave the controls alone.
void TestStretch::mainWindowStretches() {
    QWidget reference;
    const QWidget* pRefClient = BuildDialog(&reference, RES_DLG_MAIN);
    const auto expected = [&](int dx, int dy) {
        const auto rect = [&](int nId) { return FindControl(pRefClient, nId)->geometry(); };
        return QList<QRect>({rect(RES_ID_BOX_LIST).adjusted(0, 0, dx, 0),
                             rect(RES_ID_CONTENTS_TREE).adjusted(0, 0, dx, dy),
                             rect(RES_ID_MAIN_STATUS).translated(dx / 2, dy)});
    };
    test::CShownVault shown(DefaultWorkPath());
    CVaultDlg& dlg = shown.dlg;
    const auto placed = [&] {
        QList<QRect> vPlaced;
        for (int nId : {RES_ID_BOX_LIST, RES_ID_CONTENTS_TREE, RES_ID_MAIN_STATUS})
            vPlaced << FindControl(&dlg, nId)->geometry();
        return vPlaced;
    };
    QWidget* pClient = FindControl(&dlg, RES_ID_BOX_LIST)->parentWidget();
    // At first 40 % larger than the template.
    const QSize minimum = dlg.minimumSize();
    QCOMPARE(dlg.size(), QSize(minimum.width() + 2 * (minimum.width() / 5),
                               minimum.height() + 2 * (minimum.height() / 5)));
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
}

// The main window opens where it was left (tst_runs) while enough of it is
// on some screen, and as at first otherwise.
void TestStretch::mainWindowKeepsItsPlace() {
    COpenVault vault(DefaultWorkPath(), QStringLiteral("user"), QStringLiteral("password"));
    CVaultSettings settings;
    const auto opened = [&] {
        CVaultDlg dlg(vault, settings);
        dlg.show();
        return dlg.geometry();
    };
    const QRect rcFirst = opened();
    // Only a third of its width left on the screen: not enough.
    const QRect rcScreen = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect rcLeft = rcFirst.adjusted(10, 20, 40, 50);
    settings.SetWindowPlace(
        rcLeft.translated(rcScreen.right() - rcLeft.left() - rcLeft.width() / 3, 0));
    QCOMPARE(opened(), rcFirst);

    // Half of each extent on one screen is enough, less is not.
    const QList<QRect> vScreens{{0, 0, 1000, 800}, {1000, 0, 1000, 800}};
    QVERIFY(FitsOnScreens({800, 100, 400, 300}, vScreens));
    QVERIFY(!FitsOnScreens({801, 100, 400, 300}, vScreens.mid(0, 1)));
    QVERIFY(!FitsOnScreens({850, -200, 400, 300}, vScreens));
    QVERIFY(!FitsOnScreens({100, 100, 0, 300}, vScreens));
    // At first 40 % larger, held at the left and top of a screen whose left
    // edge is not 0.
    QCOMPARE(EnlargedWindowRect({-1900, 20, -1700, 320}, 10, SIZING_BOTH, {-1920, 0, 0, 1080}),
             (AnchorRect{-1920, 0, -1640, 420}));
}

QUOVEX_UI_TEST_MAIN(TestStretch)
#include "tst_stretch.moc"
