// Layout of a scrambled stored file: a plain 274-byte header followed by the scrambled
// body in 128-byte blocks. docs/stored-file-format.md describes the same
// layout in prose; the two must always agree.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace quovex {

constexpr char SFF_SIGNATURE[] = "QUOVEX";  // no terminator on disk
constexpr std::size_t SFF_SIGNATURE_SIZE = 6;
constexpr std::size_t SFF_OFFSET_PLAIN_SIZE = 6;    // uint32 little-endian
constexpr std::size_t SFF_OFFSET_CHECKSUM = 10;     // uint32 little-endian
constexpr std::size_t SFF_OFFSET_RESERVED = 14;     // uint32, written as 0
constexpr std::size_t SFF_OFFSET_SOURCE_PATH = 18;  // GB18030 text, NUL-padded
constexpr std::size_t SFF_OFFSET_SUMMARY = 146;     // GB18030 text, NUL-padded
constexpr std::size_t SFF_TEXT_FIELD_SIZE = 128;
constexpr std::size_t SFF_TEXT_MAX_BYTES = SFF_TEXT_FIELD_SIZE - 1;
constexpr std::size_t SFF_HEADER_SIZE = 274;
constexpr std::size_t SFF_BLOCK_SIZE = 128;
constexpr std::uint64_t SFF_MAX_PLAIN_SIZE = 0xFFFFFFFFull;

static_assert(SFF_OFFSET_SOURCE_PATH + SFF_TEXT_FIELD_SIZE == SFF_OFFSET_SUMMARY);
static_assert(SFF_OFFSET_SUMMARY + SFF_TEXT_FIELD_SIZE == SFF_HEADER_SIZE);

// The header as it lies on disk. The text fields hold GB18030 bytes, each
// ended by a NUL and padded with zero bytes.
struct StoredFileHeader {
    std::uint32_t nPlainSize = 0;
    std::uint32_t nChecksum = 0;
    std::uint32_t nReserved = 0;
    char szSourcePath[SFF_TEXT_FIELD_SIZE] = {};
    char szSummary[SFF_TEXT_FIELD_SIZE] = {};
};

// Writes the header into exactly SFF_HEADER_SIZE bytes at pOut.
void EncodeHeader(const StoredFileHeader& header, unsigned char* pOut);

// Reads a header from SFF_HEADER_SIZE bytes. Returns false, leaving pHeader
// unspecified, when the bytes do not begin with the signature. The text
// fields are copied with their last byte forced to NUL.
bool DecodeHeader(const unsigned char* pIn, StoredFileHeader* pHeader);

// Number of bytes a stored file of the given plain size occupies.
constexpr std::uint64_t StoredFileLength(std::uint64_t nPlainSize) {
    return SFF_HEADER_SIZE + (nPlainSize + SFF_BLOCK_SIZE - 1) / SFF_BLOCK_SIZE * SFF_BLOCK_SIZE;
}

class CReadableFile;
class CVaultEnv;

// The plain-size field of a stored file, read without the key. 0 when the
// file cannot be opened, does not begin with the signature or is too short.
std::uint32_t ReadPlainSize(const std::string& strPath, CVaultEnv* pEnv);
// The same of a file opened for reading (null counts as not opened).
std::uint32_t ReadPlainSize(CReadableFile* pFile);

// The credential checksum of a stored file: 0 when it cannot be opened, -1
// when it does not begin with the signature, a read fails or it is too
// short; otherwise the field's value.
std::int64_t ReadHeaderChecksum(const std::string& strPath, CVaultEnv* pEnv);

// Reads the whole header of a stored file. False when it cannot be opened,
// is too short or lacks the signature.
bool ReadStoredHeader(const std::string& strPath, StoredFileHeader* pHeader, CVaultEnv* pEnv);

// The source path recorded in a stored file's header, when it is one a
// restore accepts: valid GB18030 that makes an absolute path in the normal
// form storing records (no ".", ".." or empty component). The header is
// not authenticated and must not send a restore anywhere else. Any thread.
bool RecordedRestorePath(const StoredFileHeader& header, std::string* pPath);

}  // namespace quovex
