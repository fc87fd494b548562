#include "PasswordStrength.h"

#include <zxcvbn.h>

namespace quovex {

namespace {

// The levels KeePassXC shows, by the same bounds.
constexpr double WEAK_BITS = 40;
constexpr double GOOD_BITS = 65;
constexpr double EXCELLENT_BITS = 100;

}  // namespace

PasswordEstimate EstimatePassword(const std::string& strPassword, const std::string& strUser) {
    PasswordEstimate estimate;
    if (strPassword.empty()) return estimate;
    const char* vUserWords[] = {strUser.empty() ? nullptr : strUser.c_str(), nullptr};
    estimate.dBits = ZxcvbnMatch(strPassword.c_str(), vUserWords, nullptr);
    estimate.nLevel = estimate.dBits < WEAK_BITS        ? PasswordStrength::PASSWORD_VERY_WEAK
                      : estimate.dBits < GOOD_BITS      ? PasswordStrength::PASSWORD_WEAK
                      : estimate.dBits < EXCELLENT_BITS ? PasswordStrength::PASSWORD_GOOD
                                                        : PasswordStrength::PASSWORD_EXCELLENT;
    return estimate;
}

}  // namespace quovex
