#include "VaultAccess.h"

#include <sodium.h>

#include <algorithm>
#include <vector>

#include "Boxes.h"
#include "ChunkIo.h"
#include "ConflictNames.h"
#include "CredentialRule.h"
#include "FolderChanges.h"
#include "FolderWalk.h"
#include "KeyRecordFiles.h"
#include "KnownVaults.h"
#include "PathText.h"
#include "ScrambledFormat.h"
#include "StoredFileInfo.h"
#include "StoredFormat.h"
#include "StoredKeyFit.h"
#include "VaultKey.h"

namespace quovex {

namespace {

std::string RecordPath(const std::string& strLocation) {
    return strLocation + "/" + KEY_RECORD_NAME;
}

AccessOutcome Outcome(AccessResult nResult, const std::string& strPath = std::string(),
                      FailCause cause = FailCause()) {
    AccessOutcome outcome;
    outcome.nResult = nResult;
    outcome.strPath = strPath;
    outcome.cause = cause;
    return outcome;
}

// Whether a master key is the vault's at strLocation, by its stored files.
KeyFitter FitterOf(const std::string& strLocation, CVaultEnv* pEnv) {
    return [strLocation, pEnv](const CSecretBytes& masterKey) {
        return TryKeyOnStoredFiles(strLocation, masterKey, pEnv);
    };
}

// What a key record's answer means to the one who asked to get in.
AccessOutcome FromKeyResult(KeyRecordResult nResult, const std::string& strLocation,
                            const FailCause& failure = FailCause(),
                            const std::string& strForeignCopy = std::string()) {
    switch (nResult) {
        case KeyRecordResult::KEY_OTHER_VAULT:
            return Outcome(AccessResult::ACCESS_OTHER_VAULT_RECORD,
                           JoinPath(strLocation, strForeignCopy));
        case KeyRecordResult::KEY_TWO_VAULTS:
            return Outcome(AccessResult::ACCESS_RECORDS_OF_TWO_VAULTS, strLocation);
        case KeyRecordResult::KEY_OPENED:
            return Outcome(AccessResult::ACCESS_OPENED);
        case KeyRecordResult::KEY_WRONG_CREDENTIALS:
            return Outcome(AccessResult::ACCESS_WRONG_CREDENTIALS);
        case KeyRecordResult::KEY_WRONG_RECOVERY_KEY:
            return Outcome(AccessResult::ACCESS_WRONG_RECOVERY_KEY);
        case KeyRecordResult::KEY_DAMAGED:
            return Outcome(AccessResult::ACCESS_RECORD_DAMAGED, RecordPath(strLocation));
        case KeyRecordResult::KEY_UNSUPPORTED_VERSION:
        case KeyRecordResult::KEY_LIMITS_OUT_OF_RANGE:
            return Outcome(AccessResult::ACCESS_RECORD_UNSUPPORTED, RecordPath(strLocation));
        case KeyRecordResult::KEY_NO_MEMORY:
            return Outcome(AccessResult::ACCESS_NO_MEMORY);
        case KeyRecordResult::KEY_NOT_FOUND:
            return Outcome(AccessResult::ACCESS_NOT_PROTECTED);
        case KeyRecordResult::KEY_DISK_FAILED:
            break;
    }
    return Outcome(AccessResult::ACCESS_DISK_FAILED, RecordPath(strLocation), failure);
}

AccessOutcome FromJudgement(const CredentialJudgement& judgement) {
    switch (judgement.nVerdict) {
        case CredentialVerdict::CREDENTIALS_ACCEPTED:
            return Outcome(AccessResult::ACCESS_OPENED);
        case CredentialVerdict::CREDENTIALS_REJECTED:
            return Outcome(AccessResult::ACCESS_WRONG_CREDENTIALS, judgement.strStoredFile);
        case CredentialVerdict::CREDENTIALS_UNDECIDED:
            break;
    }
    return Outcome(AccessResult::ACCESS_FIRST_FILE_DAMAGED, judgement.strStoredFile,
                   judgement.cause);
}

AccessOutcome DiskFailed(const std::string& strPath, const FileResult& result) {
    return Outcome(AccessResult::ACCESS_DISK_FAILED, strPath, result.cause);
}

// True when the record copy pszName at the location holds exactly vRecord.
bool HoldsRecord(CFolder& location, const char* pszName, const KeyRecordBytes& vRecord) {
    std::unique_ptr<CReadableFile> pFile = location.OpenFile(pszName);
    if (!pFile) return false;
    KeyRecordBytes vRead(vRecord.size() + 1);
    const std::int64_t nRead = ReadFull(*pFile, vRead.data(), vRead.size());
    return nRead == static_cast<std::int64_t>(vRecord.size()) &&
           std::equal(vRecord.begin(), vRecord.end(), vRead.begin());
}

// A new record that could not be written whole is taken away again: its
// recovery key was never shown, so a vault left with it would hold a
// recovery key nobody has, and a second try would find a vault there.
// Only copies that hold this very record are removed.
void RemoveNewRecord(const std::string& strLocation, const KeyRecordBytes& vRecord,
                     CVaultEnv* pEnv) {
    const FolderPtr pLocation = pEnv->OpenFolder(strLocation);
    if (!pLocation) return;
    for (const char* pszName : {KEY_RECORD_COPY_NAME, KEY_RECORD_NAME}) {
        if (HoldsRecord(*pLocation, pszName, vRecord)) pLocation->DeleteFile(pszName);
    }
}

// Writes vRecord as both copies at the existing folder strLocation; what
// was written is taken away again when that fails.
AccessOutcome WriteRecord(const std::string& strLocation, const KeyRecordBytes& vRecord,
                          CVaultEnv* pEnv) {
    const FileResult written = WriteNewKeyRecord(strLocation, vRecord, pEnv);
    if (written.nOutcome == FileOutcome::FILE_DONE) return Outcome(AccessResult::ACCESS_OPENED);
    RemoveNewRecord(strLocation, vRecord, pEnv);
    return DiskFailed(RecordPath(strLocation), written);
}

// How new protected vaults name their stored files. The whole program
// reads and writes both kinds of names, and every face shows hidden ones
// as plain names, so new vaults hide theirs.
constexpr VaultNames NEW_VAULT_NAMES = VaultNames::NAMES_HIDDEN;
// Whether a vault with hidden names is opened at all. A build that cannot
// show them refuses it as made by a later version: storing plain names into
// it would give away what it hides.
constexpr bool HIDDEN_NAMES_OPEN = true;

bool HidesNames(const KeyRecordBytes& vRecord) {
    return NamesOfRecord(vRecord) == VaultNames::NAMES_HIDDEN;
}

// Makes *pKey the key of the vault of vRecord, whose master key it opened.
void SetRecordKey(CVaultKey* pKey, CSecretBytes master, const KeyRecordBytes& vRecord) {
    static_assert(PFF_VAULT_ID_SIZE == KR_VAULT_ID_SIZE);
    unsigned char bytes[KR_VAULT_ID_SIZE];
    if (!ReadVaultId(vRecord, bytes)) {
        pKey->SetMasterKey(std::move(master), HidesNames(vRecord));
        return;
    }
    VaultIdBytes id;
    std::copy(bytes, bytes + KR_VAULT_ID_SIZE, id.begin());
    pKey->SetMasterKey(std::move(master), HidesNames(vRecord), id);
}

// The opening's result, a record of a vault this build cannot yet work in
// refused as a later version's.
KeyRecordResult UsableHere(KeyRecordResult nResult, const KeyRecordOpening& opened) {
    if (nResult == KeyRecordResult::KEY_OPENED && !HIDDEN_NAMES_OPEN &&
        NamesOfRecord(opened.vRecord) == VaultNames::NAMES_HIDDEN)
        return KeyRecordResult::KEY_UNSUPPORTED_VERSION;
    return nResult;
}

// Makes a record for pKey's user name and strPassword, writes it as both
// copies at the existing folder strLocation and hands out what it gives.
AccessOutcome WriteProtection(const std::string& strLocation, const std::string& strPassword,
                              const KdfLimits& limits, VaultNames names, CVaultKey* pKey,
                              KeyRecordBytes* pRecord, CSecretBytes* pRecoveryText,
                              CVaultEnv* pEnv) {
    NewKeyRecord made;
    const KeyRecordResult nMade = CreateKeyRecord(pKey->User(), strPassword, limits, names, &made);
    if (nMade != KeyRecordResult::KEY_OPENED) return FromKeyResult(nMade, strLocation);
    const AccessOutcome written = WriteRecord(strLocation, made.vRecord, pEnv);
    if (!written.Opened()) return written;
    SetRecordKey(pKey, std::move(made.masterKey), made.vRecord);
    // A safeguard, not part of the vault: a failed write of it stops nothing.
    RememberProtected(strLocation, made.vRecord);
    if (pRecord) *pRecord = made.vRecord;
    if (pRecoveryText) *pRecoveryText = std::move(made.recoveryText);
    return Outcome(AccessResult::ACCESS_OPENED);
}

// The location and its box folders made, or why not: the folder that
// cannot be opened, with the errno of its own making (the first folder on
// its way that could not be made); a later look at it only finds it
// missing.
AccessOutcome MakeLocation(const std::string& strLocation, CVaultEnv* pEnv) {
    std::vector<std::string> vFolders{strLocation};
    for (int nBox = 0; nBox < BOX_COUNT; ++nBox)
        vFolders.push_back(BoxFolderPath(strLocation, nBox));
    for (const std::string& strFolder : vFolders) {
        const int nError = CreateDirectoryPath(strFolder + "/", 0700, pEnv);
        if (pEnv->OpenFolder(strFolder)) continue;
        const FailCause cause = nError ? CauseOfErrno(nError) : CauseOfLastError();
        return Outcome(AccessResult::ACCESS_DISK_FAILED, strFolder, cause);
    }
    return Outcome(AccessResult::ACCESS_OPENED);
}

// A scrambled vault's mark placed at its new location, so that it stays a
// scrambled vault while it holds no stored file.
AccessOutcome MarkScrambled(const std::string& strLocation, CVaultEnv* pEnv) {
    if (PlaceScrambledMark(strLocation, pEnv)) return Outcome(AccessResult::ACCESS_OPENED);
    return Outcome(AccessResult::ACCESS_DISK_FAILED, JoinPath(strLocation, SCRAMBLED_MARK_NAME),
                   CauseOfLastError());
}

// The first stored file below pFolder that is a scrambled one, or "".
std::string FindScrambledIn(const FolderPtr& pFolder, const std::string& strPath) {
    std::string strFound;
    if (!pFolder) return strFound;
    WalkFolder(pFolder, strPath, [&](const WalkEntry& entry) {
        if (entry.kind == EntryKind::ENTRY_FOLDER) {
            strFound = FindScrambledIn(entry.pFolder->OpenFolder(entry.strName), entry.strPath);
        } else if (entry.kind == EntryKind::ENTRY_FILE) {
            const std::unique_ptr<CReadableFile> pFile = entry.pFolder->OpenFile(entry.strName);
            unsigned char head[STORED_SIGNATURE_PEEK] = {};
            const std::int64_t nRead = pFile ? ReadFull(*pFile, head, sizeof head) : -1;
            if (nRead > 0 && IsScrambledSignature(head, static_cast<std::size_t>(nRead)))
                strFound = entry.strPath;
        }
        return strFound.empty();
    });
    return strFound;
}

std::string FindScrambledFile(const std::string& strLocation, CVaultEnv* pEnv) {
    std::string strFound;
    for (int nBox = 0; nBox < BOX_COUNT && strFound.empty(); ++nBox) {
        const std::string strBox = BoxFolderPath(strLocation, nBox);
        strFound = FindScrambledIn(pEnv->OpenFolder(strBox), strBox);
    }
    return strFound;
}

// Seals the opened record's master key under strUser and strNewPassword
// and puts the new record in place of both copies.
AccessOutcome Reseal(const std::string& strLocation, const KeyRecordOpening& opened,
                     const std::string& strUser, const std::string& strNewPassword,
                     const KdfLimits& limits, CVaultEnv* pEnv, KeyRecordBytes* pNewRecord) {
    KeyRecordBytes vNew;
    const KeyRecordResult nSealed =
        ResealKeyRecord(opened.vRecord, opened.masterKey, strUser, strNewPassword, limits, &vNew,
                        opened.nNewestGeneration);
    if (nSealed != KeyRecordResult::KEY_OPENED) return FromKeyResult(nSealed, strLocation);
    const FileResult replaced = ReplaceKeyRecord(strLocation, vNew, pEnv);
    if (replaced.nOutcome != FileOutcome::FILE_DONE)
        return DiskFailed(RecordPath(strLocation), replaced);
    RememberProtected(strLocation, vNew);
    if (pNewRecord) *pNewRecord = std::move(vNew);
    return Outcome(AccessResult::ACCESS_OPENED);
}

// A location opened as a protected vault before that holds no key record
// now is refused, whatever else lies there.
bool RecordLost(const std::string& strLocation, CVaultEnv* pEnv) {
    return IsKnownProtected(strLocation) && !IsProtectedVault(strLocation, pEnv);
}

bool SameSecretText(const std::string& a, const std::string& b) {
    return a.size() == b.size() && sodium_memcmp(a.data(), b.data(), a.size()) == 0;
}

}  // namespace

bool IsScramblePassword(const CVaultKey& key, const std::string& strNewPassword) {
    if (!key.CanScramble()) return false;
    const CVaultCipher candidate(key.User(), strNewPassword);
    return candidate.IsValid() &&
           sodium_memcmp(candidate.PasswordBytes(), key.Cipher().PasswordBytes(),
                         CIPHER_FIELD_SIZE) == 0;
}

bool IsLongEnoughForProtection(const std::string& strPassword) {
    // Every byte but a UTF-8 continuation byte starts a character.
    const std::size_t nChars = static_cast<std::size_t>(std::count_if(
        strPassword.begin(), strPassword.end(), [](char c) { return (c & 0xC0) != 0x80; }));
    return nChars >= PROTECTED_PASSWORD_MIN_CHARS;
}

bool RecordAwaited(const std::string& strLocation, CVaultEnv* pEnv) {
    if (IsProtectedVault(strLocation, pEnv)) return false;
    const FolderPtr pLocation = pEnv->OpenFolder(strLocation);
    std::vector<FolderEntry> vEntries;
    if (!pLocation || !pLocation->List(&vEntries)) return false;
    bool bShared = false;
    for (const FolderEntry& entry : vEntries) {
        // A sync engine's conflict copy of the record: its original is on its way.
        ConflictCopyName conflict;
        if (entry.strName.rfind(KEY_RECORD_NAME, 0) == 0 ||
            (ReadConflictCopyName(entry.strName, &conflict) &&
             conflict.strOriginal.rfind(KEY_RECORD_NAME, 0) == 0))
            return true;
        bShared = bShared || entry.strName == ".stfolder" || entry.strName == ".stversions";
    }
    const std::string strFirst = FindFirstStoredFileInBoxes(strLocation, pEnv);
    if (!strFirst.empty())
        return ReadStoredFileInfo(strFirst, pEnv).nKind == StoredKind::STORED_PROTECTED;
    if (!bShared || HasScrambledMark(strLocation, pEnv)) return false;
    for (int nBox = 0; nBox < BOX_COUNT; ++nBox) {
        if (pEnv->GetKind(BoxFolderPath(strLocation, nBox)) == EntryKind::ENTRY_FOLDER) return true;
    }
    return false;
}

VaultKind KindOfVault(const std::string& strLocation, CVaultEnv* pEnv) {
    if (IsProtectedVault(strLocation, pEnv)) return VaultKind::VAULT_PROTECTED;
    if (HasScrambledMark(strLocation, pEnv)) return VaultKind::VAULT_SCRAMBLED;
    return FindFirstStoredFileInBoxes(strLocation, pEnv).empty() ? VaultKind::VAULT_NONE
                                                                 : VaultKind::VAULT_SCRAMBLED;
}

AccessOutcome OpenVaultKey(const std::string& strLocation, const std::string& strPassword,
                           CVaultKey* pKey, KeyRecordBytes* pRecord, CVaultEnv* pEnv) {
    if (RecordLost(strLocation, pEnv))
        return Outcome(AccessResult::ACCESS_RECORD_LOST, strLocation);
    if (RecordAwaited(strLocation, pEnv))
        return Outcome(AccessResult::ACCESS_RECORD_AWAITED, strLocation);
    if (!IsProtectedVault(strLocation, pEnv))
        return FromJudgement(JudgeVaultCredentials(strLocation, pKey->Cipher(), pEnv));
    KeyRecordOpening opened;
    const KeyRecordResult nResult =
        UsableHere(OpenKeyRecordWithPassword(strLocation, pKey->User(), strPassword,
                                             FitterOf(strLocation, pEnv), &opened, pEnv),
                   opened);
    if (nResult != KeyRecordResult::KEY_OPENED)
        return FromKeyResult(nResult, strLocation, opened.failure, opened.strForeignCopy);
    // A copy that could not be repaired leaves the vault open: the other
    // copy serves, and the next opening tries again.
    SetRecordKey(pKey, std::move(opened.masterKey), opened.vRecord);
    RememberProtected(strLocation, opened.vRecord);
    if (pRecord) *pRecord = std::move(opened.vRecord);
    AccessOutcome outcome = Outcome(AccessResult::ACCESS_OPENED);
    if (!opened.strForeignCopy.empty())
        outcome.strForeignRecord = JoinPath(strLocation, opened.strForeignCopy);
    outcome.bOlderRecord = opened.bOlderCopy;
    if (opened.bOlderCopy && opened.strOpenedName != KEY_RECORD_NAME &&
        opened.strOpenedName != KEY_RECORD_COPY_NAME)
        outcome.strConflictRecord = JoinPath(strLocation, opened.strOpenedName);
    return outcome;
}

AccessOutcome CreateVault(const std::string& strLocation, const std::string& strPassword,
                          bool bProtected, const KdfLimits& limits, CVaultKey* pKey,
                          KeyRecordBytes* pRecord, CSecretBytes* pRecoveryText, CVaultEnv* pEnv) {
    if (RecordAwaited(strLocation, pEnv))
        return Outcome(AccessResult::ACCESS_RECORD_AWAITED, strLocation);
    if (KindOfVault(strLocation, pEnv) != VaultKind::VAULT_NONE)
        return Outcome(AccessResult::ACCESS_EXISTS, strLocation);
    if (RecordLost(strLocation, pEnv))
        return Outcome(AccessResult::ACCESS_RECORD_LOST, strLocation);
    // Credentials the scrambled format refuses are the login's to refuse
    // before this; a scrambled vault could never be opened with them.
    if (!bProtected && !pKey->CanScramble()) return Outcome(AccessResult::ACCESS_WRONG_CREDENTIALS);
    if (bProtected && !KdfLimitsInRange(limits))
        return Outcome(AccessResult::ACCESS_RECORD_UNSUPPORTED);
    const AccessOutcome made = MakeLocation(strLocation, pEnv);
    if (!made.Opened()) return made;
    if (!bProtected) return MarkScrambled(strLocation, pEnv);
    return WriteProtection(strLocation, strPassword, limits, NEW_VAULT_NAMES, pKey, pRecord,
                           pRecoveryText, pEnv);
}

AccessOutcome ProtectVault(const std::string& strLocation, const std::string& strNewPassword,
                           const KdfLimits& limits, CVaultKey* pKey, KeyRecordBytes* pRecord,
                           CSecretBytes* pRecoveryText, CVaultEnv* pEnv) {
    if (IsProtectedVault(strLocation, pEnv)) return Outcome(AccessResult::ACCESS_EXISTS);
    const AccessOutcome judged =
        FromJudgement(JudgeVaultCredentials(strLocation, pKey->Cipher(), pEnv));
    if (!judged.Opened()) return judged;
    if (IsScramblePassword(*pKey, strNewPassword))
        return Outcome(AccessResult::ACCESS_PASSWORD_UNCHANGED);
    // The scrambled files are converted where they lie, under their plain
    // names: the vault's names are visible until they are hidden in a run
    // of their own.
    return WriteProtection(strLocation, strNewPassword, limits, VaultNames::NAMES_VISIBLE, pKey,
                           pRecord, pRecoveryText, pEnv);
}

ScrambledFilesLeft FindScrambledFilesLeft(const std::string& strLocation, const CVaultKey& key,
                                          CVaultEnv* pEnv) {
    ScrambledFilesLeft left;
    left.strFirst = FindScrambledFile(strLocation, pEnv);
    left.bOpen =
        !left.strFirst.empty() && StoredFileAcceptsCredentials(left.strFirst, key.Cipher(), pEnv);
    return left;
}

AccessOutcome AdmitScrambledFiles(const std::string& strLocation, const std::string& strOldPassword,
                                  CVaultKey* pKey, CVaultEnv* pEnv) {
    const std::string strFirst = FindScrambledFile(strLocation, pEnv);
    if (strFirst.empty()) return Outcome(AccessResult::ACCESS_OPENED);
    const CVaultCipher candidate(pKey->User(), strOldPassword);
    const AccessOutcome judged =
        FromJudgement(JudgeStoredFileCredentials(strFirst, candidate, pEnv));
    if (judged.Opened()) pKey->SetScrambleKey(strOldPassword);
    return judged;
}

AccessOutcome ChangeVaultPassword(const std::string& strLocation, const std::string& strUser,
                                  const std::string& strOldPassword,
                                  const std::string& strNewPassword, const KdfLimits& limits,
                                  CVaultEnv* pEnv, KeyRecordBytes* pNewRecord, bool bConverting) {
    if (!IsProtectedVault(strLocation, pEnv)) return Outcome(AccessResult::ACCESS_NOT_PROTECTED);
    if (bConverting && SameSecretText(strNewPassword, strOldPassword))
        return Outcome(AccessResult::ACCESS_PASSWORD_UNCHANGED);
    if (!KdfLimitsInRange(limits)) return Outcome(AccessResult::ACCESS_RECORD_UNSUPPORTED);
    KeyRecordOpening opened;
    const KeyRecordResult nResult =
        UsableHere(OpenKeyRecordWithPassword(strLocation, strUser, strOldPassword,
                                             FitterOf(strLocation, pEnv), &opened, pEnv),
                   opened);
    if (nResult != KeyRecordResult::KEY_OPENED)
        return FromKeyResult(nResult, strLocation, opened.failure, opened.strForeignCopy);
    const std::string strScrambled =
        bConverting ? std::string() : FindScrambledFile(strLocation, pEnv);
    if (!strScrambled.empty())
        return Outcome(AccessResult::ACCESS_SCRAMBLED_FILES_LEFT, strScrambled);
    return Reseal(strLocation, opened, strUser, strNewPassword, limits, pEnv, pNewRecord);
}

AccessOutcome RecoverVault(const std::string& strLocation, const std::string& strRecoveryText,
                           const std::string& strNewPassword, const KdfLimits& limits,
                           CVaultKey* pKey, CVaultEnv* pEnv, KeyRecordBytes* pNewRecord) {
    if (!IsProtectedVault(strLocation, pEnv)) return Outcome(AccessResult::ACCESS_NOT_PROTECTED);
    if (!KdfLimitsInRange(limits)) return Outcome(AccessResult::ACCESS_RECORD_UNSUPPORTED);
    KeyRecordOpening opened;
    const KeyRecordResult nResult =
        UsableHere(OpenKeyRecordWithRecoveryKey(strLocation, strRecoveryText,
                                                FitterOf(strLocation, pEnv), &opened, pEnv),
                   opened);
    if (nResult != KeyRecordResult::KEY_OPENED)
        return FromKeyResult(nResult, strLocation, opened.failure, opened.strForeignCopy);
    const AccessOutcome resealed =
        Reseal(strLocation, opened, pKey->User(), strNewPassword, limits, pEnv, pNewRecord);
    if (resealed.Opened()) SetRecordKey(pKey, std::move(opened.masterKey), opened.vRecord);
    return resealed;
}

bool HiddenNamesOpen() {
    return HIDDEN_NAMES_OPEN;
}

AccessOutcome HideVaultNames(const std::string& strLocation, const std::string& strPassword,
                             const KdfLimits& limits, CVaultKey* pKey, KeyRecordBytes* pNewRecord,
                             CSecretBytes* pRecoveryText, CVaultEnv* pEnv) {
    if (!IsProtectedVault(strLocation, pEnv)) return Outcome(AccessResult::ACCESS_NOT_PROTECTED);
    if (!HIDDEN_NAMES_OPEN || !KdfLimitsInRange(limits))
        return Outcome(AccessResult::ACCESS_RECORD_UNSUPPORTED, RecordPath(strLocation));
    KeyRecordOpening opened;
    const KeyRecordResult nResult = OpenKeyRecordWithPassword(
        strLocation, pKey->User(), strPassword, FitterOf(strLocation, pEnv), &opened, pEnv);
    if (nResult != KeyRecordResult::KEY_OPENED)
        return FromKeyResult(nResult, strLocation, opened.failure, opened.strForeignCopy);
    if (HidesNames(opened.vRecord)) return Outcome(AccessResult::ACCESS_EXISTS, strLocation);
    if (!opened.masterKey.Equals(pKey->MasterKey()))
        return Outcome(AccessResult::ACCESS_OTHER_VAULT_RECORD, RecordPath(strLocation));
    const std::string strScrambled = FindScrambledFile(strLocation, pEnv);
    if (!strScrambled.empty())
        return Outcome(AccessResult::ACCESS_SCRAMBLED_FILES_LEFT, strScrambled);
    NewKeyRecord made;
    const KeyRecordResult nMade = RecordWithHiddenNames(opened.vRecord, opened.masterKey,
                                                        pKey->User(), strPassword, limits, &made);
    if (nMade != KeyRecordResult::KEY_OPENED) return FromKeyResult(nMade, strLocation);
    const FileResult replaced = ReplaceKeyRecord(strLocation, made.vRecord, pEnv);
    if (replaced.nOutcome != FileOutcome::FILE_DONE)
        return DiskFailed(RecordPath(strLocation), replaced);
    RememberProtected(strLocation, made.vRecord);
    SetRecordKey(pKey, std::move(made.masterKey), made.vRecord);
    if (pNewRecord) *pNewRecord = made.vRecord;
    if (pRecoveryText) *pRecoveryText = std::move(made.recoveryText);
    return Outcome(AccessResult::ACCESS_OPENED);
}

AccessOutcome PlaceVaultRecord(const std::string& strLocation, const KeyRecordBytes& vRecord,
                               CVaultEnv* pEnv) {
    if (RecordAwaited(strLocation, pEnv))
        return Outcome(AccessResult::ACCESS_RECORD_AWAITED, strLocation);
    if (KindOfVault(strLocation, pEnv) != VaultKind::VAULT_NONE)
        return Outcome(AccessResult::ACCESS_EXISTS, strLocation);
    // Another protected vault's place, even empty now, is not taken over.
    const std::string strKnownId = KnownVaultId(strLocation);
    if (!strKnownId.empty() && strKnownId != VaultIdText(vRecord))
        return Outcome(AccessResult::ACCESS_RECORD_LOST, strLocation);
    const AccessOutcome made = MakeLocation(strLocation, pEnv);
    if (!made.Opened()) return made;
    const AccessOutcome written = WriteRecord(strLocation, vRecord, pEnv);
    if (written.Opened()) RememberProtected(strLocation, vRecord);
    return written;
}

}  // namespace quovex
