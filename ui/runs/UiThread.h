// Carrying a call over to the thread that owns an object.
#pragma once

#include <QMetaObject>
#include <QObject>
#include <QThread>
#include <utility>

namespace quovex {

// Runs fn on the thread of pContext and returns when it has run: directly
// when called on that thread, else through a blocking queued call. The
// owning thread must be running an event loop (the interface thread is,
// while a modal dialog is up), or the caller waits for ever.
template <class Fn>
void RunOnObjectThread(QObject* pContext, Fn&& fn) {
    if (QThread::currentThread() == pContext->thread()) {
        fn();
        return;
    }
    QMetaObject::invokeMethod(pContext, std::forward<Fn>(fn), Qt::BlockingQueuedConnection);
}

}  // namespace quovex
