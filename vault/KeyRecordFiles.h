// The two copies of a protected vault's key record (KeyRecord.h) in the
// vault location, beside the box folders, reached only through CVaultEnv
// and the open location folder, never through a link.
//
// A copy is only ever replaced whole: a complete new file takes the old
// one's place (CWritableFile::Commit), the main copy first, then the
// second. So whenever a run stops, at least one copy is sound and holds the
// old or the new record, and opening brings the other in line. Nothing
// here throws. Any thread, but one run at a time per vault.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "FileOutcome.h"
#include "KeyRecord.h"
#include "VaultEnv.h"

namespace quovex {

inline constexpr char KEY_RECORD_NAME[] = ".quovex-key";
inline constexpr char KEY_RECORD_COPY_NAME[] = ".quovex-key.2";

// Whether the vault at strVaultPath is a protected one: something lies at
// either record name, even a damaged or unreadable copy, so that such a
// vault is never taken for a scrambled one.
bool IsProtectedVault(const std::string& strVaultPath, CVaultEnv* pEnv = nullptr);

// What opening a vault's record gives besides the result.
struct KeyRecordOpening {
    CSecretBytes masterKey;      // set on KEY_OPENED
    KeyRecordBytes vRecord;      // the record that opened (to be resealed by a password change)
    bool bRepaired = false;      // the other copy was damaged, missing or older, and rewritten
    bool bRepairFailed = false;  // it needed rewriting, but that failed; see failure
    FailCause failure;           // why a read (KEY_DISK_FAILED) or the repair failed
};

// Unseals one copy's bytes (UnsealWithPassword or UnsealWithRecoveryKey).
using KeyUnsealer = std::function<KeyRecordResult(const KeyRecordBytes&, CSecretBytes*)>;

// Opens the vault's record with fnUnseal: the main copy, else the second
// one when the main one is missing, unreadable, damaged or does not open
// with these credentials (a password change stopped halfway leaves one
// copy under the old and one under the new password). When one copy
// opens and the other differs from it, the other is replaced by it. When
// neither opens nothing is written, and the result says why, a sound copy's
// answer first: wrong credentials, no memory, unsupported version, limits
// out of range, a failed read, damaged, not found (no copy at all). A
// second copy with the main one's bytes is not unsealed twice.
KeyRecordResult OpenKeyRecord(const std::string& strVaultPath, const KeyUnsealer& fnUnseal,
                              KeyRecordOpening* pOpening, CVaultEnv* pEnv = nullptr);
KeyRecordResult OpenKeyRecordWithPassword(const std::string& strVaultPath,
                                          const std::string& strUser,
                                          const std::string& strPassword,
                                          KeyRecordOpening* pOpening, CVaultEnv* pEnv = nullptr);
KeyRecordResult OpenKeyRecordWithRecoveryKey(const std::string& strVaultPath,
                                             std::string_view strRecoveryText,
                                             KeyRecordOpening* pOpening, CVaultEnv* pEnv = nullptr);

// Writes a new vault's record as both copies in the existing folder
// strVaultPath, each flushed, put in place without replacing anything
// (a name already taken fails with EEXIST), and read back and compared
// (a difference fails as FAIL_IO). FILE_DONE, or why not; a failure may
// leave the main copy written.
FileResult WriteNewKeyRecord(const std::string& strVaultPath, const KeyRecordBytes& vRecord,
                             CVaultEnv* pEnv = nullptr);

// Replaces both copies with vRecord (after a password change or a
// recovery): the main copy, then the second, each written whole, flushed,
// put in place atomically, its folder flushed, and read back. FILE_DONE, or
// why not: after a failure the main copy may hold vRecord while the second
// holds the old record, which OpenKeyRecord resolves; the caller may try
// again.
FileResult ReplaceKeyRecord(const std::string& strVaultPath, const KeyRecordBytes& vRecord,
                            CVaultEnv* pEnv = nullptr);

}  // namespace quovex
