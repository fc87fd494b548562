#include "ProtectedFormat.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <memory>
#include <vector>

#include "BlockProgress.h"
#include "ChunkIo.h"
#include "PathText.h"
#include "RunContext.h"
#include "StoreBuffers.h"
#include "VaultEnv.h"
#include "VaultKey.h"

namespace quovex {

namespace {

// Plain bytes read per piece for a source of nSize bytes: whole chunks,
// nPerPiece at most, so that every piece but the last ends on a chunk
// boundary; a file of one short chunk gets room for one byte more than it
// holds (a piece that comes short is the last), not a whole chunk's.
std::size_t PlainPieceFor(std::uint64_t nSize, std::size_t nPerPiece) {
    if (nSize < PFF_CHUNK_SIZE) return static_cast<std::size_t>(nSize) + 1;
    return ChunkFor(nSize, PFF_CHUNK_SIZE, nPerPiece * PFF_CHUNK_SIZE);
}

// Seals the n plain bytes of one piece at pOut + *pnOut, advancing
// *pnOut: every whole chunk of it (on two threads with bTwoThreads), then,
// on the last piece, what is left as the final chunk (empty when the size
// ends on a chunk): the final chunk is always short. A source that holds
// more than it did is FILE_CHANGED.
FileResult SealPiece(CProtectedSealer& sealer, const unsigned char* pIn, std::size_t n, bool bLast,
                     bool bTwoThreads, unsigned char* pOut, std::size_t* pnOut) {
    const std::size_t nWhole = n / PFF_CHUNK_SIZE;
    ProtectedResult nResult = ProtectedResult::PROTECTED_OK;
    if (nWhole > 0) {
        nResult = sealer.SealWholeChunks(pIn, nWhole, pOut + *pnOut, bTwoThreads);
        if (nResult == ProtectedResult::PROTECTED_OK) *pnOut += nWhole * PFF_CHUNK_STORED_SIZE;
    }
    if (bLast && nResult == ProtectedResult::PROTECTED_OK) {
        const std::size_t nPos = nWhole * PFF_CHUNK_SIZE;
        std::size_t nSealed = 0;
        nResult = sealer.SealChunk(pIn + nPos, n - nPos, true, pOut + *pnOut, &nSealed);
        *pnOut += nSealed;
    }
    if (nResult == ProtectedResult::PROTECTED_SIZE_MISMATCH) return FileOutcome::FILE_CHANGED;
    if (nResult != ProtectedResult::PROTECTED_OK) return CauseOfProtected(nResult);
    return FileOutcome::FILE_DONE;
}

// The body of one protected stored file, opened chunk by chunk.
class CProtectedReader final : public CStoredReader {
public:
    CProtectedReader(const ProtectedFileKeys& keys, std::unique_ptr<CReadableFile> pStored,
                     std::size_t nPerPiece, std::uint64_t nReadAhead)
        : m_opener(keys),
          m_pStored(std::move(pStored)),
          m_nPerPiece(nPerPiece),
          m_nReadAhead(nReadAhead) {}

    FileResult Open();
    const StoredHead& Head() const override { return m_head; }
    FileResult WritePlain(CWritableFile& target, RunContext& run) override;

private:
    // Opens the n stored bytes of one piece into pOut, setting *pnOut to
    // the plain bytes: its whole chunks but the file's last at once (on two
    // threads with bTwoThreads), then chunk by chunk.
    FileResult OpenPiece(const unsigned char* pIn, std::size_t n, bool bTwoThreads,
                         unsigned char* pOut, std::size_t* pnOut, RunContext& run,
                         CBlockProgress& progress);
    // Why the opener refused the body, with the chunk it names.
    FileResult Refused(ProtectedResult nResult) const;

