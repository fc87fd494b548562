#include "SecretOptions.h"

#include <sodium.h>
#include <unistd.h>

#include <cstdio>

#include "PasswordInput.h"
#include "PasswordStrength.h"
#include "VaultAccess.h"

namespace quovex {

namespace {

void WipeText(std::string* pText) {
    if (!pText->empty()) sodium_memzero(pText->data(), pText->size());
    pText->clear();
}

}  // namespace

bool ReadSecret(PasswordSource nSource, const std::string& strFile, const std::string& strPrompt,
                bool bTwice, std::string* pSecret, std::string* pError) {
    switch (nSource) {
        case PasswordSource::PASSWORD_ARGUMENT:
            return true;
        case PasswordSource::PASSWORD_FILE:
            return ReadPasswordFile(strFile, pSecret, pError);
        case PasswordSource::PASSWORD_STDIN:
            return ReadFirstLine(STDIN_FILENO, "standard input", pSecret, pError);
        case PasswordSource::PASSWORD_PROMPT:
            break;
    }
    if (!PromptPassword(strPrompt, pSecret, pError)) return false;
    std::string strAgain;
    const bool bAgain = !bTwice || PromptPassword("Type it again: ", &strAgain, pError);
    const bool bSame =
        !bTwice || (strAgain.size() == pSecret->size() &&
                    sodium_memcmp(strAgain.data(), pSecret->data(), strAgain.size()) == 0);
    WipeText(&strAgain);
    if (!bAgain) return false;
    if (!bSame) {
        *pError = "the two passwords typed differ; nothing was changed";
        return false;
    }
    return true;
}

bool CheckProtectedPassword(const char* pszWhat, const std::string& strPassword,
                            const std::string& strUser, std::string* pError) {
    if (!IsLongEnoughForProtection(strPassword)) {
        *pError = std::string(pszWhat) + " of a protected vault needs at least " +
                  std::to_string(PROTECTED_PASSWORD_MIN_CHARS) + " characters";
        return false;
    }
    const PasswordEstimate estimate = EstimatePassword(strPassword, strUser);
    if (estimate.IsWeak())
        std::fprintf(stderr,
                     "quovex-tool: warning: %s is %s: about %.0f bits, found by a guessing "
                     "program long before any random one of its length; several unrelated "
                     "words make one far harder to guess\n",
                     pszWhat,
                     estimate.nLevel == PasswordStrength::PASSWORD_VERY_WEAK ? "very weak" : "weak",
                     estimate.dBits);
    return true;
}

bool ObtainNewPassword(ToolOptions* pOptions, std::string* pError) {
    return ReadSecret(pOptions->nNewPasswordSource, pOptions->strNewPasswordFile,
                      "New password for " + pOptions->strUser + ": ", true,
                      &pOptions->strNewPassword, pError) &&
           CheckCredentialText("new password", pOptions->strNewPassword, pError) &&
           CheckProtectedPassword("the new password", pOptions->strNewPassword, pOptions->strUser,
                                  pError);
}

bool ObtainOldPassword(ToolOptions* pOptions, std::string* pError) {
    const PasswordSource nSource = pOptions->strOldPasswordFile.empty()
                                       ? PasswordSource::PASSWORD_PROMPT
                                       : PasswordSource::PASSWORD_FILE;
    return ReadSecret(nSource, pOptions->strOldPasswordFile,
                      "Password the unconverted files were stored with: ", false,
                      &pOptions->strOldPassword, pError) &&
           CheckCredentialText("old password", pOptions->strOldPassword, pError);
}

void ForgetSecrets(ToolOptions* pOptions) {
    WipeText(&pOptions->strPassword);
    WipeText(&pOptions->strNewPassword);
    WipeText(&pOptions->strOldPassword);
}

}  // namespace quovex
