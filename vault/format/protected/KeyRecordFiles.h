// The two copies of a protected vault's key record (KeyRecord.h) in the
// vault location, beside the box folders, reached only through CVaultEnv
// and the open location folder, never through a link.
//
// A copy is only ever replaced whole: a complete new file takes the old
// one's place (CWritableFile::Commit), the main copy first, then the
// second. So whenever a run stops, at least one copy is sound and holds the
// old or the new record, and opening brings the other in line, but only
// from a copy of the same vault: a record of another vault copied in never
// replaces this vault's. Nothing
// here throws. Any thread, but one run at a time per vault.
#pragma once

#include <cstdint>
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
bool IsProtectedVault(const std::string& strVaultPath, CVaultEnv* pEnv);

// What opening a vault's record gives besides the result.
struct KeyRecordOpening {
    CSecretBytes masterKey;      // set on KEY_OPENED
    KeyRecordBytes vRecord;      // the record that opened (to be resealed by a password change)
    bool bRepaired = false;      // the other copy was damaged, missing or older, and rewritten
    bool bRepairFailed = false;  // it needed rewriting, but that failed; see failure
    FailCause failure;           // why a read (KEY_DISK_FAILED) or the repair failed
    // The name of a copy found to belong to another vault (KEY_RECORD_NAME
    // or KEY_RECORD_COPY_NAME), "" when none: left as it is, also when the
    // vault opened by the other copy, so that the faces can tell the user.
    std::string strForeignCopy;
    // A sound record of the same vault newer than the one that opened lies
    // beside it (a newer generation, or at the same generation the main
    // copy's other bytes): the credentials were changed (on another
    // machine, or by a change stopped halfway), and these are not the ones
    // in force.
    bool bOlderCopy = false;
    // The newest generation among the sound records of this vault found
    // (both copies and conflict copies): a new password part is sealed
    // above it (ResealKeyRecord's nNewestKnown).
    std::uint64_t nNewestGeneration = 0;
    // The name of the file that opened: a copy's, or a sync engine's
    // conflict copy's (ConflictNames.h) when only that one opened.
    std::string strOpenedName;
};

// Whether a master key is the one the vault's stored files were sealed
// with (StoredKeyFit.h tries it).
enum class KeyFit {
    KEY_FITS,          // a protected stored file's metadata opened with the key
    KEY_DOES_NOT_FIT,  // protected stored files were tried, and none opened
    KEY_UNTRIED,       // the boxes hold no protected stored file to try
};

// Unseals one copy's bytes (UnsealWithPassword or UnsealWithRecoveryKey).
using KeyUnsealer = std::function<KeyRecordResult(const KeyRecordBytes&, CSecretBytes*)>;
// Whether a master key is the vault's own (TryKeyOnStoredFiles); null
// counts as KEY_UNTRIED.
using KeyFitter = std::function<KeyFit(const CSecretBytes&)>;

// Opens the vault's record with fnUnseal: the main copy, else the second
// one when the main one is missing, unreadable, damaged or does not open
// with these credentials (a password change stopped halfway leaves one
// copy under the old and one under the new password). A second copy with
// the main one's bytes is not unsealed twice.
//
// A copy is rewritten only from a copy of the same vault. When one copy
// opens and the other is a sound record of the same vault id but other
// bytes, the other is replaced by it. When the other is missing, damaged
// or unreadable, it is replaced only if fnFits does not find the opened key
// foreign (KEY_OTHER_VAULT otherwise, nothing written). When the other is a
// sound record of another vault id, nothing is written: the copy whose key
// fnFits finds fitting is in force and the other is named in
// strForeignCopy; when the opened one does not fit, the other is tried with
// the same credentials; when no stored file decides, KEY_TWO_VAULTS.
//
// Two sound copies of the same vault with other bytes are told apart by
// their generation: the newer one is in force and brings the other in line
// (whichever name it lies under: a sync engine may bring the second copy
// before the main one); the older one opens but writes nothing (bOlderCopy).
// At the same generation the main copy is the newer, as a change writes it
// first.
//
// A sync engine's conflict copies of either name (".sync-conflict-", and
// Nextcloud's and Dropbox's patterns: the copy it kept when the record was
// changed on two machines while apart) are read too. One of another vault
// id is never used or written over (named in strForeignCopy when nothing
// else is). Of this vault's, those newer than the copy that opened, or,
// when no copy opened, those not older than the copies (an older one is a
// record a newer one replaced, which must not bring its password back),
// are tried with the credentials, newest first: any that opens to a key the stored files do not
// find foreign opens the vault, and when it is newer than both copies it replaces them, so that the
// newest generation is in force. Conflict copies are never written or removed here (the other
// machine's new password still opens through them); a new password removes those it supersedes
// (ReplaceKeyRecord).
//
// When nothing opens nothing is written, and the result says why, a sound
// copy's answer first: wrong credentials, no memory, unsupported version,
// limits out of range, a failed read, damaged, not found (no copy at all).
KeyRecordResult OpenKeyRecord(const std::string& strVaultPath, const KeyUnsealer& fnUnseal,
                              const KeyFitter& fnFits, KeyRecordOpening* pOpening, CVaultEnv* pEnv);
// OpenKeyRecord with the password or the recovery key as typed; fnFits as
// there (the caller binds TryKeyOnStoredFiles to the vault's boxes).
KeyRecordResult OpenKeyRecordWithPassword(const std::string& strVaultPath,
                                          const std::string& strUser,
                                          const std::string& strPassword, const KeyFitter& fnFits,
                                          KeyRecordOpening* pOpening, CVaultEnv* pEnv);
KeyRecordResult OpenKeyRecordWithRecoveryKey(const std::string& strVaultPath,
                                             std::string_view strRecoveryText,
                                             const KeyFitter& fnFits, KeyRecordOpening* pOpening,
                                             CVaultEnv* pEnv);

// Writes a new vault's record as both copies in the existing folder
// strVaultPath, each flushed, put in place without replacing anything
// (a name already taken fails with EEXIST), and read back and compared
// (a difference fails as FAIL_IO). FILE_DONE, or why not; a failure may
// leave the main copy written.
FileResult WriteNewKeyRecord(const std::string& strVaultPath, const KeyRecordBytes& vRecord,
                             CVaultEnv* pEnv);

// Replaces both copies with vRecord (after a password change or a
// recovery): the main copy, then the second, each written whole, flushed,
// put in place atomically, its folder flushed, and read back. FILE_DONE, or
// why not: after a failure the main copy may hold vRecord while the second
// holds the old record, which OpenKeyRecord resolves; the caller may try
// again. Once both are in place, the sync engines' conflict copies of the
// same vault and an older generation are removed (each only while it is
// still the file that was read), so that no password the new one replaces
// opens the vault through them; one that cannot be removed is no failure.
FileResult ReplaceKeyRecord(const std::string& strVaultPath, const KeyRecordBytes& vRecord,
                            CVaultEnv* pEnv);

}  // namespace quovex
