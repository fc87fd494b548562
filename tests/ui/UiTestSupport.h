// Shared by the interface tests: a main that points HOME and
// XDG_CONFIG_HOME at a temporary folder before the application exists,
// screenshots, typing, the wait for a modal dialog (run from a timer while
// the code under test sits in exec()) and the wait for another thread.
#pragma once

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

namespace quovex::test {

// The temporary home of this test process.
inline QString& TestHome() {
    static QString s_strHome;
    return s_strHome;
}

// Saves pWidget as <build>/screenshots/<strName>.png.
inline void SaveScreenshot(QWidget* pWidget, const QString& strName) {
    const QString strFolder = QStringLiteral(QUOVEX_SCREENSHOT_DIR);
    QDir().mkpath(strFolder);
    QVERIFY2(pWidget->grab().save(strFolder + QLatin1Char('/') + strName + QStringLiteral(".png")),
             qPrintable(strName));
}

constexpr char WHEN_MODAL_TIMER[] = "quovex-when-modal";

// Calls fn once with the first visible modal dialog of type T that comes up,
// checking every 10 ms until it does or CancelPendingWaits runs.
template <class T>
void WhenModal(std::function<void(T*)> fn) {
    auto* pTimer = new QTimer(qApp);
    pTimer->setObjectName(QString::fromLatin1(WHEN_MODAL_TIMER));
    QObject::connect(pTimer, &QTimer::timeout, qApp, [pTimer, fn] {
        T* pDialog = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!pDialog || !pDialog->isVisible()) return;
        pTimer->stop();
        pTimer->deleteLater();
        fn(pDialog);
    });
    pTimer->start(10);
}

// Stops every WhenModal still waiting (each test's cleanup).
inline void CancelPendingWaits() {
    qDeleteAll(qApp->findChildren<QTimer*>(QString::fromLatin1(WHEN_MODAL_TIMER)));
}

// Processes events until pred holds, for waits on another thread. The
// bound only turns a hang into a failure before the suite's time-out; no
// load comes near it.
template <class Pred>
bool WaitUntil(Pred pred) {
    return QTest::qWaitFor(pred, 60000);
}

// Types strText into pWidget one code point at a time, as key presses
// carrying that text; QTest::keyClicks handles Latin-1 only.
inline void TypeText(QWidget* pWidget, const QString& strText) {
    for (char32_t c : strText.toUcs4()) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier,
                        QString::fromUcs4(&c, 1));
        QApplication::sendEvent(pWidget, &press);
    }
}

}  // namespace quovex::test

// Before QApplication: QSettings and QStandardPaths read the variables once.
#define QUOVEX_UI_TEST_MAIN(TestClass)                                                       \
    int main(int argc, char** argv) {                                                        \
        QTemporaryDir home;                                                                  \
        if (!home.isValid()) return 1;                                                       \
        quovex::test::TestHome() = home.path();                                              \
        qputenv("HOME", home.path().toLocal8Bit());                                          \
        qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toLocal8Bit()); \
        QApplication app(argc, argv);                                                        \
        TestClass tc;                                                                        \
        return QTest::qExec(&tc, argc, argv);                                                \
    }
