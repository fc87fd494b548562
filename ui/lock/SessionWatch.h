// Follows the desktop session through systemd-logind (org.freedesktop.login1
// on the system bus): when the session is locked (the session object's Lock
// signal, as loginctl lock-session and the screen lockers send it) or the
// machine is about to sleep (the manager's PrepareForSleep(true)), it asks
// for the vault to be locked. Where there is no such bus or service, or the
// program runs outside a session, it does nothing. Interface thread.
#pragma once

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QObject>

namespace quovex {

class CSessionWatch : public QObject {
    Q_OBJECT
public:
    // Watches on bus (the system bus; tests give a private one). The
    // program's session is looked up without waiting (GetSessionByPID);
    // Ready says when the watch is in place.
    explicit CSessionWatch(const QDBusConnection& bus, QObject* pParent = nullptr);

    // The session object followed, empty until it is known.
    const QString& SessionPath() const { return m_strSession; }

signals:
    // The session was locked, or the machine goes to sleep.
    void LockRequested();
    // The watch is in place (bWatching), or could not be (no logind, no
    // session of this process).
    void Ready(bool bWatching);

private slots:
    // Called by name from the bus (D-Bus signals connect only so).
    void OnSessionLock();
    void OnPrepareForSleep(bool bSleeping);

private:
    void OnSessionFound(const QString& strPath);

    QDBusConnection m_bus;
    QString m_strSession;
};

}  // namespace quovex
