// Shared by the interface tests: a main that points HOME and
// XDG_CONFIG_HOME at a temporary folder before the application exists,
// screenshots, and the wait for a modal dialog (run from a timer while the
// code under test sits in exec()).
#pragma once

#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QString>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace quovex::test {

// The temporary home of this test process.
QString TestHome();
// Creates the temporary home and points HOME and XDG_CONFIG_HOME into it.
void PrepareTestHome();
// The settings file that QSettings("tandrel", applicationName) writes.
QString SettingsFilePath();

// Saves pWidget as <build>/screenshots/<strName>.png.
void SaveScreenshot(QWidget* pWidget, const QString& strName);

// Name of the timers of WhenModal, so that a test can drop those left over.
constexpr char WHEN_MODAL_TIMER[] = "quovex-when-modal";

// Calls fn once with the first visible modal dialog of type T that comes up
// (checked every 10 ms). Gives up silently after nTimeoutMs.
template <class T>
void WhenModal(std::function<void(T*)> fn, int nTimeoutMs = 10000) {
    auto* pTimer = new QTimer(qApp);
    pTimer->setObjectName(QString::fromLatin1(WHEN_MODAL_TIMER));
    auto nWaited = std::make_shared<int>(0);
    QObject::connect(pTimer, &QTimer::timeout, qApp, [pTimer, nWaited, fn, nTimeoutMs] {
        T* pDialog = qobject_cast<T*>(QApplication::activeModalWidget());
        if (pDialog && pDialog->isVisible()) {
            pTimer->stop();
            pTimer->deleteLater();
            fn(pDialog);
            return;
        }
        *nWaited += 10;
        if (*nWaited > nTimeoutMs) {
            pTimer->stop();
            pTimer->deleteLater();
        }
    });
    pTimer->start(10);
}

// Types strText into pWidget one character (code point) at a time, as key
// presses carrying that text; QTest::keyClicks handles Latin-1 only.
void TypeText(QWidget* pWidget, const QString& strText);

// Stops every WhenModal still waiting.
void CancelPendingWaits();

// Spins the event loop until pred() holds or nTimeoutMs has passed.
bool WaitUntil(const std::function<bool()>& pred, int nTimeoutMs = 10000);

}  // namespace quovex::test

#define QUOVEX_UI_TEST_MAIN(TestClass)                      \
    int main(int argc, char** argv) {                       \
        quovex::test::PrepareTestHome();                    \
        int nResult = 0;                                    \
        {                                                   \
            QApplication app(argc, argv);                   \
            TestClass tc;                                   \
            nResult = QTest::qExec(&tc, argc, argv);        \
        }                                                   \
        QDir(quovex::test::TestHome()).removeRecursively(); \
        return nResult;                                     \
    }
