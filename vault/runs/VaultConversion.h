// Converting a scrambled vault into a protected one: every scrambled
// stored file in the boxes is rewritten in the protected format. Each new
// file is flushed and read back (every chunk authenticated, the content
// compared with the scrambled file's) before it takes the old one's place,
// so a cancel, a crash or a kill leaves every file readable in one of the
// two formats, and a second run finishes the work. Runs on the worker
// thread; the user is reached only through CVaultFeedback.
#pragma once

#include <cstdint>
#include <string>

#include "RunContext.h"
#include "RunOutcome.h"

namespace quovex {

class CVaultEnv;
class CVaultKey;

// The data of a conversion run. pKey must be a protected vault's key that
// also scrambles (the vault's master key and the credentials its
// scrambled files were stored with).
struct ConvertJob {
    std::string strVaultPath;  // the vault location
    const CVaultKey* pKey = nullptr;
    CVaultEnv* pEnv = nullptr;            // the file system; never null once the run starts
    TransferReport report;                // nFilesDone counts the files converted
    std::uint64_t nAlreadyProtected = 0;  // protected files met, left as they were
};

// Worker of a conversion run: converts every scrambled stored file below
// the box folders of job.strVaultPath, reporting those that fail (a
// damaged one stays as it is, and is reported as damaged). RUN_STOPPED
// when the vault cannot be opened, the key cannot convert, or memory ran
// out.
RunOutcome ConvertWorker(CVaultFeedback& feedback, ConvertJob& job);

}  // namespace quovex
