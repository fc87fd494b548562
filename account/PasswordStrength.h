// How hard a new password is to guess, as zxcvbn estimates it (libzxcvbn:
// dictionaries of common passwords, names and words, keyboard patterns,
// dates, repeats and sequences), with the user name counted as a word an
// attacker tries first. Each face words the level in its own language.
// Any thread.
#pragma once

#include <string>

namespace quovex {

enum class PasswordStrength {
    PASSWORD_VERY_WEAK,  // below 40 bits: found in minutes by a dictionary
    PASSWORD_WEAK,       // below 65 bits
    PASSWORD_GOOD,       // below 100 bits
    PASSWORD_EXCELLENT,  // 100 bits or more
};

struct PasswordEstimate {
    double dBits = 0;  // zxcvbn's estimate of the password's entropy
    PasswordStrength nLevel = PasswordStrength::PASSWORD_VERY_WEAK;

    // Weak enough that the faces warn (the tool prints a warning).
    bool IsWeak() const { return nLevel <= PasswordStrength::PASSWORD_WEAK; }
};

// The estimate for strPassword (UTF-8) of the user strUser (UTF-8; "" for
// none). The empty password is very weak.
PasswordEstimate EstimatePassword(const std::string& strPassword, const std::string& strUser);

}  // namespace quovex
