#include "FindRunner.h"

#include <QFile>
#include <QFileInfo>
#include <QMetaObject>
#include <utility>

#include "PlainNames.h"

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
    // Two threads: a superseded reading that has not yet seen it is stopped
    // does not hold up the newest one.
    m_pool.setMaxThreadCount(2);
}

CFindRunner::~CFindRunner() {
    Cancel();
    m_pool.waitForDone();
}

void CFindRunner::Forget() {
    m_pListed.reset();
    ++m_nListingEpoch;
}

int CFindRunner::Start(const QString& strRoot, const QString& strText, bool bFiles,
                       std::shared_ptr<const CPlainNames> pNames) {
    const int nGeneration = ++m_nGeneration;
    std::shared_ptr<const CListedEntry> pKept;
    if (m_pListed && m_strListedRoot == strRoot && m_bListedFiles == bFiles) pKept = m_pListed;
    const int nEpoch = m_nListingEpoch;
    m_pool.start([this, strRoot, strText, bFiles, nGeneration, nEpoch, pKept, pNames] {
        std::shared_ptr<const CListedEntry> pListed = pKept;
        if (!pListed) {
            auto pRead = std::make_shared<CListedEntry>();
            const auto fnStop = [this, nGeneration] { return m_nGeneration.load() != nGeneration; };
            const bool bRead =
                pNames
                    ? ListPlainBelow(*pNames, strRoot,
                                     QFile::encodeName(QFileInfo(strRoot).fileName()).toStdString(),
                                     bFiles, fnStop, pRead.get())
                    : ListBelow(strRoot, bFiles, fnStop, pRead.get());
            if (!bRead) return;
            pListed = std::move(pRead);
        }
        auto pFound = std::make_shared<CFoundItem>(FindInListing(*pListed, strRoot, strText));
        if (WalkEndHook()) WalkEndHook()(nGeneration);
        // A find superseded while its result travels is dropped on arrival:
        // only there is the newest generation known for sure. The pool is
        // waited for before this object goes, so the call finds it.
        const bool bRead = !pKept;
        QMetaObject::invokeMethod(
            this,
            [this, strRoot, bFiles, nGeneration, nEpoch, bRead, pListed, pFound] {
                if (bRead && nEpoch == m_nListingEpoch) {
                    m_pListed = pListed;
                    m_strListedRoot = strRoot;
                    m_bListedFiles = bFiles;
                }
                if (nGeneration == m_nGeneration.load()) m_fnShow(nGeneration, std::move(*pFound));
            },
            Qt::QueuedConnection);
    });
    return nGeneration;
}

}  // namespace quovex
