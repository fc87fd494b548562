// What one store or restore of a single file ended in, beyond its 1 or 0,
// so that a run can tell the user why a file did not go through.
#pragma once

#include "FailReason.h"
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

// An outcome and, for one that counts as failed (FILE_FAILED, FILE_DECLINED,
// FILE_CANCELLED), why. Made from an outcome, the cause follows from it;
// made from a cause, the outcome is FILE_FAILED.
struct FileResult {
    FileOutcome nOutcome = FileOutcome::FILE_FAILED;
    FailCause cause;

    FileResult() = default;
    FileResult(FileOutcome nFrom) : nOutcome(nFrom) {
        if (nFrom == FileOutcome::FILE_DECLINED) cause.nReason = FailReason::FAIL_DECLINED;
        if (nFrom == FileOutcome::FILE_CANCELLED) cause.nReason = FailReason::FAIL_CANCELLED;
    }
    FileResult(FailCause failure) : cause(failure) {}
};

// The result of one store and, once done, the source as it was stored, so
// that the caller deletes it only while it is still that file.
struct StoreResult : FileResult {
    FileStamp source;
};

}  // namespace quovex
