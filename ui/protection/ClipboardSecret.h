// A secret put on the clipboard for a short while: marked for clipboard
// managers not to keep it (the hint KDE's Klipper and others honour, as
// KeePassXC sets it), and cleared after CLEAR_AFTER_MS unless something
// else was copied meanwhile. The clearing outlives the dialog that copied.
// Interface thread.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

namespace quovex {

class CClipboardSecret : public QObject {
    Q_OBJECT
public:
    static constexpr int CLEAR_AFTER_MS = 30 * 1000;
    // The one object, a child of the application.
    static CClipboardSecret& Instance();

    // Puts strText on the clipboard, marked as a secret, and starts the wait.
    void Put(const QString& strText);
    // The wait before the clearing (tests shorten it).
    void SetClearDelay(int nMilliseconds) { m_timer.setInterval(nMilliseconds); }
    // Whether a clearing is still to come.
    bool IsWaiting() const { return m_timer.isActive(); }

signals:
    // The clipboard was cleared (it still held the secret).
    void Cleared();

private:
    CClipboardSecret();
    void OnElapsed();

    QTimer m_timer;
    QString m_strPut;  // what was put, to tell whether it is still there
};

}  // namespace quovex
