#include "StoredFileInfo.h"

#include <cstring>

#include "ChunkIo.h"
#include "StoredFileFormat.h"
#include "TextCodec.h"

namespace quovex {

namespace {

// The NUL-terminated GB18030 text of a field as UTF-8; false when its
// bytes are not valid GB18030.
bool DecodeField(const char* pszField, std::string* pText) {
    return Gb18030ToUtf8(std::string(pszField), pText);
}

bool StillTheStoredFile(CUpdatableFile& file, const FileStamp& expected) {
    FileStamp now;
    if (!file.GetStamp(&now) || !now.SameContent(expected) || now.nSize < SFF_HEADER_SIZE)
        return false;
    unsigned char signature[SFF_SIGNATURE_SIZE];
    return file.ReadAt(signature, sizeof signature, 0) ==
               static_cast<std::int64_t>(sizeof signature) &&
           std::memcmp(signature, SFF_SIGNATURE, SFF_SIGNATURE_SIZE) == 0;
}

}  // namespace

StoredFileInfo ReadStoredFileInfo(const std::string& strPath, CVaultEnv* pEnv) {
    StoredFileInfo info;
    const auto pFile = CVaultEnv::Or(pEnv)->OpenForRead(strPath);
    if (!pFile) return info;
    info.bOpened = true;
    info.stamp = pFile->OpenStamp();
    info.bHasCreationTime = pFile->GetCreationTime(&info.nCreationTime);

    unsigned char buf[SFF_HEADER_SIZE];
    StoredFileHeader header;
    if (ReadFull(*pFile, buf, sizeof buf) != static_cast<std::int64_t>(sizeof buf) ||
        !DecodeHeader(buf, &header))
        return info;
    info.bStored = true;
    info.nPlainSize = header.nPlainSize;
    info.bSourceUnreadable = !DecodeField(header.szSourcePath, &info.strSourcePath);
    info.bSummaryUnreadable = !DecodeField(header.szSummary, &info.strSummary);
    if (info.bSourceUnreadable) info.strSourcePath.clear();
    if (info.bSummaryUnreadable) info.strSummary.clear();
    return info;
}

bool ReadFileCreationTime(const std::string& strPath, std::int64_t* pSeconds, CVaultEnv* pEnv) {
    const auto pFile = CVaultEnv::Or(pEnv)->OpenForRead(strPath);
    return pFile && pFile->GetCreationTime(pSeconds);
}

bool ReadFolderCreationTime(const std::string& strPath, std::int64_t* pSeconds, CVaultEnv* pEnv) {
    const FolderPtr pFolder = CVaultEnv::Or(pEnv)->OpenFolder(strPath);
    return pFolder && pFolder->GetCreationTime(pSeconds);
}

SummaryWriteResult WriteStoredSummary(const std::string& strPath, const FileStamp& expected,
                                      const std::string& strSummary, CVaultEnv* pEnv) {
    std::string strBytes;
    if (strSummary.find('\0') != std::string::npos || !Utf8ToGb18030(strSummary, &strBytes))
        return SummaryWriteResult::SUMMARY_NOT_ENCODABLE;
    if (strBytes.size() > SFF_TEXT_MAX_BYTES) return SummaryWriteResult::SUMMARY_TOO_LONG;

    pEnv = CVaultEnv::Or(pEnv);
    const auto pFile = pEnv->OpenForUpdate(strPath);
    if (!pFile) {
        // Still there as it was: it may not be written. Else it was changed.
        FileStamp now;
        pEnv->GetStamp(strPath, &now);
        return now.SameContent(expected) ? SummaryWriteResult::SUMMARY_WRITE_FAILED
                                         : SummaryWriteResult::SUMMARY_FILE_CHANGED;
    }
    if (!StillTheStoredFile(*pFile, expected)) return SummaryWriteResult::SUMMARY_FILE_CHANGED;

    // The whole field, so that no byte of a longer old summary is left after the NUL.
    char field[SFF_TEXT_FIELD_SIZE] = {};
    std::memcpy(field, strBytes.data(), strBytes.size());
    if (!pFile->WriteAt(field, sizeof field, SFF_OFFSET_SUMMARY) || !pFile->Sync())
        return SummaryWriteResult::SUMMARY_WRITE_FAILED;
    return SummaryWriteResult::SUMMARY_WRITTEN;
}

}  // namespace quovex
