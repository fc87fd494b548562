// The vault locks with the desktop session and before the machine sleeps:
// a stand-in for systemd-logind on a private bus (dbus-daemon), taken for
// the system bus, sends the signals logind sends.
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>

#include "SessionWatch.h"
#include "UiTestSupport.h"

using namespace quovex;
using namespace quovex::test;

namespace {

constexpr int WAIT_MS = 20000;  // a bound for a failing test, never a pause
const QString SESSION_PATH = u"/org/freedesktop/login1/session/_7"_s;

// The part of logind's manager the watch asks: every process is in session _7.
class CFakeLogin1 : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")
public slots:
    QDBusObjectPath GetSessionByPID(uint) { return QDBusObjectPath(SESSION_PATH); }
};

}  // namespace

class TestSession : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void sessionLockAndSleepLockTheVault();

private:
    void Send(const QString& strPath, const QString& strInterface, const QString& strName,
              const QVariantList& vArguments = {});

    QProcess m_bus;
    QString m_strAddress;
    CFakeLogin1 m_login1;
};

void TestSession::initTestCase() {
    if (QStandardPaths::findExecutable(u"dbus-daemon"_s).isEmpty())
        QSKIP("dbus-daemon is not installed");
    m_bus.start(u"dbus-daemon"_s, {u"--session"_s, u"--nofork"_s, u"--print-address=1"_s});
    QVERIFY(m_bus.waitForStarted(WAIT_MS));
    while (!m_bus.canReadLine()) QVERIFY(m_bus.waitForReadyRead(WAIT_MS));
    m_strAddress = QString::fromUtf8(m_bus.readLine()).trimmed();
    // Read at the first use of the system bus, which comes with the first window.
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", m_strAddress.toUtf8());
    QDBusConnection fake = QDBusConnection::connectToBus(m_strAddress, u"fake-login1"_s);
    QVERIFY(fake.registerService(u"org.freedesktop.login1"_s));
    QVERIFY(fake.registerObject(u"/org/freedesktop/login1"_s, &m_login1,
                                QDBusConnection::ExportAllSlots));
}

void TestSession::cleanupTestCase() {
    StopWhenModal();
    QDBusConnection::disconnectFromBus(u"fake-login1"_s);
    m_bus.kill();
    m_bus.waitForFinished(WAIT_MS);
}

void TestSession::Send(const QString& strPath, const QString& strInterface, const QString& strName,
                       const QVariantList& vArguments) {
    QDBusMessage signal = QDBusMessage::createSignal(strPath, strInterface, strName);
    signal.setArguments(vArguments);
    QVERIFY(QDBusConnection(u"fake-login1"_s).send(signal));
}

// The session's Lock locks the vault, the login opens it again; another
// session's Lock and a wake-up do not; PrepareForSleep(true) does.
void TestSession::sessionLockAndSleepLockTheVault() {
    const QString strVault = g_strHome + u"/session/Box"_s;
    CreateBoxFolders(strVault.toStdString(), CVaultEnv::Default());
    CShownVault shown(strVault);
    CSessionWatch* pWatch = shown.dlg.SessionWatch();
    QSignalSpy ready(pWatch, &CSessionWatch::Ready);
    QVERIFY(ready.wait(WAIT_MS) && ready.front().front().toBool());
    QCOMPARE(pWatch->SessionPath(), SESSION_PATH);

    QSignalSpy requested(pWatch, &CSessionWatch::LockRequested);
    int nLogins = 0;
    bool bLockedAtLogin = false;
    WhenModal<CLoginDlg>([&](CLoginDlg* pLogin) {
        bLockedAtLogin = shown.dlg.IsLocked();
        ++nLogins;
        TypeInto(pLogin, 1005, u"secret1"_s);
        Click(pLogin, RES_ID_OK);
    });
    Send(SESSION_PATH, u"org.freedesktop.login1.Session"_s, u"Lock"_s);
    QTRY_COMPARE_WITH_TIMEOUT(nLogins, 1, WAIT_MS);
    QVERIFY(bLockedAtLogin && requested.size() == 1);
    QTRY_VERIFY_WITH_TIMEOUT(!shown.dlg.IsLocked(), WAIT_MS);

    // In order from one sender: only the last of these asks for the lock,
    // so when its login comes the others have been heard.
    LogInWhenAsked(u"secret1"_s, &nLogins);
    Send(u"/org/freedesktop/login1/session/_8"_s, u"org.freedesktop.login1.Session"_s, u"Lock"_s);
    Send(u"/org/freedesktop/login1"_s, u"org.freedesktop.login1.Manager"_s, u"PrepareForSleep"_s,
         {false});
    Send(u"/org/freedesktop/login1"_s, u"org.freedesktop.login1.Manager"_s, u"PrepareForSleep"_s,
         {true});
    QTRY_COMPARE_WITH_TIMEOUT(nLogins, 2, WAIT_MS);
    QCOMPARE(requested.size(), 2);
    QTRY_VERIFY_WITH_TIMEOUT(!shown.dlg.IsLocked(), WAIT_MS);
}

QUOVEX_UI_TEST_MAIN(TestSession)
#include "tst_session.moc"
