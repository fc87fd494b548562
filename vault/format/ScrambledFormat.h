// The scrambled format: a plain 274-byte header and the body scrambled in
// 128-byte blocks with the key of the credentials (StoredFileHeader.h, the
// layout; VaultCipher.h, the transform). Sources below 4 GiB whose path
// takes at most 127 GB18030 bytes. Any thread.
#pragma once

#include "StoredFormat.h"
#include "StreamSizes.h"
#include "VaultCipher.h"

namespace quovex {

class CScrambledFormat final : public CStoredFormat {
public:
    // cipher must outlive the format. Files are read and written in
    // pieces of sizes.nChunk, read ahead from sizes.nReadAhead bytes on.
    CScrambledFormat(const CVaultCipher& cipher, const StreamSizes& sizes);

    // FAIL_TOO_LARGE from 4 GiB on; FAIL_PATH_NOT_STORABLE for a path with
    // no header form. Credentials the cipher refused store nothing (FAIL_OTHER).
    FileResult CanStore(std::uint64_t nSize, const std::string& strSource) const override;
    FileResult WriteStored(CReadableFile& source, std::uint64_t nSize, const std::string& strSource,
                           const std::string& strPlace, CWritableFile& target, RunContext& run,
                           std::uint64_t* pRead) const override;
    FileResult OpenStored(std::unique_ptr<CReadableFile> pStored,
                          std::unique_ptr<CStoredReader>* ppReader) const override;

private:
    const CVaultCipher& m_cipher;
    std::size_t m_nChunk;  // whole blocks
    std::uint64_t m_nReadAhead;
};

// True when the first bytes of a file are the scrambled format's signature.
bool IsScrambledSignature(const unsigned char* pHead, std::size_t nHead);

}  // namespace quovex
