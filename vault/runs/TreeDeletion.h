// Deleting a folder tree one entry at a time, so that a run can show each
// file as it goes, move the bar and stop between two files; and the worker
// procedure that does it under the progress dialog. Never throws. Any
// thread (the worker thread under the progress dialog).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace quovex {

class CVaultEnv;
class CVaultFeedback;

// Deletes the tree below strFolder, depth first, and then the folder
// itself. Links are removed themselves, never followed. With pFeedback,
// each file's path is shown before it goes and the position (of the
// entries counted at the start) after; once IsCancelled holds, no further
// entry is touched and the folders above it stay. 1 when the folder could
// be listed, else 0.
int DeleteFolderTree(const std::string& strFolder, CVaultEnv* pEnv = nullptr,
                     CVaultFeedback* pFeedback = nullptr);

// The data of a delete run.
struct DeleteJob {
    std::string strFolder;           // the folder to delete, with all it holds
    CVaultEnv* pEnv = nullptr;       // null: the real file system
    std::size_t nMaxLeft = 0;        // at most this many leftovers are named
    std::vector<std::string> vLeft;  // what is still there after the run (FindLeftovers)
    std::size_t nMoreLeft = 0;       // leftovers beyond nMaxLeft
};

// Worker of a delete run: DeleteFolderTree with the
// run's feedback, then the leftovers are listed, after a cancel too. 0 when
// a cancel stopped it before everything was deleted, else 1.
int DeleteWorker(CVaultFeedback& feedback, DeleteJob& job);

}  // namespace quovex
