#include "ToolOptions.h"

#include <cstring>

#include "TextCodec.h"
#include "VaultCipher.h"

namespace quovex {

namespace {

// The login's lower limit; the upper one, 63, is the cipher's.
constexpr std::size_t TOOL_CREDENTIAL_MIN_BYTES = 4;

bool ParseCommand(const std::string& strWord, ToolCommand* pCommand) {
    if (strWord == "store") {
        *pCommand = ToolCommand::TOOL_STORE;
    } else if (strWord == "restore") {
        *pCommand = ToolCommand::TOOL_RESTORE;
    } else if (strWord == "help" || strWord == "--help" || strWord == "-h") {
        *pCommand = ToolCommand::TOOL_HELP;
    } else {
        return false;
    }
    return true;
}

bool ParseYesNo(const std::string& strValue, bool* pAnswer) {
    if (strValue != "yes" && strValue != "no") return false;
    *pAnswer = strValue == "yes";
    return true;
}

// Handles argv[*pIndex], an option, consuming its value when it has one.
bool ParseOption(int argc, const char* const* argv, int* pIndex, ToolOptions* pOptions,
                 std::string* pError) {
    const std::string strName = argv[*pIndex];
    const bool bStore = pOptions->nCommand == ToolCommand::TOOL_STORE;
    if (strName == "--keep-source" && bStore) {
        pOptions->bKeepSource = true;
        return true;
    }
    std::string* pValue = nullptr;
    std::string strOverwrite;
    if (strName == "--user") {
        pValue = &pOptions->strUser;
    } else if (strName == "--password") {
        pValue = &pOptions->strPassword;
    } else if (strName == "--overwrite") {
        pValue = &strOverwrite;
    } else if (strName == "--to" && !bStore) {
        pValue = &pOptions->strTargetFolder;
    } else {
        *pError = "unknown option " + strName;
        return false;
    }
    if (*pIndex + 1 >= argc) {
        *pError = strName + " needs a value";
        return false;
    }
    *pValue = argv[++*pIndex];
    if (pValue == &strOverwrite && !ParseYesNo(strOverwrite, &pOptions->bOverwrite)) {
        *pError = "--overwrite takes yes or no";
        return false;
    }
    return true;
}

// The same test as the cipher's, so that no credentials reach it that it
// would refuse.
bool CheckCredential(const char* pszWhat, const std::string& strText, std::string* pError) {
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

bool CheckOperands(const ToolOptions& options, std::string* pError) {
    const std::size_t nCount = options.vPaths.size();
    if (options.nCommand == ToolCommand::TOOL_STORE && nCount < 2) {
        *pError = "store needs at least one PATH and a BOXFOLDER";
        return false;
    }
    if (options.nCommand == ToolCommand::TOOL_RESTORE && nCount != 1) {
        *pError = "restore needs exactly one STOREDITEM";
        return false;
    }
    for (const std::string& strPath : options.vPaths) {
        if (strPath.empty()) {
            *pError = "empty path";
            return false;
        }
    }
    return CheckCredential("user name", options.strUser, pError) &&
           CheckCredential("password", options.strPassword, pError);
}

}  // namespace

const char TOOL_USAGE[] =
    "usage: quovex-tool store --user U --password P [--keep-source] [--overwrite yes|no]\n"
    "                         PATH... BOXFOLDER\n"
    "       quovex-tool restore --user U --password P [--to FOLDER] [--overwrite yes|no]\n"
    "                         STOREDITEM\n"
    "\n"
    "store    encrypts files and folders into BOXFOLDER, as a drop on the box does;\n"
    "         the sources are deleted afterwards unless --keep-source is given.\n"
    "restore  decrypts a stored file or folder to the place it came from, or below\n"
    "         FOLDER with --to.\n"
    "User name and password are 4 to 63 bytes (GB18030). --overwrite answers every\n"
    "question about replacing an existing file (default no).\n"
    "Exit status: 0 all went through, 1 something failed or was declined, 2 usage error.\n";

bool ParseToolOptions(int argc, const char* const* argv, ToolOptions* pOptions,
                      std::string* pError) {
    if (argc < 2 || !ParseCommand(argv[1], &pOptions->nCommand)) {
        *pError = argc < 2 ? "no command given" : std::string("unknown command ") + argv[1];
        return false;
    }
    if (pOptions->nCommand == ToolCommand::TOOL_HELP) return true;
    bool bOperandsOnly = false;
    for (int nIndex = 2; nIndex < argc; ++nIndex) {
        const char* pszArg = argv[nIndex];
        if (!bOperandsOnly && std::strcmp(pszArg, "--") == 0) {
            bOperandsOnly = true;
        } else if (!bOperandsOnly && std::strncmp(pszArg, "--", 2) == 0) {
            if (!ParseOption(argc, argv, &nIndex, pOptions, pError)) return false;
        } else {
            pOptions->vPaths.emplace_back(pszArg);
        }
    }
    return CheckOperands(*pOptions, pError);
}

}  // namespace quovex
