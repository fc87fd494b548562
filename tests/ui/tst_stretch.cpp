// The resizable main window as it opens, grows, shrinks and is minimised,
// where it opens again, and the anchor arithmetic it does not reach.
#include <QGuiApplication>
#include <QLabel>
#include <QResizeEvent>
#include <QScreen>
#include <QSizeGrip>
#include <functional>

#include "AnchorGeometry.h"
#include "DialogBuilder.h"
#include "OpenVault.h"
#include "UiTestSupport.h"
#include "VaultDlg.h"
#include "VaultSettings.h"
#include "WindowPlace.h"

using namespace quovex;

class TestStretch : public QObject {
    Q_OBJECT
private slots:
    void arithmeticBeyondTheMainWindow();
    void mainWindow();
    void mainWindowKeepsItsPlace();
};

// What the main window below does not reach: a mode that is none counts as
// fixed, a client that shrank on one axis only, a window held inside a
// screen whose left edge is not 0, and sizing on one axis.
void TestStretch::arithmeticBeyondTheMainWindow() {
    QVERIFY(AnchorPercentsFor(4, -1).IsFixed());
    QCOMPARE(ClientGrowth({300, 400}, {250, 433}), (AnchorSize{0, 33}));
    // A fifth of each extent on every side: 40 % larger, same centre.
    const AnchorRect rcScreen{0, 0, 1920, 1080};
    QCOMPARE(EnlargedWindowRect({100, 100, 300, 400}, 10, SIZING_BOTH, rcScreen),
             (AnchorRect{60, 40, 340, 460}));
    // Held at the screen's left and top, with the full enlarged size.
    QCOMPARE(EnlargedWindowRect({-1900, 20, -1700, 320}, 10, SIZING_BOTH, {-1920, 0, 0, 1080}),
             (AnchorRect{-1920, 0, -1640, 420}));
    QCOMPARE(EnlargedWindowRect({100, 100, 300, 400}, 10, SIZING_VERT, rcScreen),
             (AnchorRect{100, 40, 300, 460}));
    QCOMPARE(WindowSizeLimits({300, 400}, SIZING_HORZ).maximum,
             (AnchorSize{SIZING_UNLIMITED, 400}));
}

