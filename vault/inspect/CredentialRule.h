// The rule by which credentials open a vault. The vault keeps no user list:
// the credential checksum of a context must equal the one recorded in the
// first stored file found in the vault, and a vault without stored files
// accepts anyone. The login and quovex-tool both decide by it, so that no
// vault ends up holding the files of two users. Reads only; any thread.
#pragma once

#include <string>

#include "FailReason.h"

namespace quovex {

class CVaultCipher;
class CVaultEnv;

enum class CredentialVerdict {
    CREDENTIALS_ACCEPTED,
    CREDENTIALS_REJECTED,  // other credentials, or ones the cipher refused
    // The first stored file cannot decide: it is damaged (cut short, as
    // after a power loss, or without the signature) or cannot be read.
    // The vault stays closed, but not for wrong credentials.
    CREDENTIALS_UNDECIDED,
};

// What the rule found, for the caller to tell the user.
struct CredentialJudgement {
    CredentialVerdict nVerdict = CredentialVerdict::CREDENTIALS_REJECTED;
    std::string strStoredFile;  // the first stored file; "" when there is none
    FailCause cause;            // when undecided: FAIL_DAMAGED, or why it could not be read
};

// The rule applied to the vault location strVaultPath: the first stored
// file of its box folders, depth first in listing order, decides (a missing
// or unreadable location has none; files of the location outside the boxes
// are not the vault's). pEnv: the file system.
CredentialJudgement JudgeVaultCredentials(const std::string& strVaultPath,
                                          const CVaultCipher& cipher, CVaultEnv* pEnv);
// The rule applied to a given first stored file, "" for none. A context
// whose credentials were refused is rejected whatever the vault holds.
CredentialJudgement JudgeStoredFileCredentials(const std::string& strFirstStored,
                                               const CVaultCipher& cipher, CVaultEnv* pEnv);

// True when the judgements above accept.
bool VaultAcceptsCredentials(const std::string& strVaultPath, const CVaultCipher& cipher,
                             CVaultEnv* pEnv);
bool StoredFileAcceptsCredentials(const std::string& strFirstStored, const CVaultCipher& cipher,
                                  CVaultEnv* pEnv);

}  // namespace quovex
