#include "TargetCommit.h"

#include "VaultFeedback.h"

namespace quovex {

namespace {

// A target that keeps changing under a run is given up after this many rounds.
constexpr int COMMIT_ROUNDS = 4;

// Whether strName in folder is still the object asked about, unchanged: a
// new file can get a freed inode number again, but hardly with the same
// size and time too.
bool StillAsked(CFolder& folder, const std::string& strName, const FileStamp& asked) {
    FileStamp now;
    folder.GetStamp(strName, &now);
    return now.SameContent(asked);
}

// After a commit: where a flush of the volume does not reach (bOwnSync),
// the folder's new name is made durable now.
FileResult Settle(CFolder& folder, bool bOwnSync) {
    if (bOwnSync && !folder.Sync()) return CauseOfLastError();
    return FileOutcome::FILE_DONE;
}

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
    // Where a flush of the volume does not reach the data (FUSE, network
    // file systems), the file is made durable before it takes its name,
    // and the name after, so that a source is never deleted before its
    // stored copy is on disk. On a local disk one flush covers a batch.
    const bool bOwnSync = !folder.VolumeSyncCovers();
    for (int nRound = 0; nRound < COMMIT_ROUNDS; ++nRound) {
        if (asked.kind == EntryKind::ENTRY_NONE) {
            if (bOwnSync && !file.Sync()) return CauseOfLastError();
            const CommitResult result = file.Commit(false);
            if (result == CommitResult::COMMIT_DONE) return Settle(folder, bOwnSync);
            if (result == CommitResult::COMMIT_FAILED) return CauseOfLastError();
        } else if (StillAsked(folder, strName, asked)) {
            // A link gives nothing of its own to the file that replaces it.
            if (asked.kind == EntryKind::ENTRY_FILE && !file.TakeAccessOf(asked))
                return CauseOfLastError();
            // Durable first, so that a crash cannot leave a hollow file in
            // its place; the sync may take a while, so the target is looked
            // at again right before the rename.
            if (!file.Sync()) return CauseOfLastError();
            if (StillAsked(folder, strName, asked)) {
                if (file.Commit(true) != CommitResult::COMMIT_DONE) return CauseOfLastError();
                return Settle(folder, bOwnSync);
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
