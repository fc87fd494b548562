// StoreFile and RestoreFile: one file across the vault's boundary.
//
// Both write a new file that takes the target's place only when it is
// complete (TargetCommit.h), so an existing file stays intact until its
// replacement is whole, a failure or cancel leaves nothing partial, and
// nothing is replaced that the user was not asked about.
// I/O goes in large pieces; the cipher, progress and cancel stay per block.
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>

#include "ChunkIo.h"
#include "PathText.h"
#include "RestoreTargets.h"
#include "TargetCommit.h"
#include "TextCodec.h"
#include "VaultCipher.h"
#include "VaultEnv.h"
#include "VaultFeedback.h"
#include "VaultFolders.h"

namespace quovex {

namespace {

// Bytes moved per read and per write; a multiple of the block size.
constexpr std::size_t STORE_CHUNK_SIZE = 1u << 20;
constexpr unsigned STORE_STORED_FILE_MODE = 0600;
constexpr unsigned STORE_PLAIN_FILE_MODE = 0666;  // narrowed by the umask, as cp does
// From this size on, the next chunk is read on a helper thread; below it
// starting the thread costs more than the overlap gains.
constexpr std::uint64_t STORE_READ_AHEAD_SIZE = 4 * STORE_CHUNK_SIZE;

// Room for a whole small file, at most one chunk, so many small files do not
// each pay for a full-size buffer.
std::size_t ChunkFor(std::uint64_t nBytes) {
    const std::uint64_t nBlocks = nBytes / SFF_BLOCK_SIZE + 1;
    return static_cast<std::size_t>(
        std::min<std::uint64_t>(STORE_CHUNK_SIZE, nBlocks * SFF_BLOCK_SIZE));
}

// Offers the run's position after each block of one file. A position is
// sent only when it changes: a large file would otherwise send every
// percentage thousands of times, and the next change is found without a
// division per block.
class CBlockProgress {
public:
    CBlockProgress(CVaultFeedback* pFeedback, std::uint64_t nTotal)
        : m_pFeedback(pFeedback), m_nTotal(nTotal) {}

    // False when the user cancelled.
    bool AfterBlock(std::uint64_t nDone) {
        if (!m_pFeedback) return true;
        if (m_pFeedback->IsCancelled()) return false;
        if (m_nTotal != 0 && nDone >= m_nNextChange) Send(nDone);
        return true;
    }

private:
    void Send(std::uint64_t nDone) {
        const int nPos = static_cast<int>(std::min<std::uint64_t>(100, nDone * 100 / m_nTotal));
        if (nPos != m_nLastPos) m_pFeedback->SetProgressPos(nPos);
        m_nLastPos = nPos;
        // The smallest done count whose position is higher.
        m_nNextChange = nPos >= 100
                            ? UINT64_MAX
                            : ((static_cast<std::uint64_t>(nPos) + 1) * m_nTotal + 99) / 100;
    }

