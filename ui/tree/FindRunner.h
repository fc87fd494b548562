// Runs the finds of the contents tree off the interface thread, the newest
// one winning: every Start supersedes the finds started before it, whose
// readings stop at their next entry and whose results, should they still
// come back, are dropped.
//
// A find reads the whole box from disk unless it can search a reading kept
// from an earlier find of the same root: the first complete reading is kept
// until Forget, so typing on searches memory, not the disk. What changes on
// disk meanwhile shows after Forget, as a folder's items in the tree show
// what was there when it was opened.
#pragma once

#include <QObject>
#include <QString>
#include <QThreadPool>
#include <atomic>
#include <functional>
#include <memory>

#include "FindWalk.h"

namespace quovex {

class CFindRunner : public QObject {
    Q_OBJECT
public:
    // fnShow receives the result of the newest find, on this object's
    // thread, with the generation Start gave that find.
    using ShowFn = std::function<void(int nGeneration, CFoundItem&& root)>;
    explicit CFindRunner(ShowFn fnShow, QObject* pParent = nullptr);
    // Supersedes every find and waits for their readings to end.
    ~CFindRunner() override;

    // Starts a find of strText below strRoot (files too when bFiles is set)
    // on a pool thread and returns its generation. pNames, when given, reads
    // the box's hidden names (ListPlainBelow); the find holds it while it
    // reads. The result is handed to
    // fnShow unless another Start or a Cancel came first. This object's
    // thread, as are Cancel and Forget.
    int Start(const QString& strRoot, const QString& strText, bool bFiles,
              std::shared_ptr<const CPlainNames> pNames = nullptr);
    // Supersedes every find started so far; none of their results is shown.
    void Cancel() { ++m_nGeneration; }
    // Drops the kept reading, and any reading under way from being kept:
    // the next find reads the disk.
    void Forget();
    // Blocks until no find runs; the results of those that finished are
    // then on their way to this object's thread (its next events).
    void WaitForWalks() { m_pool.waitForDone(); }

    // Test seam: fn is called on the pool thread once a find has its
    // result, before handing it over, with that find's generation (so a
    // test can hold one find back while a newer one finishes). Set it while
    // no find runs; an empty fn removes it.
    static void SetWalkEndHookForTests(std::function<void(int nGeneration)> fn);

private:
    ShowFn m_fnShow;
    std::atomic<int> m_nGeneration{0};
    // The kept reading and what it was read for; this object's thread only.
    std::shared_ptr<const CListedEntry> m_pListed;
    QString m_strListedRoot;
    bool m_bListedFiles = false;
    int m_nListingEpoch = 0;  // counts Forget: a reading begun before it is not kept
    // Declared last, so it is gone (its threads waited for) before the rest.
    QThreadPool m_pool;
};

}  // namespace quovex
