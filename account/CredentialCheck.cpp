#include "CredentialCheck.h"

#include "VaultCipher.h"

namespace quovex {

CredentialJudgement JudgeCredentials(const std::string& strVaultPath, const std::string& strUser,
                                     const std::string& strPassword, CVaultEnv* pEnv) {
    return JudgeVaultCredentials(strVaultPath, CVaultCipher(strUser, strPassword), pEnv);
}

bool CheckCredentials(const std::string& strVaultPath, const std::string& strUser,
                      const std::string& strPassword, CVaultEnv* pEnv) {
    return JudgeCredentials(strVaultPath, strUser, strPassword, pEnv).nVerdict ==
           CredentialVerdict::CREDENTIALS_ACCEPTED;
}

}  // namespace quovex
