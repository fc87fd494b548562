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

// Asks for the password on the terminal that standard input is: prints
// strPrompt (on the terminal, else on standard error), turns echo off, reads
// one line and restores the terminal's mode. The mode is restored on every
// way out: also when SIGINT, SIGTERM, SIGHUP or SIGQUIT end the process
// meanwhile (it then dies of that signal as it would have), and while
// SIGTSTP holds it stopped (echo goes off again when it continues). False
// with *pError when standard input is not a terminal or the line cannot be read.
bool PromptPassword(const std::string& strPrompt, std::string* pPassword, std::string* pError);

}  // namespace quovex
