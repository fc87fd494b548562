#include "VaultAccessCommands.h"

#include <cstdio>

#include "KnownVaults.h"
#include "ToolTexts.h"
#include "VaultAccess.h"
#include "VaultKey.h"

namespace quovex {

namespace {

bool IsScrambledAsked(const ToolOptions& options) {
    return options.nFormat == VaultFormat::FORMAT_SCRAMBLED;
}

// Makes a vault at strVault as the options ask, its recovery key printed.
bool MakeVault(const std::string& strVault, const ToolOptions& options, CVaultKey* pKey) {
    const bool bProtected = !IsScrambledAsked(options);
    CSecretBytes recoveryText;
    const AccessOutcome made = CreateVault(strVault, options.strPassword, bProtected,
                                           options.limits, pKey, nullptr, &recoveryText);
    if (ToldRefusal(made)) return false;
    if (bProtected) PrintRecoveryKey(strVault, recoveryText);
    return true;
}

}  // namespace

bool ToldRefusal(const AccessOutcome& outcome) {
    if (outcome.Opened()) return false;
    std::fprintf(stderr, "quovex-tool: %s\n", AccessRefusalText(outcome).c_str());
    return true;
}

// Shown once, on standard output, so that it can be captured apart from
// the progress and the reports.
void PrintRecoveryKey(const std::string& strVault, const CSecretBytes& recoveryText) {
    std::printf("Recovery key of the protected vault %s:\n\n    ", strVault.c_str());
    std::fwrite(recoveryText.Data(), 1, recoveryText.Size(), stdout);
    std::printf(
        "\n\nWrite it down now and keep it away from this computer. It is shown only this\n"
        "once. With it (quovex-tool passwd --recovery-key) the vault can be given a new\n"
        "password when this one is forgotten; without both, the files are lost.\n");
    std::fflush(stdout);
}

bool OpenToolVault(const std::string& strVault, const std::string& strPassword, CVaultKey* pKey) {
    const AccessOutcome outcome = OpenVaultKey(strVault, strPassword, pKey);
    if (ToldRefusal(outcome)) return false;
    if (!outcome.strForeignRecord.empty())
        std::fprintf(stderr, "quovex-tool: warning: %s\n",
                     ForeignRecordText(outcome.strForeignRecord).c_str());
    return true;
}

bool MakesNewVault(const ToolOptions& options, const std::string& strVault) {
    if (options.nCommand == ToolCommand::TOOL_INIT) return true;
    return options.nCommand == ToolCommand::TOOL_STORE && !IsScrambledAsked(options) &&
           KindOfVault(strVault) == VaultKind::VAULT_NONE;
}

bool PrepareStoreVault(const std::string& strVault, const ToolOptions& options, CVaultKey* pKey) {
    const VaultKind nKind = KindOfVault(strVault);
    // A scrambled vault is made by its first stored file, as it always was.
    if (nKind == VaultKind::VAULT_NONE)
        return IsScrambledAsked(options) ? OpenToolVault(strVault, options.strPassword, pKey)
                                         : MakeVault(strVault, options, pKey);
    const bool bProtected = nKind == VaultKind::VAULT_PROTECTED;
    if (options.nFormat != VaultFormat::FORMAT_DEFAULT && bProtected == IsScrambledAsked(options)) {
        std::fprintf(stderr,
                     "quovex-tool: %s is a %s vault already; --format applies to new ones\n",
                     strVault.c_str(), bProtected ? "protected" : "scrambled");
        return false;
    }
    return OpenToolVault(strVault, options.strPassword, pKey);
}

int RunInit(const ToolOptions& options, const std::string& strVault) {
    // Asked for by name: the lost vault's files stay where they are, and
    // open again only with its own key record put back.
    if (options.bReplaceLostVault && !ForgetProtected(strVault)) {
        std::fprintf(stderr, "quovex-tool: cannot write %s\n", KnownVaultsPath().c_str());
        return TOOL_EXIT_FAILED;
    }
    CVaultKey key(options.strUser, options.strPassword);
    if (!MakeVault(strVault, options, &key)) return TOOL_EXIT_FAILED;
    std::fprintf(stderr, "quovex-tool: made a %s vault at %s\n",
                 IsScrambledAsked(options) ? "scrambled" : "protected", strVault.c_str());
    return TOOL_EXIT_OK;
}

int RunPasswd(const ToolOptions& options, const std::string& strVault,
              const std::string& strRecoveryKey) {
    AccessOutcome outcome;
    if (options.bRecoveryKey) {
        CVaultKey key(options.strUser, options.strNewPassword);
        outcome =
            RecoverVault(strVault, strRecoveryKey, options.strNewPassword, options.limits, &key);
    } else {
        outcome = ChangeVaultPassword(strVault, options.strUser, options.strPassword,
                                      options.strNewPassword, options.limits);
    }
    if (outcome.nResult == AccessResult::ACCESS_NOT_PROTECTED) outcome.strPath = strVault;
    if (ToldRefusal(outcome)) return TOOL_EXIT_FAILED;
    std::fprintf(stderr, "quovex-tool: the vault at %s opens with the new password now\n",
                 strVault.c_str());
    return TOOL_EXIT_OK;
}

}  // namespace quovex