    CVaultFeedback* m_pFeedback;
    std::uint64_t m_nTotal;
    std::uint64_t m_nNextChange = 0;
    int m_nLastPos = -1;
};

// The header text of a source path: GB18030, at most 127 bytes, absolute.
bool EncodeSourcePath(const std::string& strSource, char* pField) {
    std::error_code ec;
    // The normal form, which is also the only form a restore accepts.
    std::string strAbsolute = std::filesystem::absolute(strSource, ec).lexically_normal().string();
    while (strAbsolute.size() > 1 && strAbsolute.back() == PATH_SEPARATOR) strAbsolute.pop_back();
    std::string strGb;
    if (ec || !Utf8ToGb18030(strAbsolute, &strGb)) return false;
    if (strGb.size() > SFF_TEXT_MAX_BYTES || strGb.find('\0') != std::string::npos) return false;
    std::memcpy(pField, strGb.data(), strGb.size());
    return true;
}

}  // namespace

int CVaultCipher::StoreFile(const std::string& strSource, const std::string& strStored,
                            CVaultFeedback* pFeedback, std::uint64_t& nDone, std::uint64_t nTotal,
                            StoreResult* pResult) const {
    const auto fnOpen = [&] { return m_pEnv->OpenForRead(strSource); };
    return StoreFrom(fnOpen, strSource, nullptr, strStored, pFeedback, nDone, nTotal, pResult);
}

int CVaultCipher::StoreFileAt(CFolder& folder, const std::string& strName,
                              const std::string& strSource, const FolderPtr& pStoredFolder,
                              const std::string& strStored, CVaultFeedback* pFeedback,
                              std::uint64_t& nDone, std::uint64_t nTotal,
                              StoreResult* pResult) const {
    const auto fnOpen = [&] { return folder.OpenFile(strName); };
    return StoreFrom(fnOpen, strSource, pStoredFolder, strStored, pFeedback, nDone, nTotal,
                     pResult);
}

int CVaultCipher::StoreFrom(const SourceOpener& fnOpen, const std::string& strSource,
                            const FolderPtr& pStoredFolder, const std::string& strStored,
                            CVaultFeedback* pFeedback, std::uint64_t& nDone, std::uint64_t nTotal,
                            StoreResult* pResult) const {
    StoreResult result;
    if (!m_bValid) {  // refused credentials: no key to scramble with
        if (pResult) *pResult = result;
        return 0;
    }
    FileResult& outcome = result;
    try {
        outcome = StoreSteps(fnOpen, strSource, pStoredFolder, strStored, pFeedback, nDone, nTotal,
                             &result.source);
    } catch (...) {
        outcome = CauseOfErrno(ENOMEM);  // running out of memory is the only way in
    }
    if (pResult) *pResult = result;
    return result.nOutcome == FileOutcome::FILE_DONE ? 1 : 0;
}

FileResult CVaultCipher::StoreSteps(const SourceOpener& fnOpen, const std::string& strSource,
                                    const FolderPtr& pStoredFolder, const std::string& strStored,
                                    CVaultFeedback* pFeedback, std::uint64_t& nDone,
                                    std::uint64_t nTotal, FileStamp* pSourceStamp) const {
    // The folders above the stored file are made first, whatever follows.
    // Most files of a folder land in one that exists already: an open
    // saves a failing mkdir for every level of the path.
    FolderPtr pFolder = pStoredFolder;
    if (!pFolder) pFolder = m_pEnv->OpenFolder(FolderOf(strStored));
    if (!pFolder) {
        const int nMadeError = CreateDirectoryPath(strStored, 0700, m_pEnv);
        pFolder = m_pEnv->OpenFolder(FolderOf(strStored));
        if (!pFolder) return nMadeError ? CauseOfErrno(nMadeError) : CauseOfLastError();
    }
    const std::string strName = LastComponent(strStored);
    FileStamp asked;
    pFolder->GetStamp(strName, &asked);
    const FileResult answer =
        AskToReplace(asked, FeedbackQuestion::QUESTION_STORED_EXISTS, strStored, pFeedback);
    if (answer.nOutcome != FileOutcome::FILE_DONE) return answer;

    char szKey[CIPHER_KEY_BUFFER_SIZE];
    BuildFileKey(szKey);
    unsigned char stream[SFF_BLOCK_SIZE];
    ExpandKey(szKey, stream);

    const auto pSource = fnOpen();
    if (!pSource) return CauseOfLastError();
    *pSourceStamp = pSource->OpenStamp();
    if (pFeedback) pFeedback->SetStatusText(strSource);

    const std::uint64_t nSize = pSource->Size();
    StoredFileHeader header;
    if (nSize > SFF_MAX_PLAIN_SIZE) return FailCause{FailReason::FAIL_TOO_LARGE};
    if (!EncodeSourcePath(strSource, header.szSourcePath))
        return FailCause{FailReason::FAIL_PATH_NOT_STORABLE};
    header.nPlainSize = static_cast<std::uint32_t>(nSize);
    header.nChecksum = Checksum();

    const auto pTarget = pFolder->CreateFileFor(strName, STORE_STORED_FILE_MODE);
    if (!pTarget) return CauseOfLastError();
    CWaitCursorGuard cursor(pFeedback);

    const std::size_t nChunk = ChunkFor(nSize);
    CReadAhead reader(*pSource, nChunk, nSize >= STORE_READ_AHEAD_SIZE, nSize);
    // The header goes out with the first chunk: one write for a small file.
    std::unique_ptr<unsigned char[]> pOut(new unsigned char[SFF_HEADER_SIZE + nChunk]);
    EncodeHeader(header, pOut.get());
    std::size_t nOut = SFF_HEADER_SIZE;

    CBlockProgress progress(pFeedback, nTotal);
    std::uint64_t nRead = 0;
    for (;;) {
        unsigned char* pIn = nullptr;
        const std::int64_t nGot = reader.Next(&pIn);
        if (nGot < 0) return CauseOfLastError();
        nRead += static_cast<std::uint64_t>(nGot);
        for (std::size_t nPos = 0; nPos < static_cast<std::size_t>(nGot); nPos += SFF_BLOCK_SIZE) {
            const std::size_t n = std::min<std::size_t>(SFF_BLOCK_SIZE, nGot - nPos);
            // Zero filler, so that the same input always gives the same stored file.
            if (n < SFF_BLOCK_SIZE) std::memset(pIn + nPos + n, 0, SFF_BLOCK_SIZE - n);
            ScrambleWithStream(stream, pIn + nPos, pOut.get() + nOut);
            nOut += SFF_BLOCK_SIZE;
            nDone += n;
            if (!progress.AfterBlock(nDone)) return FileOutcome::FILE_CANCELLED;
        }
        if (nOut > 0 && !pTarget->Append(pOut.get(), nOut)) return CauseOfLastError();
        nOut = 0;
        if (static_cast<std::size_t>(nGot) < nChunk) break;
    }
    // Reading stopped at the size the source had when it was opened. One
    // that was written to meanwhile (its size or time moved) may have been
    // stored half old, half new, or cut short.
    FileStamp after;
    if (nRead != nSize || !pSource->GetStamp(&after) || !after.SameContent(*pSourceStamp))
        return FileOutcome::FILE_CHANGED;
    return CommitTarget(*pFolder, strName, *pTarget, FeedbackQuestion::QUESTION_STORED_EXISTS,
                        strStored, pFeedback, asked);
}

namespace {

// The plain file a restore writes: strTarget minus its extension, or the
// path recorded in the header.
FileOutcome RestoreTargetPath(const StoredFileHeader& header, const std::string& strTarget,
                              std::string* pPath) {
    if (!strTarget.empty()) {
        *pPath = RemoveExtension(strTarget);
        return FileOutcome::FILE_DONE;
    }
    return RecordedRestorePath(header, pPath) ? FileOutcome::FILE_DONE : FileOutcome::FILE_BAD_PATH;
}

}  // namespace

int CVaultCipher::RestoreFile(const std::string& strStored, const std::string& strTarget,
                              CVaultFeedback* pFeedback, std::uint64_t& nDone, std::uint64_t nTotal,
                              FileResult* pResult, const KeepOutSet* pKeepOut) const {
    CRestoreFolders targets(m_pEnv, pKeepOut);
    const auto fnOpen = [&] { return m_pEnv->OpenForRead(strStored); };
    return RestoreFrom(fnOpen, strStored, strTarget, targets, pFeedback, nDone, nTotal, pResult);
}

int CVaultCipher::RestoreFileAt(CFolder& folder, const std::string& strName,
                                const std::string& strStored, const std::string& strTarget,
                                CRestoreFolders& targets, CVaultFeedback* pFeedback,
                                std::uint64_t& nDone, std::uint64_t nTotal,
                                FileResult* pResult) const {
    const auto fnOpen = [&] { return folder.OpenFile(strName); };
    return RestoreFrom(fnOpen, strStored, strTarget, targets, pFeedback, nDone, nTotal, pResult);
}

int CVaultCipher::RestoreFrom(const SourceOpener& fnOpen, const std::string& strStored,
                              const std::string& strTarget, CRestoreFolders& targets,
                              CVaultFeedback* pFeedback, std::uint64_t& nDone, std::uint64_t nTotal,
                              FileResult* pResult) const {
    FileResult result;
    if (!m_bValid) {
        if (pResult) *pResult = result;
        return 0;
    }
    try {
        result = RestoreSteps(fnOpen, strStored, strTarget, targets, pFeedback, nDone, nTotal);
    } catch (...) {
        result = CauseOfErrno(ENOMEM);  // running out of memory is the only way in
    }
    if (pResult) *pResult = result;
    return result.nOutcome == FileOutcome::FILE_DONE ? 1 : 0;
}

FileResult CVaultCipher::RestoreSteps(const SourceOpener& fnOpen, const std::string& strStored,
                                      const std::string& strTarget, CRestoreFolders& targets,
                                      CVaultFeedback* pFeedback, std::uint64_t& nDone,
                                      std::uint64_t nTotal) const {
    const auto pStored = fnOpen();
    if (!pStored) return CauseOfLastError();
    if (pFeedback) pFeedback->SetStatusText(strStored);
    CWaitCursorGuard cursor(pFeedback);

    unsigned char headerBytes[SFF_HEADER_SIZE];
    StoredFileHeader header;
    const std::int64_t nHeader = ReadFull(*pStored, headerBytes, SFF_HEADER_SIZE);
    if (nHeader < 0) return CauseOfLastError();
    if (nHeader != SFF_HEADER_SIZE || !DecodeHeader(headerBytes, &header))
        return FailCause{FailReason::FAIL_DAMAGED};

    char szKey[CIPHER_KEY_BUFFER_SIZE];
    BuildFileKey(szKey);
    unsigned char stream[SFF_BLOCK_SIZE];
    ExpandKey(szKey, stream);

    std::string strPlain;
    const FileOutcome where = RestoreTargetPath(header, strTarget, &strPlain);
    if (where != FileOutcome::FILE_DONE) return where;
    // The folder that receives it, made when missing, and kept out of the
    // vault, before anything lands there.
    FolderPtr pFolder;
    const FileResult opened = targets.Open(FolderOf(strPlain), &pFolder);
    if (opened.nOutcome != FileOutcome::FILE_DONE) return opened;
    const std::string strName = LastComponent(strPlain);
    if (targets.KeepsOut(pFolder, strName)) return FileOutcome::FILE_IN_VAULT;
    FileStamp asked;
    pFolder->GetStamp(strName, &asked);
    const FileResult answer =
        AskToReplace(asked, FeedbackQuestion::QUESTION_TARGET_EXISTS, strPlain, pFeedback);
    if (answer.nOutcome != FileOutcome::FILE_DONE) return answer;
    // Where the file is going, which the stored file's name alone does not say.
    if (pFeedback) pFeedback->SetStatusText(strPlain);

    const auto pTarget = pFolder->CreateFileFor(strName, STORE_PLAIN_FILE_MODE);
    if (!pTarget) return CauseOfLastError();

    const std::size_t nChunk = ChunkFor(pStored->Size());
    // The body ends where the file did when it was opened: no read to find that out.
    const std::uint64_t nBody =
        pStored->Size() > SFF_HEADER_SIZE ? pStored->Size() - SFF_HEADER_SIZE : 0;
    CReadAhead reader(*pStored, nChunk, nBody >= STORE_READ_AHEAD_SIZE, nBody);
    std::unique_ptr<unsigned char[]> pOut(new unsigned char[nChunk]);
    CBlockProgress progress(pFeedback, nTotal);
    std::uint64_t nRemaining = header.nPlainSize;
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
            UnscrambleWithStream(stream, pIn + nPos, pOut.get() + nOut);
            const std::size_t w =
                static_cast<std::size_t>(std::min<std::uint64_t>(nRemaining, SFF_BLOCK_SIZE));
            nOut += w;
            nRemaining -= w;
            nDone += SFF_BLOCK_SIZE;
            if (!progress.AfterBlock(nDone)) return FileOutcome::FILE_CANCELLED;
        }
        if (nOut > 0 && !pTarget->Append(pOut.get(), nOut)) return CauseOfLastError();
        if (static_cast<std::size_t>(nGot) < nChunk) break;
    }
    // A body shorter than the plain size calls for is damaged.
    if (nRemaining != 0) return FailCause{FailReason::FAIL_DAMAGED};
    return CommitTarget(*pFolder, strName, *pTarget, FeedbackQuestion::QUESTION_TARGET_EXISTS,
                        strPlain, pFeedback, asked);
}

}  // namespace quovex
