// StoreFile and RestoreFile: one file across the vault's boundary.
//
// Both write into a temporary file beside the target and rename it over the
// target only when it is complete, so an existing file stays intact until its
// replacement is whole, and a failure or cancel leaves nothing partial.
// I/O goes in large pieces; the cipher, progress and cancel stay per block.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>

#include "ChunkIo.h"
#include "PathText.h"
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
constexpr unsigned STORE_PLAIN_FOLDER_MODE = 0777;
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

// The temporary file of one call: removed on every way out but success.
class CPendingFile {
public:
    CPendingFile(CVaultEnv* pEnv, const std::string& strTarget, unsigned nMode)
        : m_pEnv(pEnv), m_strTarget(strTarget) {
        m_pFile = pEnv->CreateTempBeside(strTarget, nMode, &m_strTemp);
    }
    ~CPendingFile() {
        m_pFile.reset();
        if (!m_bCommitted && !m_strTemp.empty()) m_pEnv->DeleteFile(m_strTemp);
    }
    bool IsOpen() const { return m_pFile != nullptr; }
    bool Append(const unsigned char* p, std::size_t n) { return n == 0 || m_pFile->Append(p, n); }

    // Closes the temporary and puts it in the target's place. A file that
    // replaces an existing one is made durable first, so a crash cannot leave
    // an empty file where a good one was.
    bool Commit(bool bReplacing) {
        if (bReplacing && !m_pFile->Sync()) return false;
        if (!m_pFile->Close()) return false;
        if (!m_pEnv->RenameFile(m_strTemp, m_strTarget)) return false;
        m_bCommitted = true;
        return true;
    }

private:
    CVaultEnv* m_pEnv;
    std::string m_strTarget;
    std::string m_strTemp;
    std::unique_ptr<CWritableFile> m_pFile;
    bool m_bCommitted = false;
};

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

// Asks before an existing target is replaced. A folder is never replaced.
bool MayReplace(CVaultEnv* pEnv, const std::string& strTarget, const char* pszQuestion,
                CVaultFeedback* pFeedback, bool* pExists) {
    const EntryKind kind = pEnv->GetKind(strTarget);
    *pExists = kind != EntryKind::ENTRY_NONE;
    if (!*pExists) return true;
    if (kind == EntryKind::ENTRY_FOLDER || !pFeedback) return false;
    return pFeedback->AskYesNo(pszQuestion);
}

// The header text of a source path: GB18030, at most 127 bytes, absolute.
bool EncodeSourcePath(const std::string& strSource, char* pField) {
    std::error_code ec;
    const std::string strAbsolute = std::filesystem::absolute(strSource, ec).string();
    std::string strGb;
    if (ec || !Utf8ToGb18030(strAbsolute, &strGb)) return false;
    if (strGb.size() > SFF_TEXT_MAX_BYTES || strGb.find('\0') != std::string::npos) return false;
    std::memcpy(pField, strGb.data(), strGb.size());
    return true;
}

}  // namespace

