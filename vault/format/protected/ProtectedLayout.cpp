#include "ProtectedLayout.h"

#include <cstring>

#include "LittleEndian.h"

namespace quovex {

namespace {

bool ValidSlotSize(std::uint32_t nSize) {
    return nSize % PFF_SLOT_ALIGN == 0 && nSize >= PFF_SLOT_MIN_SIZE && nSize <= PFF_SLOT_MAX_SIZE;
}

}  // namespace

bool IsProtectedSignature(const unsigned char* p, std::size_t n) {
    return n >= PFF_SIGNATURE_SIZE && std::memcmp(p, PFF_SIGNATURE, PFF_SIGNATURE_SIZE) == 0;
}

void EncodeProtectedHeader(const ProtectedHeader& header, unsigned char* pOut) {
    std::memcpy(pOut, PFF_SIGNATURE, PFF_SIGNATURE_SIZE);
    PutLe(pOut + PFF_OFFSET_VERSION, header.nVersion, 4);
    PutLe(pOut + PFF_OFFSET_SLOT_SIZE, header.nSlotSize, 4);
    std::memcpy(pOut + PFF_OFFSET_FILE_ID, header.fileId, PFF_FILE_ID_SIZE);
}

ProtectedResult DecodeProtectedHeader(const unsigned char* pIn, std::size_t n,
                                      ProtectedHeader* pHeader) {
    if (!IsProtectedSignature(pIn, n)) return ProtectedResult::PROTECTED_NOT_PROTECTED;
    if (n < PFF_HEADER_SIZE) return ProtectedResult::PROTECTED_DAMAGED_HEADER;
    ProtectedHeader header;
    header.nVersion = static_cast<std::uint32_t>(GetLe(pIn + PFF_OFFSET_VERSION, 4));
    if (header.nVersion != PFF_VERSION) return ProtectedResult::PROTECTED_UNSUPPORTED;
    header.nSlotSize = static_cast<std::uint32_t>(GetLe(pIn + PFF_OFFSET_SLOT_SIZE, 4));
    if (!ValidSlotSize(header.nSlotSize)) return ProtectedResult::PROTECTED_DAMAGED_HEADER;
    std::memcpy(header.fileId, pIn + PFF_OFFSET_FILE_ID, PFF_FILE_ID_SIZE);
    *pHeader = header;
    return ProtectedResult::PROTECTED_OK;
}

bool EncodeProtectedRecord(const ProtectedMetadata& metadata, unsigned char* pOut,
                           std::size_t nRecordSize) {
    const std::size_t nPath = metadata.strSourcePath.size();
    const std::size_t nSummary = metadata.strSummary.size();
    if (nSummary > PFF_SUMMARY_MAX_BYTES || nRecordSize < PFF_RECORD_FIXED_SIZE ||
        nPath > nRecordSize - PFF_RECORD_FIXED_SIZE ||
        nSummary > nRecordSize - PFF_RECORD_FIXED_SIZE - nPath)
        return false;
    std::memset(pOut, 0, nRecordSize);
    PutLe(pOut + PFF_RECORD_OFFSET_SEQUENCE, metadata.nSequence, 8);
    PutLe(pOut + PFF_RECORD_OFFSET_PLAIN_SIZE, metadata.nPlainSize, 8);
    PutLe(pOut + PFF_RECORD_OFFSET_STORED_TIME, static_cast<std::uint64_t>(metadata.nStoredTime),
          8);
    PutLe(pOut + PFF_RECORD_OFFSET_MODE, metadata.nMode, 4);
    unsigned char* p = pOut + PFF_RECORD_OFFSET_PATH_SIZE;
    PutLe(p, nPath, 4);
    std::memcpy(p + 4, metadata.strSourcePath.data(), nPath);
    p += 4 + nPath;
    PutLe(p, nSummary, 4);
    std::memcpy(p + 4, metadata.strSummary.data(), nSummary);
    return true;
}

bool DecodeProtectedRecord(const unsigned char* pIn, std::size_t nRecordSize,
                           ProtectedMetadata* pMetadata) {
    if (nRecordSize < PFF_RECORD_FIXED_SIZE) return false;
    const unsigned char* pEnd = pIn + nRecordSize;
    const unsigned char* p = pIn + PFF_RECORD_OFFSET_PATH_SIZE;
    const std::uint64_t nPath = GetLe(p, 4);
    // Room for the path and the summary's length after the path's length.
    if (nPath > static_cast<std::uint64_t>(pEnd - p) - 8) return false;
    const unsigned char* pPath = p + 4;
    p = pPath + nPath;
    const std::uint64_t nSummary = GetLe(p, 4);
    if (nSummary > PFF_SUMMARY_MAX_BYTES || nSummary > static_cast<std::uint64_t>(pEnd - p) - 4)
        return false;
    const unsigned char* pSummary = p + 4;
    for (p = pSummary + nSummary; p < pEnd; ++p)
        if (*p != 0) return false;
    pMetadata->nSequence = GetLe(pIn + PFF_RECORD_OFFSET_SEQUENCE, 8);
    pMetadata->nPlainSize = GetLe(pIn + PFF_RECORD_OFFSET_PLAIN_SIZE, 8);
    pMetadata->nStoredTime =
        static_cast<std::int64_t>(GetLe(pIn + PFF_RECORD_OFFSET_STORED_TIME, 8));
    pMetadata->nMode = static_cast<std::uint32_t>(GetLe(pIn + PFF_RECORD_OFFSET_MODE, 4));
    pMetadata->strSourcePath.assign(reinterpret_cast<const char*>(pPath), nPath);
    pMetadata->strSummary.assign(reinterpret_cast<const char*>(pSummary), nSummary);
    return true;
}

}  // namespace quovex
