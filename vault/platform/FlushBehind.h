// Makes a file that is being written durable on a thread of its own, a few
// MiB behind the writing. The final flush of a large file otherwise starts
// only when the last byte is written, and the disk (on a virtual machine,
// the host's disk as well) then takes as long again as the writing took;
// while the pieces are still being transformed, the flushes run alongside.
// Where the writer is faster than the disk nothing is lost either: the disk
// is merely kept busy from earlier on.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

#include "StreamSizes.h"

namespace quovex {

class CFlushBehind {
public:
    // Flushes the file open for writing at nFd, which must stay open until
    // Stop() has returned, every nStep bytes written.
    explicit CFlushBehind(int nFd, std::uint64_t nStep = FLUSH_STEP) : m_nFd(nFd), m_nStep(nStep) {}
    // Stops, as Stop().
    ~CFlushBehind();
    CFlushBehind(const CFlushBehind&) = delete;
    CFlushBehind& operator=(const CFlushBehind&) = delete;

    // Notes that nWritten bytes of the file are written. From a step of
    // bytes on, a thread flushes them; when no thread can be had, nothing
    // is flushed here and the final flush does it all. The writer's thread.
    void Written(std::uint64_t nWritten);
    // Waits for a flush in progress, and for one of a step noted before,
    // and ends the thread. False, with errno
    // set to its error, when a flush failed: the kernel reports a failed
    // write to the disk once, so its report must reach whoever asks for the
    // file next. Later calls give the same. The writer's thread.
    bool Stop();

    // Bytes that are written unflushed before a flush starts, unless the
    // file's env streams with another step (StreamSizes.h).
    static constexpr std::uint64_t FLUSH_STEP = STORE_FLUSH_STEP;

private:
    void Loop();
    // Whether a step was written since the last flush started; under m_mutex.
    bool StepBehind() const { return m_nWritten - m_nFlushed >= m_nStep; }

    const int m_nFd;
    const std::uint64_t m_nStep;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::uint64_t m_nWritten = 0;  // as last noted
    std::uint64_t m_nFlushed = 0;  // of which a flush started for
    int m_nError = 0;              // errno of the first failed flush
    bool m_bStop = false;
    bool m_bStarted = false;  // a thread was asked for, had or not
    std::thread m_thread;
};

}  // namespace quovex
