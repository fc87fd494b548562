// quovex-tool: makes vaults, stores files and folders into a box folder and
// restores them, through the same worker procedures as a drop and the
// restore commands, lists and checks the stored files of a vault and
// changes a protected vault's password or converts a scrambled vault into
// a protected one, for users at a terminal, benchmarks and scripted
// checks. Exit statuses: ToolOptions.h.
#include <fcntl.h>
#include <sodium.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "Boxes.h"
#include "ConvertCommand.h"
#include "CredentialRule.h"
#include "KnownVaults.h"
#include "PasswordInput.h"
#include "PathText.h"
#include "ProcessGuard.h"
#include "SecretOptions.h"
#include "StoredFileInfo.h"
#include "StoredVersions.h"
#include "TerminalFeedback.h"
#include "ToolNames.h"
#include "ToolOptions.h"
#include "ToolTexts.h"
#include "VaultAccess.h"
#include "VaultAccessCommands.h"
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

// Why a path given to store is passed over, "" for a file or a folder: the
// core would pass over a missing path, a link or a device without a word;
// on a command line the user should hear of it, and which it is.
std::string SourceProblem(const std::string& strPath) {
    struct stat info;
    if (::lstat(strPath.c_str(), &info) != 0) {
        // ENOTDIR: a file where the path has a folder.
        if (errno == ENOENT || errno == ENOTDIR) return "no such file or folder";
        return FailReasonText(CauseOfLastError());
    }
    if (S_ISREG(info.st_mode) || S_ISDIR(info.st_mode)) return std::string();
    if (S_ISLNK(info.st_mode)) return "a symbolic link, not followed";
    return "not a file or folder (a device, pipe or socket)";
}

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
std::string FindResolvedVaultOf(const std::string& strPath, CVaultEnv* pEnv) {
    return FindVaultOf(ResolvePath(strPath).string(), pEnv);
}

// True, with the reason told, when the judgement keeps the vault closed.
bool Refused(const CredentialJudgement& judgement) {
    if (judgement.nVerdict == CredentialVerdict::CREDENTIALS_ACCEPTED) return false;
    std::fprintf(stderr, "quovex-tool: %s\n", CredentialRefusalText(judgement).c_str());
    return true;
}

// Opens the vault that holds the stored item with the credentials (a
// protected one's master key into pKey). An item in no vault (a stored
// file copied out, say) is the nearest thing to one: its own first stored
// file decides by the login's rule, or for a file the file itself.
bool AdmitToItem(const std::string& strItem, const std::string& strPassword, CVaultKey* pKey,
                 CVaultEnv* pEnv) {
    const std::string strVault = FindResolvedVaultOf(strItem, pEnv);
    if (!strVault.empty()) return OpenToolVault(strVault, strPassword, pKey, pEnv);
    std::fprintf(stderr, "quovex-tool: %s lies in no vault; its own stored files decide\n",
                 strItem.c_str());
    std::error_code error;
    return !Refused(std::filesystem::is_directory(strItem, error)
                        ? JudgeVaultCredentials(strItem, pKey->Cipher(), pEnv)
                        : JudgeStoredFileCredentials(strItem, pKey->Cipher(), pEnv));
}

// A declined overwrite is among the failed files, so the report alone
// tells whether everything went through.
int ReportOutcome(const TransferReport& report, CTerminalFeedback& feedback, const char* pszVerb,
                  bool bInputsOk, const PathShower& fnShown) {
    feedback.FinishProgress();
    if (report.bCancelled) std::fprintf(stderr, "%s\n", MSG_CANCELLED);
    std::fprintf(stderr, "quovex-tool: %llu file(s) %s, %zu failed%s\n",
                 static_cast<unsigned long long>(report.nFilesDone), pszVerb, report.vFailed.size(),
                 report.vFailed.empty() ? "" : ":");
    PrintReportItems(report, fnShown);
    const bool bAllThrough = bInputsOk && report.vFailed.empty() && report.vPassedOver.empty() &&
                             !report.bNoSpace && !report.bCancelled;
    return bAllThrough ? TOOL_EXIT_OK : TOOL_EXIT_FAILED;
}

// A drop seals the names it stores under the plain path of its target
// taken as a box folder (CVaultTransfer::StoreDroppedItem), which a folder
// below a box is not: a vault with hidden names takes a store into one of
// its box folders only. True, with the reason told, when strTarget is refused.
bool RefusedBelowBox(const std::string& strTarget, const std::string& strVault,
                     const CVaultKey& key) {
    if (!key.NamesHidden() ||
        (FolderOf(strTarget) == strVault && BoxIndex(LastComponent(strTarget)) >= 0))
        return false;
    std::fprintf(stderr,
                 "quovex-tool: %s hides its names: store only into one of its box folders "
                 "(such as %s/FileBox), not into a folder below one; nothing was stored\n",
                 strVault.c_str(), strVault.c_str());
    return true;
}

