// Putting a finished file at its target without replacing anything the
// user was not asked about. Used by StoreFile and RestoreFile on the worker
// thread; the questions go through CVaultFeedback.
#pragma once

#include <string>

#include "FileOutcome.h"
#include "VaultEnv.h"

namespace quovex {

class CVaultFeedback;

// Asks pszQuestion before the file or link at strTarget is replaced.
// *pAsked receives what lies there (kind ENTRY_NONE when nothing does).
// FILE_DONE: the target is free or may be replaced; FILE_DECLINED: the
// user said No, or there is no one to ask; FILE_FAILED: a folder lies there.
FileOutcome AskToReplace(CVaultEnv* pEnv, const std::string& strTarget, const char* pszQuestion,
                         CVaultFeedback* pFeedback, FileStamp* pAsked);

// Commits file at strTarget. With nothing asked about (asked.kind
// ENTRY_NONE) it never replaces: a name taken meanwhile is the existing-file
// case and asked about now. Replacing, it replaces only the object asked
// about: one that took its place meanwhile is asked about again, and a
// replaced file's mode, owner and group pass to the new one, which is made
// durable first so that a crash cannot leave a hollow file in its place.
FileOutcome CommitTarget(CVaultEnv* pEnv, CWritableFile& file, const std::string& strTarget,
                         const char* pszQuestion, CVaultFeedback* pFeedback, FileStamp asked);

}  // namespace quovex