int CVaultCipher::StoreFile(const std::string& strSource, const std::string& strStored,
                            CVaultFeedback* pFeedback, std::uint64_t& nDone,
                            std::uint64_t nTotal) const {
    if (!m_bValid) return 0;  // refused credentials: no key to scramble with
    try {
        // Most files of a folder land in a folder that already exists; one
        // look saves a failing mkdir for every level of the path.
        if (m_pEnv->GetKind(ParentFolder(strStored)) != EntryKind::ENTRY_FOLDER) {
            CreateDirectoryPath(strStored, 0700, m_pEnv);
        }
        bool bReplacing = false;
        if (!MayReplace(m_pEnv, strStored, MSG_STORED_EXISTS, pFeedback, &bReplacing)) return 0;

        char szKey[CIPHER_KEY_BUFFER_SIZE];
        BuildFileKey(szKey);
        unsigned char stream[SFF_BLOCK_SIZE];
        ExpandKey(szKey, stream);

        auto pSource = m_pEnv->OpenForRead(strSource);
        if (!pSource) return 0;
        if (pFeedback) pFeedback->SetStatusText(strSource);

        const std::uint64_t nSize = pSource->Size();
        StoredFileHeader header;
        if (nSize > SFF_MAX_PLAIN_SIZE || !EncodeSourcePath(strSource, header.szSourcePath))
            return 0;
        header.nPlainSize = static_cast<std::uint32_t>(nSize);
        header.nChecksum = Checksum();

        CPendingFile target(m_pEnv, strStored, STORE_STORED_FILE_MODE);
        if (!target.IsOpen()) return 0;
        CWaitCursorGuard cursor(pFeedback);

        const std::size_t nChunk = ChunkFor(nSize);
        CReadAhead reader(*pSource, nChunk, nSize >= STORE_READ_AHEAD_SIZE);
        // The header goes out with the first chunk: one write for a small file.
        std::unique_ptr<unsigned char[]> pOut(new unsigned char[SFF_HEADER_SIZE + nChunk]);
        EncodeHeader(header, pOut.get());
        std::size_t nOut = SFF_HEADER_SIZE;

        CBlockProgress progress(pFeedback, nTotal);
        std::uint64_t nRead = 0;
        for (;;) {
            unsigned char* pIn = nullptr;
            const std::int64_t nGot = reader.Next(&pIn);
            if (nGot < 0) return 0;
            nRead += static_cast<std::uint64_t>(nGot);
            if (nRead > nSize) return 0;  // the source grew while it was stored
            for (std::size_t nPos = 0; nPos < static_cast<std::size_t>(nGot);
                 nPos += SFF_BLOCK_SIZE) {
                const std::size_t n = std::min<std::size_t>(SFF_BLOCK_SIZE, nGot - nPos);
                // Zero filler, so that the same input always gives the same stored file.
                if (n < SFF_BLOCK_SIZE) std::memset(pIn + nPos + n, 0, SFF_BLOCK_SIZE - n);
                ScrambleWithStream(stream, pIn + nPos, pOut.get() + nOut);
                nOut += SFF_BLOCK_SIZE;
                nDone += n;
                if (!progress.AfterBlock(nDone)) return 0;
            }
            if (!target.Append(pOut.get(), nOut)) return 0;
            nOut = 0;
            if (static_cast<std::size_t>(nGot) < nChunk) break;
        }
        if (nRead != nSize) return 0;  // the source shrank while it was stored
        return target.Commit(bReplacing) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

namespace {

// The plain file a restore writes: strTarget minus its extension, or the
// recorded source path, which must be an absolute path of this platform.
bool RestoreTargetPath(const StoredFileHeader& header, const std::string& strTarget,
                       std::string* pPath) {
    if (!strTarget.empty()) {
        *pPath = RemoveExtension(strTarget);
        return true;
    }
    if (!Gb18030ToUtf8(header.szSourcePath, pPath)) return false;
    return !pPath->empty() && pPath->front() == PATH_SEPARATOR;
}

}  // namespace

int CVaultCipher::RestoreFile(const std::string& strStored, const std::string& strTarget,
                              CVaultFeedback* pFeedback, std::uint64_t& nDone,
                              std::uint64_t nTotal) const {
    if (!m_bValid) return 0;
    try {
        auto pStored = m_pEnv->OpenForRead(strStored);
        if (!pStored) return 0;
        if (pFeedback) pFeedback->SetStatusText(strStored);
        CWaitCursorGuard cursor(pFeedback);

        unsigned char headerBytes[SFF_HEADER_SIZE];
        StoredFileHeader header;
        if (ReadFull(*pStored, headerBytes, SFF_HEADER_SIZE) != SFF_HEADER_SIZE) return 0;
        if (!DecodeHeader(headerBytes, &header)) return 0;

        char szKey[CIPHER_KEY_BUFFER_SIZE];
        BuildFileKey(szKey);
        unsigned char stream[SFF_BLOCK_SIZE];
        ExpandKey(szKey, stream);

        std::string strPlain;
        if (!RestoreTargetPath(header, strTarget, &strPlain)) return 0;
        bool bReplacing = false;
        if (!MayReplace(m_pEnv, strPlain, MSG_TARGET_EXISTS, pFeedback, &bReplacing)) return 0;
        if (!bReplacing) CreateDirectoryPath(strPlain, STORE_PLAIN_FOLDER_MODE, m_pEnv);

        CPendingFile target(m_pEnv, strPlain, STORE_PLAIN_FILE_MODE);
        if (!target.IsOpen()) return 0;

        const std::size_t nChunk = ChunkFor(pStored->Size());
        CReadAhead reader(*pStored, nChunk, pStored->Size() >= STORE_READ_AHEAD_SIZE);
        std::unique_ptr<unsigned char[]> pOut(new unsigned char[nChunk]);
        CBlockProgress progress(pFeedback, nTotal);
        std::uint64_t nRemaining = header.nPlainSize;
        for (;;) {
            unsigned char* pIn = nullptr;
            const std::int64_t nGot = reader.Next(&pIn);
            if (nGot < 0) return 0;
            // A body that ends inside a block is damaged.
            if (nGot % SFF_BLOCK_SIZE != 0) return 0;
            std::size_t nOut = 0;
            for (std::size_t nPos = 0; nPos < static_cast<std::size_t>(nGot);
                 nPos += SFF_BLOCK_SIZE) {
                // The whole block always fits (nOut never passes nPos); only
                // its first w bytes count, and the next block overwrites the rest.
                UnscrambleWithStream(stream, pIn + nPos, pOut.get() + nOut);
                const std::size_t w =
                    static_cast<std::size_t>(std::min<std::uint64_t>(nRemaining, SFF_BLOCK_SIZE));
                nOut += w;
                nRemaining -= w;
                nDone += SFF_BLOCK_SIZE;
                if (!progress.AfterBlock(nDone)) return 0;
            }
            if (!target.Append(pOut.get(), nOut)) return 0;
            if (static_cast<std::size_t>(nGot) < nChunk) break;
        }
        // A body shorter than the plain size calls for is damaged.
        if (nRemaining != 0) return 0;
        return target.Commit(bReplacing) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

}  // namespace quovex
