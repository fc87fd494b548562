#include "PasswordInput.h"

#include <bsd/readpassphrase.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace quovex {

namespace {

// Far beyond the 63 GB18030 bytes (at most 252 UTF-8 bytes) of a password,
// and a bound on what a file without a newline can make us read.
constexpr std::size_t PASSWORD_LINE_MAX_BYTES = 1024;

constexpr char NO_TERMINAL_TEXT[] =
    "no password: no terminal to ask on; give --password-file FILE or --password-stdin";

}  // namespace

bool ReadFirstLine(int nFd, const char* pszWhat, std::string* pLine, std::string* pError) {
    pLine->clear();
    bool bNewline = false;
    bool bAnything = false;
    while (!bNewline) {
        char c;
        const ssize_t n = ::read(nFd, &c, 1);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            *pError = std::string("cannot read ") + pszWhat + ": " + std::strerror(errno);
            return false;
        }
        if (n == 0) break;
        bAnything = true;
        bNewline = c == '\n';
        if (!bNewline) pLine->push_back(c);
        if (pLine->size() > PASSWORD_LINE_MAX_BYTES) {
            *pError = std::string("the first line of ") + pszWhat + " is too long for a password";
            return false;
        }
    }
    if (!bAnything) {
        *pError = std::string("no password in ") + pszWhat;
        return false;
    }
    if (bNewline && !pLine->empty() && pLine->back() == '\r') pLine->pop_back();
    return true;
}

bool ReadPasswordFile(const std::string& strPath, std::string* pPassword, std::string* pError) {
    const int nFd = ::open(strPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (nFd < 0) {
        *pError = "cannot open password file " + strPath + ": " + std::strerror(errno);
        return false;
    }
    const std::string strWhat = "password file " + strPath;
    const bool bRead = ReadFirstLine(nFd, strWhat.c_str(), pPassword, pError);
    ::close(nFd);
    return bRead;
}

bool PromptPassword(const std::string& strPrompt, std::string* pPassword, std::string* pError) {
    // A script that forgot --password-stdin fails at once rather than wait
    // at a terminal that nobody may be watching.
    if (!isatty(STDIN_FILENO)) {
        *pError = NO_TERMINAL_TEXT;
        return false;
    }
    // One byte more than a line may hold shows a longer one: readpassphrase
    // drops what does not fit.
    char szLine[PASSWORD_LINE_MAX_BYTES + 2];
    const char* pszRead = readpassphrase(strPrompt.c_str(), szLine, sizeof szLine, RPP_REQUIRE_TTY);
    bool bRead = pszRead != nullptr && std::strlen(szLine) <= PASSWORD_LINE_MAX_BYTES;
    if (bRead) {
        pPassword->assign(szLine);
    } else if (!pszRead && errno == ENOTTY) {
        *pError = NO_TERMINAL_TEXT;
    } else if (!pszRead) {
        *pError = std::string("cannot read the terminal: ") + std::strerror(errno);
    } else {
        *pError = "the line typed at the terminal is too long for a password";
    }
    explicit_bzero(szLine, sizeof szLine);
    return bRead;
}

}  // namespace quovex
