#include "StoredFileHeader.h"

#include <cstring>

#include "ChunkIo.h"
#include "LittleEndian.h"
#include "PathText.h"
#include "TextCodec.h"
#include "VaultEnv.h"

namespace quovex {

namespace {

void PutLe32(unsigned char* p, std::uint32_t n) {
    PutLe(p, n, 4);
}

std::uint32_t GetLe32(const unsigned char* p) {
    return static_cast<std::uint32_t>(GetLe(p, 4));
}

// Reads up to nWant header bytes of an open file (null: not opened); the
// count read, or -1 when it is not open or a read fails.
std::int64_t ReadHeaderBytes(CReadableFile* pFile, unsigned char* pBuf, std::size_t nWant) {
    return pFile ? ReadFull(*pFile, pBuf, nWant) : -1;
}

std::int64_t ReadHeaderBytes(const std::string& strPath, CVaultEnv* pEnv, unsigned char* pBuf,
                             std::size_t nWant, bool* pOpened) {
    auto pFile = pEnv->OpenForRead(strPath);
    *pOpened = pFile != nullptr;
    return ReadHeaderBytes(pFile.get(), pBuf, nWant);
}

bool HasSignature(const unsigned char* p) {
    return std::memcmp(p, SFF_SIGNATURE, SFF_SIGNATURE_SIZE) == 0;
}

}  // namespace

void EncodeHeader(const StoredFileHeader& header, unsigned char* pOut) {
    std::memset(pOut, 0, SFF_HEADER_SIZE);
    std::memcpy(pOut, SFF_SIGNATURE, SFF_SIGNATURE_SIZE);
    PutLe32(pOut + SFF_OFFSET_PLAIN_SIZE, header.nPlainSize);
    PutLe32(pOut + SFF_OFFSET_CHECKSUM, header.nChecksum);
    PutLe32(pOut + SFF_OFFSET_RESERVED, header.nReserved);
    std::memcpy(pOut + SFF_OFFSET_SOURCE_PATH, header.szSourcePath, SFF_TEXT_FIELD_SIZE);
    std::memcpy(pOut + SFF_OFFSET_SUMMARY, header.szSummary, SFF_TEXT_FIELD_SIZE);
    // A field is always NUL-terminated on disk, whatever the caller left in it.
    pOut[SFF_OFFSET_SOURCE_PATH + SFF_TEXT_MAX_BYTES] = 0;
    pOut[SFF_OFFSET_SUMMARY + SFF_TEXT_MAX_BYTES] = 0;
}

bool DecodeHeader(const unsigned char* pIn, StoredFileHeader* pHeader) {
    if (!HasSignature(pIn)) return false;
    pHeader->nPlainSize = GetLe32(pIn + SFF_OFFSET_PLAIN_SIZE);
    pHeader->nChecksum = GetLe32(pIn + SFF_OFFSET_CHECKSUM);
    pHeader->nReserved = GetLe32(pIn + SFF_OFFSET_RESERVED);
    std::memcpy(pHeader->szSourcePath, pIn + SFF_OFFSET_SOURCE_PATH, SFF_TEXT_FIELD_SIZE);
    std::memcpy(pHeader->szSummary, pIn + SFF_OFFSET_SUMMARY, SFF_TEXT_FIELD_SIZE);
    pHeader->szSourcePath[SFF_TEXT_MAX_BYTES] = 0;
    pHeader->szSummary[SFF_TEXT_MAX_BYTES] = 0;
    return true;
}

std::uint32_t ReadPlainSize(CReadableFile* pFile) {
    unsigned char buf[SFF_OFFSET_PLAIN_SIZE + 4];
    const auto n = ReadHeaderBytes(pFile, buf, sizeof buf);
    if (n < static_cast<std::int64_t>(sizeof buf) || !HasSignature(buf)) return 0;
    return GetLe32(buf + SFF_OFFSET_PLAIN_SIZE);
}

std::uint32_t ReadPlainSize(const std::string& strPath, CVaultEnv* pEnv) {
    return ReadPlainSize(pEnv->OpenForRead(strPath).get());
}

std::int64_t ReadHeaderChecksum(const std::string& strPath, CVaultEnv* pEnv) {
    unsigned char buf[SFF_OFFSET_CHECKSUM + 4];
    bool bOpened = false;
    const auto n = ReadHeaderBytes(strPath, pEnv, buf, sizeof buf, &bOpened);
    if (!bOpened) return 0;
    if (n < static_cast<std::int64_t>(sizeof buf) || !HasSignature(buf)) return -1;
    return GetLe32(buf + SFF_OFFSET_CHECKSUM);
}

bool ReadStoredHeader(const std::string& strPath, StoredFileHeader* pHeader, CVaultEnv* pEnv) {
    unsigned char buf[SFF_HEADER_SIZE];
    bool bOpened = false;
    const auto n = ReadHeaderBytes(strPath, pEnv, buf, sizeof buf, &bOpened);
    if (n < static_cast<std::int64_t>(sizeof buf)) return false;
    return DecodeHeader(buf, pHeader);
}

bool RecordedRestorePath(const StoredFileHeader& header, std::string* pPath) {
    return Gb18030ToUtf8(header.szSourcePath, pPath) && IsNormalAbsolutePath(*pPath);
}

}  // namespace quovex
