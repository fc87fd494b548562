#include "ToolOptions.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "TextCodec.h"
#include "VaultCipher.h"

namespace quovex {

namespace {

// The login's lower limit; the upper one, 63, is the cipher's.
constexpr std::size_t TOOL_CREDENTIAL_MIN_BYTES = 4;
// --kdf-memory counts whole MiB; the least is the first above the record's minimum.
constexpr std::uint64_t KDF_MIN_MEMLIMIT_MIB = 1;

// The commands an option goes with, as bits.
constexpr unsigned OPT_STORE = 1;
constexpr unsigned OPT_RESTORE = 2;
constexpr unsigned OPT_LIST = 4;
constexpr unsigned OPT_CHECK = 8;
constexpr unsigned OPT_INIT = 16;
constexpr unsigned OPT_PASSWD = 32;
constexpr unsigned OPT_CONVERT = 64;
constexpr unsigned OPT_SUMMARY = 128;
constexpr unsigned OPT_ALL = OPT_STORE | OPT_RESTORE | OPT_LIST | OPT_CHECK | OPT_INIT |
                             OPT_PASSWD | OPT_CONVERT | OPT_SUMMARY;
constexpr unsigned OPT_SEALING = OPT_INIT | OPT_PASSWD | OPT_CONVERT;  // may seal a key record

struct OptionRule {
    const char* pszName;
    bool bTakesValue;
    unsigned nCommands;
};

constexpr OptionRule OPTION_RULES[] = {
    {"--user", true, OPT_ALL},
    {"--password", true, OPT_ALL},
    {"--password-file", true, OPT_ALL},
    {"--password-stdin", false, OPT_ALL},
    {"--json", false, OPT_LIST | OPT_CHECK},
    {"--keep-source", false, OPT_STORE},
    {"--overwrite", true, OPT_STORE | OPT_RESTORE},
    {"--to", true, OPT_RESTORE},
    {"--version", true, OPT_RESTORE | OPT_SUMMARY},
    {"--format", true, OPT_INIT},
    {"--replace-lost-vault", false, OPT_INIT},
    {"--kdf-passes", true, OPT_SEALING},
    {"--kdf-memory", true, OPT_SEALING},
    {"--new-password-file", true, OPT_PASSWD | OPT_CONVERT},
    {"--new-password-stdin", false, OPT_PASSWD | OPT_CONVERT},
    {"--old-password-file", true, OPT_CONVERT},
    {"--recovery-key", false, OPT_PASSWD},
    {"--recovery-key-file", true, OPT_PASSWD},
};

struct CommandWord {
    const char* pszWord;
    ToolCommand nCommand;
    unsigned nBit;  // its bit among OPT_*; 0 for those without options
};

constexpr CommandWord COMMAND_WORDS[] = {
    {"store", ToolCommand::TOOL_STORE, OPT_STORE},
    {"restore", ToolCommand::TOOL_RESTORE, OPT_RESTORE},
    {"list", ToolCommand::TOOL_LIST, OPT_LIST},
    {"check", ToolCommand::TOOL_CHECK, OPT_CHECK},
    {"init", ToolCommand::TOOL_INIT, OPT_INIT},
    {"passwd", ToolCommand::TOOL_PASSWD, OPT_PASSWD},
    {"convert", ToolCommand::TOOL_CONVERT, OPT_CONVERT},
    {"summary", ToolCommand::TOOL_SUMMARY, OPT_SUMMARY},
    {"help", ToolCommand::TOOL_HELP, 0},
    {"--version", ToolCommand::TOOL_VERSION, 0},
};

const CommandWord* FindCommand(const char* pszWord) {
    for (const CommandWord& command : COMMAND_WORDS) {
        if (std::strcmp(command.pszWord, pszWord) == 0) return &command;
    }
    return nullptr;
}

const OptionRule* FindOption(const std::string& strName) {
    for (const OptionRule& rule : OPTION_RULES) {
        if (strName == rule.pszName) return &rule;
    }
    return nullptr;
}

// --help or -h before any "--" asks for the usage text, whatever else is given.
bool AsksForHelp(int argc, const char* const* argv) {
    for (int nIndex = 1; nIndex < argc && std::strcmp(argv[nIndex], "--") != 0; ++nIndex) {
        if (std::strcmp(argv[nIndex], "--help") == 0 || std::strcmp(argv[nIndex], "-h") == 0)
            return true;
    }
    return false;
}

bool SetPasswordSource(PasswordSource nSource, bool* pSourceGiven, ToolOptions* pOptions,
                       std::string* pError) {
    if (*pSourceGiven) {
        *pError = "give only one of --password, --password-file and --password-stdin";
        return false;
    }
    *pSourceGiven = true;
    pOptions->nPasswordSource = nSource;
    return true;
}

// A whole decimal number from strValue, within nMin .. nMax.
bool ParseCount(const std::string& strName, const std::string& strValue, std::uint64_t nMin,
                std::uint64_t nMax, std::uint64_t* pCount, std::string* pError) {
    char* pszEnd = nullptr;
    errno = 0;
    const unsigned long long nValue = std::strtoull(strValue.c_str(), &pszEnd, 10);
    const bool bDigits =
        !strValue.empty() && strValue.find_first_not_of("0123456789") == std::string::npos;
    if (!bDigits || errno != 0 || *pszEnd != '\0' || nValue < nMin || nValue > nMax) {
        *pError = strName + " takes a whole number from " + std::to_string(nMin) + " to " +
                  std::to_string(nMax);
        return false;
    }
    *pCount = nValue;
    return true;
}

// The options that say how a new vault is made and its record sealed.
bool ApplyVaultOption(const std::string& strName, const std::string& strValue,
                      ToolOptions* pOptions, std::string* pError) {
    if (strName == "--kdf-passes")
        return ParseCount(strName, strValue, KDF_MIN_OPSLIMIT, KDF_MAX_OPSLIMIT,
                          &pOptions->limits.nOpsLimit, pError);
    if (strName == "--kdf-memory") {
        std::uint64_t nMib = 0;
        if (!ParseCount(strName, strValue, KDF_MIN_MEMLIMIT_MIB, KDF_MAX_MEMLIMIT >> 20, &nMib,
                        pError))
            return false;
        pOptions->limits.nMemLimit = nMib << 20;
        return true;
    }
    if (strValue == "protected" || strValue == "scrambled") {  // --format
        pOptions->nFormat =
            strValue == "protected" ? VaultFormat::FORMAT_PROTECTED : VaultFormat::FORMAT_SCRAMBLED;
        return true;
    }
    *pError = "--format takes protected or scrambled";
    return false;
}

// passwd's options for the new password and the recovery key.
bool ApplyPasswdOption(const std::string& strName, const std::string& strValue,
                       ToolOptions* pOptions, std::string* pError) {
    if (strName == "--recovery-key" || strName == "--recovery-key-file") {
        pOptions->bRecoveryKey = true;
        if (strName == "--recovery-key-file") pOptions->strRecoveryKeyFile = strValue;
        return true;
    }
    if (pOptions->nNewPasswordSource != PasswordSource::PASSWORD_PROMPT) {
        *pError = "give only one of --new-password-file and --new-password-stdin";
        return false;
    }
    pOptions->nNewPasswordSource = strName == "--new-password-stdin"
                                       ? PasswordSource::PASSWORD_STDIN
                                       : PasswordSource::PASSWORD_FILE;
    pOptions->strNewPasswordFile = strValue;
    return true;
}

// Takes the option strName, with strValue when it has one.
bool ApplyOption(const std::string& strName, const std::string& strValue, bool* pSourceGiven,
                 ToolOptions* pOptions, std::string* pError) {
    if (strName == "--user") {
        pOptions->bUserGiven = true;
        pOptions->strUser = strValue;
    } else if (strName == "--password") {
        pOptions->strPassword = strValue;
        return SetPasswordSource(PasswordSource::PASSWORD_ARGUMENT, pSourceGiven, pOptions, pError);
    } else if (strName == "--password-file") {
        pOptions->strPasswordFile = strValue;
        return SetPasswordSource(PasswordSource::PASSWORD_FILE, pSourceGiven, pOptions, pError);
    } else if (strName == "--password-stdin") {
        return SetPasswordSource(PasswordSource::PASSWORD_STDIN, pSourceGiven, pOptions, pError);
    } else if (strName == "--json") {
        pOptions->bJson = true;
    } else if (strName == "--keep-source") {
        pOptions->bKeepSource = true;
    } else if (strName == "--replace-lost-vault") {
        pOptions->bReplaceLostVault = true;
    } else if (strName == "--to") {
        pOptions->strTargetFolder = strValue;
    } else if (strName == "--version") {
        return ParseCount(strName, strValue, 1, TOOL_MAX_VERSION, &pOptions->nVersion, pError);
    } else if (strName == "--format" || strName.starts_with("--kdf-")) {
        return ApplyVaultOption(strName, strValue, pOptions, pError);
    } else if (strName == "--old-password-file") {
        pOptions->strOldPasswordFile = strValue;
    } else if (strName.starts_with("--new-password") || strName.starts_with("--recovery-key")) {
        return ApplyPasswdOption(strName, strValue, pOptions, pError);
    } else if (strValue == "yes" || strValue == "no") {  // --overwrite
        pOptions->bOverwrite = strValue == "yes";
    } else {
        *pError = "--overwrite takes yes or no";
        return false;
    }
    return true;
}

// Handles argv[*pIndex], an option, consuming its value when it has one.
bool ParseOption(int argc, const char* const* argv, int* pIndex, const CommandWord& command,
                 bool* pSourceGiven, ToolOptions* pOptions, std::string* pError) {
    const std::string strName = argv[*pIndex];
    const OptionRule* pRule = FindOption(strName);
    if (!pRule) {
        *pError = "unknown option " + strName;
        return false;
    }
    if ((pRule->nCommands & command.nBit) == 0) {
        *pError = strName + " does not go with " + command.pszWord;
        // Earlier versions made a vault at a store's target; only init does now.
        if (command.nBit == OPT_STORE && (pRule->nCommands & OPT_INIT) != 0)
            *pError +=
                ": store only stores into a box of an existing vault; make the vault "
                "first with quovex-tool init " +
                strName + " ... VAULT";
        return false;
    }
    std::string strValue;
    if (pRule->bTakesValue) {
        if (*pIndex + 1 >= argc) {
            *pError = strName + " needs a value";
            return false;
        }
        strValue = argv[++*pIndex];
    }
    return ApplyOption(strName, strValue, pSourceGiven, pOptions, pError);
}

bool CheckOperandCount(const ToolOptions& options, std::string* pError) {
    const std::size_t nCount = options.vPaths.size();
    if (options.nCommand == ToolCommand::TOOL_STORE && nCount < 2) {
        *pError = "store needs at least one PATH and a BOXFOLDER";
        return false;
    }
    if (options.nCommand == ToolCommand::TOOL_PASSWD && nCount > 1) {
        *pError = "passwd takes at most one VAULT";
        return false;
    }
    if (options.nCommand == ToolCommand::TOOL_SUMMARY) {
        // The text may be empty: that clears the summary.
        if (nCount == 2 && !options.vPaths.front().empty()) return true;
        *pError = "summary needs a STOREDFILE and a TEXT";
        return false;
    }
    if (options.nCommand != ToolCommand::TOOL_STORE &&
        options.nCommand != ToolCommand::TOOL_PASSWD && nCount != 1) {
        *pError = options.nCommand == ToolCommand::TOOL_RESTORE
                      ? "restore needs exactly one STOREDITEM"
                      : "give exactly one folder or file";
        return false;
    }
    for (const std::string& strPath : options.vPaths) {
        if (strPath.empty()) {
            *pError = "empty path";
            return false;
        }
    }
    return true;
}

bool CheckCredentialOptions(const ToolOptions& options, bool bSourceGiven, std::string* pError) {
    if (!options.bUserGiven) {
        if (bSourceGiven) {
            *pError = "a password option needs --user";
            return false;
        }
        if (NeedsCredentials(options)) {
            *pError = "--user is required";
            return false;
        }
        return true;
    }
    if (options.bRecoveryKey && bSourceGiven) {
        *pError = "--recovery-key takes the place of the old password: give no password option";
        return false;
    }
    if (!CheckCredentialText("user name", options.strUser, pError)) return false;
    return options.nPasswordSource != PasswordSource::PASSWORD_ARGUMENT ||
           CheckCredentialText("password", options.strPassword, pError);
}

}  // namespace

const char TOOL_USAGE[] =
    "usage: quovex-tool init    --user U [PASSWORD] [--format protected|scrambled] [KDF]\n"
    "                           [--replace-lost-vault] VAULT\n"
    "       quovex-tool store   --user U [PASSWORD] [--keep-source] [--overwrite yes|no]\n"
    "                           PATH... BOXFOLDER\n"
    "       quovex-tool restore --user U [PASSWORD] [--to FOLDER] [--overwrite yes|no]\n"
    "                           [--version N] STOREDITEM\n"
    "       quovex-tool summary --user U [PASSWORD] [--version N] STOREDFILE TEXT\n"
    "       quovex-tool list    [--user U [PASSWORD]] [--json] BOXFOLDER|VAULT|STOREDFILE\n"
    "       quovex-tool check   --user U [PASSWORD] [--json] VAULT|BOXFOLDER\n"
    "       quovex-tool passwd  --user U [PASSWORD | --recovery-key [--recovery-key-file F]]\n"
    "                           [NEW PASSWORD] [KDF] [VAULT]\n"
    "       quovex-tool convert --user U [PASSWORD] [NEW PASSWORD] [--old-password-file F]\n"
    "                           [KDF] VAULT\n"
    "       quovex-tool --help | --version\n"
    "\n"
    "Commands:\n"
    "  init     makes a new vault: protected (the default) or scrambled. A protected\n"
    "           vault's recovery key is printed once on standard output.\n"
    "  store    encrypts files and folders into BOXFOLDER (a scrambled vault's files are\n"
    "           scrambled), as a drop on the box does; the sources are deleted afterwards\n"
    "           unless --keep-source is given. BOXFOLDER is FileBox, ImageBox, VideoBox\n"
    "           or OtherBox of an existing vault (made by init or the window), or a\n"
    "           folder below one (not in a vault that hides its names); any other\n"
    "           target is refused and nothing is touched.\n"
    "  restore  decrypts a stored file or folder to the place it came from, or below\n"
    "           FOLDER with --to. A stored file of several versions: the newest, or\n"
    "           version N with --version N.\n"
    "  summary  sets the summary of a stored file (the window's properties edit it\n"
    "           too) to TEXT, \"\" to clear it. A stored file of several versions needs\n"
    "           --version N.\n"
    "  list     shows every stored file below the folder: its plain path and, for a\n"
    "           scrambled file, its source path, plain size, storage date and summary,\n"
    "           which its header holds in plain text. A protected file's are encrypted:\n"
    "           list shows them only with the vault's credentials (--user), which are\n"
    "           checked against the vault as the login does. Without them, a vault\n"
    "           that hides its names shows only how many stored files each box holds\n"
    "           and their size. A stored file of several versions is shown once,\n"
    "           with each version by its number (1 the oldest), storage time, size\n"
    "           and the device a sync engine's conflict copy names.\n"
    "  check    reads every stored file below the folder and reports the damaged ones:\n"
    "           no signature, a short header, a body short of its plain size or ending\n"
    "           inside a block, stored with other credentials, or a hidden name that\n"
    "           does not open (shown as on disk); and files moved away from their place\n"
    "           and stored files of several versions not resolved yet (no damage).\n"
    "  passwd   gives the protected VAULT (default: $HOME/Box) a new password: the old\n"
    "           one, or with --recovery-key the recovery key, then the new one. No\n"
    "           stored file is rewritten and the recovery key stays valid.\n"
    "  convert  makes the scrambled VAULT a protected one: a key record for the user\n"
    "           and a NEW password (its recovery key printed once on standard output),\n"
    "           then every scrambled stored file rewritten, each read back before it\n"
    "           replaces the old one. The new password cannot be the old one: every\n"
    "           scrambled file, and every backup of one, gives the old one away.\n"
    "           Stopped early, it leaves every file readable; run it again (with the\n"
    "           new password) to convert the rest, which asks for the password they\n"
    "           were stored with (--old-password-file F, or on the terminal).\n"
    "           On a protected VAULT with visible names and no scrambled file, it\n"
    "           hides every folder and file name below the boxes (the password\n"
    "           stays), each file recording its place before it takes its sealed\n"
    "           name, then prints the vault's new recovery key once.\n"
    "\n"
    "Stored items (STOREDITEM, BOXFOLDER, STOREDFILE) are named by their plain paths\n"
    "in the vault, VAULT/BOXFOLDER/folder/name.$ for a stored file and\n"
    "VAULT/BOXFOLDER/folder for a folder, also in a vault that hides its names on\n"
    "disk; a path on disk that exists is taken as it is. Where several stored files\n"
    "carry one plain name (versions stored on two machines while apart, a sync\n"
    "engine's conflict copy such as name.sync-conflict-DATE-TIME-DEVICE.$, or a file\n"
    "moved there by hand), they are versions of one stored file, numbered from 1,\n"
    "the oldest by storage time, to N, the newest: restore says so and restores the\n"
    "newest unless --version N names another; list and check take them all.\n"
    "\n"
    "Options:\n"
    "  --user U             user name, 4 to 63 bytes in GB18030 (an ASCII letter or\n"
    "                       digit is 1 byte, a Chinese character 2, most others 4)\n"
    "  --password-file F    read the password from the first line of file F\n"
    "  --password-stdin     read the password from the first line of standard input\n"
    "  --password P         the password itself: every user on the machine can read\n"
    "                       it in the process list, so prefer the two above\n"
    "  (no password option) the password is asked for on the terminal, not echoed;\n"
    "                       a new vault's password is asked for twice\n"
    "  --new-password-file F, --new-password-stdin\n"
    "                       passwd, convert: the new password, as the options above\n"
    "                       (after the old one when both come from standard input);\n"
    "                       without either it is asked for twice on the terminal\n"
    "  --old-password-file F  convert: the password the files left were stored with\n"
    "  --recovery-key       passwd: ask for the vault's recovery key instead of the\n"
    "                       old password\n"
    "  --recovery-key-file F  passwd: read the recovery key from the first line of F\n"
    "  --replace-lost-vault init: make a new vault where a protected vault's key\n"
    "                       record has gone; its files stay, unopenable without it\n"
    "  --format protected|scrambled\n"
    "                       init: the kind of the new vault (default protected)\n"
    "  --kdf-passes N --kdf-memory MIB\n"
    "                       init, passwd, convert: the cost of the password\n"
    "                       derivation of a protected vault's new record, 1 to 16\n"
    "                       passes over 1 to 1024 MiB (default 3 passes over 128 MiB)\n"
    "  --keep-source        store: keep the sources\n"
    "  --to FOLDER          restore: below FOLDER instead of the recorded place\n"
    "  --version N          restore: version N of a stored file of several versions\n"
    "                       (1 the oldest; out of range: refused, nothing written)\n"
    "  --overwrite yes|no   the answer to every question about replacing an existing\n"
    "                       file (default no)\n"
    "  --json               list, check: one JSON array on standard output\n"
    "  --help, --version    this text; the version\n"
    "Passwords are 4 to 63 bytes in GB18030, counted as for --user; a new password of\n"
    "a protected vault has at least 8 characters. A trailing newline is not part of one.\n"
    "\n"
    "Exit status: 0 everything went through (check: every stored file is sound);\n"
    "1 something failed, was refused or declined, the credentials or the recovery\n"
    "key do not open the vault, its key record is damaged, or (check) a stored file\n"
    "is damaged; 2 usage error, or no usable user name or password.\n";

bool NeedsCredentials(const ToolOptions& options) {
    return options.nCommand != ToolCommand::TOOL_LIST || options.bUserGiven;
}

// The same test as the cipher's, so that no credentials reach it that it
// would refuse.
bool CheckCredentialText(const char* pszWhat, const std::string& strText, std::string* pError) {
    std::string strBytes;
    if (CVaultCipher::EncodeCredential(strText, &strBytes) &&
        strBytes.size() >= TOOL_CREDENTIAL_MIN_BYTES) {
        return true;
    }
    *pError = std::string(pszWhat) + (Gb18030Length(strText) < 0
                                          ? " cannot be encoded in GB18030 (not valid UTF-8)"
                                          : " must be 4 to 63 bytes long in GB18030");
    return false;
}

bool ParseToolOptions(int argc, const char* const* argv, ToolOptions* pOptions,
                      std::string* pError) {
    if (AsksForHelp(argc, argv)) {
        pOptions->nCommand = ToolCommand::TOOL_HELP;
        return true;
    }
    const CommandWord* pCommand = argc < 2 ? nullptr : FindCommand(argv[1]);
    if (!pCommand) {
        *pError = argc < 2 ? "no command given" : std::string("unknown command ") + argv[1];
        return false;
    }
    pOptions->nCommand = pCommand->nCommand;
    if (pCommand->nBit == 0) return true;
    bool bOperandsOnly = false;
    bool bSourceGiven = false;
    for (int nIndex = 2; nIndex < argc; ++nIndex) {
        const char* pszArg = argv[nIndex];
        if (!bOperandsOnly && std::strcmp(pszArg, "--") == 0) {
            bOperandsOnly = true;
        } else if (!bOperandsOnly && std::strncmp(pszArg, "--", 2) == 0) {
            if (!ParseOption(argc, argv, &nIndex, *pCommand, &bSourceGiven, pOptions, pError))
                return false;
        } else {
            pOptions->vPaths.emplace_back(pszArg);
        }
    }
    if (!KdfLimitsInRange(pOptions->limits)) {
        *pError = "--kdf-passes and --kdf-memory are out of range";
        return false;
    }
    return CheckOperandCount(*pOptions, pError) &&
           CheckCredentialOptions(*pOptions, bSourceGiven, pError);
}

}  // namespace quovex
