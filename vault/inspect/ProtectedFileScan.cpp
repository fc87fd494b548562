#include "ProtectedFileScan.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "ChunkIo.h"
#include "ProtectedStream.h"
#include "StoreBuffers.h"
#include "VaultEnv.h"

namespace quovex {

namespace {

// Reads and opens every chunk in order; plain bytes are dropped as they
// come. A failed read leaves bReadError; a chunk that does not open, nBody.
void CheckBody(CReadableFile& file, CProtectedOpener* pOpener, StoredFileScan* pScan) {
    pScan->bBodyChecked = true;
    ProtectedResult nResult = pOpener->BeginBody(pScan->nStoredLength);
    std::vector<unsigned char> vIn(PFF_CHUNK_STORED_SIZE);
    const PlainBuffer pOut = NewPlainBuffer(PFF_CHUNK_SIZE);
    for (std::size_t n = pOpener->NextChunkSize();
         nResult == ProtectedResult::PROTECTED_OK && n > 0; n = pOpener->NextChunkSize()) {
        const std::int64_t nGot = ReadFull(file, vIn.data(), n);
        if (nGot < 0) {
            pScan->bReadError = true;
            return;
        }
        // A file cut short since its length was taken fails as the chunk it cut.
        std::size_t nPlain = 0;
        nResult =
            pOpener->OpenChunk(vIn.data(), static_cast<std::size_t>(nGot), pOut.get(), &nPlain);
    }
    if (nResult == ProtectedResult::PROTECTED_OK) nResult = pOpener->Finish();
    pScan->nBody = nResult;
    pScan->nFailedChunk = nResult == ProtectedResult::PROTECTED_OK ? 0 : pOpener->FailedChunk();
}

// Counts the bytes from the current position to the end. False on a failed read.
bool CountRest(CReadableFile& file, std::uint64_t* pCount) {
    std::vector<unsigned char> vChunk(PFF_CHUNK_STORED_SIZE);
    for (;;) {
        const std::int64_t n = file.Read(vChunk.data(), vChunk.size());
        if (n < 0) return false;
        if (n == 0) return true;
        *pCount += static_cast<std::uint64_t>(n);
    }
}

}  // namespace

bool IsProtectedBodyLength(std::uint64_t nHead, std::uint64_t nBody) {
    if (nBody == 0) return false;
    // A final chunk of 16 padding blocks is as long as a whole chunk.
    const std::uint64_t nLast = (nBody - 1) % PFF_CHUNK_STORED_SIZE + 1;
    return IsProtectedFinalChunkSize(nLast, nHead + nBody - nLast);
}

void ScanProtectedFile(CReadableFile& file, const unsigned char* pPeek, std::size_t nPeek,
                       bool bReadBody, const ProtectedFileKeys* pKeys, StoredFileScan* pScan) {
    pScan->bProtected = true;
    pScan->nStoredLength = file.Size();
    unsigned char header[PFF_HEADER_SIZE];
    std::copy(pPeek, pPeek + nPeek, header);
    const std::int64_t nRest = ReadFull(file, header + nPeek, sizeof header - nPeek);
    if (nRest < 0) {
        pScan->bReadError = true;
        return;
    }
    // The keys are needed only past the header; without them the opener
    // reads the header alone.
    const ProtectedFileKeys noKeys;
    CProtectedOpener opener(pKeys ? *pKeys : noKeys);
    pScan->nHead = opener.ReadHeader(header, nPeek + static_cast<std::size_t>(nRest));
    if (pScan->nHead != ProtectedResult::PROTECTED_OK) return;
    pScan->nSlotSize = opener.Header().nSlotSize;
    pScan->nVersion = opener.Header().nVersion;
    if (pKeys) {
        pScan->bKeyUsed = true;
        std::vector<unsigned char> slots(opener.HeadRestSize());
        const std::int64_t nSlots = ReadFull(file, slots.data(), slots.size());
        if (nSlots < 0) {
            pScan->bReadError = true;
            return;
        }
        const ProtectedResult nSlotsResult =
            opener.OpenSlots(slots.data(), static_cast<std::size_t>(nSlots));
        pScan->vaultId = opener.Header().vaultId;
        pScan->bOtherVault = nSlotsResult == ProtectedResult::PROTECTED_OTHER_VAULT;
        pScan->bMetadata = nSlotsResult == ProtectedResult::PROTECTED_OK;
        if (!pScan->bMetadata) return;
        pScan->metadata = opener.Metadata();
        pScan->bTornSlot = !opener.SlotOpened(0) || !opener.SlotOpened(1);
        if (bReadBody) CheckBody(file, &opener, pScan);
        return;
    }
    if (bReadBody) {
        std::uint64_t nCount = PFF_HEADER_SIZE;
        pScan->bReadError = !CountRest(file, &nCount);
        pScan->nStoredLength = nCount;
    }
}

unsigned FindProtectedDamage(const StoredFileScan& scan) {
    switch (scan.nHead) {
        case ProtectedResult::PROTECTED_OK:
            break;
        case ProtectedResult::PROTECTED_UNSUPPORTED:
            return STORED_DAMAGE_NEWER_FORMAT;
        default:
            return STORED_DAMAGE_BAD_HEADER;
    }
    if (scan.bOtherVault) return STORED_DAMAGE_OTHER_VAULT;
    if (scan.bKeyUsed && !scan.bMetadata) return STORED_DAMAGE_METADATA;
    if (scan.bBodyChecked && scan.nBody != ProtectedResult::PROTECTED_OK)
        return STORED_DAMAGE_CHUNK;
    if (scan.bBodyChecked) return 0;
    // Without the key, or without reading the body, the length alone.
    const std::uint64_t nHead = ProtectedHeadSize(ProtectedHeaderOf(scan.nVersion, scan.nSlotSize));
    return scan.nStoredLength < nHead || !IsProtectedBodyLength(nHead, scan.nStoredLength - nHead)
               ? STORED_DAMAGE_BAD_LENGTH
               : 0;
}

}  // namespace quovex
