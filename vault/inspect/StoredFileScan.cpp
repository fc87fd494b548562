#include "StoredFileScan.h"

#include <algorithm>
#include <vector>

#include "ChunkIo.h"
#include "FolderWalk.h"
#include "PathOrder.h"
#include "PathText.h"
#include "ProtectedFileScan.h"
#include "ProtectedStream.h"
#include "StoredFormat.h"
#include "VaultEnv.h"
#include "VaultKey.h"

namespace quovex {

namespace {

// Large enough that counting a body costs little more than reading it.
constexpr std::size_t SCAN_READ_CHUNK = 64 * 1024;

// Counts the bytes from the current position to the end. False on a failed read.
bool CountRest(CReadableFile* pFile, std::uint64_t* pCount) {
    std::vector<unsigned char> vChunk(SCAN_READ_CHUNK);
    for (;;) {
        const std::int64_t n = pFile->Read(vChunk.data(), vChunk.size());
        if (n < 0) return false;
        if (n == 0) return true;
        *pCount += static_cast<std::uint64_t>(n);
    }
}

// What every file of one survey is read with.
struct ScanSettings {
    bool bReadBody = false;
    const ProtectedFileKeys* pKeys = nullptr;
    const StoredScanVisitor& fnVisit;
};

void VisitEntries(const FolderPtr& pFolder, const std::string& strPath,
                  const std::vector<CFolderEntry>& vEntries, const ScanSettings& settings);

// The folders and stored files of an open folder in the tree's order, dot-
// names and everything else (links included) left out. False when it
// cannot be listed.
bool ListInTreeOrder(const FolderPtr& pFolder, std::vector<CFolderEntry>* pEntries) {
    std::vector<FolderEntry> vListed;
    if (!pFolder || !pFolder->List(&vListed)) return false;
    for (const FolderEntry& listed : vListed) {
        if (listed.strName.empty() || listed.strName[0] == '.') continue;
        if (listed.kind == EntryKind::ENTRY_FOLDER) {
            pEntries->push_back({listed.strName, true});
        } else if (listed.kind == EntryKind::ENTRY_FILE && IsStoredFileName(listed.strName)) {
            pEntries->push_back({listed.strName, false});
        }
    }
    SortFolderEntries(pEntries);
    return true;
}

// A sub-folder: scanned through, or reported when it cannot be listed
// (also when it was swapped for a link since its parent was listed).
void VisitFolder(const FolderPtr& pFolder, const std::string& strPath,
                 const ScanSettings& settings) {
    std::vector<CFolderEntry> vEntries;
    if (ListInTreeOrder(pFolder, &vEntries)) {
        VisitEntries(pFolder, strPath, vEntries, settings);
        return;
    }
    StoredFileScan scan;
    scan.strPath = strPath;
    scan.bUnlistedFolder = true;
    settings.fnVisit(scan);
}

void VisitEntries(const FolderPtr& pFolder, const std::string& strPath,
                  const std::vector<CFolderEntry>& vEntries, const ScanSettings& settings) {
    for (const CFolderEntry& entry : vEntries) {
        const std::string strEntryPath = JoinPath(strPath, entry.m_strName);
        if (entry.m_bFolder) {
            VisitFolder(pFolder->OpenFolder(entry.m_strName), strEntryPath, settings);
            continue;
        }
        StoredFileScan scan;
        scan.strPath = strEntryPath;
        ScanStoredFile(pFolder->OpenFile(entry.m_strName).get(), settings.bReadBody, &scan,
                       settings.pKeys);
        settings.fnVisit(scan);
    }
}

}  // namespace

unsigned FindStoredDamage(const StoredFileScan& scan) {
    // After a failed read nothing more is known about the file.
    if (!scan.bOpened || scan.bReadError) return STORED_DAMAGE_UNREADABLE;
    if (scan.bProtected) return FindProtectedDamage(scan);
    if (!scan.bSignature) return STORED_DAMAGE_NO_SIGNATURE;
    if (!scan.bWholeHeader) return STORED_DAMAGE_SHORT_HEADER;
    unsigned nDamage = 0;
    const std::uint64_t nNeeded = StoredFileLength(scan.header.nPlainSize) - SFF_HEADER_SIZE;
    if (scan.nBodyBytes < nNeeded) nDamage |= STORED_DAMAGE_SHORT_BODY;
    if (scan.nBodyBytes % SFF_BLOCK_SIZE != 0) nDamage |= STORED_DAMAGE_PARTIAL_BLOCK;
    return nDamage;
}

void ScanStoredFile(CReadableFile* pFile, bool bReadBody, StoredFileScan* pScan,
                    const ProtectedFileKeys* pKeys) {
    StoredFileScan fresh;
    fresh.strPath = std::move(pScan->strPath);
    *pScan = std::move(fresh);
    if (!pFile) return;
    pScan->bOpened = true;
    pScan->nStoredLength = pFile->Size();
    unsigned char buf[SFF_HEADER_SIZE];
    const std::int64_t nPeek = ReadFull(*pFile, buf, STORED_SIGNATURE_PEEK);
    if (nPeek < 0) {
        pScan->bReadError = true;
        return;
    }
    if (IsProtectedSignature(buf, static_cast<std::size_t>(nPeek))) {
        ScanProtectedFile(*pFile, buf, static_cast<std::size_t>(nPeek), bReadBody, pKeys, pScan);
        return;
    }
    std::int64_t nGot = nPeek;
    if (nPeek == static_cast<std::int64_t>(STORED_SIGNATURE_PEEK)) {
        const std::int64_t nRest =
            ReadFull(*pFile, buf + nPeek, sizeof buf - STORED_SIGNATURE_PEEK);
        if (nRest < 0) {
            pScan->bReadError = true;
            return;
        }
        nGot += nRest;
    }
    // A file too short for the signature has none.
    pScan->bSignature = nGot >= static_cast<std::int64_t>(SFF_SIGNATURE_SIZE) &&
                        std::equal(buf, buf + SFF_SIGNATURE_SIZE, SFF_SIGNATURE);
    pScan->bWholeHeader = nGot == static_cast<std::int64_t>(sizeof buf);
    if (!pScan->bSignature || !pScan->bWholeHeader) return;
    DecodeHeader(buf, &pScan->header);
    if (bReadBody) {
        pScan->bReadError = !CountRest(pFile, &pScan->nBodyBytes);
        pScan->nStoredLength = SFF_HEADER_SIZE + pScan->nBodyBytes;
    } else if (pFile->Size() > SFF_HEADER_SIZE) {
        pScan->nBodyBytes = pFile->Size() - SFF_HEADER_SIZE;
    }
}

bool ScanStoredFiles(const std::string& strPath, bool bReadBody, const StoredScanVisitor& fnVisit,
                     CVaultEnv* pEnv, const CVaultKey* pKey) {
    // The keys are derived once for the whole survey.
    ProtectedFileKeys keys;
    const bool bKeys = pKey && pKey->FileKeys(&keys);
    const ScanSettings settings{bReadBody, bKeys ? &keys : nullptr, fnVisit};
    if (const FolderPtr pFolder = pEnv->OpenFolder(strPath)) {
        std::vector<CFolderEntry> vEntries;
        if (!ListInTreeOrder(pFolder, &vEntries)) return false;
        VisitEntries(pFolder, strPath, vEntries, settings);
        return true;
    }
    auto pFile = pEnv->OpenForRead(strPath);
    if (!pFile) return false;
    StoredFileScan scan;
    scan.strPath = strPath;
    ScanStoredFile(pFile.get(), bReadBody, &scan, settings.pKeys);
    fnVisit(scan);
    return true;
}

}  // namespace quovex
