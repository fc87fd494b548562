// The login check: the typed credentials open a vault by the core's
// credential rule (CredentialRule.h), the one quovex-tool applies too.
#pragma once

#include <string>

#include "CredentialRule.h"

namespace quovex {

class CVaultEnv;

// strVaultPath, strUser and strPassword are UTF-8. The checksum is taken
// over the GB18030 bytes of user name and password; credentials that the
// cipher refuses (CVaultCipher::EncodeCredential) are rejected. A vault
// without a stored file accepts; a first stored file that is damaged or
// cannot be read leaves it undecided, which opens it to nobody. Reads
// only; any thread.
CredentialJudgement JudgeCredentials(const std::string& strVaultPath, const std::string& strUser,
                                     const std::string& strPassword, CVaultEnv* pEnv);
// True when JudgeCredentials accepts.
bool CheckCredentials(const std::string& strVaultPath, const std::string& strUser,
                      const std::string& strPassword, CVaultEnv* pEnv);

}  // namespace quovex
