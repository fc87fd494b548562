// How a vault of either kind is opened, made, and given a new password.
// A protected vault is one with a key record (KeyRecordFiles.h): the typed
// user name and password unseal its master key. A scrambled vault has
// none: the credential rule (CredentialRule.h) decides by its first stored
// file. A scrambled vault made here also carries a mark (Boxes.h),
// so that it stays one while it is empty. A location with none of these
// holds no vault yet. The login, the settings sheet and quovex-tool all go
// through these, so both faces decide alike. Nothing here shows anything
// or throws. Any thread, but the derivations take about half a second
// each: the window calls them under the wait cursor.
#pragma once

#include <string>

#include "FailReason.h"
#include "KeyRecord.h"
#include "SecretBytes.h"

namespace quovex {

class CVaultEnv;
class CVaultKey;

enum class VaultKind {
    VAULT_NONE,       // no key record, no scrambled mark, no stored file in the boxes
    VAULT_SCRAMBLED,  // stored files or the scrambled mark, and no key record
    VAULT_PROTECTED,  // a key record (either copy, even a damaged one)
};

// Whether strLocation holds no key record but what only a vault with one
// holds: a protected stored file in its boxes, a conflict copy of the key
// record (a name beginning ".quovex-key" beside the two copies), or its box
// folders in a folder a sync engine shares (.stfolder, .stversions) with no
// scrambled vault's mark. Such a place is the copy of a vault whose record
// has not arrived (or was lost): taking it for a new vault would store the
// next files under another key. Reads only.
bool RecordAwaited(const std::string& strLocation, CVaultEnv* pEnv);

// A new password for a protected vault (a new vault, a change, a
// conversion, a recovery) has at least this many characters; logging in
// keeps the scrambled format's 4 to 63 bytes. Both faces check it before
// they call in here.
constexpr std::size_t PROTECTED_PASSWORD_MIN_CHARS = 8;
// Whether the UTF-8 text strPassword has PROTECTED_PASSWORD_MIN_CHARS
// characters (code points) or more.
bool IsLongEnoughForProtection(const std::string& strPassword);

// Whether strPassword is the password key's scramble key was made from
// (with key's user name; compared in constant time). False when key holds
// no scramble key.
bool IsScramblePassword(const CVaultKey& key, const std::string& strPassword);

// What lies at strLocation. Reads only.
VaultKind KindOfVault(const std::string& strLocation, CVaultEnv* pEnv);

enum class AccessResult {
    ACCESS_OPENED,              // done
    ACCESS_WRONG_CREDENTIALS,   // the user name or password is not the vault's
    ACCESS_WRONG_RECOVERY_KEY,  // the recovery key is not the vault's
    ACCESS_FIRST_FILE_DAMAGED,  // scrambled: the first stored file cannot decide (strPath, cause)
    ACCESS_RECORD_DAMAGED,      // protected: neither copy of the key record is sound
    ACCESS_RECORD_UNSUPPORTED,  // protected: a record of a later version, or limits out of range
    ACCESS_NOT_PROTECTED,       // a password change or recovery asked of a vault without a record
    ACCESS_EXISTS,              // making a vault where one is already
    ACCESS_NO_MEMORY,           // secret memory or the derivation's memory could not be had
    ACCESS_DISK_FAILED,         // reading or writing failed (cause)
    // A password change asked of a protected vault that still holds
    // scrambled stored files (strPath, the first met): they open only with
    // the password in force, so the conversion must finish first.
    ACCESS_SCRAMBLED_FILES_LEFT,
    // the open vault's key alone cannot open what lies at another location
    // (a protected vault there, or a scrambled one without a scramble key
    // held): the password must be typed again
    ACCESS_PASSWORD_NEEDED,
    // the location was opened as a protected vault before (KnownVaults.h),
    // but holds no key record any more: without it nobody can open its
    // files, and a vault taken for a scrambled or new one there would store
    // the next files under other keys (strPath: the location)
    ACCESS_RECORD_LOST,
    // a new protected vault's password is the one its scrambled files were
    // stored with, which any of those files gives away
    ACCESS_PASSWORD_UNCHANGED,
    // protected: the key record copy strPath, which these credentials open,
    // belongs to another vault (the stored files do not open with it)
    ACCESS_OTHER_VAULT_RECORD,
    // protected: the two copies of the key record are of two vaults, and no
    // stored file tells which is this one's (strPath: the location)
    ACCESS_RECORDS_OF_TWO_VAULTS,
    // no key record, but the location holds what only a vault with one
    // has (RecordAwaited): the record is missing or, with a sync engine,
    // has not arrived yet; nothing is made there (strPath: the location)
    ACCESS_RECORD_AWAITED,
};

struct AccessOutcome {
    AccessResult nResult = AccessResult::ACCESS_WRONG_CREDENTIALS;
    std::string strPath;  // the file concerned, where there is one
    FailCause cause;      // why, for ACCESS_DISK_FAILED and ACCESS_FIRST_FILE_DAMAGED
    // Also when opened: a key record copy that belongs to another vault and
    // was left as it is (its path), for the user to hear of; "" for none.
    std::string strForeignRecord;
    // Also when opened: the credentials opened an older copy of the key
    // record; the password was changed since (on another machine, say), and
    // the new one is to be used from now on.
    bool bOlderRecord = false;
    // With bOlderRecord: the record that opened is a sync engine's conflict
    // copy (its path): the password was changed on two machines while they
    // were apart, and this one is the other machine's. Both open the vault
    // until the next password change. "" otherwise.
    std::string strConflictRecord;

