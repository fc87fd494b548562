#include "CredentialCheck.h"

#include "CredentialRule.h"
#include "VaultCipher.h"

namespace quovex {

bool CheckCredentials(const std::string& strVaultPath, const std::string& strUser,
                      const std::string& strPassword, CVaultEnv* pEnv) {
    return VaultAcceptsCredentials(strVaultPath, CVaultCipher(strUser, strPassword, pEnv));
}

}  // namespace quovex
