#include "IdleWatch.h"

#include <QCoreApplication>
#include <QEvent>

namespace quovex {

namespace {

bool IsInput(QEvent::Type nType) {
    switch (nType) {
        case QEvent::KeyPress:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
            return true;
        default:
            return false;
    }
}

}  // namespace

CIdleWatch::CIdleWatch(QObject* pParent)
    : QObject(pParent), m_fnNow(&std::chrono::steady_clock::now), m_lastInput(m_fnNow()) {
    QCoreApplication::instance()->installEventFilter(this);
    connect(&m_timer, &QTimer::timeout, this, &CIdleWatch::Check);
    m_timer.start(IDLE_CHECK_INTERVAL_MS);
}

CIdleWatch::~CIdleWatch() {
    if (QCoreApplication* pApp = QCoreApplication::instance()) pApp->removeEventFilter(this);
}

void CIdleWatch::SetLimitMinutes(int nMinutes) {
    m_limit = std::chrono::minutes(nMinutes > 0 ? nMinutes : 0);
}

void CIdleWatch::SetClock(Clock fnNow) {
    m_timer.stop();
    m_fnNow = std::move(fnNow);
    Restart();
}

void CIdleWatch::Restart() {
    m_lastInput = m_fnNow();
    m_bWarned = false;
}

bool CIdleWatch::IsDue() const {
    return m_limit.count() > 0 && m_fnNow() - m_lastInput >= m_limit;
}

bool CIdleWatch::IsNear() const {
    // A minute ahead; half the time ahead for a limit of one minute.
    const auto ahead =
        m_limit >= std::chrono::minutes(2) ? std::chrono::seconds(60) : std::chrono::seconds(30);
    return m_limit.count() > 0 && m_fnNow() - m_lastInput >= m_limit - ahead;
}

void CIdleWatch::Check() {
    if (!m_bWarned && IsNear()) {
        m_bWarned = true;
        emit IdleTimeNear();
    }
    if (IsDue()) emit IdleTimeReached();
}

bool CIdleWatch::eventFilter(QObject* pWatched, QEvent* pEvent) {
    if (IsInput(pEvent->type())) Restart();
    return QObject::eventFilter(pWatched, pEvent);
}

}  // namespace quovex
