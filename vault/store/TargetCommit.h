// Putting a finished file at its target without replacing anything the
// user was not asked about. Used by StoreFile and RestoreFile on the worker
// thread; the questions go through CVaultFeedback.
#pragma once

#include <string>

#include "FileOutcome.h"
#include "VaultEnv.h"

namespace quovex {

class CVaultFeedback;
enum class FeedbackQuestion;

// Asks nQuestion about strPath before what lies there (as there tells it)
// is replaced. FILE_DONE: nothing lies there (kind ENTRY_NONE), or it may
// be replaced; FILE_DECLINED: the user said No, or there is no one to ask;
// FILE_FAILED (FAIL_TARGET_IS_FOLDER): a folder lies there.
FileResult AskToReplace(const FileStamp& there, FeedbackQuestion nQuestion,
                        const std::string& strPath, CVaultFeedback* pFeedback);

// Commits file at strName in folder. With nothing asked about (asked.kind
// ENTRY_NONE) it never replaces: a name taken meanwhile is the existing-file
// case and asked about now. Replacing, it replaces only the object asked
// about, unchanged: one that took its place meanwhile is asked about again,
// and a replaced file's mode, owner and group pass to the new one, which is
// made durable first so that a crash cannot leave a hollow file in its place.
// Questions are asked about strPath, the target's full path.
// Where a flush of the folder's volume does not reach the data
// (CFolder::VolumeSyncCovers), every new file is made durable before its
// commit and the folder after it; a failure when either sync fails.
FileResult CommitTarget(CFolder& folder, const std::string& strName, CWritableFile& file,
                        FeedbackQuestion nQuestion, const std::string& strPath,
                        CVaultFeedback* pFeedback, FileStamp asked);

}  // namespace quovex
