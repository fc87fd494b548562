#include "ProtectedLayout.h"

#include <cstdint>
#include <cstring>

#include "LittleEndian.h"

namespace quovex {

namespace {

bool ValidSlotSize(std::uint32_t nSize) {
    return nSize % PFF_SLOT_ALIGN == 0 && nSize >= PFF_SLOT_MIN_SIZE && nSize <= PFF_SLOT_MAX_SIZE;
}

}  // namespace

std::string VaultIdHex(const VaultIdBytes& id) {
    static constexpr char DIGITS[] = "0123456789abcdef";
    std::string strHex;
    for (const unsigned char c : id) {
        strHex += DIGITS[c >> 4];
        strHex += DIGITS[c & 15];
    }
    return strHex;
}

bool IsProtectedSignature(const unsigned char* p, std::size_t n) {
    return n >= PFF_SIGNATURE_SIZE && std::memcmp(p, PFF_SIGNATURE, PFF_SIGNATURE_SIZE) == 0;
}

void EncodeProtectedHeader(const ProtectedHeader& header, unsigned char* pOut) {
    std::memcpy(pOut, PFF_SIGNATURE, PFF_SIGNATURE_SIZE);
    PutLe(pOut + PFF_OFFSET_VERSION, header.nVersion, 4);
    PutLe(pOut + PFF_OFFSET_SLOT_SIZE, header.nSlotSize, 4);
    std::memcpy(pOut + PFF_OFFSET_FILE_ID, header.fileId, PFF_FILE_ID_SIZE);
    if (header.NamesVault())
        std::memcpy(pOut + PFF_OFFSET_VAULT_ID, header.vaultId.data(), PFF_VAULT_ID_SIZE);
}

ProtectedResult DecodeProtectedHeader(const unsigned char* pIn, std::size_t n,
                                      ProtectedHeader* pHeader) {
    if (!IsProtectedSignature(pIn, n)) return ProtectedResult::PROTECTED_NOT_PROTECTED;
    if (n < PFF_HEADER_SIZE) return ProtectedResult::PROTECTED_DAMAGED_HEADER;
    ProtectedHeader header;
    header.nVersion = static_cast<std::uint32_t>(GetLe(pIn + PFF_OFFSET_VERSION, 4));
    if (!IsKnownProtectedVersion(header.nVersion)) return ProtectedResult::PROTECTED_UNSUPPORTED;
    header.nSlotSize = static_cast<std::uint32_t>(GetLe(pIn + PFF_OFFSET_SLOT_SIZE, 4));
    if (!ValidSlotSize(header.nSlotSize)) return ProtectedResult::PROTECTED_DAMAGED_HEADER;
    std::memcpy(header.fileId, pIn + PFF_OFFSET_FILE_ID, PFF_FILE_ID_SIZE);
    *pHeader = header;
    return ProtectedResult::PROTECTED_OK;
}

bool EncodeProtectedRecord(const ProtectedMetadata& metadata, std::uint32_t nVersion,
                           unsigned char* pOut, std::size_t nRecordSize) {
    const bool bPlaced = RecordHoldsPlace(nVersion);
    if (!bPlaced && metadata.Version() == PFF_VERSION_PLACED) return false;
    const std::size_t nPath = metadata.strSourcePath.size();
    const std::size_t nSummary = metadata.strSummary.size();
    const std::size_t nPlace = bPlaced ? metadata.strPlace.size() : 0;
    const std::size_t nFixed = PFF_RECORD_FIXED_SIZE + (bPlaced ? PFF_RECORD_PLACED_FIXED_SIZE : 0);
    if (nSummary > PFF_SUMMARY_MAX_BYTES || nRecordSize < nFixed || nPath > nRecordSize - nFixed ||
        nSummary > nRecordSize - nFixed - nPath || nPlace > nRecordSize - nFixed - nPath - nSummary)
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
    if (!bPlaced) return true;
    p += 4 + nSummary;
    PutLe(p, nPlace, 4);
    std::memcpy(p + 4, metadata.strPlace.data(), nPlace);
    p += 4 + nPlace;
    PutLe(p, static_cast<std::uint64_t>(metadata.nSourceTime), 8);
    PutLe(p + 8, metadata.nSourceNanos, 4);
    return true;
}

namespace {

// The n bytes of a field whose uint32 length is at *pp, moved past; false
// when it overruns pEnd less nAfter bytes that must follow it.
bool ReadField(const unsigned char** pp, const unsigned char* pEnd, std::size_t nAfter,
               std::uint64_t nMax, std::string* pOut) {
    const unsigned char* p = *pp;
    if (static_cast<std::uint64_t>(pEnd - p) < 4 + nAfter) return false;
    const std::uint64_t n = GetLe(p, 4);
    if (n > nMax || n > static_cast<std::uint64_t>(pEnd - p) - 4 - nAfter) return false;
    pOut->assign(reinterpret_cast<const char*>(p + 4), n);
    *pp = p + 4 + n;
    return true;
}

}  // namespace

bool DecodeProtectedRecord(const unsigned char* pIn, std::size_t nRecordSize,
                           std::uint32_t nVersion, ProtectedMetadata* pMetadata) {
    if (nRecordSize < PFF_RECORD_FIXED_SIZE) return false;
    const bool bPlaced = RecordHoldsPlace(nVersion);
    const std::size_t nTail = bPlaced ? PFF_RECORD_PLACED_FIXED_SIZE : 0;
    const unsigned char* pEnd = pIn + nRecordSize;
    const unsigned char* p = pIn + PFF_RECORD_OFFSET_PATH_SIZE;
    ProtectedMetadata read;
    if (!ReadField(&p, pEnd, 4 + nTail, UINT32_MAX, &read.strSourcePath) ||
        !ReadField(&p, pEnd, nTail, PFF_SUMMARY_MAX_BYTES, &read.strSummary))
        return false;
    if (bPlaced) {
        if (!ReadField(&p, pEnd, 12, UINT32_MAX, &read.strPlace)) return false;
        read.nSourceTime = static_cast<std::int64_t>(GetLe(p, 8));
        read.nSourceNanos = static_cast<std::uint32_t>(GetLe(p + 8, 4));
        if (read.nSourceNanos > 999999999 && read.nSourceNanos != PFF_NO_SOURCE_TIME) return false;
        p += 12;
    }
    for (; p < pEnd; ++p)
        if (*p != 0) return false;
    read.nSequence = GetLe(pIn + PFF_RECORD_OFFSET_SEQUENCE, 8);
    read.nPlainSize = GetLe(pIn + PFF_RECORD_OFFSET_PLAIN_SIZE, 8);
    read.nStoredTime = static_cast<std::int64_t>(GetLe(pIn + PFF_RECORD_OFFSET_STORED_TIME, 8));
    read.nMode = static_cast<std::uint32_t>(GetLe(pIn + PFF_RECORD_OFFSET_MODE, 4));
    *pMetadata = std::move(read);
    return true;
}

}  // namespace quovex
