// The command line of quovex-tool: which command, with which options.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "KeyRecord.h"
#include "VaultEnv.h"

namespace quovex {

// Exit statuses, the same for every command.
constexpr int TOOL_EXIT_OK = 0;      // everything went through; check: all sound
constexpr int TOOL_EXIT_FAILED = 1;  // something failed, was refused or declined, or is damaged
constexpr int TOOL_EXIT_USAGE = 2;
// The highest --version restore takes.
constexpr std::uint64_t TOOL_MAX_VERSION =
    1000000;  // usage error, or no usable user name or password

enum class ToolCommand {
    TOOL_HELP,     // print the usage text
    TOOL_VERSION,  // print the version
    TOOL_STORE,    // store files and folders into a box folder
    TOOL_RESTORE,  // restore a stored file or folder
    TOOL_LIST,     // list the stored files below a folder, without the key
    TOOL_CHECK,    // read every stored file below a folder and report the damaged ones
    TOOL_INIT,     // make a new vault
    TOOL_PASSWD,   // give a protected vault a new password
    TOOL_CONVERT,  // make a scrambled vault a protected one
    TOOL_SUMMARY,  // set a stored file's summary
};

// The kind of vault init makes.
enum class VaultFormat {
    FORMAT_DEFAULT,    // not given: protected
    FORMAT_PROTECTED,  // --format protected
    FORMAT_SCRAMBLED,  // --format scrambled
};

// Where the password comes from.
enum class PasswordSource {
    PASSWORD_PROMPT,    // asked for on the terminal (the default)
    PASSWORD_ARGUMENT,  // --password P
    PASSWORD_FILE,      // --password-file F: its first line
    PASSWORD_STDIN,     // --password-stdin: the first line of standard input
};

struct ToolOptions {
    ToolCommand nCommand = ToolCommand::TOOL_HELP;
    // The file system every command works on: the real one, which main
    // sets; tests of the tool run it as a program.
    CVaultEnv* pEnv = nullptr;
    bool bUserGiven = false;  // --user given (list takes credentials only then)
    std::string strUser;
    PasswordSource nPasswordSource = PasswordSource::PASSWORD_PROMPT;
    std::string strPassword;      // --password, or what was read from its source
    std::string strPasswordFile;  // --password-file
    bool bJson = false;           // list, check: one JSON document on standard output
    bool bKeepSource = false;     // store: keep the sources (default: delete them)
    bool bOverwrite = false;      // the answer to every overwrite question
    std::string strTargetFolder;  // restore: --to FOLDER, "" for the recorded place
    std::uint64_t nVersion = 0;   // restore: --version N, 0 for the newest
    VaultFormat nFormat = VaultFormat::FORMAT_DEFAULT;  // init: --format
    // init --replace-lost-vault: make a new vault where a protected vault's
    // key record has gone (its files stay unopenable).
    bool bReplaceLostVault = false;
    KdfLimits limits = KDF_DEFAULT_LIMITS;  // init, passwd, convert: --kdf-*
    // passwd, convert: where the new password comes from (the prompt asks twice).
    PasswordSource nNewPasswordSource = PasswordSource::PASSWORD_PROMPT;
    std::string strNewPassword;
    std::string strNewPasswordFile;
    // convert: the password the scrambled files left in a protected vault
    // were stored with, when it is not the one in force (--old-password-file,
    // else asked on the terminal when needed).
    std::string strOldPassword;
    std::string strOldPasswordFile;
    bool bRecoveryKey = false;        // passwd: the recovery key instead of the old password
    std::string strRecoveryKeyFile;   // passwd: --recovery-key-file, "" to ask on the terminal
    std::vector<std::string> vPaths;  // the operands, as given
};

// The usage text, ending in a newline.
extern const char TOOL_USAGE[];

// Parses argv[1..argc-1]. --help anywhere asks for the usage text. Returns
// false with *pError set on a usage error: an unknown command or option, an
// option without its value, an option the command does not take, more than
// one password option, a password option without --user, the wrong number
// of operands, a user name (or --password) that CheckCredentialText
// refuses, derivation limits out of range (KdfLimitsInRange), or passwd's
// --recovery-key together with a password option.
bool ParseToolOptions(int argc, const char* const* argv, ToolOptions* pOptions,
                      std::string* pError);

// True when the command runs with credentials: store, restore, check, init
// and passwd always, list when --user is given.
bool NeedsCredentials(const ToolOptions& options);

// True when strText is valid UTF-8 that takes 4 to 63 bytes in GB18030,
// the login's limits; otherwise false with *pError naming pszWhat.
bool CheckCredentialText(const char* pszWhat, const std::string& strText, std::string* pError);

}  // namespace quovex
