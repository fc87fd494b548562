#include "StoreBack.h"

#include <cerrno>

#include "CancelWatch.h"
#include "FileStore.h"
#include "PathText.h"
#include "ProtectedLayout.h"
#include "StoredFileInfo.h"
#include "VaultFeedback.h"
#include "VaultKey.h"

namespace quovex {

namespace {

// The run's feedback, except that the replacement of the one stored file the
// user asked to replace is agreed to without a question.
class CReplaceAgreed final : public CCancelWatch {
public:
    CReplaceAgreed(CVaultFeedback& inner, const std::string& strStored)
        : CCancelWatch(inner), m_strStored(strStored) {}

    bool AskYesNo(FeedbackQuestion nQuestion, const std::string& strPath) override {
        if (nQuestion == FeedbackQuestion::QUESTION_STORED_EXISTS && strPath == m_strStored)
            return true;
        return CCancelWatch::AskYesNo(nQuestion, strPath);
    }

private:
    const std::string& m_strStored;
};

void NoteStoreResult(TransferReport& report, const FileResult& result, const std::string& strCopy) {
    if (result.nOutcome == FileOutcome::FILE_DONE) {
        ++report.nFilesDone;
    } else if (result.nOutcome == FileOutcome::FILE_CHANGED) {
        report.vPassedOver.push_back({strCopy, PassReason::PASS_SOURCE_CHANGED});
    } else {
        report.vFailed.push_back({strCopy, result.cause});
    }
}

RunOutcome RunStoreBack(CVaultFeedback& feedback, StoreBackJob& job) {
    const CFileStore& files = *job.pFiles;
    CVaultEnv* pEnv = files.Env();
    CReplaceAgreed agreed(feedback, job.strStored);
    // What the stored file records now, with the key: a summary edited
    // while the copy was open is kept too.
    const StoredFileInfo before = ReadStoredFileInfo(job.strStored, pEnv, &files.Key());
    const bool bKnown = before.bStored;
    FileStamp copy;
    pEnv->GetStamp(job.strCopy, &copy);
    RunContext run{&agreed, 0, copy.nSize, &job.report};
    // The copy takes the stored file's place in every respect: its recorded
    // path and its sealed place (a file away from its place stays known so).
    const FileResult result =
        files.StoreFileAs(job.strCopy, bKnown ? before.strSourcePath : std::string(), job.strStored,
                          bKnown ? before.strPlace : std::string(), run);
    NoteStoreResult(job.report, result, job.strCopy);
    if (result.nOutcome == FileOutcome::FILE_DONE) {
        if (bKnown && !before.strSummary.empty()) {
            const StoredFileInfo after = ReadStoredFileInfo(job.strStored, pEnv, &files.Key());
            WriteStoredSummary(job.strStored, after.stamp, before.strSummary, pEnv, &files.Key());
        }
        // The folder's time would tell when the file was stored back.
        const FolderPtr pFolder =
            files.Key().IsProtected() ? pEnv->OpenFolder(FolderOf(job.strStored)) : nullptr;
        if (pFolder) pFolder->SetOwnTimes(PROTECTED_STORED_FILE_TIME, 0);
        // The copy goes next; the stored file must not be lost with it.
        pEnv->SyncVolume(job.strStored);
    }
    job.report.bCancelled = agreed.SawCancel();
    return job.report.bCancelled ? RunOutcome::RUN_CANCELLED : RunOutcome::RUN_FINISHED;
}

}  // namespace

RunOutcome StoreBackWorker(CVaultFeedback& feedback, StoreBackJob& job) {
    try {
        return RunStoreBack(feedback, job);
    } catch (...) {
        // Running out of memory is the only way in.
        job.report.vFailed.push_back({job.strCopy, CauseOfErrno(ENOMEM)});
        return RunOutcome::RUN_STOPPED;
    }
}

}  // namespace quovex
