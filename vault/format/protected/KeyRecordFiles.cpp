#include "KeyRecordFiles.h"

#include <sodium.h>

#include <algorithm>
#include <cerrno>
#include <string_view>
#include <vector>

#include "ChunkIo.h"
#include "ConflictNames.h"

namespace quovex {

namespace {

constexpr unsigned KEY_RECORD_MODE = 0600;
// Far more than any record; a larger file at a record name is no record.
constexpr std::size_t KEY_RECORD_MAX_READ = 64 * 1024;

// One copy as read: KEY_OPENED with its bytes, KEY_NOT_FOUND, KEY_DAMAGED
// (something that is no record file lies there) or KEY_DISK_FAILED.
struct CopyRead {
    KeyRecordResult result = KeyRecordResult::KEY_NOT_FOUND;
    KeyRecordBytes vBytes;
    FailCause failure;
    FileStamp stamp;  // of the file read

    bool Read() const { return result == KeyRecordResult::KEY_OPENED; }
};

CopyRead ReadCopy(CFolder& location, const char* pszName) {
    CopyRead copy;
    std::unique_ptr<CReadableFile> pFile = location.OpenFile(pszName);
    if (!pFile) {
        copy.failure = CauseOfLastError();
        switch (copy.failure.nReason) {
            case FailReason::FAIL_NOT_FOUND:
                copy.result = KeyRecordResult::KEY_NOT_FOUND;
                break;
            // A link, folder or device where the record belongs.
            case FailReason::FAIL_NOT_PLAIN_FILE:
                copy.result = KeyRecordResult::KEY_DAMAGED;
                break;
            default:
                copy.result = KeyRecordResult::KEY_DISK_FAILED;
        }
        return copy;
    }
    copy.vBytes.resize(KEY_RECORD_MAX_READ + 1);
    const std::int64_t nRead = ReadFull(*pFile, copy.vBytes.data(), copy.vBytes.size());
    if (nRead < 0) {
        copy.failure = CauseOfLastError();
        copy.result = KeyRecordResult::KEY_DISK_FAILED;
        copy.vBytes.clear();
        return copy;
    }
    copy.vBytes.resize(static_cast<std::size_t>(nRead));
    copy.stamp = pFile->OpenStamp();
    copy.result = KeyRecordResult::KEY_OPENED;
    if (copy.vBytes.size() > KEY_RECORD_MAX_READ) copy.vBytes.clear();  // fails as damaged
    return copy;
}

// Writes vRecord whole as a new file and puts it at pszName (replacing
// what lies there, or only where the name is free), flushed, then reads
// it back.
FileResult PutCopy(CFolder& location, const char* pszName, const KeyRecordBytes& vRecord,
                   bool bReplace) {
    std::unique_ptr<CWritableFile> pFile = location.CreateFileFor(pszName, KEY_RECORD_MODE);
    if (!pFile || !pFile->Append(vRecord.data(), vRecord.size()) || !pFile->Sync())
        return CauseOfLastError();
    const CommitResult commit = pFile->Commit(bReplace);
    if (commit == CommitResult::COMMIT_TAKEN) return CauseOfErrno(EEXIST);
    if (commit != CommitResult::COMMIT_DONE || !location.Sync()) return CauseOfLastError();
    const CopyRead back = ReadCopy(location, pszName);
    if (back.result == KeyRecordResult::KEY_DISK_FAILED) return back.failure;
    if (!back.Read() || back.vBytes != vRecord) return FailCause{FailReason::FAIL_IO, EIO};
    return FileOutcome::FILE_DONE;
}

KeyRecordResult TryCopy(const CopyRead& copy, const KeyUnsealer& fnUnseal,
                        KeyRecordOpening* pOpening) {
    if (!copy.Read()) return copy.result;
    const KeyRecordResult result = fnUnseal(copy.vBytes, &pOpening->masterKey);
    if (result == KeyRecordResult::KEY_OPENED) pOpening->vRecord = copy.vBytes;
    return result;
}

// One copy with the name it lies under.
struct NamedCopy {
    const CopyRead& copy;
    const char* pszName;
};

bool SameVaultId(const KeyRecordBytes& a, const KeyRecordBytes& b) {
    unsigned char idA[KR_VAULT_ID_SIZE], idB[KR_VAULT_ID_SIZE];
    return ReadVaultId(a, idA) && ReadVaultId(b, idB) && sodium_memcmp(idA, idB, sizeof idA) == 0;
}

// Whether the copy is a sound record (of any vault id).
bool IsSoundRecord(const CopyRead& copy) {
    unsigned char id[KR_VAULT_ID_SIZE];
    return copy.Read() && ReadVaultId(copy.vBytes, id);
}

KeyFit Fit(const KeyFitter& fnFits, const CSecretBytes& masterKey) {
    return fnFits ? fnFits(masterKey) : KeyFit::KEY_UNTRIED;
}

// Rewrites the copy other from the copy that opened, which must be of the
// same vault.
void BringInLine(CFolder& location, const NamedCopy& opened, const NamedCopy& other,
                 KeyRecordOpening* pOpening) {
    const FileResult put = PutCopy(location, other.pszName, opened.copy.vBytes, true);
    pOpening->bRepaired = put.nOutcome == FileOutcome::FILE_DONE;
    pOpening->bRepairFailed = !pOpening->bRepaired;
    if (pOpening->bRepairFailed) pOpening->failure = put.cause;
}

// The opening refused after all: no key is handed out.
KeyRecordResult Refuse(KeyRecordResult result, const char* pszForeign, KeyRecordOpening* pOpening) {
    pOpening->masterKey.Wipe();
    pOpening->vRecord.clear();
    pOpening->strForeignCopy = pszForeign ? pszForeign : "";
    return result;
}

// The copy opened has opened with the credentials; other is the other
// copy, already tried with them when bOtherTried. Decides which copy is in
// force and whether the other may be brought in line (see OpenKeyRecord).
KeyRecordResult Settle(CFolder& location, const NamedCopy& opened, const NamedCopy& other,
                       bool bOtherTried, const KeyUnsealer& fnUnseal, const KeyFitter& fnFits,
                       KeyRecordOpening* pOpening) {
    if (other.copy.Read() && other.copy.vBytes == opened.copy.vBytes)
        return KeyRecordResult::KEY_OPENED;
    // A password change stopped halfway, or a copy of this vault from
    // another time (a sync engine brings the two copies one by one, in any
    // order). The newer generation is in force; at the same one (records
    // written before generations, or two changes made apart), the main
    // copy, as a change writes it first. The old credentials may still open
    // the older copy meanwhile, but never write it back over a newer one.
    if (IsSoundRecord(other.copy) && SameVaultId(opened.copy.vBytes, other.copy.vBytes)) {
        const std::uint64_t nOpened = GenerationOf(opened.copy.vBytes);
        const std::uint64_t nOther = GenerationOf(other.copy.vBytes);
        const bool bMain = std::string_view(opened.pszName) == KEY_RECORD_NAME;
        if (nOpened > nOther || (nOpened == nOther && bMain))
            BringInLine(location, opened, other, pOpening);
        else
            pOpening->bOlderCopy = true;
        return KeyRecordResult::KEY_OPENED;
    }
    const KeyFit fit = Fit(fnFits, pOpening->masterKey);
    if (!IsSoundRecord(other.copy)) {
        // Missing, damaged or unreadable: its vault cannot be told, so it
        // is rewritten only from a copy that is not found foreign.
        if (fit == KeyFit::KEY_DOES_NOT_FIT)
            return Refuse(KeyRecordResult::KEY_OTHER_VAULT, opened.pszName, pOpening);
        BringInLine(location, opened, other, pOpening);
        return KeyRecordResult::KEY_OPENED;
    }
    // Two sound records of two vaults: nothing is ever written here.
    if (fit == KeyFit::KEY_FITS) {
        pOpening->strForeignCopy = other.pszName;
        return KeyRecordResult::KEY_OPENED;
    }
    if (fit == KeyFit::KEY_UNTRIED)
        return Refuse(KeyRecordResult::KEY_TWO_VAULTS, nullptr, pOpening);
    KeyRecordOpening otherOpening;
    if (!bOtherTried &&
        TryCopy(other.copy, fnUnseal, &otherOpening) == KeyRecordResult::KEY_OPENED &&
        Fit(fnFits, otherOpening.masterKey) == KeyFit::KEY_FITS) {
        pOpening->masterKey = std::move(otherOpening.masterKey);
        pOpening->vRecord = std::move(otherOpening.vRecord);
        pOpening->strForeignCopy = opened.pszName;
        return KeyRecordResult::KEY_OPENED;
    }
    return Refuse(KeyRecordResult::KEY_OTHER_VAULT, opened.pszName, pOpening);
}

// PutCopy of the main copy, then of the second. When they are replaced,
// the main one goes first: until the second is replaced too, it still
// opens with the old credentials, and the next opening resolves the two.
FileResult PutBothCopies(const std::string& strVaultPath, const KeyRecordBytes& vRecord,
                         bool bReplace, CVaultEnv* pEnv) {
    const FolderPtr pLocation = pEnv->OpenFolder(strVaultPath);
    if (!pLocation) return CauseOfLastError();
    const FileResult main = PutCopy(*pLocation, KEY_RECORD_NAME, vRecord, bReplace);
    if (main.nOutcome != FileOutcome::FILE_DONE) return main;
    return PutCopy(*pLocation, KEY_RECORD_COPY_NAME, vRecord, bReplace);
}

// Of two copies' failures, the one to tell: what a sound copy said first,
// as the user can act on it.
KeyRecordResult Telling(KeyRecordResult a, KeyRecordResult b) {
    constexpr KeyRecordResult ORDER[] = {
        KeyRecordResult::KEY_WRONG_CREDENTIALS,
        KeyRecordResult::KEY_WRONG_RECOVERY_KEY,
        KeyRecordResult::KEY_NO_MEMORY,
        KeyRecordResult::KEY_UNSUPPORTED_VERSION,
        KeyRecordResult::KEY_LIMITS_OUT_OF_RANGE,
        KeyRecordResult::KEY_DISK_FAILED,
        KeyRecordResult::KEY_DAMAGED,
    };
    for (const KeyRecordResult result : ORDER) {
        if (a == result || b == result) return result;
    }
    return KeyRecordResult::KEY_NOT_FOUND;
}

// The two copies' part of OpenKeyRecord.
KeyRecordResult OpenCopies(CFolder& location, const CopyRead& main, const CopyRead& second,
                           const KeyUnsealer& fnUnseal, const KeyFitter& fnFits,
                           KeyRecordOpening* pOpening) {
    const NamedCopy namedMain{main, KEY_RECORD_NAME}, namedSecond{second, KEY_RECORD_COPY_NAME};
    const KeyRecordResult mainResult = TryCopy(main, fnUnseal, pOpening);
    if (mainResult == KeyRecordResult::KEY_OPENED) {
        pOpening->strOpenedName = KEY_RECORD_NAME;
        return Settle(location, namedMain, namedSecond, false, fnUnseal, fnFits, pOpening);
    }
    // The same bytes give the same answer: no second derivation.
    const bool bSame = main.Read() && second.Read() && main.vBytes == second.vBytes;
    const KeyRecordResult secondResult = bSame ? mainResult : TryCopy(second, fnUnseal, pOpening);
    if (secondResult == KeyRecordResult::KEY_OPENED) {
        pOpening->strOpenedName = KEY_RECORD_COPY_NAME;
        return Settle(location, namedSecond, namedMain, true, fnUnseal, fnFits, pOpening);
    }
    const KeyRecordResult result = Telling(mainResult, secondResult);
    if (result == KeyRecordResult::KEY_DISK_FAILED)
        pOpening->failure = main.result == result ? main.failure : second.failure;
    return result;
}

// At most this many conflict copies of the record are tried at a login:
// each try costs a derivation.
constexpr std::size_t CONFLICT_COPIES_TRIED = 8;

// A sync engine's conflict copy of either record name, as read.
struct ConflictCopy {
    std::string strName;
    CopyRead copy;
};

// The sound conflict copies of the record in the location, newest
// generation first.
std::vector<ConflictCopy> ReadConflictCopies(CFolder& location) {
    std::vector<FolderEntry> vEntries;
    std::vector<ConflictCopy> vCopies;
    if (!location.List(&vEntries)) return vCopies;
    for (const FolderEntry& entry : vEntries) {
        ConflictCopyName name;
        if (entry.kind != EntryKind::ENTRY_FILE || !ReadConflictCopyName(entry.strName, &name) ||
            (name.strOriginal != KEY_RECORD_NAME && name.strOriginal != KEY_RECORD_COPY_NAME))
            continue;
        CopyRead copy = ReadCopy(location, entry.strName.c_str());
        if (IsSoundRecord(copy)) vCopies.push_back({entry.strName, std::move(copy)});
    }
    std::stable_sort(vCopies.begin(), vCopies.end(), [](const auto& a, const auto& b) {
        return GenerationOf(a.copy.vBytes) > GenerationOf(b.copy.vBytes);
    });
    return vCopies;
}

// The record the vault is known by at the location: the one that opened,
// else a sound main copy, else a sound second one; empty when none.
const KeyRecordBytes* VaultRecord(const KeyRecordOpening& opening, const CopyRead& main,
                                  const CopyRead& second) {
    if (!opening.vRecord.empty()) return &opening.vRecord;
    if (IsSoundRecord(main)) return &main.vBytes;
    if (IsSoundRecord(second)) return &second.vBytes;
    return nullptr;
}

// Tries the conflict copies of the vault newer than nAbove (all of them
// when nothing opened) with the credentials, and takes the first that
// opens to a key that is not found foreign (the same key as the copy that
// opened, when one did) into *pOpening. True when one did.
bool OpenConflictCopy(const std::vector<const ConflictCopy*>& vSame, bool bOpened,
                      std::uint64_t nAbove, const KeyUnsealer& fnUnseal, const KeyFitter& fnFits,
                      KeyRecordOpening* pOpening) {
    std::size_t nTried = 0;
    for (const ConflictCopy* pCopy : vSame) {
        // Newest first: once below the bar, so are the rest.
        if (GenerationOf(pCopy->copy.vBytes) < nAbove) break;
        if (bOpened && GenerationOf(pCopy->copy.vBytes) == nAbove) break;
        if (bOpened && pCopy->copy.vBytes == pOpening->vRecord) continue;
        if (++nTried > CONFLICT_COPIES_TRIED) break;
        KeyRecordOpening tried;
        if (TryCopy(pCopy->copy, fnUnseal, &tried) != KeyRecordResult::KEY_OPENED) continue;
        const bool bFits = bOpened ? tried.masterKey.Equals(pOpening->masterKey)
                                   : Fit(fnFits, tried.masterKey) != KeyFit::KEY_DOES_NOT_FIT;
        if (!bFits) continue;
        pOpening->masterKey = std::move(tried.masterKey);
        pOpening->vRecord = std::move(tried.vRecord);
        pOpening->strOpenedName = pCopy->strName;
        return true;
    }
    return false;
}

// Puts the conflict copy that opened in force when it is newer than both
// copies: the main copy, then the second, as a password change does.
void PutInForce(CFolder& location, const CopyRead& main, const CopyRead& second,
                KeyRecordOpening* pOpening) {
    const std::uint64_t nOpened = GenerationOf(pOpening->vRecord);
    const auto older = [&](const CopyRead& copy) {
        return !IsSoundRecord(copy) || GenerationOf(copy.vBytes) < nOpened;
    };
    if (!older(main) || !older(second)) return;
    FileResult put = PutCopy(location, KEY_RECORD_NAME, pOpening->vRecord, true);
    if (put.nOutcome == FileOutcome::FILE_DONE)
        put = PutCopy(location, KEY_RECORD_COPY_NAME, pOpening->vRecord, true);
    pOpening->bRepaired = put.nOutcome == FileOutcome::FILE_DONE;
    pOpening->bRepairFailed = !pOpening->bRepaired;
    if (pOpening->bRepairFailed) pOpening->failure = put.cause;
}

// The conflict copies' part of OpenKeyRecord, after both copies were tried
// (result: what they came to).
KeyRecordResult ConsultConflictCopies(CFolder& location, const CopyRead& main,
                                      const CopyRead& second, KeyRecordResult result,
                                      const KeyUnsealer& fnUnseal, const KeyFitter& fnFits,
                                      KeyRecordOpening* pOpening) {
    const std::vector<ConflictCopy> vCopies = ReadConflictCopies(location);
    const KeyRecordBytes* pVault = VaultRecord(*pOpening, main, second);
    // The newest of the two copies (none is sound when pVault is null).
    std::uint64_t nInForce = 0;
    for (const CopyRead* pCopy : {&main, &second})
        if (IsSoundRecord(*pCopy) && pVault && SameVaultId(pCopy->vBytes, *pVault))
            nInForce = std::max(nInForce, GenerationOf(pCopy->vBytes));
    std::vector<const ConflictCopy*> vSame;
    std::uint64_t nNewest = nInForce;
    for (const ConflictCopy& copy : vCopies) {
        if (pVault && !SameVaultId(copy.copy.vBytes, *pVault)) {
            if (pOpening->strForeignCopy.empty() && result == KeyRecordResult::KEY_OPENED)
                pOpening->strForeignCopy = copy.strName;
            continue;
        }
        vSame.push_back(&copy);
        nNewest = std::max(nNewest, GenerationOf(copy.copy.vBytes));
    }
    pOpening->nNewestGeneration = nNewest;
    const bool bOpened = result == KeyRecordResult::KEY_OPENED;
    // A conflict copy older than a copy in force is a record that a newer
    // one replaced (an old copy an engine brought back late): it never
    // opens, or a password change would be undone by it. One of the same
    // generation is the other machine's change made apart.
    const std::uint64_t nBar = bOpened ? GenerationOf(pOpening->vRecord) : nInForce;
    if (bOpened && nBar >= nNewest) return result;
    if (!OpenConflictCopy(vSame, bOpened, nBar, fnUnseal, fnFits, pOpening)) {
        // Something newer than what opened is there, sealed under other credentials.
        if (bOpened) pOpening->bOlderCopy = true;
        return result;
    }
    PutInForce(location, main, second, pOpening);
    // Not in force: something newer lies beside it, or the main copy, at
    // the same generation, holds another machine's change.
    pOpening->bOlderCopy =
        GenerationOf(pOpening->vRecord) < nNewest ||
        (!pOpening->bRepaired && IsSoundRecord(main) && main.vBytes != pOpening->vRecord);
    pOpening->failure = pOpening->bRepairFailed ? pOpening->failure : FailCause();
    return KeyRecordResult::KEY_OPENED;
}

// Removes the conflict copies of vRecord's vault older than it, each only
// while it is still the file that was read.
void RemoveSupersededCopies(CFolder& location, const KeyRecordBytes& vRecord) {
    const std::uint64_t nGeneration = GenerationOf(vRecord);
    for (const ConflictCopy& copy : ReadConflictCopies(location)) {
        if (!SameVaultId(copy.copy.vBytes, vRecord) ||
            GenerationOf(copy.copy.vBytes) >= nGeneration)
            continue;
        FileStamp now;
        if (location.GetStamp(copy.strName, &now) && now.SameContent(copy.copy.stamp))
            location.DeleteFile(copy.strName);
    }
    location.Sync();
}

}  // namespace

bool IsProtectedVault(const std::string& strVaultPath, CVaultEnv* pEnv) {
    const FolderPtr pLocation = pEnv->OpenFolder(strVaultPath);
    if (!pLocation) return false;
    FileStamp main, copy;
    pLocation->GetStamp(KEY_RECORD_NAME, &main);
    pLocation->GetStamp(KEY_RECORD_COPY_NAME, &copy);
    return main.kind != EntryKind::ENTRY_NONE || copy.kind != EntryKind::ENTRY_NONE;
}

KeyRecordResult OpenKeyRecord(const std::string& strVaultPath, const KeyUnsealer& fnUnseal,
                              const KeyFitter& fnFits, KeyRecordOpening* pOpening,
                              CVaultEnv* pEnv) {
    *pOpening = KeyRecordOpening();
    const FolderPtr pLocation = pEnv->OpenFolder(strVaultPath);
    if (!pLocation) {
        pOpening->failure = CauseOfLastError();
        return pOpening->failure.nReason == FailReason::FAIL_NOT_FOUND
                   ? KeyRecordResult::KEY_NOT_FOUND
                   : KeyRecordResult::KEY_DISK_FAILED;
    }
    const CopyRead main = ReadCopy(*pLocation, KEY_RECORD_NAME);
    const CopyRead second = ReadCopy(*pLocation, KEY_RECORD_COPY_NAME);
    const KeyRecordResult result = OpenCopies(*pLocation, main, second, fnUnseal, fnFits, pOpening);
    // A record of two vaults at one location is settled by the copies alone.
    if (result == KeyRecordResult::KEY_TWO_VAULTS || result == KeyRecordResult::KEY_OTHER_VAULT)
        return result;
    return ConsultConflictCopies(*pLocation, main, second, result, fnUnseal, fnFits, pOpening);
}

KeyRecordResult OpenKeyRecordWithPassword(const std::string& strVaultPath,
                                          const std::string& strUser,
                                          const std::string& strPassword, const KeyFitter& fnFits,
                                          KeyRecordOpening* pOpening, CVaultEnv* pEnv) {
    return OpenKeyRecord(
        strVaultPath,
        [&](const KeyRecordBytes& vRecord, CSecretBytes* pMasterKey) {
            return UnsealWithPassword(vRecord, strUser, strPassword, pMasterKey);
        },
        fnFits, pOpening, pEnv);
}

KeyRecordResult OpenKeyRecordWithRecoveryKey(const std::string& strVaultPath,
                                             std::string_view strRecoveryText,
                                             const KeyFitter& fnFits, KeyRecordOpening* pOpening,
                                             CVaultEnv* pEnv) {
    return OpenKeyRecord(
        strVaultPath,
        [&](const KeyRecordBytes& vRecord, CSecretBytes* pMasterKey) {
            return UnsealWithRecoveryKey(vRecord, strRecoveryText, pMasterKey);
        },
        fnFits, pOpening, pEnv);
}

FileResult WriteNewKeyRecord(const std::string& strVaultPath, const KeyRecordBytes& vRecord,
                             CVaultEnv* pEnv) {
    return PutBothCopies(strVaultPath, vRecord, false, pEnv);
}

FileResult ReplaceKeyRecord(const std::string& strVaultPath, const KeyRecordBytes& vRecord,
                            CVaultEnv* pEnv) {
    const FileResult put = PutBothCopies(strVaultPath, vRecord, true, pEnv);
    if (put.nOutcome != FileOutcome::FILE_DONE) return put;
    if (const FolderPtr pLocation = pEnv->OpenFolder(strVaultPath))
        RemoveSupersededCopies(*pLocation, vRecord);
    return put;
}

}  // namespace quovex
