// Deleting a folder tree one entry at a time, so that a run can show each
// file as it goes, move the bar and stop between two files; and the worker
// procedure that does it under the progress dialog. Never throws. Any
// thread (the worker thread under the progress dialog).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "RunOutcome.h"

namespace quovex {

class CVaultEnv;
class CVaultFeedback;

// Deletes the tree below strFolder, depth first, and then the folder
// itself. Links are removed themselves, never followed. With pFeedback,
// each file's path is shown before it goes and the position (of the
// entries counted at the start) after; once IsCancelled holds, no further
// entry is touched and the folders above it stay. True when the folder
// could be listed.
bool DeleteFolderTree(const std::string& strFolder, CVaultEnv* pEnv,
                      CVaultFeedback* pFeedback = nullptr);

// The data of a delete run.
struct DeleteJob {
    std::string strFolder;           // the folder to delete, with all it holds
    CVaultEnv* pEnv = nullptr;       // the file system; never null once the run starts
    std::size_t nMaxLeft = 0;        // at most this many leftovers are named
    std::vector<std::string> vLeft;  // what is still there after the run (FindLeftovers)
    std::size_t nMoreLeft = 0;       // leftovers beyond nMaxLeft
};

// Worker of a delete run: DeleteFolderTree with the run's feedback, then
// the leftovers are listed, after a cancel too. RUN_CANCELLED when a cancel
// stopped it before everything was deleted; what could not be deleted is
// in vLeft either way.
RunOutcome DeleteWorker(CVaultFeedback& feedback, DeleteJob& job);

}  // namespace quovex
