// The protected format: authenticated encryption of the body in 64 KiB
// chunks and of the metadata in two slots, under keys derived from the
// vault's master key (ProtectedLayout.h, the layout; ProtectedStream.h,
// the sealing). Any size, any path a slot holds. Any thread.
#pragma once

#include <memory>

#include "ProtectedStream.h"
#include "StoreBuffers.h"
#include "StoredFormat.h"
#include "VaultEnv.h"

namespace quovex {

class CVaultKey;

class CProtectedFormat final : public CStoredFormat {
public:
    // Derives the file keys from key's master key; without one, nothing can
    // be stored, and a protected file read is FAIL_NEEDS_KEY. Files are
    // read and written in pieces of the whole chunks that fill sizes.nChunk,
    // and from sizes.nReadAhead bytes on read ahead, written behind and
    // sealed or opened on two threads.
    CProtectedFormat(const CVaultKey& key, const StreamSizes& sizes);

    bool HasKeys() const { return m_bKeys; }
    // Chunks moved per read and per write, one at least.
    std::size_t ChunksPerPiece() const { return m_nChunksPerPiece; }

    // FAIL_PATH_NOT_STORABLE for a path a slot cannot hold.
    FileResult CanStore(std::uint64_t nSize, const std::string& strSource) const override;
    FileResult WriteStored(CReadableFile& source, std::uint64_t nSize, const std::string& strSource,
                           const std::string& strPlace, CWritableFile& target, RunContext& run,
                           std::uint64_t* pRead) const override;
    // FAIL_NEWER_FORMAT for a version this program does not read;
    // FAIL_OTHER_VAULT for a file whose header names another vault; one
    // whose metadata does not open with this vault's keys otherwise
    // (damaged, or stored in another vault by a build that named none) is
    // FAIL_DAMAGED.
    FileResult OpenStored(std::unique_ptr<CReadableFile> pStored,
                          std::unique_ptr<CStoredReader>* ppReader) const override;

    const ProtectedFileKeys& Keys() const { return m_keys; }

private:
    ProtectedFileKeys m_keys;
    bool m_bKeys = false;
    std::size_t m_nChunksPerPiece;
    std::uint64_t m_nReadAhead;
};

// Seals plain bytes handed to it by Append as one protected stored file
// written into target: the head at Begin, then each chunk once it is full,
// so that a plain content that arrives as a stream (a conversion, where a
// scrambled reader writes it) needs no file of its own. Sync, TakeAccessOf,
// Commit and ReadBack are the target's. format and target must outlive it.
// One thread.
class CProtectedWriter final : public CWritableFile {
public:
    CProtectedWriter(const CProtectedFormat& format, CWritableFile& target);
    ~CProtectedWriter() override;

    // Writes the head of a file that will hold metadata (its sequence
    // ignored); FAIL_NEEDS_KEY without the vault's keys,
    // FAIL_PATH_NOT_STORABLE when the path or summary do not fit a slot.
    FileResult Begin(const ProtectedMetadata& metadata);
    // False when more than the metadata's plain size arrives (errno
    // EFBIG), or writing failed (errno as the target left it).
    bool Append(const void* pData, std::size_t nCount) override;
    // Seals the final chunk and writes what is left. FILE_DONE only when
    // exactly the plain size arrived; FAIL_DAMAGED otherwise.
    FileResult Finish();

    bool Sync() override { return m_target.Sync(); }
    bool TakeAccessOf(const FileStamp& replaced) override {
        return m_target.TakeAccessOf(replaced);
    }
    bool SetTimes(std::int64_t nSeconds, std::uint32_t nNanos) override {
        return m_target.SetTimes(nSeconds, nNanos);
    }
    CommitResult Commit(bool bReplace) override { return m_target.Commit(bReplace); }
    std::unique_ptr<CReadableFile> ReadBack() override { return m_target.ReadBack(); }

private:
    bool SealFullChunk();
    bool WriteOut();

    const CProtectedFormat& m_format;
    CWritableFile& m_target;
    std::unique_ptr<CProtectedSealer> m_pSealer;
    PlainBuffer m_pPlain;  // one chunk, filling; wiped when it goes
    std::size_t m_nPlain = 0;
    std::unique_ptr<unsigned char[]> m_pOut;  // sealed chunks not yet written
    std::size_t m_nOut = 0;
};

// The cause of a refusal of the protected sealing and opening code.
FailCause CauseOfProtected(ProtectedResult nResult, std::int64_t nChunk = -1);

// Reads a protected stored file's header and metadata with keys: the
// opener is left after OpenSlots. FILE_DONE, or why not (the file's own
// read errors included).
FileResult OpenProtectedHead(CReadableFile& stored, CProtectedOpener* pOpener);

}  // namespace quovex
