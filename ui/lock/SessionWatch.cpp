#include "SessionWatch.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace quovex {

namespace {

constexpr char LOGIN1_SERVICE[] = "org.freedesktop.login1";
constexpr char LOGIN1_PATH[] = "/org/freedesktop/login1";
constexpr char MANAGER_INTERFACE[] = "org.freedesktop.login1.Manager";
constexpr char SESSION_INTERFACE[] = "org.freedesktop.login1.Session";

}  // namespace

CSessionWatch::CSessionWatch(const QDBusConnection& bus, QObject* pParent)
    : QObject(pParent), m_bus(bus) {
    if (!m_bus.isConnected()) {
        QMetaObject::invokeMethod(
            this, [this] { emit Ready(false); }, Qt::QueuedConnection);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QString::fromLatin1(LOGIN1_SERVICE), QString::fromLatin1(LOGIN1_PATH),
        QString::fromLatin1(MANAGER_INTERFACE), QStringLiteral("GetSessionByPID"));
    call << static_cast<uint>(QCoreApplication::applicationPid());
    auto* pWatcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(pWatcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* pDone) {
                const QDBusPendingReply<QDBusObjectPath> reply = *pDone;
                pDone->deleteLater();
                OnSessionFound(reply.isValid() ? reply.value().path() : QString());
            });
}

void CSessionWatch::OnSessionFound(const QString& strPath) {
    if (strPath.isEmpty()) {
        emit Ready(false);
        return;
    }
    m_strSession = strPath;
    // The bus offers its signals to named slots only.
    const bool bLock = m_bus.connect(QString::fromLatin1(LOGIN1_SERVICE), strPath,
                                     QString::fromLatin1(SESSION_INTERFACE), QStringLiteral("Lock"),
                                     this, SLOT(OnSessionLock()));
    const bool bSleep =
        m_bus.connect(QString::fromLatin1(LOGIN1_SERVICE), QString::fromLatin1(LOGIN1_PATH),
                      QString::fromLatin1(MANAGER_INTERFACE), QStringLiteral("PrepareForSleep"),
                      this, SLOT(OnPrepareForSleep(bool)));
    emit Ready(bLock || bSleep);
}

void CSessionWatch::OnSessionLock() {
    emit LockRequested();
}

void CSessionWatch::OnPrepareForSleep(bool bSleeping) {
    // Also sent with false on waking: the vault is locked already then.
    if (bSleeping) emit LockRequested();
}

}  // namespace quovex
