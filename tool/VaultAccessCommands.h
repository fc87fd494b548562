// quovex-tool's side of opening and making vaults (VaultAccess.h): init,
// passwd, and the key that store, restore, list and check work with. What
// the user must hear goes to standard error, the recovery key of a new
// vault to standard output. Main thread.
#pragma once

#include <string>

#include "ToolOptions.h"

namespace quovex {

class CSecretBytes;
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
bool OpenToolVault(const std::string& strVault, const std::string& strPassword, CVaultKey* pKey);

// Gets the vault at strVault ready for a store: a location without one
// becomes a protected vault (its recovery key printed) unless options ask
// for a scrambled one; an existing vault is opened. False, with the reason
// told, when the vault cannot be made or opened, or --format names the
// other kind than the vault's.
bool PrepareStoreVault(const std::string& strVault, const ToolOptions& options, CVaultKey* pKey);

// True when the command would make a new vault at strVault (init, or a
// store into a location without one), so that a password typed at the
// terminal is asked for twice.
bool MakesNewVault(const ToolOptions& options, const std::string& strVault);

// init: makes the vault at the absolute path strVault. Returns the exit status.
int RunInit(const ToolOptions& options, const std::string& strVault);

// passwd: seals the protected vault at strVault under options.strNewPassword,
// opened with options.strPassword or, with bRecoveryKey, with strRecoveryKey.
// Returns the exit status.
int RunPasswd(const ToolOptions& options, const std::string& strVault,
              const std::string& strRecoveryKey);

}  // namespace quovex
