// The rule by which credentials open a vault. The vault keeps no user list:
// the credential checksum of a context must equal the one recorded in the
// first stored file found in the vault, and a vault without stored files
// accepts anyone. The login and quovex-tool both decide by it, so that no
// vault ends up holding the files of two users. Reads only; any thread.
#pragma once

#include <string>

namespace quovex {

class CVaultCipher;

// The rule applied to the vault location strVaultPath: its first stored
// file, depth first in listing order, decides (a missing or unreadable
// location has none). Works through cipher.Env().
bool VaultAcceptsCredentials(const std::string& strVaultPath, const CVaultCipher& cipher);

// The rule applied to a given first stored file, "" for none. A context
// whose credentials were refused is rejected whatever the vault holds; a
// stored file that cannot be opened or is damaged rejects every context.
bool StoredFileAcceptsCredentials(const std::string& strFirstStored, const CVaultCipher& cipher);

}  // namespace quovex
