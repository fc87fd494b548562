// One thread kept for work handed to it again and again: work split over
// two threads piece after piece would otherwise start a thread for every
// piece, which on a virtual machine costs as much as sealing a chunk or two.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace quovex {

class CHelperThread {
public:
    CHelperThread() = default;
    // Waits for work in progress to end, then ends the thread.
    ~CHelperThread();
    CHelperThread(const CHelperThread&) = delete;
    CHelperThread& operator=(const CHelperThread&) = delete;

    // Runs fnWork on the helper thread, started on the first call. False,
    // with nothing run, when no thread can be had. One work at a time: the
    // caller waits for it before it hands over the next. fnWork must not
    // throw. Called from one thread.
    bool Run(std::function<void()> fnWork);
    // Waits until the work handed over last has ended; at once without one.
    void Wait();

private:
    void Loop();

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::function<void()> m_fnWork;
    bool m_bBusy = false;
    bool m_bStop = false;
    std::thread m_thread;
};

}  // namespace quovex