void TestStretch::mainWindow() {
    // Where the template puts every control.
    QWidget reference;
    const QWidget* pRefClient = BuildDialog(&reference, RES_DLG_MAIN);
    const int ids[] = {RES_ID_BOX_LIST, RES_ID_CONTENTS_TREE, RES_ID_MAIN_STATUS};
    auto templateRect = [&](int nId) { return FindControl(pRefClient, nId)->geometry(); };

    COpenVault vault(DefaultWorkPath(), QStringLiteral("user"), QStringLiteral("password"));
    CVaultSettings settings;
    CVaultDlg dlg(vault, settings);
    QVERIFY(!dlg.AddAnchor(FindControl(&dlg, RES_ID_BOX_LIST), ANCHOR_MOVE, ANCHOR_MOVE));
    dlg.show();
    QWidget* pClient = FindControl(&dlg, RES_ID_BOX_LIST)->parentWidget();
    const AnchorSize initialClient = dlg.Anchors().InitialClientSize();
    const AnchorSize initialWindow = dlg.Anchors().InitialWindowSize();
    QCOMPARE(QSize(initialClient.nWidth, initialClient.nHeight), pRefClient->minimumSize());
    QCOMPARE(dlg.minimumSize(), QSize(initialWindow.nWidth, initialWindow.nHeight));
    QCOMPARE(dlg.size(), QSize(initialWindow.nWidth + 2 * (initialWindow.nWidth / 5),
                               initialWindow.nHeight + 2 * (initialWindow.nHeight / 5)));
    QVERIFY(
        !dlg.AddAnchor(dlg.findChild<QLabel*>(QStringLiteral("-1")), ANCHOR_FIXED, ANCHOR_FIXED));

    auto resizeClient = [&](int dx, int dy) {
        dlg.resize(initialWindow.nWidth + dx, initialWindow.nHeight + dy);
        QCOMPARE(pClient->size(), QSize(initialClient.nWidth + std::max(dx, 0),
                                        initialClient.nHeight + std::max(dy, 0)));
        const QSizeGrip* pGrip = dlg.Anchors().SizeGrip();
        QVERIFY(pGrip && pGrip->isVisible());
        QCOMPARE(pGrip->geometry().bottomRight(), pClient->rect().bottomRight());
    };
    auto expectPlaced = [&](int dxHalf, int dx, int dy) {
        QCOMPARE(FindControl(&dlg, RES_ID_BOX_LIST)->geometry(),
                 templateRect(RES_ID_BOX_LIST).adjusted(0, 0, dx, 0));
        QCOMPARE(FindControl(&dlg, RES_ID_CONTENTS_TREE)->geometry(),
                 templateRect(RES_ID_CONTENTS_TREE).adjusted(0, 0, dx, dy));
        QCOMPARE(FindControl(&dlg, RES_ID_MAIN_STATUS)->geometry(),
                 templateRect(RES_ID_MAIN_STATUS).translated(dxHalf, dy));
    };
    resizeClient(100, 100);
    expectPlaced(50, 100, 100);
    resizeClient(101, 101);
    expectPlaced(50, 101, 101);
    // Not smaller than the template, where every control is back in place.
    resizeClient(-40, -40);
    expectPlaced(0, 0, 0);

    // A minimised window's size changes leave the controls alone.
    resizeClient(60, 30);
    QRect before[3];
    for (int i = 0; i < 3; ++i) before[i] = FindControl(&dlg, ids[i])->geometry();
    dlg.showMinimized();
    QResizeEvent shrink(QSize(1, 1), pClient->size());
    QCoreApplication::sendEvent(pClient, &shrink);
    dlg.showNormal();
    for (int i = 0; i < 3; ++i) QCOMPARE(FindControl(&dlg, ids[i])->geometry(), before[i]);
}

// However the window ends, its place goes into the settings; it opens there
// again while enough of it is on some screen, and as at first otherwise.
void TestStretch::mainWindowKeepsItsPlace() {
    COpenVault vault(DefaultWorkPath(), QStringLiteral("user"), QStringLiteral("password"));
    CVaultSettings settings;
    const auto open = [&](const std::function<void(CVaultDlg&)>& fnEnd) {
        CVaultDlg dlg(vault, settings);
        dlg.show();
        const QRect rcOpened = dlg.geometry();
        fnEnd(dlg);
        return rcOpened;
    };
    QVERIFY(!settings.HasWindowPlace());
    QRect rcLeft;
    const QRect rcFirst = open([&](CVaultDlg& dlg) {
        dlg.setGeometry(dlg.geometry().adjusted(10, 20, 40, 50));
        rcLeft = dlg.geometry();
        dlg.reject();
    });
    QCOMPARE(settings.WindowPlace(), rcLeft);
    QCOMPARE(open([](CVaultDlg& dlg) { dlg.accept(); }), rcLeft);

    // Only a third of its width left on the screen: not enough.
    const QRect rcScreen = QGuiApplication::primaryScreen()->availableGeometry();
    settings.SetWindowPlace(
        rcLeft.translated(rcScreen.right() - rcLeft.left() - rcLeft.width() / 3, 0));
    QCOMPARE(open([](CVaultDlg&) {}), rcFirst);

    // Half of each extent on one screen is enough, less is not.
    const QList<QRect> vScreens{{0, 0, 1000, 800}, {1000, 0, 1000, 800}};
    QVERIFY(FitsOnScreens({800, 100, 400, 300}, vScreens));
    QVERIFY(!FitsOnScreens({801, 100, 400, 300}, vScreens.mid(0, 1)));
    QVERIFY(!FitsOnScreens({850, -200, 400, 300}, vScreens));
    QVERIFY(!FitsOnScreens({100, 100, 0, 300}, vScreens));
}

QUOVEX_UI_TEST_MAIN(TestStretch)
#include "tst_stretch.moc"
