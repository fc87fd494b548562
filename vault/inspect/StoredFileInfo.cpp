#include "StoredFileInfo.h"

#include <cstring>

#include "Boxes.h"
#include "ChunkIo.h"
#include "FolderWalk.h"
#include "PlainNames.h"
#include "ProtectedFileProperties.h"
#include "ProtectedLayout.h"
#include "StoredFileHeader.h"
#include "StoredFormat.h"
#include "TextCodec.h"

namespace quovex {

namespace {

// The NUL-terminated GB18030 text of a field as UTF-8; false when its
// bytes are not valid GB18030.
bool DecodeField(const char* pszField, std::string* pText) {
    return Gb18030ToUtf8(std::string(pszField), pText);
}

StoredKind KindOfSignature(const unsigned char* p, std::size_t n) {
    if (IsProtectedSignature(p, n)) return StoredKind::STORED_PROTECTED;
    if (n >= SFF_SIGNATURE_SIZE && std::memcmp(p, SFF_SIGNATURE, SFF_SIGNATURE_SIZE) == 0)
        return StoredKind::STORED_SCRAMBLED;
    return StoredKind::STORED_NONE;
}

// The kind of file when it is still the file that was read, else STORED_NONE.
StoredKind StillTheStoredFile(CUpdatableFile& file, const FileStamp& expected) {
    FileStamp now;
    if (!file.GetStamp(&now) || !now.SameContent(expected)) return StoredKind::STORED_NONE;
    unsigned char signature[STORED_SIGNATURE_PEEK];
    const std::int64_t nGot = file.ReadAt(signature, sizeof signature, 0);
    if (nGot < 0) return StoredKind::STORED_NONE;
    const StoredKind nKind = KindOfSignature(signature, static_cast<std::size_t>(nGot));
    if (nKind == StoredKind::STORED_SCRAMBLED && now.nSize < SFF_HEADER_SIZE)
        return StoredKind::STORED_NONE;
    return nKind;
}

// The scrambled header from the rest of the file after its first nPeek
// bytes, which buf holds already.
void ReadScrambledInfo(CReadableFile& file, unsigned char (&buf)[SFF_HEADER_SIZE],
                       std::size_t nPeek, StoredFileInfo* pInfo) {
    StoredFileHeader header;
    const std::int64_t nRest = ReadFull(file, buf + nPeek, sizeof buf - nPeek);
    if (nRest != static_cast<std::int64_t>(sizeof buf - nPeek) || !DecodeHeader(buf, &header))
        return;
    pInfo->bStored = true;
    pInfo->nPlainSize = header.nPlainSize;
    pInfo->bSourceUnreadable = !DecodeField(header.szSourcePath, &pInfo->strSourcePath);
    pInfo->bSummaryUnreadable = !DecodeField(header.szSummary, &pInfo->strSummary);
    if (pInfo->bSourceUnreadable) pInfo->strSourcePath.clear();
    if (pInfo->bSummaryUnreadable) pInfo->strSummary.clear();
}

// A scrambled summary, strBytes in GB18030: the whole field, so that no
// byte of a longer old summary is left after the NUL.
SummaryWriteResult WriteScrambledSummary(CUpdatableFile& file, const std::string& strBytes) {
    if (strBytes.size() > SFF_TEXT_MAX_BYTES) return SummaryWriteResult::SUMMARY_TOO_LONG;
    char field[SFF_TEXT_FIELD_SIZE] = {};
    std::memcpy(field, strBytes.data(), strBytes.size());
    if (!file.WriteAt(field, sizeof field, SFF_OFFSET_SUMMARY) || !file.Sync())
        return SummaryWriteResult::SUMMARY_WRITE_FAILED;
    return SummaryWriteResult::SUMMARY_WRITTEN;
}

// ReadStoredFileInfo of a file opened for reading (null: not opened).
StoredFileInfo ReadOpenFileInfo(const std::unique_ptr<CReadableFile>& pFile,
                                const CVaultKey* pKey) {
    StoredFileInfo info;
    if (!pFile) return info;
    info.bOpened = true;
    info.stamp = pFile->OpenStamp();
    info.bHasCreationTime = pFile->GetCreationTime(&info.nCreationTime);

    unsigned char buf[SFF_HEADER_SIZE];
    const std::int64_t nPeek = ReadFull(*pFile, buf, STORED_SIGNATURE_PEEK);
    if (nPeek < 0) return info;
    info.nKind = KindOfSignature(buf, static_cast<std::size_t>(nPeek));
    if (info.nKind == StoredKind::STORED_SCRAMBLED)
        ReadScrambledInfo(*pFile, buf, static_cast<std::size_t>(nPeek), &info);
    else if (info.nKind == StoredKind::STORED_PROTECTED)
        ReadProtectedProperties(*pFile, buf, static_cast<std::size_t>(nPeek), pKey, &info);
    return info;
}

// A stored file's part of GetPlainTotalSize.
std::uint64_t ShownPlainSize(const StoredFileInfo& info) {
    if (info.bStored) return info.nPlainSize;
    return info.nKind == StoredKind::STORED_PROTECTED ? info.stamp.nSize : 0;
}

}  // namespace

std::size_t SummaryLimitBytes(StoredKind nKind) {
    switch (nKind) {
        case StoredKind::STORED_SCRAMBLED:
            return SFF_TEXT_MAX_BYTES;
        case StoredKind::STORED_PROTECTED:
            return PFF_SUMMARY_MAX_BYTES;
        default:
            return 0;
    }
}

StoredFileInfo ReadStoredFileInfo(const std::string& strPath, CVaultEnv* pEnv,
                                  const CVaultKey* pKey) {
    StoredFileInfo info = ReadOpenFileInfo(pEnv->OpenForRead(strPath), pKey);
    // Where it lies, as a plain place: hidden names are opened name by name.
    if (!info.strPlace.empty()) {
        const CPlainNames names(pKey, pEnv);
        const std::string strLiesAt =
            names.Hidden() ? names.PlaceOf(strPath, EntryKind::ENTRY_FILE) : StoredPlaceOf(strPath);
        info.bAwayFromPlace = info.strPlace != strLiesAt;
    }
    return info;
}

std::string SealedPlaceAt(CFolder& folder, const std::string& strName, const CVaultKey* pKey) {
    return ReadOpenFileInfo(folder.OpenFile(strName), pKey).strPlace;
}

std::uint64_t GetPlainTotalSize(const std::string& strFolder, const CVaultKey* pKey,
                                CVaultEnv* pEnv) {
    return SumOverFiles(pEnv->OpenFolder(strFolder), strFolder,
                        [&](CFolder& folder, const std::string& strName) {
                            return ShownPlainSize(ReadOpenFileInfo(folder.OpenFile(strName), pKey));
                        });
}

bool ReadFileCreationTime(const std::string& strPath, std::int64_t* pSeconds, CVaultEnv* pEnv) {
    const auto pFile = pEnv->OpenForRead(strPath);
    return pFile && pFile->GetCreationTime(pSeconds);
}

bool ReadFolderCreationTime(const std::string& strPath, std::int64_t* pSeconds, CVaultEnv* pEnv) {
    const FolderPtr pFolder = pEnv->OpenFolder(strPath);
    return pFolder && pFolder->GetCreationTime(pSeconds);
}

SummaryWriteResult WriteStoredSummary(const std::string& strPath, const FileStamp& expected,
                                      const std::string& strSummary, CVaultEnv* pEnv,
                                      const CVaultKey* pKey) {
    // Every Unicode character has a GB18030 form: this also checks the UTF-8.
    std::string strBytes;
    if (strSummary.find('\0') != std::string::npos || !Utf8ToGb18030(strSummary, &strBytes))
        return SummaryWriteResult::SUMMARY_NOT_ENCODABLE;

    const auto pFile = pEnv->OpenForUpdate(strPath);
    if (!pFile) {
        // Still there as it was: it may not be written. Else it was changed.
        FileStamp now;
        pEnv->GetStamp(strPath, &now);
        return now.SameContent(expected) ? SummaryWriteResult::SUMMARY_WRITE_FAILED
                                         : SummaryWriteResult::SUMMARY_FILE_CHANGED;
    }
    switch (StillTheStoredFile(*pFile, expected)) {
        case StoredKind::STORED_SCRAMBLED:
            return WriteScrambledSummary(*pFile, strBytes);
        case StoredKind::STORED_PROTECTED:
            return WriteSummaryIntoSlot(*pFile, strSummary, pKey);
        default:
            return SummaryWriteResult::SUMMARY_FILE_CHANGED;
    }
}

PlaceWriteResult WriteStoredPlace(const std::string& strPath, const FileStamp& expected,
                                  const std::string& strPlace, CVaultEnv* pEnv,
                                  const CVaultKey& key) {
    const auto pFile = pEnv->OpenForUpdate(strPath);
    if (!pFile) {
        FileStamp now;
        pEnv->GetStamp(strPath, &now);
        return now.SameContent(expected) ? PlaceWriteResult::PLACE_WRITE_FAILED
                                         : PlaceWriteResult::PLACE_FILE_CHANGED;
    }
    if (StillTheStoredFile(*pFile, expected) != StoredKind::STORED_PROTECTED)
        return PlaceWriteResult::PLACE_FILE_CHANGED;
    return WritePlaceIntoSlot(*pFile, strPlace, key);
}

}  // namespace quovex
