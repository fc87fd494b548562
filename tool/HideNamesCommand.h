// quovex-tool convert on a protected vault with visible names: its names
// hidden, then its key record made to say so. What the user must hear goes
// to standard error, the new recovery key to standard output. Main thread.
#pragma once

#include <string>

#include "ToolOptions.h"

namespace quovex {

class CVaultKey;

// Hides the names of the protected vault at strVault, which *pKey opened
// with pOptions->strPassword and which holds no scrambled file: every name
// below the box folders sealed (HideNamesWorker), with the progress on the
// terminal and a report as convert gives; once every name is hidden, the
// key record says so under the same password (HideVaultNames) and its new
// recovery key is printed once. Stopped early or with files that could not
// be hidden, the record stays as it was and a second run finishes. Where
// this build does not open vaults with hidden names, nothing changes. The
// secrets of *pOptions are wiped before the run (the password is kept in
// locked memory until the record is written). Returns the exit status.
int RunHideNames(ToolOptions* pOptions, const std::string& strVault, CVaultKey* pKey);

}  // namespace quovex
