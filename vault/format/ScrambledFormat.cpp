#include "ScrambledFormat.h"

#include <sodium.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "BlockProgress.h"
#include "ChunkIo.h"
#include "RunContext.h"
#include "StoreBuffers.h"
#include "StoredFileHeader.h"
#include "TextCodec.h"
#include "VaultEnv.h"

namespace quovex {

namespace {

// The header text of a source path: GB18030, at most 127 bytes.
bool EncodeSourcePath(const std::string& strSource, char* pField) {
    std::string strGb;
    if (!Utf8ToGb18030(strSource, &strGb)) return false;
    if (strGb.size() > SFF_TEXT_MAX_BYTES || strGb.find('\0') != std::string::npos) return false;
    if (pField) std::memcpy(pField, strGb.data(), strGb.size());
    return true;
}

// The key stream of one file, wiped when it goes: it is the credentials,
// merely interleaved and substituted.
struct CScrambleStream {
    explicit CScrambleStream(const CVaultCipher& cipher) {
        char szKey[CIPHER_KEY_BUFFER_SIZE];
        cipher.BuildFileKey(szKey);
        CVaultCipher::ExpandKey(szKey, stream);
        sodium_memzero(szKey, sizeof szKey);
    }
    ~CScrambleStream() { sodium_memzero(stream, sizeof stream); }
    CScrambleStream(const CScrambleStream&) = delete;
    CScrambleStream& operator=(const CScrambleStream&) = delete;

    unsigned char stream[SFF_BLOCK_SIZE];
};

// The body of one scrambled stored file, read block by block.
class CScrambledReader final : public CStoredReader {
public:
    CScrambledReader(const CVaultCipher& cipher, std::unique_ptr<CReadableFile> pStored,
                     const StoredFileHeader& header, StoredHead head, std::size_t nChunk,
                     std::uint64_t nReadAhead)
        : m_cipher(cipher),
          m_pStored(std::move(pStored)),
          m_header(header),
          m_head(std::move(head)),
          m_nChunk(nChunk),
          m_nReadAhead(nReadAhead) {}

