// Reading the password from where the user chose to give it, so that it
// need not stand on the command line, where every user of the machine can
// read it in the process list. Main thread, before any other work.
#pragma once

#include <string>

namespace quovex {

// The first line of the open descriptor nFd, read byte by byte so that
// nothing past it is consumed, without its "\n" or "\r\n". False with
// *pError when a read fails, nothing at all can be read, or the line runs
// past a length no password reaches.
bool ReadFirstLine(int nFd, const char* pszWhat, std::string* pLine, std::string* pError);

// The first line of the file strPath, as ReadFirstLine gives it.
bool ReadPasswordFile(const std::string& strPath, std::string* pPassword, std::string* pError);

// Asks for the password on the controlling terminal, through libbsd's
// readpassphrase(3): prints strPrompt there, reads one line with echo off
// and puts the terminal's mode back on every way out; a signal that ends
// the process meanwhile (SIGINT, SIGTERM, SIGHUP, SIGQUIT) is delivered once
// the mode is back, and a stop (SIGTSTP) asks again when continued. Asks
// only when standard input is a terminal. False with *pError when it is
// not, there is no controlling terminal, the line cannot be read or it runs
// past a length no password reaches. The line is wiped from the buffer it
// was read into.
bool PromptPassword(const std::string& strPrompt, std::string* pPassword, std::string* pError);

}  // namespace quovex
