// quovex-tool convert: makes a scrambled vault a protected one, and a
// protected one with visible names one with hidden names. What the
// user must hear goes to standard error, the new recovery key to standard
// output. Main thread.
#pragma once

#include <string>

#include "ToolOptions.h"

namespace quovex {

// Protects the vault at the absolute path strVault with the credentials of
// *pOptions: the credential rule must let them into the scrambled vault, a
// key record is written for the user name and a new password (read as
// passwd reads it, and not the old one, which every scrambled file gives
// away), its recovery key printed once, then every scrambled stored file is
// rewritten as a protected one, with the progress on the terminal and a
// report as store and restore give. A vault that is protected already (a
// conversion stopped early) is opened by its record and the files left are
// converted: with a new password first where the password in force still
// opens them, with their own password (--old-password-file, or asked) where
// it does not. A protected vault with visible names and no scrambled file
// left has its names hidden instead (RunHideNames), with the password in
// force. The secrets of *pOptions are wiped once the keys are made.
// Returns the exit status: OK only when every stored file is protected now.
int RunConvert(ToolOptions* pOptions, const std::string& strVault);

}  // namespace quovex
