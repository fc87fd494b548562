#include "ProtectedFileProperties.h"

#include <algorithm>
#include <cerrno>
#include <vector>

#include "ChunkIo.h"
#include "ProtectedStream.h"
#include "VaultEnv.h"
#include "VaultKey.h"

namespace quovex {

namespace {

SealedInfo SealedOf(ProtectedResult nResult) {
    switch (nResult) {
        case ProtectedResult::PROTECTED_OK:
            return SealedInfo::SEALED_OPENED;
        case ProtectedResult::PROTECTED_UNSUPPORTED:
            return SealedInfo::SEALED_UNSUPPORTED;
        case ProtectedResult::PROTECTED_DAMAGED_METADATA:
            return SealedInfo::SEALED_NOT_OPENED;
        case ProtectedResult::PROTECTED_OTHER_VAULT:
            return SealedInfo::SEALED_OTHER_VAULT;
        default:
            return SealedInfo::SEALED_DAMAGED_HEADER;
    }
}

// The header and both slots of file read at their offsets, opened with
// keys: PROTECTED_OK with the opener after OpenSlots, or why not. A read
// that fails or falls short counts as a file cut short.
ProtectedResult OpenSlotsAt(CUpdatableFile& file, CProtectedOpener* pOpener) {
    unsigned char header[PFF_HEADER_SIZE];
    const std::int64_t nHeader = file.ReadAt(header, sizeof header, 0);
    if (nHeader < 0) return ProtectedResult::PROTECTED_DAMAGED_HEADER;
    const ProtectedResult nResult = pOpener->ReadHeader(header, static_cast<std::size_t>(nHeader));
    if (nResult != ProtectedResult::PROTECTED_OK) return nResult;
    std::vector<unsigned char> slots(pOpener->HeadRestSize());
    std::size_t nGot = 0;
    while (nGot < slots.size()) {
        const std::int64_t n =
            file.ReadAt(slots.data() + nGot, slots.size() - nGot, PFF_HEADER_SIZE + nGot);
        if (n <= 0) break;
        nGot += static_cast<std::size_t>(n);
    }
    return pOpener->OpenSlots(slots.data(), nGot);
}

}  // namespace

void ReadProtectedProperties(CReadableFile& file, const unsigned char* pPeek, std::size_t nPeek,
                             const CVaultKey* pKey, StoredFileInfo* pInfo) {
    pInfo->nKind = StoredKind::STORED_PROTECTED;
    ProtectedFileKeys keys;
    const bool bKeys = pKey && pKey->FileKeys(&keys);
    CProtectedOpener opener(keys);
    // The plain header alone says whether the file is readable at all.
    unsigned char header[PFF_HEADER_SIZE];
    std::copy(pPeek, pPeek + nPeek, header);
    const std::int64_t nRest = ReadFull(file, header + nPeek, sizeof header - nPeek);
    ProtectedResult nResult =
        nRest < 0 ? ProtectedResult::PROTECTED_DAMAGED_HEADER
                  : opener.ReadHeader(header, nPeek + static_cast<std::size_t>(nRest));
    if (nResult == ProtectedResult::PROTECTED_OK && bKeys) {
        std::vector<unsigned char> slots(opener.HeadRestSize());
        const std::int64_t nSlots = ReadFull(file, slots.data(), slots.size());
        nResult = opener.OpenSlots(slots.data(), nSlots < 0 ? 0 : static_cast<std::size_t>(nSlots));
    }
    if (nResult != ProtectedResult::PROTECTED_OK || !bKeys) {
        if (nResult != ProtectedResult::PROTECTED_OK) pInfo->nSealed = SealedOf(nResult);
        return;
    }
    const ProtectedMetadata& metadata = opener.Metadata();
    pInfo->nSealed = SealedInfo::SEALED_OPENED;
    pInfo->bStored = true;
    pInfo->nPlainSize = metadata.nPlainSize;
    pInfo->strSourcePath = metadata.strSourcePath;
    pInfo->strSummary = metadata.strSummary;
    pInfo->nStoredTime = metadata.nStoredTime;
    pInfo->nMode = metadata.nMode;
    pInfo->bTornSlot = !opener.SlotOpened(0) || !opener.SlotOpened(1);
    pInfo->strPlace = metadata.strPlace;
    pInfo->bSourceTime = metadata.HasSourceTime();
    pInfo->nSourceTime = metadata.nSourceTime;
    pInfo->nSourceNanos = pInfo->bSourceTime ? metadata.nSourceNanos : 0;
}

SummaryWriteResult WriteSummaryIntoSlot(CUpdatableFile& file, const std::string& strSummary,
                                        const CVaultKey* pKey) {
    if (strSummary.size() > PFF_SUMMARY_MAX_BYTES) return SummaryWriteResult::SUMMARY_TOO_LONG;
    if (!pKey || !pKey->IsProtected()) return SummaryWriteResult::SUMMARY_NEEDS_KEY;
    ProtectedFileKeys keys;
    if (!pKey->FileKeys(&keys))
        return SummaryWriteResult::SUMMARY_WRITE_FAILED;  // no secret memory
    CProtectedOpener opener(keys);
    if (OpenSlotsAt(file, &opener) != ProtectedResult::PROTECTED_OK)
        return SummaryWriteResult::SUMMARY_NOT_OPENED;
    ProtectedSlotWrite write;
    if (opener.SealSummaryEdit(strSummary, &write) != ProtectedResult::PROTECTED_OK)
        return SummaryWriteResult::SUMMARY_WRITE_FAILED;
    if (!file.WriteAt(write.bytes.data(), write.bytes.size(), write.nOffset))
        return SummaryWriteResult::SUMMARY_WRITE_FAILED;
    // The edit shows on disk no more than that there was one: the fixed
    // time counted on by the edits (a file system that refuses it shows
    // only the edit's time), so that a sync engine sees a change.
    file.SetTimes(ProtectedEditTime(write.nSequence), 0);
    if (!file.Sync()) return SummaryWriteResult::SUMMARY_WRITE_FAILED;
    return SummaryWriteResult::SUMMARY_WRITTEN;
}

PlaceWriteResult WritePlaceIntoSlot(CUpdatableFile& file, const std::string& strPlace,
                                    const CVaultKey& key) {
    ProtectedFileKeys keys;
    if (!key.FileKeys(&keys)) return PlaceWriteResult::PLACE_NOT_OPENED;
    CProtectedOpener opener(keys);
    if (OpenSlotsAt(file, &opener) != ProtectedResult::PROTECTED_OK)
        return PlaceWriteResult::PLACE_NOT_OPENED;
    ProtectedSlotWrite write;
    switch (opener.SealPlaceEdit(strPlace, &write)) {
        case ProtectedResult::PROTECTED_OK:
            break;
        case ProtectedResult::PROTECTED_UNSUPPORTED:
        case ProtectedResult::PROTECTED_TOO_LONG:
            return PlaceWriteResult::PLACE_NEEDS_NEW_FILE;
        default:
            errno = ENOMEM;
            return PlaceWriteResult::PLACE_WRITE_FAILED;
    }
    if (!file.WriteAt(write.bytes.data(), write.bytes.size(), write.nOffset))
        return PlaceWriteResult::PLACE_WRITE_FAILED;
    file.SetTimes(ProtectedEditTime(write.nSequence), 0);  // as after a summary edit
    if (!file.Sync()) return PlaceWriteResult::PLACE_WRITE_FAILED;
    return PlaceWriteResult::PLACE_WRITTEN;
}

}  // namespace quovex
