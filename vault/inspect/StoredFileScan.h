// A read-only survey of stored files of both formats: every stored file
// below a folder, in the contents tree's order, with its header and how
// much body it holds. A scrambled file's header is plain; a protected
// file shows its plain header and length without the key, its metadata
// with it, and with the key and a full read every chunk is authenticated.
// Nothing is written. Used by quovex-tool's list and check. Any thread.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "ProtectedLayout.h"
#include "StoredFileHeader.h"

namespace quovex {

class CReadableFile;
class CVaultEnv;
class CVaultKey;
struct ProtectedFileKeys;

// What one stored file holds, or a folder below the start that could not
// be listed (bUnlistedFolder; nothing else then applies).
struct StoredFileScan {
    std::string strPath;
    bool bUnlistedFolder = false;
    bool bOpened = false;             // it could be opened for reading
    bool bReadError = false;          // a read failed; what follows it is unknown
    std::uint64_t nStoredLength = 0;  // the whole file's bytes (read, or by length)
    bool bSignature = false;          // it begins with "QUOVEX"
    bool bWholeHeader = false;        // it holds all SFF_HEADER_SIZE header bytes
    StoredFileHeader header;          // valid when bSignature and bWholeHeader
    std::uint64_t nBodyBytes = 0;     // bytes after the header (read, or by length)

    // The protected format (bSignature is false for it).
    bool bProtected = false;  // it begins with the protected signature
    // What reading the plain header came to: PROTECTED_OK,
    // PROTECTED_UNSUPPORTED or PROTECTED_DAMAGED_HEADER.
    ProtectedResult nHead = ProtectedResult::PROTECTED_OK;
    std::uint32_t nSlotSize = 0;  // from the plain header, when nHead is PROTECTED_OK
    std::uint32_t nVersion = 0;   // the same
    bool bKeyUsed = false;        // the slots were tried with a key
    bool bOtherVault = false;     // the header names another vault than the key's (vaultId)
    VaultIdBytes vaultId = {};    // the vault the header names, read with the key
    bool bMetadata = false;       // they opened: metadata is valid
    ProtectedMetadata metadata;   // the record in force
    bool bTornSlot = false;       // one slot did not open; the other one serves
    bool bBodyChecked = false;    // every chunk was read and tried with the key
    ProtectedResult nBody = ProtectedResult::PROTECTED_OK;  // what that came to
    std::uint64_t nFailedChunk = 0;                         // the chunk (from 0) where it failed
};

// Ways in which a stored file is damaged; a bit mask, 0 when it is sound.
constexpr unsigned STORED_DAMAGE_UNREADABLE = 1;      // cannot be opened or read (alone then)
constexpr unsigned STORED_DAMAGE_NO_SIGNATURE = 2;    // begins with neither signature
constexpr unsigned STORED_DAMAGE_SHORT_HEADER = 4;    // fewer than SFF_HEADER_SIZE bytes
constexpr unsigned STORED_DAMAGE_SHORT_BODY = 8;      // fewer blocks than the plain size needs
constexpr unsigned STORED_DAMAGE_PARTIAL_BLOCK = 16;  // the body ends inside a block
// A protected file's: judged without the key ...
constexpr unsigned STORED_DAMAGE_BAD_HEADER = 32;    // header cut short, or a slot size no
                                                     // writer makes
constexpr unsigned STORED_DAMAGE_NEWER_FORMAT = 64;  // a version this build does not read
constexpr unsigned STORED_DAMAGE_BAD_LENGTH = 128;   // a length no sequence of chunks gives
// ... and with it.
constexpr unsigned STORED_DAMAGE_METADATA = 256;  // neither slot opens: damaged, or another vault's
constexpr unsigned STORED_DAMAGE_CHUNK = 512;     // a chunk does not open (nFailedChunk), is
                                                  // missing, or the sizes disagree
constexpr unsigned STORED_DAMAGE_OTHER_VAULT = 1024;  // the header names another vault (vaultId)

// The damage a scan shows. Body damage is judged only when the header is
// whole; blocks beyond what the plain size needs are not damage (readers
// ignore them). A torn slot is not damage: the other slot serves.
unsigned FindStoredDamage(const StoredFileScan& scan);

// True when the scrambled header can be shown: read whole, with its signature.
inline bool HasUsableHeader(const StoredFileScan& scan) {
    return scan.bOpened && scan.bSignature && scan.bWholeHeader;
}

// True when a protected file's metadata can be shown: opened with the key.
inline bool HasOpenedMetadata(const StoredFileScan& scan) {
    return scan.bOpened && !scan.bReadError && scan.bProtected && scan.bMetadata;
}

// Examines one stored file opened for reading (null: it could not be
// opened) into *pScan, leaving strPath as it is. With bReadBody the whole
// body is read: a scrambled body counted, a protected one counted or, with
// pKeys, authenticated chunk by chunk; otherwise its size comes from the
// file's length. A protected file's slots are opened only with pKeys.
void ScanStoredFile(CReadableFile* pFile, bool bReadBody, StoredFileScan* pScan,
                    const ProtectedFileKeys* pKeys = nullptr);

// Calls fnVisit for every stored file (a regular file whose extension
// begins with ".$") below the folder strPath, depth first in the contents
// tree's order (sub-folders before files, names by SortFolderEntries), and
// for every folder below it that cannot be listed. When strPath is a
// regular file itself, it alone is visited, whatever its name. Dot-names
// and links are passed over, as in every walk. False when strPath is
// neither a folder (which may be reached through a link) nor a regular
// file, or cannot be listed. Protected files are opened with pKey when it
// holds a protected vault's master key.
using StoredScanVisitor = std::function<void(const StoredFileScan& scan)>;
bool ScanStoredFiles(const std::string& strPath, bool bReadBody, const StoredScanVisitor& fnVisit,
                     CVaultEnv* pEnv, const CVaultKey* pKey = nullptr);

}  // namespace quovex
