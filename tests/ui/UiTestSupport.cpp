#include "UiTestSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPixmap>
#include <cstdlib>
#include <string>

namespace quovex::test {

namespace {

QString& HomeSlot() {
    static QString s_strHome;
    return s_strHome;
}

}  // namespace

QString TestHome() {
    return HomeSlot();
}

void PrepareTestHome() {
    // Before QApplication: QSettings and QStandardPaths read the variables once.
    std::string strTemplate = QDir::tempPath().toStdString() + "/quovex-ui-test-XXXXXX";
    char* pszHome = mkdtemp(strTemplate.data());
    if (!pszHome) std::abort();
    HomeSlot() = QString::fromLocal8Bit(pszHome);
    qputenv("HOME", HomeSlot().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (HomeSlot() + QStringLiteral("/config")).toLocal8Bit());
}

QString SettingsFilePath() {
    return TestHome() + QStringLiteral("/config/tandrel/") + QCoreApplication::applicationName() +
           QStringLiteral(".conf");
}

void SaveScreenshot(QWidget* pWidget, const QString& strName) {
    const QString strFolder = QStringLiteral(QUOVEX_SCREENSHOT_DIR);
    QDir().mkpath(strFolder);
    QVERIFY2(pWidget->grab().save(strFolder + QLatin1Char('/') + strName + QStringLiteral(".png")),
             qPrintable(strName));
}

void TypeText(QWidget* pWidget, const QString& strText) {
    for (qsizetype i = 0; i < strText.size(); ++i) {
        const qsizetype nLength = strText.at(i).isHighSurrogate() ? 2 : 1;
        const QString strChar = strText.mid(i, nLength);
        i += nLength - 1;
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, strChar);
        QApplication::sendEvent(pWidget, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, strChar);
        QApplication::sendEvent(pWidget, &release);
    }
}

void CancelPendingWaits() {
    for (QTimer* pTimer : qApp->findChildren<QTimer*>(QString::fromLatin1(WHEN_MODAL_TIMER))) {
        delete pTimer;
    }
}

bool WaitUntil(const std::function<bool()>& pred, int nTimeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!pred()) {
        if (timer.elapsed() > nTimeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

}  // namespace quovex::test