    bool Opened() const { return nResult == AccessResult::ACCESS_OPENED; }
};

// Opens the vault at strLocation with the credentials pKey was made from
// (strPassword must be the same password): a protected vault's master key
// is unsealed into pKey (and its record into *pRecord, when given); a
// scrambled vault or no vault is judged by the credential rule.
AccessOutcome OpenVaultKey(const std::string& strLocation, const std::string& strPassword,
                           CVaultKey* pKey, KeyRecordBytes* pRecord, CVaultEnv* pEnv);

// Makes a new vault at strLocation (the folder and its boxes are made when
// missing; ACCESS_EXISTS when KindOfVault is not VAULT_NONE). bProtected:
// a key record is written, flushed and read back, its master key set in
// pKey, its record in *pRecord and the recovery key text, to be shown
// once, in *pRecoveryText. Otherwise a scrambled vault, as the login has
// always made them, with its mark placed, so that a later store or login
// takes the empty vault for a scrambled one too.
AccessOutcome CreateVault(const std::string& strLocation, const std::string& strPassword,
                          bool bProtected, const KdfLimits& limits, CVaultKey* pKey,
                          KeyRecordBytes* pRecord, CSecretBytes* pRecoveryText, CVaultEnv* pEnv);

// The first step of converting the scrambled vault at strLocation: after
// the credential rule let pKey's credentials in, a key record is made for
// pKey's user name and strNewPassword (as CreateVault does) and pKey holds
// its master key. From then on the vault opens as a protected one with the
// new password, while its scrambled files, until ConvertWorker
// (VaultConversion.h) rewrites them, are read with pKey's scramble key.
// The new password must not be the old one: the scrambled format's key is
// the user name and password interleaved, and every scrambled file (an old
// backup, a snapshot, freed disk blocks) gives it away
// (ACCESS_PASSWORD_UNCHANGED). ACCESS_EXISTS when the vault is protected
// already.
AccessOutcome ProtectVault(const std::string& strLocation, const std::string& strNewPassword,
                           const KdfLimits& limits, CVaultKey* pKey, KeyRecordBytes* pRecord,
                           CSecretBytes* pRecoveryText, CVaultEnv* pEnv);

// The scrambled stored files left in the boxes of a protected vault whose
// conversion stopped early, as a key's scramble key sees them: strFirst is
// the first met ("" when none is left), bOpen whether the credential rule
// accepts the scramble key there. Reads every stored file's signature until
// one is found.
struct ScrambledFilesLeft {
    std::string strFirst;
    bool bOpen = false;
};
ScrambledFilesLeft FindScrambledFilesLeft(const std::string& strLocation, const CVaultKey& key,
                                          CVaultEnv* pEnv);

// The scrambled files left in a protected vault were stored under another
// password than the one in force (a conversion under a new password that
// stopped early): pKey's scramble key is made from its user name and
// strOldPassword once the first of them accepts it. ACCESS_WRONG_CREDENTIALS
// otherwise (pKey unchanged), ACCESS_FIRST_FILE_DAMAGED when it cannot tell.
AccessOutcome AdmitScrambledFiles(const std::string& strLocation, const std::string& strOldPassword,
                                  CVaultKey* pKey, CVaultEnv* pEnv);

// Seals the master key of the protected vault at strLocation under
// strNewPassword, after strOldPassword opened it; both copies of the record
// are replaced, no stored file is rewritten, and the recovery key stays
// valid. A kill at any moment leaves a record that opens with the old or
// the new password. The new record in *pNewRecord, when given. Refused
// (ACCESS_SCRAMBLED_FILES_LEFT) while the boxes still hold a scrambled
// stored file, which the new password would not open.
// With bConverting, the scrambled files left are no refusal: their
// conversion goes on with the scramble key the caller holds, and the new
// password must differ from strOldPassword (ACCESS_PASSWORD_UNCHANGED),
// since those files give it away.
AccessOutcome ChangeVaultPassword(const std::string& strLocation, const std::string& strUser,
                                  const std::string& strOldPassword,
                                  const std::string& strNewPassword, const KdfLimits& limits,
                                  CVaultEnv* pEnv, KeyRecordBytes* pNewRecord = nullptr,
                                  bool bConverting = false);

// The forgotten password: the recovery key opens the record, which is
// sealed again under strUser and strNewPassword; pKey, made from those,
// then holds the master key (and *pNewRecord, when given, the new record).
AccessOutcome RecoverVault(const std::string& strLocation, const std::string& strRecoveryText,
                           const std::string& strNewPassword, const KdfLimits& limits,
                           CVaultKey* pKey, CVaultEnv* pEnv, KeyRecordBytes* pNewRecord = nullptr);

// Whether this build opens vaults whose names are hidden. Until it does,
// no face offers to hide a vault's names, and HideVaultNames refuses
// (ACCESS_RECORD_UNSUPPORTED): the vault would not open afterwards.
bool HiddenNamesOpen();

// The last step of hiding the names of the protected vault at strLocation,
// to be taken only once a run of HideNamesWorker (NamesConversion.h) hid
// every name there (AllNamesHidden): its key record, opened with pKey's
// user name and strPassword, is replaced by the same vault's record with
// hidden names (RecordWithHiddenNames: the same vault id and master key, a
// new password part and a new recovery key), both copies as a password
// change replaces them, so that a kill at any moment leaves the old record
// or the new one. pKey then says the names are hidden, the new record is
// in *pNewRecord (when given) and the new recovery key's text, to be shown
// once, in *pRecoveryText; the old recovery key opens only old copies of
// the record. The password need not change: a protected stored file gives
// nothing of it away. Refused with ACCESS_SCRAMBLED_FILES_LEFT while a
// scrambled stored file is left (it would be passed over from then on),
// ACCESS_EXISTS when the record hides names already, ACCESS_OTHER_VAULT_RECORD
// when the master key it seals is not pKey's (the run worked with another).
AccessOutcome HideVaultNames(const std::string& strLocation, const std::string& strPassword,
                             const KdfLimits& limits, CVaultKey* pKey, KeyRecordBytes* pNewRecord,
                             CSecretBytes* pRecoveryText, CVaultEnv* pEnv);

// Makes the location strLocation, which holds no vault, another place of
// the open protected vault whose record is vRecord: the folder and its
// boxes are made and the record is written there as it is (the same
// master key and recovery key), flushed and read back. ACCESS_EXISTS when
// KindOfVault is not VAULT_NONE; after a failure no copy of it is left.
AccessOutcome PlaceVaultRecord(const std::string& strLocation, const KeyRecordBytes& vRecord,
                               CVaultEnv* pEnv);

}  // namespace quovex
