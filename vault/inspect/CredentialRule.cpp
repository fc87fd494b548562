#include "CredentialRule.h"

#include <cstdint>

#include "ChunkIo.h"
#include "FolderWalk.h"
#include "StoredFileHeader.h"
#include "VaultCipher.h"
#include "VaultEnv.h"

namespace quovex {

CredentialJudgement JudgeVaultCredentials(const std::string& strVaultPath,
                                          const CVaultCipher& cipher, CVaultEnv* pEnv) {
    if (!cipher.IsValid()) return {};
    return JudgeStoredFileCredentials(FindFirstStoredFileInBoxes(strVaultPath, pEnv), cipher, pEnv);
}

CredentialJudgement JudgeStoredFileCredentials(const std::string& strFirstStored,
                                               const CVaultCipher& cipher, CVaultEnv* pEnv) {
    CredentialJudgement judgement;
    judgement.strStoredFile = strFirstStored;
    if (!cipher.IsValid()) return judgement;
    if (strFirstStored.empty()) {
        judgement.nVerdict = CredentialVerdict::CREDENTIALS_ACCEPTED;
        return judgement;
    }
    // The whole header must be there: a file cut short is damaged, whatever
    // its first bytes say.
    unsigned char header[SFF_HEADER_SIZE];
    StoredFileHeader fields;
    const auto pFile = pEnv->OpenForRead(strFirstStored);
    const std::int64_t nRead = pFile ? ReadFull(*pFile, header, SFF_HEADER_SIZE) : -1;
    if (nRead < 0) {
        judgement.nVerdict = CredentialVerdict::CREDENTIALS_UNDECIDED;
        judgement.cause = CauseOfLastError();
    } else if (nRead != SFF_HEADER_SIZE || !DecodeHeader(header, &fields)) {
        judgement.nVerdict = CredentialVerdict::CREDENTIALS_UNDECIDED;
        judgement.cause = {FailReason::FAIL_DAMAGED};
    } else if (fields.nChecksum != 0 && fields.nChecksum == cipher.Checksum()) {
        // A recorded 0 rejects even a context whose own checksum is 0, that
        // of two empty texts.
        judgement.nVerdict = CredentialVerdict::CREDENTIALS_ACCEPTED;
    }
    return judgement;
}

bool VaultAcceptsCredentials(const std::string& strVaultPath, const CVaultCipher& cipher,
                             CVaultEnv* pEnv) {
    return JudgeVaultCredentials(strVaultPath, cipher, pEnv).nVerdict ==
           CredentialVerdict::CREDENTIALS_ACCEPTED;
}

bool StoredFileAcceptsCredentials(const std::string& strFirstStored, const CVaultCipher& cipher,
                                  CVaultEnv* pEnv) {
    return JudgeStoredFileCredentials(strFirstStored, cipher, pEnv).nVerdict ==
           CredentialVerdict::CREDENTIALS_ACCEPTED;
}

}  // namespace quovex
