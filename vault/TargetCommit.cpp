#include "TargetCommit.h"

#include "VaultFeedback.h"

namespace quovex {

namespace {

// A target that keeps changing under a run is given up after this many rounds.
constexpr int COMMIT_ROUNDS = 4;

}  // namespace

FileResult AskToReplace(const FileStamp& there, FeedbackQuestion nQuestion,
                        const std::string& strPath, CVaultFeedback* pFeedback) {
    if (there.kind == EntryKind::ENTRY_NONE) return FileOutcome::FILE_DONE;
    if (there.kind == EntryKind::ENTRY_FOLDER) return FailCause{FailReason::FAIL_TARGET_IS_FOLDER};
    if (!pFeedback || !pFeedback->AskYesNo(nQuestion, strPath)) return FileOutcome::FILE_DECLINED;
    return FileOutcome::FILE_DONE;
}

FileResult CommitTarget(CFolder& folder, const std::string& strName, CWritableFile& file,
                        FeedbackQuestion nQuestion, const std::string& strPath,
                        CVaultFeedback* pFeedback, FileStamp asked) {
    for (int nRound = 0; nRound < COMMIT_ROUNDS; ++nRound) {
        if (asked.kind == EntryKind::ENTRY_NONE) {
            const CommitResult result = file.Commit(false);
            if (result == CommitResult::COMMIT_DONE) return FileOutcome::FILE_DONE;
            if (result == CommitResult::COMMIT_FAILED) return CauseOfLastError();
        } else {
            FileStamp now;
            folder.GetStamp(strName, &now);
            // The same object, unchanged: a new file can get a freed inode
            // number again, but hardly with the same size and time too.
            if (now.SameContent(asked)) {
                // A link gives nothing of its own to the file that replaces it.
                if (asked.kind == EntryKind::ENTRY_FILE && !file.TakeAccessOf(asked))
                    return CauseOfLastError();
                if (!file.Sync()) return CauseOfLastError();
                if (file.Commit(true) != CommitResult::COMMIT_DONE) return CauseOfLastError();
                return FileOutcome::FILE_DONE;
            }
        }
        // The target is not what was asked about: ask about what lies there now.
        folder.GetStamp(strName, &asked);
        const FileResult answer = AskToReplace(asked, nQuestion, strPath, pFeedback);
        if (answer.nOutcome != FileOutcome::FILE_DONE) return answer;
    }
    return FileOutcome::FILE_FAILED;
}

}  // namespace quovex
