// Storing an edited copy of a stored file back over it: the plain copy the
// user opened and changed replaces the stored file it was restored from,
// which keeps the place it records and its summary. Runs on the worker
// thread under the progress dialog; the user is reached only through
// CVaultFeedback.
#pragma once

#include <string>

#include "RunContext.h"
#include "RunOutcome.h"

namespace quovex {

class CFileStore;
class CVaultFeedback;

// The data of a store-back run.
struct StoreBackJob {
    std::string strCopy;                 // the plain copy
    std::string strStored;               // the stored file it replaces (ending in ".$")
    const CFileStore* pFiles = nullptr;  // the open vault's store (its key and env)
    TransferReport report;               // nFilesDone is 1 once the copy is stored
};

// Worker of a store-back run: stores job.strCopy over job.strStored in the
// format the vault's key writes, without the question a replacement asks
// (the user asked for this one). The new stored file records the source
// path the old one recorded (the copy's own path when it recorded none a
// store writes) and is given its summary again; then the vault's volume
// is flushed, so that the copy may be deleted. As with every store, the old
// stored file stays as it was unless its replacement is complete; a copy
// that did not go through is in the report. Never throws.
RunOutcome StoreBackWorker(CVaultFeedback& feedback, StoreBackJob& job);

}  // namespace quovex
