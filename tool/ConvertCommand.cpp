#include "ConvertCommand.h"

#include <cstdio>

#include "TerminalFeedback.h"
#include "ToolTexts.h"
#include "VaultAccess.h"
#include "VaultAccessCommands.h"
#include "VaultConversion.h"
#include "VaultFolders.h"
#include "VaultKey.h"

namespace quovex {

namespace {

// Gives pKey the master key of the vault: a new record for a scrambled
// vault, the existing one for a vault whose conversion stopped early.
bool ProtectOrOpen(const std::string& strVault, const ToolOptions& options, CVaultKey* pKey) {
    if (KindOfVault(strVault) == VaultKind::VAULT_PROTECTED) {
        if (!OpenToolVault(strVault, options.strPassword, pKey)) return false;
        std::fprintf(stderr, "quovex-tool: %s is protected already; converting what is left\n",
                     strVault.c_str());
        return true;
    }
    CSecretBytes recoveryText;
    const AccessOutcome outcome =
        ProtectVault(strVault, options.strPassword, options.limits, pKey, nullptr, &recoveryText);
    if (ToldRefusal(outcome)) return false;
    PrintRecoveryKey(strVault, recoveryText);
    return true;
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

int RunConvert(const ToolOptions& options, const std::string& strVault) {
    // A record is written only where a vault is: a mistyped path gets none.
    if (FindVaultOf(strVault) != strVault) {
        std::fprintf(stderr, "quovex-tool: no vault at %s (no box folder there)\n",
                     strVault.c_str());
        return TOOL_EXIT_FAILED;
    }
    CVaultKey key(options.strUser, options.strPassword);
    if (!ProtectOrOpen(strVault, options, &key)) return TOOL_EXIT_FAILED;
    ConvertJob job;
    job.strVaultPath = strVault;
    job.pKey = &key;
    CTerminalFeedback feedback(false);
    ConvertWorker(feedback, job);
    return ReportConversion(job, feedback);
}

}  // namespace quovex
