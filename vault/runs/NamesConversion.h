// Hiding the names of a protected vault with visible names: every folder
// and stored file name below the box folders takes its sealed form
// (VaultNames.h), folder by folder, depth first. A stored file first
// records its plain place in its sealed metadata, flushed, and only then
// takes a new sealed name; a folder takes its sealed name (with its name
// record first, when its name is long) after everything in it. So a
// cancel, a crash or a kill at any moment leaves every stored file
// readable and restorable under its own name: one still under its plain
// name is what it was, one under a sealed name records the place that
// names it. A second run recognises the names sealed already and finishes
// the work. Only once a run hid every name may the key record say so
// (account/VaultAccess.h, HideVaultNames). Runs on the worker thread; the
// user is reached only through CVaultFeedback.
#pragma once

#include <cstdint>
#include <string>

#include "RunContext.h"
#include "RunOutcome.h"

namespace quovex {

class CVaultEnv;
class CVaultKey;

// The data of a run that hides a vault's names. pKey must be the
// protected vault's key (its master key held); whether it says the names
// are hidden does not matter, the run seals them either way.
struct HideNamesJob {
    std::string strVaultPath;  // the vault location
    const CVaultKey* pKey = nullptr;
    CVaultEnv* pEnv = nullptr;  // the file system; never null once the run starts
    // nFilesDone counts the stored files given a sealed name; vAway those
    // found away from the place they recorded, which record where they lie
    // from now on (their sealed name is made from that place).
    TransferReport report;
    std::uint64_t nFoldersHidden = 0;   // folders given a sealed name
    std::uint64_t nAlreadyHidden = 0;   // files and folders met under sealed names
    std::uint64_t nPlacesWritten = 0;   // files whose place was written into a slot in place
    std::uint64_t nFilesRewritten = 0;  // files written anew to record their place
    std::uint64_t nScrambledLeft = 0;   // scrambled stored files met, left as they are
};

// Worker of the run: hides the names below the box folders of
// job.strVaultPath, reporting every file or folder that keeps its plain
// name and why (a damaged stored file, a name that is no UTF-8 text, a
// sealed name taken by something else: FailCause codes). Dot-names,
// links, anything that is neither a folder nor a regular file, and files
// whose names do not end in ".$" are left as they are; scrambled stored
// files too (counted: the scrambled conversion is theirs). RUN_STOPPED
// when the vault cannot be opened, the key holds no master key, or memory
// ran out.
RunOutcome HideNamesWorker(CVaultFeedback& feedback, HideNamesJob& job);

// Whether the run hid every name: it finished, and nothing failed, was
// passed over or was left scrambled. Only then may the key record say the
// names are hidden: a plain name left would be passed over by every face
// from then on.
bool AllNamesHidden(RunOutcome nOutcome, const HideNamesJob& job);

}  // namespace quovex
