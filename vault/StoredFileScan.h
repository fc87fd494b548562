// A read-only survey of stored files: every stored file below a folder, in
// the contents tree's order, with its header and how much body it holds.
// Needs no key. Used by quovex-tool's list and check. Any thread.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "StoredFileFormat.h"

namespace quovex {

class CReadableFile;
class CVaultEnv;

// What one stored file holds, or a folder below the start that could not
// be listed (bUnlistedFolder; nothing else then applies).
struct StoredFileScan {
    std::string strPath;
    bool bUnlistedFolder = false;
    bool bOpened = false;          // it could be opened for reading
    bool bReadError = false;       // a read failed; what follows it is unknown
    bool bSignature = false;       // it begins with "QUOVEX"
    bool bWholeHeader = false;     // it holds all SFF_HEADER_SIZE header bytes
    StoredFileHeader header;       // valid when bSignature and bWholeHeader
    std::uint64_t nBodyBytes = 0;  // bytes after the header (read, or by length)
};

// Ways in which a stored file is damaged; a bit mask, 0 when it is sound.
constexpr unsigned STORED_DAMAGE_UNREADABLE = 1;      // cannot be opened or read (alone then)
constexpr unsigned STORED_DAMAGE_NO_SIGNATURE = 2;    // does not begin with "QUOVEX"
constexpr unsigned STORED_DAMAGE_SHORT_HEADER = 4;    // fewer than SFF_HEADER_SIZE bytes
constexpr unsigned STORED_DAMAGE_SHORT_BODY = 8;      // fewer blocks than the plain size needs
constexpr unsigned STORED_DAMAGE_PARTIAL_BLOCK = 16;  // the body ends inside a block

// The damage a scan shows. Body damage is judged only when the header is
// whole; blocks beyond what the plain size needs are not damage (readers
// ignore them).
unsigned FindStoredDamage(const StoredFileScan& scan);

// True when the header can be shown: read whole, with its signature.
inline bool HasUsableHeader(const StoredFileScan& scan) {
    return scan.bOpened && scan.bSignature && scan.bWholeHeader;
}

// Examines one stored file opened for reading (null: it could not be
// opened) into *pScan, leaving strPath as it is. With bReadBody the whole
// body is read and counted; otherwise its size comes from the file's length.
void ScanStoredFile(CReadableFile* pFile, bool bReadBody, StoredFileScan* pScan);

// Calls fnVisit for every stored file (a regular file whose extension
// begins with ".$") below the folder strPath, depth first in the contents
// tree's order (sub-folders before files, names by SortFolderEntries), and
// for every folder below it that cannot be listed. When strPath is a
// regular file itself, it alone is visited, whatever its name. Dot-names
// and links are passed over, as in every walk. False when strPath is
// neither a folder (which may be reached through a link) nor a regular
// file, or cannot be listed.
using StoredScanVisitor = std::function<void(const StoredFileScan& scan)>;
bool ScanStoredFiles(const std::string& strPath, bool bReadBody, const StoredScanVisitor& fnVisit,
                     CVaultEnv* pEnv = nullptr);

}  // namespace quovex