// How the paths of one vault's items are shown (CToolNames::Shown).
PathShower ShowerOf(const CToolNames& names) {
    return [&names](const std::string& strPath) { return names.Shown(strPath); };
}

// strVault: the vault FindStoreVault found for the box folder operand.
int RunStore(const ToolOptions& options, const std::string& strVault, CVaultKey* pKey) {
    DropJob job;
    job.strBoxPath = MakeAbsolute(options.vPaths.back());
    if (!OpenStoreVault(strVault, options.strPassword, pKey, options.pEnv)) return TOOL_EXIT_FAILED;
    // The vault as the paths the core reports name it, links unresolved.
    const std::string strNamed = FindVaultOf(job.strBoxPath, options.pEnv);
    if (RefusedBelowBox(job.strBoxPath, strNamed, *pKey)) return TOOL_EXIT_FAILED;
    const CToolNames names(strNamed, pKey, options.pEnv);
    CVaultTransfer transfer(*pKey, options.pEnv);
    transfer.SetDeleteSource(!options.bKeepSource);
    job.pVault = &transfer;
    bool bInputsOk = true;
    for (std::size_t nIndex = 0; nIndex + 1 < options.vPaths.size(); ++nIndex) {
        job.vDropList.push_back(MakeAbsolute(options.vPaths[nIndex]));
        const std::string strProblem = SourceProblem(job.vDropList.back());
        if (!strProblem.empty()) {
            std::fprintf(stderr, "quovex-tool: %s, passed over: %s\n", strProblem.c_str(),
                         options.vPaths[nIndex].c_str());
            bInputsOk = false;
        }
    }
    CTerminalFeedback feedback(options.bOverwrite);
    feedback.ShowPathsBy(ShowerOf(names));
    AddDropWorker(feedback, job);
    return ReportOutcome(job.report, feedback, "stored", bInputsOk, ShowerOf(names));
}

// The one of the on-disk paths vDisk (what restore's operand names: an
// item, or the versions of one stored file) that restore takes: the only
// one, or the version --version names, else the newest, said so on
// standard error. "" when --version is out of range, told why.
std::string ChosenVersion(const ToolOptions& options, const std::vector<std::string>& vDisk,
                          const CVaultKey& key) {
    const std::string& strItem = options.vPaths.front();
    if (vDisk.size() == 1 && options.nVersion <= 1) return vDisk.front();
    if (vDisk.size() == 1 || options.nVersion > vDisk.size()) {
        std::fprintf(stderr, "quovex-tool: %s\n",
                     VersionOutOfRangeText(strItem, options.nVersion, vDisk.size()).c_str());
        return {};
    }
    const std::vector<StoredVersion> vVersions = ReadStoredVersions(vDisk, &key, options.pEnv);
    if (options.nVersion == 0)
        std::fprintf(stderr, "quovex-tool: %s\n",
                     RestoreNewestText(strItem, vVersions.size()).c_str());
    for (std::size_t i = 0; i < vVersions.size(); ++i)
        std::fprintf(stderr, "  %s\n", VersionLineText(i + 1, vVersions[i]).c_str());
    const std::size_t nChosen = options.nVersion == 0 ? vVersions.size() : options.nVersion;
    return vVersions[nChosen - 1].strDisk;
}

int RunRestore(const ToolOptions& options, CVaultKey* pKey) {
    RestoreJob job;
    job.strStoredItem = MakeAbsolute(options.vPaths.front());
    if (!options.strTargetFolder.empty())
        job.strTargetFolder = MakeAbsolute(options.strTargetFolder);
    // Nothing is restored into the vault the item came from.
    job.strVaultPath = FindResolvedVaultOf(job.strStoredItem, options.pEnv);
    // A path that is not on disk may be a plain one in a vault.
    const std::string strNamed = FindVaultOf(job.strStoredItem, options.pEnv);
    if (!IsFileOrFolder(job.strStoredItem) && strNamed.empty()) {
        std::fprintf(stderr, "quovex-tool: no stored file or folder: %s\n",
                     options.vPaths.front().c_str());
        return TOOL_EXIT_FAILED;
    }
    if (!AdmitToItem(job.strStoredItem, options.strPassword, pKey, options.pEnv))
        return TOOL_EXIT_FAILED;
    const CToolNames names(strNamed, pKey, options.pEnv);
    std::vector<std::string> vDisk;
    std::string strError;
    if (!names.Resolve(job.strStoredItem, &vDisk, &strError)) {
        std::fprintf(stderr, "quovex-tool: %s\n", strError.c_str());
        return TOOL_EXIT_FAILED;
    }
    job.strStoredItem = ChosenVersion(options, vDisk, *pKey);
    if (job.strStoredItem.empty()) return TOOL_EXIT_FAILED;
    CVaultTransfer transfer(*pKey, options.pEnv);
    job.pVault = &transfer;
    CTerminalFeedback feedback(options.bOverwrite);
    feedback.ShowPathsBy(ShowerOf(names));
    RestoreWorker(feedback, job);
    return ReportOutcome(job.report, feedback, "restored", true, ShowerOf(names));
}