    const StoredHead& Head() const override { return m_head; }
    std::int64_t StoredTime() override {
        std::int64_t nSeconds = 0;
        return m_pStored->GetCreationTime(&nSeconds) ? nSeconds : 0;
    }
    FileResult WritePlain(CWritableFile& target, RunContext& run) override;

private:
    const CVaultCipher& m_cipher;
    std::unique_ptr<CReadableFile> m_pStored;
    StoredFileHeader m_header;
    StoredHead m_head;
    std::size_t m_nChunk;
    std::uint64_t m_nReadAhead;
};

FileResult CScrambledReader::WritePlain(CWritableFile& target, RunContext& run) {
    const CScrambleStream key(m_cipher);
    const unsigned char* stream = key.stream;

    const std::size_t nChunk = ChunkFor(m_pStored->Size(), SFF_BLOCK_SIZE, m_nChunk);
    // The body ends where the file did when it was opened: no read to find that out.
    const std::uint64_t nBody =
        m_pStored->Size() > SFF_HEADER_SIZE ? m_pStored->Size() - SFF_HEADER_SIZE : 0;
    CReadAhead reader(*m_pStored, nChunk, nBody >= m_nReadAhead, nBody);
    const PlainBuffer pOut = NewPlainBuffer(nChunk);
    CBlockProgress progress(run.pFeedback, run.nTotal);
    std::uint64_t nRemaining = m_header.nPlainSize;
    for (;;) {
        unsigned char* pIn = nullptr;
        const std::int64_t nGot = reader.Next(&pIn);
        if (nGot < 0) return CauseOfLastError();
        // A body that ends inside a block is damaged.
        if (nGot % SFF_BLOCK_SIZE != 0) return FailCause{FailReason::FAIL_DAMAGED};
        std::size_t nOut = 0;
        for (std::size_t nPos = 0; nPos < static_cast<std::size_t>(nGot); nPos += SFF_BLOCK_SIZE) {
            // The whole block always fits (nOut never passes nPos); only
            // its first w bytes count, and the next block overwrites the rest.
            CVaultCipher::UnscrambleWithStream(stream, pIn + nPos, pOut.get() + nOut);
            const std::size_t w =
                static_cast<std::size_t>(std::min<std::uint64_t>(nRemaining, SFF_BLOCK_SIZE));
            nOut += w;
            nRemaining -= w;
            run.nDone += SFF_BLOCK_SIZE;
            if (!progress.AfterBlock(run.nDone)) return FileOutcome::FILE_CANCELLED;
        }
        if (nOut > 0 && !target.Append(pOut.get(), nOut)) return CauseOfLastError();
        if (static_cast<std::size_t>(nGot) < nChunk) break;
    }
    // A body shorter than the plain size calls for is damaged.
    if (nRemaining != 0) return FailCause{FailReason::FAIL_DAMAGED};
    return FileOutcome::FILE_DONE;
}

}  // namespace

// A chunk that is not whole blocks would cut a block between two reads.
CScrambledFormat::CScrambledFormat(const CVaultCipher& cipher, const StreamSizes& sizes)
    : m_cipher(cipher),
      m_nChunk(
          std::max<std::size_t>(SFF_BLOCK_SIZE, sizes.nChunk / SFF_BLOCK_SIZE * SFF_BLOCK_SIZE)),
      m_nReadAhead(sizes.nReadAhead) {}

bool IsScrambledSignature(const unsigned char* pHead, std::size_t nHead) {
    return nHead >= SFF_SIGNATURE_SIZE &&
           std::memcmp(pHead, SFF_SIGNATURE, SFF_SIGNATURE_SIZE) == 0;
}

FileResult CScrambledFormat::CanStore(std::uint64_t nSize, const std::string& strSource) const {
    if (!m_cipher.IsValid()) return FailCause{};  // refused credentials: no key to scramble with
    if (nSize > SFF_MAX_PLAIN_SIZE) return FailCause{FailReason::FAIL_TOO_LARGE};
    if (!EncodeSourcePath(strSource, nullptr)) return FailCause{FailReason::FAIL_PATH_NOT_STORABLE};
    return FileOutcome::FILE_DONE;
}

FileResult CScrambledFormat::WriteStored(CReadableFile& source, std::uint64_t nSize,
                                         const std::string& strSource,
                                         const std::string& /*strPlace: not recorded*/,
                                         CWritableFile& target, RunContext& run,
                                         std::uint64_t* pRead) const {
    StoredFileHeader header;
    const FileResult can = CanStore(nSize, strSource);
    if (can.nOutcome != FileOutcome::FILE_DONE) return can;
    EncodeSourcePath(strSource, header.szSourcePath);
    header.nPlainSize = static_cast<std::uint32_t>(nSize);
    header.nChecksum = m_cipher.Checksum();

    const CScrambleStream key(m_cipher);
    const unsigned char* stream = key.stream;

    const std::size_t nChunk = ChunkFor(nSize, SFF_BLOCK_SIZE, m_nChunk);
    CReadAhead reader(source, nChunk, nSize >= m_nReadAhead, nSize);
    // The header goes out with the first chunk: one write for a small file.
    const PlainBuffer pOut = NewPlainBuffer(SFF_HEADER_SIZE + nChunk);
    EncodeHeader(header, pOut.get());
    std::size_t nOut = SFF_HEADER_SIZE;

    CBlockProgress progress(run.pFeedback, run.nTotal);
    *pRead = 0;
    for (;;) {
        unsigned char* pIn = nullptr;
        const std::int64_t nGot = reader.Next(&pIn);
        if (nGot < 0) return CauseOfLastError();
        *pRead += static_cast<std::uint64_t>(nGot);
        for (std::size_t nPos = 0; nPos < static_cast<std::size_t>(nGot); nPos += SFF_BLOCK_SIZE) {
            const std::size_t n = std::min<std::size_t>(SFF_BLOCK_SIZE, nGot - nPos);
            // Zero filler, so that the same input always gives the same stored file.
            if (n < SFF_BLOCK_SIZE) std::memset(pIn + nPos + n, 0, SFF_BLOCK_SIZE - n);
            CVaultCipher::ScrambleWithStream(stream, pIn + nPos, pOut.get() + nOut);
            nOut += SFF_BLOCK_SIZE;
            run.nDone += n;
            if (!progress.AfterBlock(run.nDone)) return FileOutcome::FILE_CANCELLED;
        }
        if (nOut > 0 && !target.Append(pOut.get(), nOut)) return CauseOfLastError();
        nOut = 0;
        if (static_cast<std::size_t>(nGot) < nChunk) break;
    }
    return FileOutcome::FILE_DONE;
}

FileResult CScrambledFormat::OpenStored(std::unique_ptr<CReadableFile> pStored,
                                        std::unique_ptr<CStoredReader>* ppReader) const {
    if (!m_cipher.IsValid()) return FailCause{};
    unsigned char headerBytes[SFF_HEADER_SIZE];
    StoredFileHeader header;
    const std::int64_t nHeader = ReadFull(*pStored, headerBytes, SFF_HEADER_SIZE);
    if (nHeader < 0) return CauseOfLastError();
    if (nHeader != SFF_HEADER_SIZE || !DecodeHeader(headerBytes, &header))
        return FailCause{FailReason::FAIL_DAMAGED};
    StoredHead head;
    head.nPlainSize = header.nPlainSize;
    if (!RecordedRestorePath(header, &head.strSourcePath)) head.strSourcePath.clear();
    if (!Gb18030ToUtf8(header.szSourcePath, &head.strRecordedPath) ||
        !Gb18030ToUtf8(header.szSummary, &head.strSummary)) {
        head.bTextUnreadable = true;
        head.strRecordedPath.clear();
        head.strSummary.clear();
    }
    head.bKeyMatches = header.nChecksum == m_cipher.Checksum();
    *ppReader = std::make_unique<CScrambledReader>(m_cipher, std::move(pStored), header,
                                                   std::move(head), m_nChunk, m_nReadAhead);
    return FileOutcome::FILE_DONE;
}

}  // namespace quovex
