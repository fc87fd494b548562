// The passwords the options of a command name, read from where they come
// from (PasswordInput.h): a file, standard input, or the terminal. Main
// thread.
#pragma once

#include <string>

#include "ToolOptions.h"

namespace quovex {

// Reads a password from nSource (the file strFile, standard input or the
// terminal with strPrompt; an argument is in *pSecret already). bTwice:
// the terminal asks again and both must agree, for a password being set.
bool ReadSecret(PasswordSource nSource, const std::string& strFile, const std::string& strPrompt,
                bool bTwice, std::string* pSecret, std::string* pError);

// The new password of a protected vault (passwd, convert) into
// pOptions->strNewPassword, from --new-password-file or -stdin, else asked
// twice on the terminal. False with *pError when there is none to be had,
// it is not 4 to 63 bytes in GB18030 or it has fewer than
// PROTECTED_PASSWORD_MIN_CHARS characters.
bool ObtainNewPassword(ToolOptions* pOptions, std::string* pError);

// convert: the password the scrambled files left in a protected vault were
// stored with, into pOptions->strOldPassword, from --old-password-file or
// asked on the terminal.
bool ObtainOldPassword(ToolOptions* pOptions, std::string* pError);

// The check a new protected vault's password passes: false with *pError
// naming pszWhat when it has fewer than PROTECTED_PASSWORD_MIN_CHARS
// characters. One that passes but is weak (EstimatePassword, the user
// strUser) gets a warning on standard error.
bool CheckProtectedPassword(const char* pszWhat, const std::string& strPassword,
                            const std::string& strUser, std::string* pError);

// Wipes every secret the options hold (the passwords and the recovery key
// text), as soon as the command is done with them.
void ForgetSecrets(ToolOptions* pOptions);

}  // namespace quovex
