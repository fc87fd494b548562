// quovex-tool: stores files and folders into a box folder and restores them,
// through the same worker procedures as a drop and the restore commands, and
// lists and checks the stored files of a vault, for users at a terminal,
// benchmarks and scripted checks. Exit statuses: ToolOptions.h.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "CredentialRule.h"
#include "PasswordInput.h"
#include "TerminalFeedback.h"
#include "ToolOptions.h"
#include "ToolTexts.h"
#include "VaultFolders.h"
#include "VaultKey.h"
#include "VaultSurvey.h"
#include "VaultTransfer.h"

#ifndef QUOVEX_VERSION
#error "QUOVEX_VERSION is given by the build (the project's version)"
#endif

namespace quovex {

namespace {

constexpr char MSG_CANCELLED[] = "User cancelled the operation !";

// The absolute, lexically normal form of strPath without a trailing
// separator: the core records it as the source path and takes the last
// component as the stored name.
std::string MakeAbsolute(const std::string& strPath) {
    std::error_code error;
    std::filesystem::path path = std::filesystem::absolute(strPath, error);
    std::string strResult = (error ? std::filesystem::path(strPath) : path).lexically_normal();
    while (strResult.size() > 1 && strResult.back() == '/') strResult.pop_back();
    return strResult;
}

// A link, a device or a missing path would be passed over by the core
// without a word; on a command line the user should hear of it.
bool IsFileOrFolder(const std::string& strPath) {
    std::error_code error;
    const auto status = std::filesystem::symlink_status(strPath, error);
    return !error &&
           (std::filesystem::is_regular_file(status) || std::filesystem::is_directory(status));
}

// strPath with its links resolved, as far as it exists.
std::filesystem::path ResolvePath(const std::string& strPath) {
    std::error_code error;
    std::filesystem::path path = std::filesystem::weakly_canonical(strPath, error);
    return error ? std::filesystem::path(strPath) : path;
}

// The vault that holds strPath (see FindVaultOf), with links resolved
// first, so that a box folder reached through one counts.
std::string FindResolvedVaultOf(const std::string& strPath) {
    return FindVaultOf(ResolvePath(strPath).string());
}

// The login's rule, applied to the vault that receives the box folder; a
// box folder in no vault counts the folder above it as its vault.
CredentialJudgement JudgeStoreCredentials(const CVaultCipher& cipher,
                                          const std::string& strBoxPath) {
    std::string strVault = FindResolvedVaultOf(strBoxPath);
    if (strVault.empty()) strVault = ResolvePath(strBoxPath).parent_path();
    return JudgeVaultCredentials(strVault, cipher);
}

// The login's rule, applied to the vault that holds the stored item. An
// item in no vault (a stored file copied out, say) is the nearest thing to
// one: its own first stored file decides, or for a file the file itself.
CredentialJudgement JudgeRestoreCredentials(const CVaultCipher& cipher,
                                            const std::string& strItem) {
    const std::string strVault = FindResolvedVaultOf(strItem);
    if (!strVault.empty()) return JudgeVaultCredentials(strVault, cipher);
    std::fprintf(stderr, "quovex-tool: %s lies in no vault; its own stored files decide\n",
                 strItem.c_str());
    std::error_code error;
    return std::filesystem::is_directory(strItem, error)
               ? JudgeVaultCredentials(strItem, cipher)
               : JudgeStoredFileCredentials(strItem, cipher);
}

// True, with the reason told, when the judgement keeps the vault closed.
bool Refused(const CredentialJudgement& judgement) {
    if (judgement.nVerdict == CredentialVerdict::CREDENTIALS_ACCEPTED) return false;
    std::fprintf(stderr, "quovex-tool: %s\n", CredentialRefusalText(judgement).c_str());
    return true;
}

// A declined overwrite is among the failed files, so the report alone
// tells whether everything went through.
int ReportOutcome(const TransferReport& report, CTerminalFeedback& feedback, const char* pszVerb,
                  bool bInputsOk) {
    feedback.FinishProgress();
    if (report.bCancelled) std::fprintf(stderr, "%s\n", MSG_CANCELLED);
    std::fprintf(stderr, "quovex-tool: %llu file(s) %s, %zu failed%s\n",
                 static_cast<unsigned long long>(report.nFilesDone), pszVerb, report.vFailed.size(),
                 report.vFailed.empty() ? "" : ":");
    for (const FailedItem& item : report.vFailed) {
        std::fprintf(stderr, "  %s: %s\n", FailReasonText(item.cause).c_str(),
                     item.strPath.c_str());
    }
    for (const PassedOverItem& item : report.vPassedOver) {
        std::fprintf(stderr, "quovex-tool: %s: %s\n", PassReasonText(item.nReason),
                     item.strPath.c_str());
    }
    const bool bAllThrough = bInputsOk && report.vFailed.empty() && report.vPassedOver.empty() &&
                             !report.bNoSpace && !report.bCancelled;
    return bAllThrough ? TOOL_EXIT_OK : TOOL_EXIT_FAILED;
}

int RunStore(const ToolOptions& options, const CVaultKey& key) {
    const CVaultCipher& cipher = key.Cipher();
    CVaultTransfer transfer(key);
    transfer.SetDeleteSource(!options.bKeepSource);
    DropJob job;
    job.strBoxPath = MakeAbsolute(options.vPaths.back());
    job.pVault = &transfer;
    if (Refused(JudgeStoreCredentials(cipher, job.strBoxPath))) return TOOL_EXIT_FAILED;
    bool bInputsOk = true;
    for (std::size_t nIndex = 0; nIndex + 1 < options.vPaths.size(); ++nIndex) {
        job.vDropList.push_back(MakeAbsolute(options.vPaths[nIndex]));
        if (!IsFileOrFolder(job.vDropList.back())) {
            std::fprintf(stderr, "quovex-tool: not a file or folder, passed over: %s\n",
                         options.vPaths[nIndex].c_str());
            bInputsOk = false;
        }
    }
    CTerminalFeedback feedback(options.bOverwrite);
    AddDropWorker(feedback, job);
    return ReportOutcome(job.report, feedback, "stored", bInputsOk);
}

int RunRestore(const ToolOptions& options, const CVaultKey& key) {
    const CVaultCipher& cipher = key.Cipher();
    CVaultTransfer transfer(key);
    RestoreJob job;
    job.strStoredItem = MakeAbsolute(options.vPaths.front());
    if (!options.strTargetFolder.empty())
        job.strTargetFolder = MakeAbsolute(options.strTargetFolder);
    // Nothing is restored into the vault the item came from.
    job.strVaultPath = FindResolvedVaultOf(job.strStoredItem);
    job.pVault = &transfer;
    if (!IsFileOrFolder(job.strStoredItem)) {
        std::fprintf(stderr, "quovex-tool: no stored file or folder: %s\n",
                     options.vPaths.front().c_str());
        return TOOL_EXIT_FAILED;
    }
    if (Refused(JudgeRestoreCredentials(cipher, job.strStoredItem))) return TOOL_EXIT_FAILED;
    CTerminalFeedback feedback(options.bOverwrite);
    RestoreWorker(feedback, job);
    return ReportOutcome(job.report, feedback, "restored", true);
}

// Fills in the password from the source the options name. False with
// *pError when there is none to be had or it is not 4 to 63 bytes.
bool ObtainPassword(ToolOptions* pOptions, std::string* pError) {
    switch (pOptions->nPasswordSource) {
        case PasswordSource::PASSWORD_ARGUMENT:
            break;
        case PasswordSource::PASSWORD_FILE:
            if (!ReadPasswordFile(pOptions->strPasswordFile, &pOptions->strPassword, pError))
                return false;
            break;
        case PasswordSource::PASSWORD_STDIN:
            if (!ReadFirstLine(STDIN_FILENO, "standard input", &pOptions->strPassword, pError))
                return false;
            break;
        case PasswordSource::PASSWORD_PROMPT:
            if (!PromptPassword("Password for " + pOptions->strUser + ": ", &pOptions->strPassword,
                                pError))
                return false;
            break;
    }
    return CheckCredentialText("password", pOptions->strPassword, pError);
}

int RunListCommand(const ToolOptions& options) {
    const std::string strPath = MakeAbsolute(options.vPaths.front());
    if (!options.bUserGiven) return RunList(strPath, options.bJson);
    const CVaultKey key(options.strUser, options.strPassword);
    if (Refused(JudgeRestoreCredentials(key.Cipher(), strPath))) return TOOL_EXIT_FAILED;
    return RunList(strPath, options.bJson, &key);
}

int RunCommand(const ToolOptions& options) {
    if (options.nCommand == ToolCommand::TOOL_LIST) return RunListCommand(options);
    const CVaultKey key(options.strUser, options.strPassword);
    switch (options.nCommand) {
        case ToolCommand::TOOL_STORE:
            return RunStore(options, key);
        case ToolCommand::TOOL_RESTORE:
            return RunRestore(options, key);
        default:
            return RunCheck(MakeAbsolute(options.vPaths.front()), options.bJson, key);
    }
}

// Blanks the values of --password in argv, which is what the process
// list shows. That narrows the time the password can be read there to the
// tool's start; it does not close it, hence the other password options.
void HidePasswordArguments(int argc, char** argv) {
    for (int nIndex = 1; nIndex + 1 < argc && std::strcmp(argv[nIndex], "--") != 0; ++nIndex) {
        if (std::strcmp(argv[nIndex], "--password") == 0) {
            char* pszValue = argv[++nIndex];
            std::memset(pszValue, 'x', std::strlen(pszValue));
        }
    }
}

}  // namespace

}  // namespace quovex

int main(int argc, char** argv) {
    using namespace quovex;
    ToolOptions options;
    std::string strError;
    if (!ParseToolOptions(argc, argv, &options, &strError)) {
        std::fprintf(stderr, "quovex-tool: %s\n\n%s", strError.c_str(), TOOL_USAGE);
        return TOOL_EXIT_USAGE;
    }
    HidePasswordArguments(argc, argv);
    if (options.nCommand == ToolCommand::TOOL_HELP) {
        std::fputs(TOOL_USAGE, stdout);
        return TOOL_EXIT_OK;
    }
    if (options.nCommand == ToolCommand::TOOL_VERSION) {
        std::printf("quovex-tool %s\n", QUOVEX_VERSION);
        return TOOL_EXIT_OK;
    }
    if (NeedsCredentials(options) && !ObtainPassword(&options, &strError)) {
        std::fprintf(stderr, "quovex-tool: %s\n", strError.c_str());
        return TOOL_EXIT_USAGE;
    }
    CTerminalFeedback::CatchInterrupt();
    return RunCommand(options);
}