// summary: the text of a summary write's result other than written.
std::string SummaryFailureText(SummaryWriteResult nResult) {
    switch (nResult) {
        case SummaryWriteResult::SUMMARY_WRITTEN:
            return "written";
        case SummaryWriteResult::SUMMARY_FILE_CHANGED:
            return "the stored file changed meanwhile, or is no stored file";
        case SummaryWriteResult::SUMMARY_TOO_LONG:
            return "the text is too long for this stored file's summary";
        case SummaryWriteResult::SUMMARY_NOT_ENCODABLE:
            return "the text cannot be written into this stored file's summary";
        case SummaryWriteResult::SUMMARY_WRITE_FAILED:
            return FailReasonText(CauseOfLastError());
        case SummaryWriteResult::SUMMARY_NEEDS_KEY:
        case SummaryWriteResult::SUMMARY_NOT_OPENED:
            return "its metadata does not open with this vault's key (damaged, or another "
                   "vault's)";
    }
    return "failed";
}

int RunSummary(const ToolOptions& options, CVaultKey* pKey) {
    const std::string strItem = MakeAbsolute(options.vPaths.front());
    const std::string strNamed = FindVaultOf(strItem, options.pEnv);
    if (!AdmitToItem(strItem, options.strPassword, pKey, options.pEnv)) return TOOL_EXIT_FAILED;
    const CToolNames names(strNamed, pKey, options.pEnv);
    std::vector<std::string> vDisk;
    std::string strError;
    if (!names.Resolve(strItem, &vDisk, &strError)) {
        std::fprintf(stderr, "quovex-tool: %s\n", strError.c_str());
        return TOOL_EXIT_FAILED;
    }
    // An edit goes to the version named, never to one picked for the user.
    if (vDisk.size() > 1 && options.nVersion == 0) {
        std::fprintf(stderr, "quovex-tool: %s has %zu versions: give --version N\n",
                     options.vPaths.front().c_str(), vDisk.size());
        return TOOL_EXIT_FAILED;
    }
    const std::string strDisk = ChosenVersion(options, vDisk, *pKey);
    if (strDisk.empty()) return TOOL_EXIT_FAILED;
    const StoredFileInfo info = ReadStoredFileInfo(strDisk, options.pEnv, pKey);
    const SummaryWriteResult nResult =
        info.bStored
            ? WriteStoredSummary(strDisk, info.stamp, options.vPaths[1], options.pEnv, pKey)
            : SummaryWriteResult::SUMMARY_FILE_CHANGED;
    if (nResult == SummaryWriteResult::SUMMARY_WRITTEN) return TOOL_EXIT_OK;
    std::fprintf(stderr, "quovex-tool: summary of %s not written: %s\n",
                 names.Shown(strDisk).c_str(), SummaryFailureText(nResult).c_str());
    return TOOL_EXIT_FAILED;
}

// Fills in the password from the source the options name (passwd
// --recovery-key has none). False with *pError when there is none to be
// had or it is not 4 to 63 bytes.
bool ObtainPassword(ToolOptions* pOptions, std::string* pError) {
    if (pOptions->nCommand == ToolCommand::TOOL_PASSWD && pOptions->bRecoveryKey) return true;
    const bool bInit = pOptions->nCommand == ToolCommand::TOOL_INIT;
    if (!ReadSecret(pOptions->nPasswordSource, pOptions->strPasswordFile,
                    "Password for " + pOptions->strUser + ": ", bInit, &pOptions->strPassword,
                    pError) ||
        !CheckCredentialText("password", pOptions->strPassword, pError))
        return false;
    // A new protected vault's password, wherever it came from.
    return !bInit || pOptions->nFormat == VaultFormat::FORMAT_SCRAMBLED ||
           CheckProtectedPassword("the password", pOptions->strPassword, pOptions->strUser, pError);
}

