#include "PasswordInput.h"

#include <fcntl.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace quovex {

namespace {

// Far beyond the 63 GB18030 bytes (at most 252 UTF-8 bytes) of a password,
// and a bound on what a file without a newline can make us read.
constexpr std::size_t PASSWORD_LINE_MAX_BYTES = 1024;

// The signals during which the terminal's mode is put back. The first
// four end the process; SIGTSTP stops it.
constexpr int PROMPT_SIGNALS[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGTSTP};
constexpr int PROMPT_SIGNAL_COUNT = sizeof PROMPT_SIGNALS / sizeof PROMPT_SIGNALS[0];

// Set before the handler is installed and only read by it.
int g_nTerminalFd = -1;
struct termios g_savedMode;
struct termios g_quietMode;

// Async-signal-safe throughout: tcsetattr, sigaction, sigprocmask and raise.
void OnPromptSignal(int nSignal) {
    const int nSavedErrno = errno;
    tcsetattr(g_nTerminalFd, TCSANOW, &g_savedMode);
    struct sigaction deflt = {};
    struct sigaction ours = {};
    deflt.sa_handler = SIG_DFL;
    sigemptyset(&deflt.sa_mask);
    sigaction(nSignal, &deflt, &ours);
    // The signal is blocked inside its own handler; let the default action
    // happen now, while the terminal is in its own mode.
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, nSignal);
    sigprocmask(SIG_UNBLOCK, &only, nullptr);
    raise(nSignal);
    // Only a stop comes back here, once the process is continued.
    sigaction(nSignal, &ours, nullptr);
    tcsetattr(g_nTerminalFd, TCSANOW, &g_quietMode);
    errno = nSavedErrno;
}

// Blocks the prompt's signals; *pPrevious receives the mask to go back to.
void BlockPromptSignals(sigset_t* pPrevious) {
    sigset_t set;
    sigemptyset(&set);
    for (int nSignal : PROMPT_SIGNALS) sigaddset(&set, nSignal);
    sigprocmask(SIG_BLOCK, &set, pPrevious);
}

// Writes the prompt on the controlling terminal, so that it is seen even
// when standard error goes to a file.
void ShowPrompt(const std::string& strPrompt) {
    int nFd = ::open("/dev/tty", O_WRONLY | O_NOCTTY | O_CLOEXEC);
    const bool bOwnFd = nFd >= 0;
    if (!bOwnFd) nFd = STDERR_FILENO;
    [[maybe_unused]] const ssize_t n = ::write(nFd, strPrompt.data(), strPrompt.size());
    if (bOwnFd) ::close(nFd);
}

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
    if (!isatty(STDIN_FILENO) || tcgetattr(STDIN_FILENO, &g_savedMode) != 0) {
        *pError =
            "no password: standard input is not a terminal to ask on; give "
            "--password-file FILE or --password-stdin";
        return false;
    }
    g_nTerminalFd = STDIN_FILENO;
    g_quietMode = g_savedMode;
    // Echo off, but the Enter that ends the line still shows as a new line.
    g_quietMode.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    g_quietMode.c_lflag |= ECHONL;
    struct sigaction handler = {};
    handler.sa_handler = OnPromptSignal;
    handler.sa_flags = SA_RESTART;
    sigemptyset(&handler.sa_mask);
    struct sigaction previous[PROMPT_SIGNAL_COUNT];
    for (int i = 0; i < PROMPT_SIGNAL_COUNT; ++i) {
        sigaction(PROMPT_SIGNALS[i], nullptr, &previous[i]);
        // A signal the process was started ignoring (a background job's
        // SIGINT, nohup's SIGHUP) stays ignored.
        if (previous[i].sa_handler != SIG_IGN) sigaction(PROMPT_SIGNALS[i], &handler, nullptr);
    }
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &g_quietMode);
    ShowPrompt(strPrompt);
    const bool bRead = ReadFirstLine(STDIN_FILENO, "the terminal", pPassword, pError);
    // A signal between putting the mode back and putting the handlers back
    // would find a handler that turns echo off again: hold them meanwhile.
    sigset_t mask;
    BlockPromptSignals(&mask);
    tcsetattr(STDIN_FILENO, TCSANOW, &g_savedMode);
    for (int i = 0; i < PROMPT_SIGNAL_COUNT; ++i)
        sigaction(PROMPT_SIGNALS[i], &previous[i], nullptr);
    sigprocmask(SIG_SETMASK, &mask, nullptr);
    if (!bRead) ShowPrompt("\n");
    return bRead;
}

}  // namespace quovex
