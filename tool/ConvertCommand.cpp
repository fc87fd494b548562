#include "ConvertCommand.h"

#include <cstdio>

#include "Boxes.h"
#include "CredentialRule.h"
#include "HideNamesCommand.h"
#include "SecretOptions.h"
#include "TerminalFeedback.h"
#include "ToolTexts.h"
#include "VaultAccess.h"
#include "VaultAccessCommands.h"
#include "VaultConversion.h"
#include "VaultKey.h"

namespace quovex {

namespace {

// The result of the steps before the rewriting: go on, go on to hide the
// names (a protected vault with visible names and no scrambled file), or
// the exit status.
constexpr int CONVERT_GO_ON = -1;
constexpr int CONVERT_HIDE_NAMES = -2;

// A scrambled vault gets a key record under a new password (its recovery
// key printed): the old one is given away by every scrambled file.
int Protect(const std::string& strVault, ToolOptions* pOptions, CVaultKey* pKey) {
    // The password in force is checked before a new one is asked for.
    const CredentialJudgement judged =
        JudgeVaultCredentials(strVault, pKey->Cipher(), pOptions->pEnv);
    if (judged.nVerdict != CredentialVerdict::CREDENTIALS_ACCEPTED) {
        std::fprintf(stderr, "quovex-tool: %s\n", CredentialRefusalText(judged).c_str());
        return TOOL_EXIT_FAILED;
    }
    std::string strError;
    if (!ObtainNewPassword(pOptions, &strError)) {
        std::fprintf(stderr, "quovex-tool: %s\n", strError.c_str());
        return TOOL_EXIT_USAGE;
    }
    CSecretBytes recoveryText;
    const AccessOutcome outcome = ProtectVault(strVault, pOptions->strNewPassword, pOptions->limits,
                                               pKey, nullptr, &recoveryText, pOptions->pEnv);
    if (ToldRefusal(outcome)) return TOOL_EXIT_FAILED;
    PrintRecoveryKey(strVault, recoveryText);
    std::fprintf(stderr, "quovex-tool: %s opens with the new password from now on\n",
                 strVault.c_str());
    return CONVERT_GO_ON;
}

// A protected vault whose conversion stopped early: its record opens with
// the password, and the scrambled files left need their own scramble key.
// Where that password still opens them (an earlier version converted under
// the old password), the record takes a new one first; where they were
// stored under another, it is asked for.
int Resume(const std::string& strVault, ToolOptions* pOptions, CVaultKey* pKey) {
    if (!OpenToolVault(strVault, pOptions->strPassword, pKey, pOptions->pEnv))
        return TOOL_EXIT_FAILED;
    std::fprintf(stderr, "quovex-tool: %s is protected already; converting what is left\n",
                 strVault.c_str());
    const ScrambledFilesLeft left = FindScrambledFilesLeft(strVault, *pKey, pOptions->pEnv);
    if (left.strFirst.empty()) return pKey->NamesHidden() ? CONVERT_GO_ON : CONVERT_HIDE_NAMES;
    std::string strError;
    AccessOutcome outcome;
    if (left.bOpen) {
        if (!ObtainNewPassword(pOptions, &strError)) {
            std::fprintf(stderr, "quovex-tool: %s\n", strError.c_str());
            return TOOL_EXIT_USAGE;
        }
        outcome = ChangeVaultPassword(strVault, pOptions->strUser, pOptions->strPassword,
                                      pOptions->strNewPassword, pOptions->limits, pOptions->pEnv,
                                      nullptr, true);
    } else {
        if (!ObtainOldPassword(pOptions, &strError)) {
            std::fprintf(stderr, "quovex-tool: %s\n", strError.c_str());
            return TOOL_EXIT_USAGE;
        }
        outcome = AdmitScrambledFiles(strVault, pOptions->strOldPassword, pKey, pOptions->pEnv);
    }
    if (ToldRefusal(outcome)) return TOOL_EXIT_FAILED;
    if (left.bOpen)
        std::fprintf(stderr, "quovex-tool: %s opens with the new password from now on\n",
                     strVault.c_str());
    return CONVERT_GO_ON;
}

int ReportConversion(const ConvertJob& job, CTerminalFeedback& feedback) {
    const TransferReport& report = job.report;
    feedback.FinishProgress();
    if (report.bCancelled) std::fprintf(stderr, "User cancelled the operation !\n");
    std::fprintf(stderr,
                 "quovex-tool: %llu file(s) converted, %llu protected already, %zu failed%s\n",
                 static_cast<unsigned long long>(report.nFilesDone),
                 static_cast<unsigned long long>(job.nAlreadyProtected), report.vFailed.size(),
                 report.vFailed.empty() ? "" : " (left as they were):");
    PrintReportItems(report);
    const bool bAllThrough =
        report.vFailed.empty() && report.vPassedOver.empty() && !report.bCancelled;
    if (!bAllThrough)
        std::fprintf(stderr, "quovex-tool: run convert again to convert the files left\n");
    return bAllThrough ? TOOL_EXIT_OK : TOOL_EXIT_FAILED;
}

}  // namespace

int RunConvert(ToolOptions* pOptions, const std::string& strVault) {
    // A record is written only where a vault is: a mistyped path gets none.
    if (FindVaultOf(strVault, pOptions->pEnv) != strVault) {
        std::fprintf(stderr, "quovex-tool: no vault at %s (no box folder there)\n",
                     strVault.c_str());
        return TOOL_EXIT_FAILED;
    }
    CVaultKey key(pOptions->strUser, pOptions->strPassword);
    const int nPrepared = KindOfVault(strVault, pOptions->pEnv) == VaultKind::VAULT_PROTECTED
                              ? Resume(strVault, pOptions, &key)
                              : Protect(strVault, pOptions, &key);
    // The password stays the same: it is needed again for the record.
    if (nPrepared == CONVERT_HIDE_NAMES) return RunHideNames(pOptions, strVault, &key);
    ForgetSecrets(pOptions);
    if (nPrepared != CONVERT_GO_ON) return nPrepared;
    ConvertJob job;
    job.strVaultPath = strVault;
    job.pKey = &key;
    job.pEnv = pOptions->pEnv;
    CTerminalFeedback feedback(false);
    ConvertWorker(feedback, job);
    return ReportConversion(job, feedback);
}

}  // namespace quovex
