// What one store or restore run carries through every file it handles:
// where the user is reached, how far the run has got, and the report of
// what did not go through. One run, one thread: the worker's.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "FailReason.h"

namespace quovex {

class CVaultFeedback;

// Why an item was passed over, refused or kept.
enum class PassReason {
    PASS_IS_VAULT,           // the location, a box or record dropped; a box or record met below
    PASS_IN_VAULT,           // a dropped item that lies inside a box folder
    PASS_SOURCE_CHANGED,     // the source changed while or after it was stored: kept
    PASS_BAD_RECORDED_PATH,  // a stored file whose recorded path a restore refuses
    PASS_TARGET_IN_VAULT,    // a stored file whose target lies in a box folder or is a record
    // An older version of a name that several stored files of one folder go
    // by (stored on two machines apart, a sync engine's conflict copy): a
    // folder's restore takes the newest under the name and passes over the
    // others, which are restored one by one or resolved.
    PASS_OLDER_VERSION,
};

struct PassedOverItem {
    std::string strPath;
    PassReason nReason;
};

// A file (or a folder that could not be listed) that did not go through.
struct FailedItem {
    std::string strPath;
    FailCause cause;

    bool operator==(const FailedItem&) const = default;
};

// A stored file that lies away from the place it was stored at (moved,
// renamed or swapped by hand): restored under the name its sealed place
// gives, and reported so.
struct AwayItem {
    std::string strPath;   // where it lies on disk
    std::string strPlace;  // the plain place in the vault it was stored at
};

// What a run did, for the caller to tell the user. Each item that did not
// go through is in one of the two lists: refused or kept for a reason of
// its own (PassReason), else failed, declined or cancelled (FailCause).
struct TransferReport {
    std::uint64_t nFilesDone = 0;             // files stored or restored completely
    std::vector<FailedItem> vFailed;          // what did not go through, and why
    std::vector<PassedOverItem> vPassedOver;  // what was refused or kept, and why
    std::vector<AwayItem> vAway;              // restored, but found away from their place
    bool bNoSpace = false;                    // stopped by the free-space test
    bool bCancelled = false;                  // stopped early by a cancel
};

// The run a file belongs to. nDone counts the plain bytes handled so far
// against nTotal, for the progress position; pFeedback and pReport may be
// null (no one to ask, nothing to report).
struct RunContext {
    CVaultFeedback* pFeedback = nullptr;
    std::uint64_t nDone = 0;
    std::uint64_t nTotal = 0;
    TransferReport* pReport = nullptr;
};

}  // namespace quovex
