#include "CredentialCheck.h"

#include <cstdint>

#include "StoredFileFormat.h"
#include "TextCodec.h"
#include "VaultCipher.h"
#include "VaultFolders.h"

namespace quovex {

bool CheckCredentials(const std::string& strVaultPath, const std::string& strUser,
                      const std::string& strPassword, CVaultEnv* pEnv) {
    std::string strUserBytes;
    std::string strPasswordBytes;
    if (!Utf8ToGb18030(strUser, &strUserBytes) || !Utf8ToGb18030(strPassword, &strPasswordBytes)) {
        return false;
    }
    const std::string strFirst = FindFirstStoredFile(strVaultPath, pEnv);
    if (strFirst.empty()) return true;
    const std::uint32_t nChecksum =
        CredentialChecksum(strUserBytes.c_str(), strPasswordBytes.c_str());
    // 0 (unreadable) and -1 (damaged) never equal a checksum of two texts
    // of at least 4 non-zero bytes, so they reject.
    return ReadHeaderChecksum(strFirst, pEnv) == static_cast<std::int64_t>(nChecksum);
}

}  // namespace quovex