    CProtectedOpener m_opener;
    std::unique_ptr<CReadableFile> m_pStored;
    StoredHead m_head;
    std::size_t m_nPerPiece;  // chunks
    std::uint64_t m_nReadAhead;
};

FileResult CProtectedReader::Open() {
    const FileResult opened = OpenProtectedHead(*m_pStored, &m_opener);
    if (opened.nOutcome != FileOutcome::FILE_DONE) return opened;
    const ProtectedMetadata& metadata = m_opener.Metadata();
    m_head.nKind = StoredKind::STORED_PROTECTED;
    m_head.nPlainSize = metadata.nPlainSize;
    m_head.strRecordedPath = metadata.strSourcePath;
    m_head.strSummary = metadata.strSummary;
    m_head.nStoredTime = metadata.nStoredTime;
    m_head.nMode = metadata.nMode;
    m_head.strPlace = metadata.strPlace;
    m_head.bSourceTime = metadata.HasSourceTime();
    m_head.nSourceTime = metadata.nSourceTime;
    m_head.nSourceNanos = metadata.nSourceNanos;
    // The metadata is authenticated, but a path that storing would not
    // have recorded still sends no restore anywhere.
    if (IsNormalAbsolutePath(metadata.strSourcePath)) m_head.strSourcePath = metadata.strSourcePath;
    return FileOutcome::FILE_DONE;
}

FileResult CProtectedReader::WritePlain(CWritableFile& target, RunContext& run) {
    const std::uint64_t nStored = m_pStored->Size();
    ProtectedResult nResult = m_opener.BeginBody(nStored);
    if (nResult != ProtectedResult::PROTECTED_OK) return CauseOfProtected(nResult, 0);
    const std::uint64_t nHead = ProtectedHeadSize(m_opener.Header());
    const std::uint64_t nBody = nStored - nHead;
    // Whole stored chunks per piece; only the last piece ends short. A
    // body of one chunk gets room for one byte more, as a store's source.
    const std::size_t nPiece = static_cast<std::size_t>(
        nBody < PFF_CHUNK_STORED_SIZE
            ? nBody + 1
            : std::min<std::uint64_t>(m_nPerPiece * PFF_CHUNK_STORED_SIZE,
                                      (nBody / PFF_CHUNK_STORED_SIZE + 1) * PFF_CHUNK_STORED_SIZE));
    // As a store: read ahead and written behind the opening for a large file.
    const bool bLarge = nBody >= m_nReadAhead;
    CReadAhead reader(*m_pStored, nPiece, bLarge, nBody);
    CWriteBehind writer(target, nPiece, bLarge);
    CBlockProgress progress(run.pFeedback, run.nTotal);
    for (;;) {
        unsigned char* pIn = nullptr;
        const std::int64_t nGot = reader.Next(&pIn);
        if (nGot < 0) return CauseOfLastError();
        unsigned char* pOut = writer.Buffer();
        if (!pOut) return CauseOfLastError();
        std::size_t nOut = 0;
        const FileResult opened =
            OpenPiece(pIn, static_cast<std::size_t>(nGot), bLarge, pOut, &nOut, run, progress);
        if (opened.nOutcome != FileOutcome::FILE_DONE) return opened;
        if (!writer.Post(nOut)) return CauseOfLastError();
        if (static_cast<std::size_t>(nGot) < nPiece) break;
    }
    if (!writer.Finish()) return CauseOfLastError();
    nResult = m_opener.Finish();
    if (nResult != ProtectedResult::PROTECTED_OK) return Refused(nResult);
    return FileOutcome::FILE_DONE;
}

FileResult CProtectedReader::OpenPiece(const unsigned char* pIn, std::size_t n, bool bTwoThreads,
                                       unsigned char* pOut, std::size_t* pnOut, RunContext& run,
                                       CBlockProgress& progress) {
    // The whole chunks before the last one of the file, at once, then the
    // last one when it is here.
    const std::uint64_t nLeftInFile = m_opener.ChunkCount() - m_opener.NextChunkIndex();
    const std::size_t nWhole = static_cast<std::size_t>(
        std::min<std::uint64_t>(n / PFF_CHUNK_STORED_SIZE, nLeftInFile > 0 ? nLeftInFile - 1 : 0));
    if (nWhole > 0) {
        const ProtectedResult nResult = m_opener.OpenWholeChunks(pIn, nWhole, pOut, bTwoThreads);
        if (nResult != ProtectedResult::PROTECTED_OK) return Refused(nResult);
        run.nDone += nWhole * PFF_CHUNK_SIZE;
        if (!progress.AfterBlock(run.nDone)) return FileOutcome::FILE_CANCELLED;
    }
    std::size_t nPos = nWhole * PFF_CHUNK_STORED_SIZE;
    *pnOut = nWhole * PFF_CHUNK_SIZE;
    while (nPos < n) {
        const std::size_t nChunk = m_opener.NextChunkSize();
        if (nChunk == 0 || nChunk > n - nPos)
            return Refused(ProtectedResult::PROTECTED_DAMAGED_CHUNK);
        std::size_t nPlain = 0;
        const ProtectedResult nResult =
            m_opener.OpenChunk(pIn + nPos, nChunk, pOut + *pnOut, &nPlain);
        if (nResult != ProtectedResult::PROTECTED_OK) return Refused(nResult);
        nPos += nChunk;
        *pnOut += nPlain;
        run.nDone += nPlain;
        if (!progress.AfterBlock(run.nDone)) return FileOutcome::FILE_CANCELLED;
    }
    return FileOutcome::FILE_DONE;
}

FileResult CProtectedReader::Refused(ProtectedResult nResult) const {
    return CauseOfProtected(nResult, static_cast<std::int64_t>(m_opener.FailedChunk()));
}

}  // namespace

FailCause CauseOfProtected(ProtectedResult nResult, std::int64_t nChunk) {
    switch (nResult) {
        case ProtectedResult::PROTECTED_OK:
            return {};
        case ProtectedResult::PROTECTED_UNSUPPORTED:
            return {FailReason::FAIL_NEWER_FORMAT};
        case ProtectedResult::PROTECTED_OTHER_VAULT:
            return {FailReason::FAIL_OTHER_VAULT};
        case ProtectedResult::PROTECTED_TOO_LONG:
            return {FailReason::FAIL_PATH_NOT_STORABLE};
        case ProtectedResult::PROTECTED_NO_CRYPTO:
            return CauseOfErrno(ENOMEM);
        case ProtectedResult::PROTECTED_DAMAGED_CHUNK:
        case ProtectedResult::PROTECTED_SIZE_MISMATCH:
            return {FailReason::FAIL_DAMAGED, 0, nChunk};
        default:
            return {FailReason::FAIL_DAMAGED};
    }
}

FileResult OpenProtectedHead(CReadableFile& stored, CProtectedOpener* pOpener) {
    unsigned char header[PFF_HEADER_SIZE];
    const std::int64_t nHeader = ReadFull(stored, header, sizeof header);
    if (nHeader < 0) return CauseOfLastError();
    ProtectedResult nResult = pOpener->ReadHeader(header, static_cast<std::size_t>(nHeader));
    if (nResult != ProtectedResult::PROTECTED_OK) return CauseOfProtected(nResult);
    std::vector<unsigned char> slots(pOpener->HeadRestSize());
    const std::int64_t nSlots = ReadFull(stored, slots.data(), slots.size());
    if (nSlots < 0) return CauseOfLastError();
    nResult = pOpener->OpenSlots(slots.data(), static_cast<std::size_t>(nSlots));
    if (nResult != ProtectedResult::PROTECTED_OK) return CauseOfProtected(nResult);
    return FileOutcome::FILE_DONE;
}

CProtectedFormat::CProtectedFormat(const CVaultKey& key, const StreamSizes& sizes)
    : m_nChunksPerPiece(std::max<std::size_t>(1, sizes.nChunk / PFF_CHUNK_SIZE)),
      m_nReadAhead(sizes.nReadAhead) {
    m_bKeys = key.FileKeys(&m_keys);
}

FileResult CProtectedFormat::CanStore(std::uint64_t, const std::string& strSource) const {
    if (!m_bKeys) return FailCause{FailReason::FAIL_NEEDS_KEY};
    if (ProtectedSlotSize(strSource.size()) == 0)
        return FailCause{FailReason::FAIL_PATH_NOT_STORABLE};
    return FileOutcome::FILE_DONE;
}

FileResult CProtectedFormat::WriteStored(CReadableFile& source, std::uint64_t nSize,
                                         const std::string& strSource, const std::string& strPlace,
                                         CWritableFile& target, RunContext& run,
                                         std::uint64_t* pRead) const {
    *pRead = 0;
    const FileResult can = CanStore(nSize, strSource);
    if (can.nOutcome != FileOutcome::FILE_DONE) return can;
    ProtectedMetadata metadata;
    metadata.nPlainSize = nSize;
    metadata.nStoredTime = static_cast<std::int64_t>(std::time(nullptr));
    metadata.nMode = source.OpenStamp().nMode;
    metadata.strSourcePath = strSource;
    metadata.strPlace = strPlace;
    metadata.nSourceTime = source.OpenStamp().nModSeconds;
    metadata.nSourceNanos = static_cast<std::uint32_t>(source.OpenStamp().nModNanos);
    CProtectedSealer sealer(m_keys);
    ProtectedResult nResult = sealer.Begin(metadata);
    if (nResult != ProtectedResult::PROTECTED_OK) return CauseOfProtected(nResult);

    // A large file's pieces are read ahead of, and written behind, the
    // sealing, which takes both cores meanwhile.
    const bool bLarge = nSize >= m_nReadAhead;
    const std::size_t nPiece = PlainPieceFor(nSize, m_nChunksPerPiece);
    CReadAhead reader(source, nPiece, bLarge, nSize);
    const std::vector<unsigned char>& head = sealer.Head();
    const std::size_t nMaxOut = static_cast<std::size_t>(
        std::min<std::uint64_t>((nPiece / PFF_CHUNK_SIZE + 1) * PFF_CHUNK_STORED_SIZE,
                                sealer.StoredLength() - head.size()));
    CWriteBehind writer(target, head.size() + nMaxOut, bLarge);
    // The head goes out with the first piece: one write for a small file.
    unsigned char* pOut = writer.Buffer();
    std::memcpy(pOut, head.data(), head.size());
    std::size_t nOut = head.size();
    CBlockProgress progress(run.pFeedback, run.nTotal);
    for (;;) {
        unsigned char* pIn = nullptr;
        const std::int64_t nGot = reader.Next(&pIn);
        if (nGot < 0) return CauseOfLastError();
        *pRead += static_cast<std::uint64_t>(nGot);
        if (*pRead > nSize) return FileOutcome::FILE_CHANGED;
        const bool bLast = static_cast<std::size_t>(nGot) < nPiece;
        const FileResult sealed =
            SealPiece(sealer, pIn, static_cast<std::size_t>(nGot), bLast, bLarge, pOut, &nOut);
        if (sealed.nOutcome != FileOutcome::FILE_DONE) return sealed;
        run.nDone += static_cast<std::uint64_t>(nGot);
        if (!progress.AfterBlock(run.nDone)) return FileOutcome::FILE_CANCELLED;
        if (!writer.Post(nOut)) return CauseOfLastError();
        if (bLast) break;
        pOut = writer.Buffer();
        if (!pOut) return CauseOfLastError();
        nOut = 0;
    }
    if (!writer.Finish()) return CauseOfLastError();
    // A source that ended early or grew is caught by the caller's checks.
    if (sealer.Finish() != ProtectedResult::PROTECTED_OK) return FileOutcome::FILE_CHANGED;
    return FileOutcome::FILE_DONE;
}

CProtectedWriter::CProtectedWriter(const CProtectedFormat& format, CWritableFile& target)
    : m_format(format), m_target(target) {}

CProtectedWriter::~CProtectedWriter() = default;

FileResult CProtectedWriter::Begin(const ProtectedMetadata& metadata) {
    if (!m_format.HasKeys()) return FailCause{FailReason::FAIL_NEEDS_KEY};
    m_pSealer = std::make_unique<CProtectedSealer>(m_format.Keys());
    const ProtectedResult nResult = m_pSealer->Begin(metadata);
    if (nResult != ProtectedResult::PROTECTED_OK) return CauseOfProtected(nResult);
    m_pPlain = NewPlainBuffer(PFF_CHUNK_SIZE);
    m_pOut.reset(new unsigned char[m_format.ChunksPerPiece() * PFF_CHUNK_STORED_SIZE]);
    const std::vector<unsigned char>& head = m_pSealer->Head();
    if (!m_target.Append(head.data(), head.size())) return CauseOfLastError();
    return FileOutcome::FILE_DONE;
}

bool CProtectedWriter::Append(const void* pData, std::size_t nCount) {
    if (!m_pSealer) {
        errno = EINVAL;
        return false;
    }
    const unsigned char* p = static_cast<const unsigned char*>(pData);
    while (nCount > 0) {
        const std::size_t n = std::min(nCount, PFF_CHUNK_SIZE - m_nPlain);
        std::memcpy(m_pPlain.get() + m_nPlain, p, n);
        m_nPlain += n;
        p += n;
        nCount -= n;
        // A full chunk is never the final one: that holds less than a chunk.
        if (m_nPlain == PFF_CHUNK_SIZE && !SealFullChunk()) return false;
    }
    return true;
}

bool CProtectedWriter::SealFullChunk() {
    std::size_t nSealed = 0;
    const ProtectedResult nResult =
        m_pSealer->SealChunk(m_pPlain.get(), m_nPlain, false, m_pOut.get() + m_nOut, &nSealed);
    if (nResult != ProtectedResult::PROTECTED_OK) {
        errno = nResult == ProtectedResult::PROTECTED_SIZE_MISMATCH ? EFBIG : EINVAL;
        return false;
    }
    m_nPlain = 0;
    m_nOut += nSealed;
    if (m_nOut + PFF_CHUNK_STORED_SIZE > m_format.ChunksPerPiece() * PFF_CHUNK_STORED_SIZE)
        return WriteOut();
    return true;
}

bool CProtectedWriter::WriteOut() {
    if (m_nOut > 0 && !m_target.Append(m_pOut.get(), m_nOut)) return false;
    m_nOut = 0;
    return true;
}

FileResult CProtectedWriter::Finish() {
    if (!m_pSealer) return FailCause{FailReason::FAIL_NEEDS_KEY};
    // Appends leave room for one more chunk.
    std::size_t nSealed = 0;
    const ProtectedResult nResult =
        m_pSealer->SealChunk(m_pPlain.get(), m_nPlain, true, m_pOut.get() + m_nOut, &nSealed);
    if (nResult == ProtectedResult::PROTECTED_SIZE_MISMATCH)
        return FailCause{FailReason::FAIL_DAMAGED};
    if (nResult != ProtectedResult::PROTECTED_OK) return CauseOfProtected(nResult);
    m_nPlain = 0;
    m_nOut += nSealed;
    if (!WriteOut()) return CauseOfLastError();
    if (m_pSealer->Finish() != ProtectedResult::PROTECTED_OK)
        return FailCause{FailReason::FAIL_DAMAGED};
    return FileOutcome::FILE_DONE;
}

FileResult CProtectedFormat::OpenStored(std::unique_ptr<CReadableFile> pStored,
                                        std::unique_ptr<CStoredReader>* ppReader) const {
    if (!m_bKeys) return FailCause{FailReason::FAIL_NEEDS_KEY};
    auto pReader = std::make_unique<CProtectedReader>(m_keys, std::move(pStored), m_nChunksPerPiece,
                                                      m_nReadAhead);
    const FileResult opened = pReader->Open();
    if (opened.nOutcome != FileOutcome::FILE_DONE) return opened;
    *ppReader = std::move(pReader);
    return FileOutcome::FILE_DONE;
}

}  // namespace quovex
