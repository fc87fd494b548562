#include "CredentialRule.h"

#include <cstdint>

#include "StoredFileFormat.h"
#include "VaultCipher.h"
#include "VaultFolders.h"

namespace quovex {

bool VaultAcceptsCredentials(const std::string& strVaultPath, const CVaultCipher& cipher) {
    if (!cipher.IsValid()) return false;
    return StoredFileAcceptsCredentials(FindFirstStoredFile(strVaultPath, cipher.Env()), cipher);
}

bool StoredFileAcceptsCredentials(const std::string& strFirstStored, const CVaultCipher& cipher) {
    if (!cipher.IsValid()) return false;
    if (strFirstStored.empty()) return true;
    // 0 (cannot be opened) and -1 (damaged) reject even a context whose own
    // checksum is 0, that of two empty texts.
    const std::int64_t nRecorded = ReadHeaderChecksum(strFirstStored, cipher.Env());
    return nRecorded > 0 && nRecorded == static_cast<std::int64_t>(cipher.Checksum());
}

}  // namespace quovex