// passwd: the recovery key, when it takes the old password's place, then
// the new password (after the old one, when both come from standard input).
bool ObtainPasswdSecrets(ToolOptions* pOptions, std::string* pRecoveryKey, std::string* pError) {
    if (pOptions->bRecoveryKey && !pOptions->strRecoveryKeyFile.empty()) {
        const int nFd = ::open(pOptions->strRecoveryKeyFile.c_str(), O_RDONLY | O_CLOEXEC);
        if (nFd < 0) {
            *pError = "cannot open recovery key file " + pOptions->strRecoveryKeyFile + ": " +
                      std::strerror(errno);
            return false;
        }
        const bool bRead = ReadFirstLine(nFd, "the recovery key file", pRecoveryKey, pError);
        ::close(nFd);
        if (!bRead) return false;
    } else if (pOptions->bRecoveryKey && !PromptPassword("Recovery key: ", pRecoveryKey, pError)) {
        return false;
    }
    return ObtainNewPassword(pOptions, pError);
}

int RunListCommand(const ToolOptions& options) {
    const std::string strPath = MakeAbsolute(options.vPaths.front());
    if (!options.bUserGiven) return RunList(strPath, options.bJson, nullptr, options.pEnv);
    CVaultKey key(options.strUser, options.strPassword);
    if (!AdmitToItem(strPath, options.strPassword, &key, options.pEnv)) return TOOL_EXIT_FAILED;
    return RunList(strPath, options.bJson, &key, options.pEnv);
}

// A scrambled vault's files stored under other credentials are reported
// as such, so only a protected vault is refused outright.
int RunCheckCommand(const ToolOptions& options, CVaultKey* pKey) {
    const std::string strPath = MakeAbsolute(options.vPaths.front());
    const std::string strVault = FindResolvedVaultOf(strPath, options.pEnv);
    // A vault whose key record went is refused (OpenToolVault says why).
    const bool bProtected =
        !strVault.empty() && (KindOfVault(strVault, options.pEnv) == VaultKind::VAULT_PROTECTED ||
                              IsKnownProtected(strVault));
    if (bProtected && !OpenToolVault(strVault, options.strPassword, pKey, options.pEnv))
        return TOOL_EXIT_FAILED;
    return RunCheck(strPath, options.bJson, *pKey, options.pEnv);
}

// passwd's vault: the operand, else the window's default location.
std::string PasswdVault(const ToolOptions& options) {
    if (!options.vPaths.empty()) return MakeAbsolute(options.vPaths.front());
    const char* pszHome = std::getenv("HOME");
    return MakeAbsolute(std::string(pszHome ? pszHome : "") + "/Box");
}

// strStoreVault: store's vault (FindStoreVault).
int RunCommand(ToolOptions& options, const std::string& strRecoveryKey,
               const std::string& strStoreVault) {
    switch (options.nCommand) {
        case ToolCommand::TOOL_LIST:
            return RunListCommand(options);
        case ToolCommand::TOOL_INIT:
            return RunInit(options, MakeAbsolute(options.vPaths.front()));
        case ToolCommand::TOOL_PASSWD:
            return RunPasswd(options, PasswdVault(options), strRecoveryKey);
        case ToolCommand::TOOL_CONVERT:
            return RunConvert(&options, MakeAbsolute(options.vPaths.front()));
        default:
            break;
    }
    CVaultKey key(options.strUser, options.strPassword);
    switch (options.nCommand) {
        case ToolCommand::TOOL_STORE:
            return RunStore(options, strStoreVault, &key);
        case ToolCommand::TOOL_RESTORE:
            return RunRestore(options, &key);
        case ToolCommand::TOOL_SUMMARY:
            return RunSummary(options, &key);
        default:
            return RunCheckCommand(options, &key);
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
    // Before any secret is read; the tool runs on either way.
    KeepProcessSecretsIn();
    ToolOptions options;
    // The one place the tool names the real file system.
    options.pEnv = CVaultEnv::Default();
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
    // A store that would write outside a vault's boxes is refused before a
    // password is asked for.
    std::string strStoreVault;
    if (options.nCommand == ToolCommand::TOOL_STORE &&
        !FindStoreVault(ResolvePath(MakeAbsolute(options.vPaths.back())).string(), &strStoreVault,
                        options.pEnv))
        return TOOL_EXIT_FAILED;
    std::string strRecoveryKey;
    const bool bPasswd = options.nCommand == ToolCommand::TOOL_PASSWD;
    if ((NeedsCredentials(options) && !ObtainPassword(&options, &strError)) ||
        (bPasswd && !ObtainPasswdSecrets(&options, &strRecoveryKey, &strError))) {
        std::fprintf(stderr, "quovex-tool: %s\n", strError.c_str());
        return TOOL_EXIT_USAGE;
    }
    CTerminalFeedback::CatchInterrupt();
    const int nExit = RunCommand(options, strRecoveryKey, strStoreVault);
    ForgetSecrets(&options);
    sodium_memzero(strRecoveryKey.data(), strRecoveryKey.size());
    return nExit;
}
