#include "VaultConversion.h"

#include <cerrno>
#include <memory>

#include "Boxes.h"
#include "FileStore.h"
#include "FolderWalk.h"
#include "PathText.h"
#include "StoredRewrite.h"
#include "VaultEnv.h"
#include "VaultFeedback.h"
#include "VaultKey.h"

namespace quovex {

namespace {

// One conversion run: the walk over the box folders and each file's
// rewrite. Lives on the worker's thread for the run.
class CVaultConverter {
public:
    CVaultConverter(CVaultFeedback& feedback, ConvertJob& job)
        : m_feedback(feedback),
          m_job(job),
          m_files(*job.pKey, job.pEnv),
          m_pEnv(m_files.Env()),
          m_run{&feedback, 0, 0, &job.report} {}

    RunOutcome Run();

private:
    bool Cancelled();
    void ConvertFolder(const FolderPtr& pFolder, const std::string& strPath);
    void ConvertEntry(CFolder& folder, const std::string& strName, const std::string& strPath);
    void Note(const FileResult& result, const std::string& strPath);
    void NoteFailed(const std::string& strPath, const FailCause& cause) {
        m_job.report.vFailed.push_back({strPath, cause});
    }

    CVaultFeedback& m_feedback;
    ConvertJob& m_job;
    CFileStore m_files;
    CVaultEnv* m_pEnv;
    RunContext m_run;
    bool m_bCancelled = false;
};

bool CVaultConverter::Cancelled() {
    if (!m_bCancelled && m_feedback.IsCancelled()) m_bCancelled = true;
    return m_bCancelled;
}

RunOutcome CVaultConverter::Run() {
    const CVaultKey& key = *m_job.pKey;
    if (!key.IsProtected() || !key.CanScramble()) {
        NoteFailed(m_job.strVaultPath, FailCause{FailReason::FAIL_NEEDS_KEY});
        return RunOutcome::RUN_STOPPED;
    }
    const FolderPtr pVault = m_pEnv->OpenFolder(m_job.strVaultPath);
    if (!pVault) {
        NoteFailed(m_job.strVaultPath, CauseOfLastError());
        return RunOutcome::RUN_STOPPED;
    }
    for (int nBox = 0; nBox < BOX_COUNT; ++nBox)
        m_run.nTotal += GetStoredTotalSize(BoxFolderPath(m_job.strVaultPath, nBox), m_pEnv);
    for (int nBox = 0; nBox < BOX_COUNT && !Cancelled(); ++nBox) {
        const std::string strBox = BoxFolderPath(m_job.strVaultPath, nBox);
        // Through the open location, so that a box swapped for a link is not followed.
        const FolderPtr pBox = pVault->OpenFolder(BOX_TABLE[nBox].pszFolder);
        if (!pBox) {
            FileStamp there;
            pVault->GetStamp(BOX_TABLE[nBox].pszFolder, &there);
            if (there.kind != EntryKind::ENTRY_NONE)
                NoteFailed(strBox, FailCause{FailReason::FAIL_NOT_PLAIN_FILE});
            continue;
        }
        const std::uint64_t nBefore = m_job.report.nFilesDone;
        ConvertFolder(pBox, strBox);
        if (m_job.report.nFilesDone != nBefore) m_feedback.ShowBoxContents(strBox);
    }
    // Each new file was synced before it took its place; on a local disk
    // one flush makes the renames durable too. A crash before it leaves
    // the old scrambled files, which are sound.
    if (m_job.report.nFilesDone > 0) m_pEnv->SyncVolume(m_job.strVaultPath);
    m_job.report.bCancelled = m_bCancelled;
    return m_bCancelled ? RunOutcome::RUN_CANCELLED : RunOutcome::RUN_FINISHED;
}

void CVaultConverter::ConvertFolder(const FolderPtr& pFolder, const std::string& strPath) {
    FailCause failure;
    const bool bListed = WalkFolder(
        pFolder, strPath,
        [&](const WalkEntry& entry) {
            if (Cancelled()) return false;
            if (entry.kind == EntryKind::ENTRY_FOLDER) {
                const FolderPtr pSub = entry.pFolder->OpenFolder(entry.strName);
                if (pSub) {
                    ConvertFolder(pSub, entry.strPath);
                } else {
                    NoteFailed(entry.strPath, CauseOfLastError());
                }
            } else if (entry.kind == EntryKind::ENTRY_FILE) {
                ConvertEntry(*entry.pFolder, entry.strName, entry.strPath);
            }
            return true;
        },
        &failure);
    if (!bListed) NoteFailed(strPath, failure);
}

void CVaultConverter::ConvertEntry(CFolder& folder, const std::string& strName,
                                   const std::string& strPath) {
    std::unique_ptr<CStoredReader> pReader;
    FileStamp read;
    const FileResult opened = m_files.OpenStoredAt(folder, strName, &pReader, &read);
    if (opened.nOutcome != FileOutcome::FILE_DONE) {
        Note(opened, strPath);
        return;
    }
    const StoredHead& head = pReader->Head();
    if (head.nKind == StoredKind::STORED_PROTECTED) {
        ++m_job.nAlreadyProtected;
        return;
    }
    // Such a file reads as noise with this key: rewritten, it could never be
    // read again. It stays as it is, for the credentials it was stored with.
    if (!head.bKeyMatches) {
        NoteFailed(strPath, FailCause{FailReason::FAIL_DAMAGED});
        return;
    }
    if (head.bTextUnreadable) {
        NoteFailed(strPath, FailCause{FailReason::FAIL_PATH_NOT_STORABLE});
        return;
    }
    m_feedback.SetStatusText(strPath);
    CWaitCursorGuard cursor(&m_feedback);
    const std::uint64_t nStart = m_run.nDone;
    const FileResult result =
        RewriteStoredFile(m_files, folder, strName, *pReader, read, StoredPlaceOf(strPath), m_run);
    // Progress goes by plain bytes; the reader counted whole blocks.
    m_run.nDone = nStart + head.nPlainSize;
    Note(result, strPath);
}

void CVaultConverter::Note(const FileResult& result, const std::string& strPath) {
    NoteRewriteResult(result, strPath, &m_job.report, &m_bCancelled);
}

}  // namespace

// Runs on a thread of its own: nothing may escape it. Running out of
// memory is the only way in; what was converted by then stays converted.
RunOutcome ConvertWorker(CVaultFeedback& feedback, ConvertJob& job) {
    try {
        CVaultConverter converter(feedback, job);
        return converter.Run();
    } catch (...) {
        job.report.vFailed.push_back({job.strVaultPath, CauseOfErrno(ENOMEM)});
        return RunOutcome::RUN_STOPPED;
    }
}

}  // namespace quovex
