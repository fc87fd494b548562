#include "TreeDeletion.h"

#include "FolderChanges.h"
#include "FolderWalk.h"
#include "PathText.h"
#include "VaultEnv.h"
#include "VaultFeedback.h"

namespace quovex {

namespace {

// One deletion of a tree, with what it reports and whether a cancel
// stopped it.
class CTreeDeletion {
public:
    explicit CTreeDeletion(CVaultFeedback* pFeedback) : m_pFeedback(pFeedback) {}

    // Counts the entries below the open folder, and the folder itself, for
    // the position.
    void CountTree(const FolderPtr& pFolder, const std::string& strPath) {
        ++m_nTotal;
        WalkFolder(pFolder, strPath, [&](const WalkEntry& entry) {
            if (entry.kind == EntryKind::ENTRY_FOLDER) {
                CountTree(entry.pFolder->OpenFolder(entry.strName), entry.strPath);
            } else {
                ++m_nTotal;
            }
            return true;
        });
    }

    // Deletes everything below the open folder, depth first. False when it
    // cannot be listed.
    bool DeleteContents(const FolderPtr& pFolder, const std::string& strPath) {
        return WalkFolder(pFolder, strPath, [&](const WalkEntry& entry) {
            if (Stopped()) return false;
            if (entry.kind == EntryKind::ENTRY_FOLDER) {
                // A folder swapped for a link since the listing does not
                // open: it is removed as the link it now is.
                if (const FolderPtr pSub = entry.pFolder->OpenFolder(entry.strName)) {
                    DeleteContents(pSub, entry.strPath);
                    if (Stopped()) return false;
                    entry.pFolder->RemoveFolder(entry.strName);
                    Advance();
                    return true;
                }
            }
            if (entry.kind != EntryKind::ENTRY_NONE) {
                if (m_pFeedback) m_pFeedback->SetStatusText(entry.strPath);
                // A link goes itself; what it points to stays.
                entry.pFolder->DeleteFile(entry.strName);
                Advance();
            }
            return true;
        });
    }

    // Whether a cancel has stopped the deletion; asked before each entry.
    bool Stopped() {
        if (!m_bStopped && m_pFeedback && m_pFeedback->IsCancelled()) m_bStopped = true;
        return m_bStopped;
    }

private:
    void Advance() {
        ++m_nDone;
        if (m_pFeedback && m_nTotal > 0)
            m_pFeedback->SetProgressPos(static_cast<int>(m_nDone * 100 / m_nTotal));
    }

    CVaultFeedback* m_pFeedback;
    std::size_t m_nTotal = 0;
    std::size_t m_nDone = 0;
    bool m_bStopped = false;
};

// DeleteFolderTree; *pStopped tells whether a cancel stopped it.
bool DeleteTree(const std::string& strFolder, CVaultEnv* pEnv, CVaultFeedback* pFeedback,
                bool* pStopped) {
    std::string strPath = strFolder;
    while (strPath.size() > 1 && strPath.back() == PATH_SEPARATOR) strPath.pop_back();
    // Opened through its parent, so that a link in its place is not followed.
    const FolderPtr pParent = pEnv->OpenFolder(FolderOf(strPath));
    const std::string strName = LastComponent(strPath);
    const FolderPtr pFolder = pParent ? pParent->OpenFolder(strName) : nullptr;
    CTreeDeletion deletion(pFeedback);
    if (pFeedback) deletion.CountTree(pFolder, strPath);
    const bool bListed = deletion.DeleteContents(pFolder, strPath);
    *pStopped = deletion.Stopped();
    if (!bListed) return false;
    if (!*pStopped) pParent->RemoveFolder(strName);
    return true;
}

}  // namespace

bool DeleteFolderTree(const std::string& strFolder, CVaultEnv* pEnv, CVaultFeedback* pFeedback) {
    bool bStopped = false;
    return DeleteTree(strFolder, pEnv, pFeedback, &bStopped);
}

RunOutcome DeleteWorker(CVaultFeedback& feedback, DeleteJob& job) {
    bool bStopped = false;
    DeleteTree(job.strFolder, job.pEnv, &feedback, &bStopped);
    job.vLeft = FindLeftovers(job.strFolder, job.nMaxLeft, &job.nMoreLeft, job.pEnv);
    return bStopped ? RunOutcome::RUN_CANCELLED : RunOutcome::RUN_FINISHED;
}

}  // namespace quovex
