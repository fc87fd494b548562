// Runs the finds of the contents tree off the interface thread, the newest
// one winning: every Start supersedes the finds started before it, whose
// walks stop at their next entry and whose results, should they still come
// back, are dropped.
#pragma once

#include <QObject>
#include <QString>
#include <QThreadPool>
#include <atomic>
#include <functional>

#include "FindWalk.h"

namespace quovex {

class CFindRunner : public QObject {
    Q_OBJECT
public:
    // fnShow receives the result of the newest find, on this object's
    // thread, with the generation Start gave that find.
    using ShowFn = std::function<void(int nGeneration, CFoundItem&& root)>;
    explicit CFindRunner(ShowFn fnShow, QObject* pParent = nullptr);
    // Supersedes every find and waits for their walks to end.
    ~CFindRunner() override;

    // Starts a walk of strRoot for strText (FindBelow) on a pool thread and
    // returns the new find's generation. The result is handed to fnShow
    // unless another Start or a Cancel came first. This object's thread.
    int Start(const QString& strRoot, const QString& strText, bool bFiles);
    // Supersedes every find started so far; none of their results is shown.
    void Cancel() { ++m_nGeneration; }
    // Blocks until no walk runs; the results of those that finished are
    // then on their way to this object's thread (its next events).
    void WaitForWalks() { m_pool.waitForDone(); }

    // Test seam: fn is called on the pool thread once a find's walk has
    // ended, before its result is handed over, with that find's generation
    // (so a test can hold one find back while a newer one finishes). Set it
    // while no find runs; an empty fn removes it.
    static void SetWalkEndHookForTests(std::function<void(int nGeneration)> fn);

private:
    ShowFn m_fnShow;
    std::atomic<int> m_nGeneration{0};
    // Declared last, so it is gone (its threads waited for) before the rest.
    QThreadPool m_pool;
};

}  // namespace quovex
