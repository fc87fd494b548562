#include "HelperThread.h"

#include <system_error>
#include <utility>

namespace quovex {

CHelperThread::~CHelperThread() {
    if (!m_thread.joinable()) return;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bStop = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

bool CHelperThread::Run(std::function<void()> fnWork) {
    if (!m_thread.joinable()) {
        try {
            m_thread = std::thread([this] { Loop(); });
        } catch (const std::system_error&) {
            return false;
        }
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_fnWork = std::move(fnWork);
        m_bBusy = true;
    }
    m_changed.notify_all();
    return true;
}

void CHelperThread::Wait() {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [&] { return !m_bBusy; });
}

// Work handed over before a stop still runs: its caller waits for it.
void CHelperThread::Loop() {
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [&] { return m_bBusy || m_bStop; });
        if (!m_bBusy) return;
        lock.unlock();
        m_fnWork();
        lock.lock();
        m_fnWork = nullptr;
        m_bBusy = false;
        m_changed.notify_all();
    }
}

}  // namespace quovex
