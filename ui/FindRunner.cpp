#include "FindRunner.h"

#include <QMetaObject>
#include <memory>
#include <utility>

namespace quovex {

namespace {

std::function<void(int)>& WalkEndHook() {
    static std::function<void(int)> fnHook;
    return fnHook;
}

}  // namespace

void CFindRunner::SetWalkEndHookForTests(std::function<void(int)> fn) {
    WalkEndHook() = std::move(fn);
}

CFindRunner::CFindRunner(ShowFn fnShow, QObject* pParent)
    : QObject(pParent), m_fnShow(std::move(fnShow)) {
    // Two threads: a superseded walk that has not yet seen it is stopped
    // does not hold up the newest one.
    m_pool.setMaxThreadCount(2);
}

CFindRunner::~CFindRunner() {
    Cancel();
    m_pool.waitForDone();
}

int CFindRunner::Start(const QString& strRoot, const QString& strText, bool bFiles) {
    const int nGeneration = ++m_nGeneration;
    m_pool.start([this, strRoot, strText, bFiles, nGeneration] {
        const auto fnStop = [this, nGeneration] { return m_nGeneration.load() != nGeneration; };
        auto pRoot = std::make_shared<CFoundItem>();
        if (!FindBelow(strRoot, strText, bFiles, fnStop, pRoot.get())) return;
        if (WalkEndHook()) WalkEndHook()(nGeneration);
        // A find superseded while its result travels is dropped on arrival:
        // only there is the newest generation known for sure. The pool
        // is waited for before this object goes, so the call finds it.
        QMetaObject::invokeMethod(
            this,
            [this, pRoot, nGeneration] {
                if (nGeneration == m_nGeneration.load()) m_fnShow(nGeneration, std::move(*pRoot));
            },
            Qt::QueuedConnection);
    });
    return nGeneration;
}

}  // namespace quovex
