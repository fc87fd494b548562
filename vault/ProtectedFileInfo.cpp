#include "ProtectedFileInfo.h"

#include <functional>
#include <vector>

#include "ChunkIo.h"
#include "ProtectedFile.h"
#include "ProtectedFormat.h"
#include "TextCodec.h"

namespace quovex {

namespace {

// Reads exactly nCount bytes at nOffset; false when they are not all there.
using ReadExactly = std::function<bool(void* pBuffer, std::size_t nCount, std::uint64_t nOffset)>;

enum class HeadState { HEAD_NOT_PROTECTED, HEAD_UNOPENED, HEAD_OPENED };

// Reads the header and both slots into pOpener, in file order.
HeadState OpenHead(const ReadExactly& fnRead, CProtectedOpener* pOpener) {
    unsigned char header[PFF_HEADER_SIZE];
    if (!fnRead(header, PFF_SIGNATURE_SIZE, 0) || !IsProtectedSignature(header, PFF_SIGNATURE_SIZE))
        return HeadState::HEAD_NOT_PROTECTED;
    if (!fnRead(header + PFF_SIGNATURE_SIZE, sizeof header - PFF_SIGNATURE_SIZE,
                PFF_SIGNATURE_SIZE) ||
        pOpener->ReadHeader(header, sizeof header) != ProtectedResult::PROTECTED_OK)
        return HeadState::HEAD_UNOPENED;
    std::vector<unsigned char> slots(pOpener->SlotsSize());
    if (!fnRead(slots.data(), slots.size(), PFF_HEADER_SIZE) ||
        pOpener->OpenSlots(slots.data(), slots.size()) != ProtectedResult::PROTECTED_OK)
        return HeadState::HEAD_UNOPENED;
    return HeadState::HEAD_OPENED;
}

// A summary the slot can hold as it is: UTF-8 (GB18030 takes every
// character UTF-8 can carry, so the conversion tells valid text) without a NUL.
bool IsUtf8WithoutNul(const std::string& strText) {
    std::string strBytes;
    return strText.find('\0') == std::string::npos && Utf8ToGb18030(strText, &strBytes);
}

}  // namespace

StoredFileInfo ReadAnyStoredFileInfo(const std::string& strPath, const CVaultKey& key,
                                     CVaultEnv* pEnv) {
    StoredFileInfo info;
    const auto pFile = CVaultEnv::Or(pEnv)->OpenForRead(strPath);
    if (!pFile) return info;
    const CProtectedFormat format(key);
    CProtectedOpener opener(format.Keys());
    // The file is read in order from its start.
    const ReadExactly fnRead = [&pFile](void* pBuffer, std::size_t nCount, std::uint64_t) {
        return ReadFull(*pFile, static_cast<unsigned char*>(pBuffer), nCount) ==
               static_cast<std::int64_t>(nCount);
    };
    const HeadState state = OpenHead(fnRead, &opener);
    if (state == HeadState::HEAD_NOT_PROTECTED) return ReadStoredFileInfo(strPath, pEnv);

    info.bOpened = true;
    info.bProtected = true;
    info.stamp = pFile->OpenStamp();
    info.bHasCreationTime = pFile->GetCreationTime(&info.nCreationTime);
    if (state != HeadState::HEAD_OPENED) return info;
    const ProtectedMetadata& metadata = opener.Metadata();
    info.bStored = true;
    info.nCreationTime = metadata.nStoredTime;
    info.bHasCreationTime = true;
    info.nPlainSize = metadata.nPlainSize;
    info.strSourcePath = metadata.strSourcePath;
    info.strSummary = metadata.strSummary;
    return info;
}

SummaryWriteResult WriteProtectedSummary(const std::string& strPath, const FileStamp& expected,
                                         const std::string& strSummary, const CVaultKey& key,
                                         CVaultEnv* pEnv) {
    if (!IsUtf8WithoutNul(strSummary)) return SummaryWriteResult::SUMMARY_NOT_ENCODABLE;
    if (strSummary.size() > PFF_SUMMARY_MAX_BYTES) return SummaryWriteResult::SUMMARY_TOO_LONG;
    pEnv = CVaultEnv::Or(pEnv);
    const auto pFile = pEnv->OpenForUpdate(strPath);
    FileStamp now;
    if (!pFile) {
        // Still there as it was: it may not be written. Else it was changed.
        pEnv->GetStamp(strPath, &now);
        return now.SameContent(expected) ? SummaryWriteResult::SUMMARY_WRITE_FAILED
                                         : SummaryWriteResult::SUMMARY_FILE_CHANGED;
    }
    const CProtectedFormat format(key);
    CProtectedOpener opener(format.Keys());
    const ReadExactly fnRead = [&pFile](void* pBuffer, std::size_t nCount, std::uint64_t nAt) {
        return pFile->ReadAt(pBuffer, nCount, nAt) == static_cast<std::int64_t>(nCount);
    };
    if (!pFile->GetStamp(&now) || !now.SameContent(expected) ||
        OpenHead(fnRead, &opener) != HeadState::HEAD_OPENED)
        return SummaryWriteResult::SUMMARY_FILE_CHANGED;
    ProtectedSlotWrite write;
    if (opener.SealSummaryEdit(strSummary, &write) != ProtectedResult::PROTECTED_OK)
        return SummaryWriteResult::SUMMARY_TOO_LONG;
    if (!pFile->WriteAt(write.bytes.data(), write.bytes.size(), write.nOffset) || !pFile->Sync())
        return SummaryWriteResult::SUMMARY_WRITE_FAILED;
    return SummaryWriteResult::SUMMARY_WRITTEN;
}

}  // namespace quovex
