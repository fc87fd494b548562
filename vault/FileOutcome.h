// What one store or restore of a single file ended in, beyond its 1 or 0,
// so that a run can tell the user why a file did not go through.
#pragma once

#include "VaultEnv.h"

namespace quovex {

enum class FileOutcome {
    FILE_DONE,       // stored or restored completely
    FILE_FAILED,     // could not be opened, read or written, or damaged
    FILE_DECLINED,   // an existing file was kept, as the user answered
    FILE_CANCELLED,  // the user stopped the run
    FILE_CHANGED,    // the source changed while it was stored
    FILE_BAD_PATH,   // the recorded source path is not one that storing writes
    FILE_IN_VAULT,   // the restore would have written into the vault
};

// The result of one store: its outcome and, once done, the source as it
// was stored, so that the caller deletes it only while it is still that file.
struct StoreResult {
    FileOutcome nOutcome = FileOutcome::FILE_FAILED;
    FileStamp source;
};

}  // namespace quovex
