// quovex-tool's side of opening and making vaults (VaultAccess.h): init,
// passwd, the vault a store may write into, and the key that store,
// restore, list and check work with. init is the only command that makes a
// vault. What
// the user must hear goes to standard error, the recovery key of a new
// vault to standard output. Main thread.
#pragma once

#include <string>

#include "ToolOptions.h"

namespace quovex {

class CSecretBytes;
class CVaultEnv;
class CVaultKey;
struct AccessOutcome;

// False when outcome opened (or made) the vault; otherwise tells why on
// standard error and returns true.
bool ToldRefusal(const AccessOutcome& outcome);

// Prints the recovery key of the protected vault at strVault on standard
// output, with the advice to write it down: shown this once.
void PrintRecoveryKey(const std::string& strVault, const CSecretBytes& recoveryText);

// Opens the vault at strVault with pKey's credentials and strPassword
// (OpenVaultKey): a protected vault's master key is set in pKey. False,
// with the reason told, when they do not open it.
bool OpenToolVault(const std::string& strVault, const std::string& strPassword, CVaultKey* pKey,
                   CVaultEnv* pEnv);

// Where store may write: a box folder of an existing vault, or a folder
// below one. strTarget is the box folder operand, absolute, its links
// resolved. An existing vault is one KindOfVault recognises (a key record,
// the scrambled mark, a stored file in its boxes), or a location holding
// all four box folders and nothing of these: an empty scrambled vault as
// the window's older versions made it. A missing box of a recognised
// vault is made again, as the window does at every login; a missing
// folder below a box is made by the store. The vault's location in
// *pVault; false, with the target named as what it is (the vault's
// location, a folder outside any vault, a path that does not exist, not a
// folder) and where to store instead on standard error. Reads only: a
// refusal leaves the disk as it was.
bool FindStoreVault(const std::string& strTarget, std::string* pVault, CVaultEnv* pEnv);

// Opens the vault FindStoreVault found with pKey's credentials and
// strPassword: a protected vault's master key is set in pKey; an empty
// location without a record stores scrambled files, as it always did, and
// says so. False, with the reason told, when the credentials do not open it.
bool OpenStoreVault(const std::string& strVault, const std::string& strPassword, CVaultKey* pKey,
                    CVaultEnv* pEnv);

// init: makes the vault at the absolute path strVault. Returns the exit status.
int RunInit(const ToolOptions& options, const std::string& strVault);

// passwd: seals the protected vault at strVault under options.strNewPassword,
// opened with options.strPassword or, with bRecoveryKey, with strRecoveryKey.
// Returns the exit status.
int RunPasswd(const ToolOptions& options, const std::string& strVault,
              const std::string& strRecoveryKey);

}  // namespace quovex
