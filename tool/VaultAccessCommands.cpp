#include "VaultAccessCommands.h"

#include <cstdio>

#include "Boxes.h"
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
    const AccessOutcome made =
        CreateVault(strVault, options.strPassword, bProtected, options.limits, pKey, nullptr,
                    &recoveryText, options.pEnv);
    if (ToldRefusal(made)) return false;
    if (bProtected) PrintRecoveryKey(strVault, recoveryText);
    return true;
}

bool HoldsEveryBox(const std::string& strLocation, CVaultEnv* pEnv) {
    for (int nBox = 0; nBox < BOX_COUNT; ++nBox) {
        if (pEnv->GetKind(BoxFolderPath(strLocation, nBox)) != EntryKind::ENTRY_FOLDER)
            return false;
    }
    return true;
}

bool IsExistingVault(const std::string& strLocation, CVaultEnv* pEnv) {
    return KindOfVault(strLocation, pEnv) != VaultKind::VAULT_NONE ||
           HoldsEveryBox(strLocation, pEnv);
}

// Tells why the store writes nothing: what strTarget is, and where to
// store instead.
bool RefuseTarget(const std::string& strTarget, const std::string& strWhat,
                  const std::string& strInstead) {
    std::fprintf(stderr, "quovex-tool: %s %s: store into %s; nothing was stored\n",
                 strTarget.c_str(), strWhat.c_str(), strInstead.c_str());
    return false;
}

std::string BoxesOf(const std::string& strVault) {
    return BoxFolderPath(strVault, BOX_FILE) + " (or ImageBox, VideoBox, OtherBox)";
}

// strTarget names a box folder of strVault, which is no vault.
bool RefuseNoVault(const std::string& strTarget, const std::string& strVault, CVaultEnv* pEnv) {
    const char* pszNone = "no key record, scrambled mark or stored file, nor all four box folders";
    std::string strWhat;
    if (strTarget == strVault) {
        strWhat = std::string("holds no vault (") + pszNone + ")";
    } else if (pEnv->GetKind(strVault) == EntryKind::ENTRY_FOLDER) {
        strWhat = "lies in no vault (" + strVault + " holds " + pszNone + ")";
    } else {
        strWhat = "lies in no vault (" + strVault + " does not exist)";
    }
    return RefuseTarget(strTarget, strWhat,
                        BoxesOf(strVault) + " once quovex-tool init " + strVault + " made one");
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

bool OpenToolVault(const std::string& strVault, const std::string& strPassword, CVaultKey* pKey,
                   CVaultEnv* pEnv) {
    const AccessOutcome outcome = OpenVaultKey(strVault, strPassword, pKey, nullptr, pEnv);
    if (ToldRefusal(outcome)) return false;
    if (!outcome.strForeignRecord.empty())
        std::fprintf(stderr, "quovex-tool: warning: %s\n",
                     ForeignRecordText(outcome.strForeignRecord).c_str());
    if (!outcome.strConflictRecord.empty())
        std::fprintf(stderr,
                     "quovex-tool: warning: the password of %s was changed on two machines while "
                     "they were apart; it opened with the other machine's, kept in a sync "
                     "engine's conflict copy (%s). Both open the vault until the next password "
                     "change, after which only the new one does\n",
                     strVault.c_str(), outcome.strConflictRecord.c_str());
    else if (outcome.bOlderRecord)
        std::fprintf(stderr,
                     "quovex-tool: warning: the password of %s was changed (on another machine, "
                     "say); it opened with the old one this time. Use the new password: once it "
                     "has opened the vault, the old one no longer does\n",
                     strVault.c_str());
    return true;
}

bool FindStoreVault(const std::string& strTarget, std::string* pVault, CVaultEnv* pEnv) {
    constexpr char ANY_BOX[] =
        "a box folder of a vault, such as VAULT/FileBox "
        "(quovex-tool init VAULT makes one)";
    const EntryKind nKind = pEnv->GetKind(strTarget);
    const bool bFolder = nKind == EntryKind::ENTRY_FOLDER;
    const std::string strVault = FindVaultOf(strTarget, pEnv);
    if (strVault.empty()) {
        if (nKind == EntryKind::ENTRY_NONE)
            return RefuseTarget(strTarget, "does not exist and lies in no vault", ANY_BOX);
        return RefuseTarget(strTarget,
                            bFolder ? "is a folder outside any vault" : "is not a folder", ANY_BOX);
    }
    // The copy of a vault whose key record has not arrived takes nothing.
    if (RecordAwaited(strVault, pEnv)) {
        std::fprintf(
            stderr, "quovex-tool: %s; nothing was stored\n",
            AccessRefusalText({AccessResult::ACCESS_RECORD_AWAITED, strVault, {}, {}, false, {}})
                .c_str());
        return false;
    }
    if (!IsExistingVault(strVault, pEnv)) return RefuseNoVault(strTarget, strVault, pEnv);
    if (strVault == strTarget)
        return RefuseTarget(strTarget, "is a vault's location, not one of its boxes",
                            BoxesOf(strVault));
    if (nKind != EntryKind::ENTRY_NONE && !bFolder)
        return RefuseTarget(strTarget, "is not a folder", BoxesOf(strVault));
    *pVault = strVault;
    return true;
}

bool OpenStoreVault(const std::string& strVault, const std::string& strPassword, CVaultKey* pKey,
                    CVaultEnv* pEnv) {
    if (KindOfVault(strVault, pEnv) == VaultKind::VAULT_NONE)
        std::fprintf(stderr,
                     "quovex-tool: %s has no key record and its boxes are empty: a scrambled "
                     "vault, as the window's earlier versions made them; its files are "
                     "scrambled, not encrypted (quovex-tool convert makes it a protected "
                     "vault)\n",
                     strVault.c_str());
    return OpenToolVault(strVault, strPassword, pKey, pEnv);
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
        outcome = RecoverVault(strVault, strRecoveryKey, options.strNewPassword, options.limits,
                               &key, options.pEnv);
    } else {
        outcome = ChangeVaultPassword(strVault, options.strUser, options.strPassword,
                                      options.strNewPassword, options.limits, options.pEnv);
    }
    if (outcome.nResult == AccessResult::ACCESS_NOT_PROTECTED) outcome.strPath = strVault;
    if (ToldRefusal(outcome)) return TOOL_EXIT_FAILED;
    std::fprintf(stderr, "quovex-tool: the vault at %s opens with the new password now\n",
                 strVault.c_str());
    return TOOL_EXIT_OK;
}

}  // namespace quovex
