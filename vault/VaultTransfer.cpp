#include "VaultTransfer.h"

#include <limits>

#include "PathText.h"
#include "StoredFileFormat.h"
#include "VaultCipher.h"
#include "VaultEnv.h"
#include "VaultFeedback.h"
#include "VaultFolders.h"

namespace quovex {

namespace {

// Forwards to the run's feedback and remembers whether a cancel was seen,
// so that a run is reported as cancelled only when the cancel stopped work.
class CCancelWatch final : public CVaultFeedback {
public:
    explicit CCancelWatch(CVaultFeedback& inner) : m_inner(inner) {}

    bool SawCancel() const { return m_bSawCancel; }

    void SetStatusText(const std::string& strText) override { m_inner.SetStatusText(strText); }
    void SetProgressPos(int nPos) override { m_inner.SetProgressPos(nPos); }
    bool IsCancelled() override {
        if (m_inner.IsCancelled()) m_bSawCancel = true;
        return m_bSawCancel;
    }
    bool AskYesNo(const std::string& strQuestion) override { return m_inner.AskYesNo(strQuestion); }
    void ShowMessage(const std::string& strMessage) override { m_inner.ShowMessage(strMessage); }
    void BeginWaitCursor() override { m_inner.BeginWaitCursor(); }
    void EndWaitCursor() override { m_inner.EndWaitCursor(); }
    void ShowBoxContents(const std::string& strBoxPath) override {
        m_inner.ShowBoxContents(strBoxPath);
    }

private:
    CVaultFeedback& m_inner;
    bool m_bSawCancel = false;
};

bool Cancelled(CVaultFeedback* pFeedback) {
    return pFeedback && pFeedback->IsCancelled();
}

void NoteResult(TransferReport* pReport, int nResult, const std::string& strPath) {
    if (!pReport) return;
    if (nResult == 1) {
        ++pReport->nFilesDone;
    } else {
        pReport->vFailed.push_back(strPath);
    }
}

// A dropped path may end in separators ("dir/"); its name is the last real component.
std::string TrimSeparators(std::string strPath) {
    while (strPath.size() > 1 && strPath.back() == PATH_SEPARATOR) strPath.pop_back();
    return strPath;
}

std::string SubPath(const std::string& strFolder, const std::string& strName) {
    return strFolder.empty() ? std::string() : JoinPath(strFolder, strName);
}

}  // namespace

CVaultTransfer::CVaultTransfer(const CVaultCipher& cipher)
    : m_cipher(cipher), m_pEnv(cipher.Env()) {}

CVaultTransfer::~CVaultTransfer() = default;

void CVaultTransfer::QueueSourceDeletion(const std::string& strPath, bool bFolder,
                                         const std::string& strVaultFolder) {
    m_vPending.push_back({strPath, bFolder});
    if (m_vPending.size() >= TRANSFER_DELETE_BATCH) DeletePendingSources(strVaultFolder);
}

void CVaultTransfer::DeletePendingSources(const std::string& strVaultFolder) {
    if (m_vPending.empty()) return;
    // One flush of the vault's volume covers every stored copy written so
    // far; only then may the originals go.
    if (m_pEnv->SyncVolume(strVaultFolder)) {
        for (const PendingDeletion& item : m_vPending) {
            if (item.bFolder) {
                m_pEnv->RemoveFolder(item.strPath);
            } else {
                m_pEnv->DeleteFile(item.strPath);
            }
        }
    }
    m_vPending.clear();
}

int CVaultTransfer::StoreDroppedItem(const std::string& strPath, const std::string& strBoxFolder,
                                     CVaultFeedback* pFeedback, std::uint64_t& nDone,
                                     std::uint64_t nTotal, TransferReport* pReport) {
    const std::string strSource = TrimSeparators(strPath);
    const std::string strTarget = JoinPath(strBoxFolder, LastComponent(strSource));
    switch (m_pEnv->GetKind(strSource)) {
        case EntryKind::ENTRY_FOLDER:
            if (StoreFolder(strSource, strTarget, pFeedback, nDone, nTotal, pReport) == 1 &&
                m_bDeleteSource) {
                QueueSourceDeletion(strSource, true, strBoxFolder);
            }
            break;
        case EntryKind::ENTRY_FILE: {
            const int nResult = m_cipher.StoreFile(strSource, strTarget + SFF_STORED_SUFFIX,
                                                   pFeedback, nDone, nTotal);
            NoteResult(pReport, nResult, strSource);
            if (nResult == 1 && m_bDeleteSource)
                QueueSourceDeletion(strSource, false, strBoxFolder);
            break;
        }
        default:
            break;  // links and vanished paths are passed over
    }
    if (pFeedback) pFeedback->ShowBoxContents(strBoxFolder);
    return 1;
}

int CVaultTransfer::StoreFolder(const std::string& strSource, const std::string& strTarget,
                                CVaultFeedback* pFeedback, std::uint64_t& nDone,
                                std::uint64_t nTotal, TransferReport* pReport) {
    const bool bListed =
        WalkFolder(m_pEnv, strSource, [&](const std::string& strPath, EntryKind kind) {
            if (Cancelled(pFeedback)) return false;
            const std::string strInVault = JoinPath(strTarget, LastComponent(strPath));
            if (kind == EntryKind::ENTRY_FOLDER) {
                if (StoreFolder(strPath, strInVault, pFeedback, nDone, nTotal, pReport) == 1 &&
                    m_bDeleteSource) {
                    QueueSourceDeletion(strPath, true, strTarget);
                }
            } else if (kind == EntryKind::ENTRY_FILE) {
                const int nResult = m_cipher.StoreFile(strPath, strInVault + SFF_STORED_SUFFIX,
                                                       pFeedback, nDone, nTotal);
                NoteResult(pReport, nResult, strPath);
                if (nResult == 1 && m_bDeleteSource) QueueSourceDeletion(strPath, false, strTarget);
            }
            return true;
        });
    if (!bListed && pReport) pReport->vFailed.push_back(strSource);
    return bListed ? 1 : 0;
}

int CVaultTransfer::RestoreItem(const std::string& strStored, const std::string& strTargetFolder,
                                CVaultFeedback* pFeedback, std::uint64_t& nDone,
                                std::uint64_t nTotal, TransferReport* pReport) {
    const std::string strItem = TrimSeparators(strStored);
    const std::string strTarget = SubPath(strTargetFolder, LastComponent(strItem));
    switch (m_pEnv->GetKind(strItem)) {
        case EntryKind::ENTRY_FOLDER:
            RestoreFolder(strItem, strTarget, pFeedback, nDone, nTotal, pReport);
            break;
        case EntryKind::ENTRY_FILE:
            NoteResult(pReport, m_cipher.RestoreFile(strItem, strTarget, pFeedback, nDone, nTotal),
                       strItem);
            break;
        default:
            break;
    }
    return 1;
}

int CVaultTransfer::RestoreFolder(const std::string& strStored, const std::string& strTarget,
                                  CVaultFeedback* pFeedback, std::uint64_t& nDone,
                                  std::uint64_t nTotal, TransferReport* pReport) {
    const bool bListed =
        WalkFolder(m_pEnv, strStored, [&](const std::string& strPath, EntryKind kind) {
            if (Cancelled(pFeedback)) return false;
            const std::string strSub = SubPath(strTarget, LastComponent(strPath));
            if (kind == EntryKind::ENTRY_FOLDER) {
                RestoreFolder(strPath, strSub, pFeedback, nDone, nTotal, pReport);
            } else if (kind == EntryKind::ENTRY_FILE) {
                NoteResult(pReport, m_cipher.RestoreFile(strPath, strSub, pFeedback, nDone, nTotal),
                           strPath);
            }
            return true;
        });
    if (!bListed && pReport) pReport->vFailed.push_back(strStored);
    return bListed ? 1 : 0;
}

bool HasRoomFor(CVaultEnv* pEnv, const std::string& strPath, std::uint64_t nTotal) {
    std::uint64_t nFree = 0;
    // Unknown free space: go ahead, and let each file report its own failure.
    if (!pEnv->GetFreeSpace(strPath, &nFree)) return true;
    const std::uint64_t nMax = std::numeric_limits<std::uint64_t>::max();
    const std::uint64_t nNeeded =
        nTotal > nMax - TRANSFER_FREE_SPACE_MARGIN ? nMax : nTotal + TRANSFER_FREE_SPACE_MARGIN;
    return nFree >= nNeeded;
}

namespace {

int RunAddDrop(CVaultFeedback& feedback, DropJob& job) {
    CVaultEnv* pEnv = job.pVault->Env();
    CCancelWatch watch(feedback);
    std::uint64_t nTotal = 0;
    for (const std::string& strPath : job.vDropList) nTotal += GetPathLength(strPath, pEnv);
    if (!HasRoomFor(pEnv, job.strBoxPath, nTotal)) {
        job.report.bNoSpace = true;
        feedback.ShowMessage(MSG_NO_DISK_SPACE);
        return 1;
    }
    std::uint64_t nDone = 0;
    for (const std::string& strPath : job.vDropList) {
        if (watch.IsCancelled()) break;
        job.pVault->StoreDroppedItem(strPath, job.strBoxPath, &watch, nDone, nTotal, &job.report);
    }
    job.pVault->DeletePendingSources(job.strBoxPath);
    job.report.bCancelled = watch.SawCancel();
    return job.report.bCancelled ? 0 : 1;
}

int RunRestore(CVaultFeedback& feedback, RestoreJob& job) {
    CVaultEnv* pEnv = job.pVault->Env();
    CCancelWatch watch(feedback);
    const std::uint64_t nTotal = GetPathLength(job.strStoredItem, pEnv);
    const std::string strVolume = job.strTargetFolder.empty() ? "." : job.strTargetFolder;
    if (!HasRoomFor(pEnv, strVolume, nTotal)) {
        job.report.bNoSpace = true;
        feedback.ShowMessage(MSG_NO_DISK_SPACE);
        return 1;
    }
    std::uint64_t nDone = 0;
    job.pVault->RestoreItem(job.strStoredItem, job.strTargetFolder, &watch, nDone, nTotal,
                            &job.report);
    job.report.bCancelled = watch.SawCancel();
    return job.report.bCancelled ? 0 : 1;
}

}  // namespace

// The workers run on a thread of their own: nothing may escape them. Running
// out of memory is the only way in; what was stored by then stays stored.
int AddDropWorker(CVaultFeedback& feedback, void* pData) {
    DropJob& job = *static_cast<DropJob*>(pData);
    try {
        return RunAddDrop(feedback, job);
    } catch (...) {
        job.report.vFailed.push_back(job.strBoxPath);
        return 1;
    }
}

int RestoreWorker(CVaultFeedback& feedback, void* pData) {
    RestoreJob& job = *static_cast<RestoreJob*>(pData);
    try {
        return RunRestore(feedback, job);
    } catch (...) {
        job.report.vFailed.push_back(job.strStoredItem);
        return 1;
    }
}

}  // namespace quovex
