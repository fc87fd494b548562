#include "HideNamesCommand.h"

#include <sodium.h>

#include <cstdio>
#include <cstring>

#include "NamesConversion.h"
#include "SecretBytes.h"
#include "SecretOptions.h"
#include "TerminalFeedback.h"
#include "VaultAccess.h"
#include "VaultAccessCommands.h"
#include "VaultKey.h"

namespace quovex {

namespace {

// A copy of strText in locked memory, wiped when it goes.
CSecretBytes SecretCopy(const std::string& strText) {
    CSecretBytes copy(strText.size());
    if (!strText.empty() && !copy.IsEmpty())
        std::memcpy(copy.Data(), strText.data(), strText.size());
    return copy;
}

int ReportHiding(RunOutcome nOutcome, const HideNamesJob& job, CTerminalFeedback& feedback) {
    const TransferReport& report = job.report;
    feedback.FinishProgress();
    if (report.bCancelled) std::fprintf(stderr, "User cancelled the operation !\n");
    std::fprintf(stderr,
                 "quovex-tool: names hidden: %llu file(s), %llu folder(s); %llu hidden already, "
                 "%zu failed%s\n",
                 static_cast<unsigned long long>(report.nFilesDone),
                 static_cast<unsigned long long>(job.nFoldersHidden),
                 static_cast<unsigned long long>(job.nAlreadyHidden), report.vFailed.size(),
                 report.vFailed.empty() ? "" : " (left under their names):");
    PrintReportItems(report);
    for (const AwayItem& away : report.vAway)
        std::fprintf(stderr,
                     "quovex-tool: found away from its place %s: %s, named by where it lies\n",
                     away.strPlace.c_str(), away.strPath.c_str());
    if (job.nScrambledLeft > 0)
        std::fprintf(stderr,
                     "quovex-tool: %llu scrambled file(s) left: run convert for them first\n",
                     static_cast<unsigned long long>(job.nScrambledLeft));
    if (AllNamesHidden(nOutcome, job)) return TOOL_EXIT_OK;
    std::fprintf(stderr,
                 "quovex-tool: the vault's names stay visible until every name is hidden; run "
                 "convert again to hide the rest\n");
    return TOOL_EXIT_FAILED;
}

}  // namespace

int RunHideNames(ToolOptions* pOptions, const std::string& strVault, CVaultKey* pKey) {
    if (!HiddenNamesOpen()) {
        ForgetSecrets(pOptions);
        std::fprintf(stderr,
                     "quovex-tool: %s is protected and holds no scrambled file; this version "
                     "keeps its names visible\n",
                     strVault.c_str());
        return TOOL_EXIT_OK;
    }
    const CSecretBytes password = SecretCopy(pOptions->strPassword);
    const KdfLimits limits = pOptions->limits;
    ForgetSecrets(pOptions);
    if (password.IsEmpty()) {
        std::fprintf(stderr, "quovex-tool: no secret memory for the password\n");
        return TOOL_EXIT_FAILED;
    }
    std::fprintf(stderr, "quovex-tool: hiding the names of %s\n", strVault.c_str());
    HideNamesJob job;
    job.strVaultPath = strVault;
    job.pKey = pKey;
    job.pEnv = pOptions->pEnv;
    CTerminalFeedback feedback(false);
    const RunOutcome nOutcome = HideNamesWorker(feedback, job);
    const int nStatus = ReportHiding(nOutcome, job, feedback);
    if (nStatus != TOOL_EXIT_OK) return nStatus;
    std::string strPassword(reinterpret_cast<const char*>(password.Data()), password.Size());
    CSecretBytes recoveryText;
    const AccessOutcome outcome =
        HideVaultNames(strVault, strPassword, limits, pKey, nullptr, &recoveryText, pOptions->pEnv);
    sodium_memzero(strPassword.data(), strPassword.size());
    if (ToldRefusal(outcome)) return TOOL_EXIT_FAILED;
    PrintRecoveryKey(strVault, recoveryText);
    std::fprintf(stderr,
                 "quovex-tool: the names in %s are hidden; the recovery key above replaces the "
                 "old one, which no longer opens it\n",
                 strVault.c_str());
    return TOOL_EXIT_OK;
}

}  // namespace quovex
