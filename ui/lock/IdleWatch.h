// How long the user has left the program alone: every input event of the
// application (keys, mouse buttons, the wheel, touches, the mouse moving
// over a window) starts the idle time afresh. A timer looks at it every
// IDLE_CHECK_INTERVAL_MS and reports once it reaches the limit. Interface
// thread.
#pragma once

#include <QObject>
#include <QTimer>
#include <chrono>
#include <functional>

namespace quovex {

constexpr int IDLE_CHECK_INTERVAL_MS = 5000;

class CIdleWatch : public QObject {
    Q_OBJECT
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    // Watches the input of the whole application from now on.
    explicit CIdleWatch(QObject* pParent = nullptr);
    ~CIdleWatch() override;

    // The idle time that is reported; 0 (or less) for none.
    void SetLimitMinutes(int nMinutes);
    // For tests: the time is read from fnNow, and the watch is checked only
    // when the caller calls Check (its own timer stops).
    void SetClock(Clock fnNow);

    // The idle time starts again now.
    void Restart();
    // Whether a limit is set and the idle time has reached it.
    bool IsDue() const;
    // Whether a limit is set and the idle time is within a minute of it.
    bool IsNear() const;
    // Emits IdleTimeReached when IsDue. It is emitted again at every
    // check until input comes or Restart is called: whoever acts on it may
    // have to wait (a run going on).
    void Check();

signals:
    void IdleTimeReached();
    // A minute before IdleTimeReached, once each time the idle time starts.
    void IdleTimeNear();

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    Clock m_fnNow;
    std::chrono::steady_clock::time_point m_lastInput;
    std::chrono::minutes m_limit{0};
    bool m_bWarned = false;  // IdleTimeNear emitted for this idle time
    QTimer m_timer;
};

}  // namespace quovex
