#include "FlushBehind.h"

#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace quovex {

CFlushBehind::~CFlushBehind() {
    Stop();
}

void CFlushBehind::Written(std::uint64_t nWritten) {
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (m_bStop) return;
        m_nWritten = nWritten;
        if (m_bStarted) {
            if (StepBehind()) m_changed.notify_one();
            return;
        }
        if (nWritten < m_nStep) return;
        m_bStarted = true;
    }
    try {
        m_thread = std::thread(&CFlushBehind::Loop, this);
    } catch (const std::system_error&) {
        // Without a thread the final flush does all of it.
    }
}

bool CFlushBehind::Stop() {
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_bStop = true;
    }
    m_changed.notify_one();
    if (m_thread.joinable()) m_thread.join();
    if (m_nError == 0) return true;
    errno = m_nError;
    return false;
}

void CFlushBehind::Loop() {
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_bStop || StepBehind(); });
        // A step noted before the stop is still flushed: the final flush
        // then has that much less to do.
        if (!StepBehind()) return;
        m_nFlushed = m_nWritten;
        lock.unlock();
        const bool bFlushed = ::fdatasync(m_nFd) == 0;
        const int nError = errno;
        lock.lock();
        if (!bFlushed && m_nError == 0) m_nError = nError;
    }
}

}  // namespace quovex
