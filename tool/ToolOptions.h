// The command line of quovex-tool: which command, with which options.
#pragma once

#include <string>
#include <vector>

namespace quovex {

enum class ToolCommand {
    TOOL_HELP,     // print the usage text
    TOOL_STORE,    // store files and folders into a box folder
    TOOL_RESTORE,  // restore a stored file or folder
};

struct ToolOptions {
    ToolCommand nCommand = ToolCommand::TOOL_HELP;
    std::string strUser;
    std::string strPassword;
    bool bKeepSource = false;         // store: keep the sources (default: delete them)
    bool bOverwrite = false;          // the answer to every overwrite question
    std::string strTargetFolder;      // restore: --to FOLDER, "" for the recorded place
    std::vector<std::string> vPaths;  // the operands, as given
};

// The usage text, ending in a newline.
extern const char TOOL_USAGE[];

// Parses argv[1..argc-1]. Returns false with *pError set on a usage error: an
// unknown command or option, an option without its value, an option the
// command does not take, the wrong number of operands, or a user name or
// password that cannot be encoded in GB18030 or is not 4 to 63 bytes long.
bool ParseToolOptions(int argc, const char* const* argv, ToolOptions* pOptions,
                      std::string* pError);

}  // namespace quovex
