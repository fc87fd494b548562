// Sealing and opening protected stored files, buffer by buffer: the keys
// derived from a vault's master key, the head (header and both metadata
// slots), the body chunk after chunk, and the in-place summary edit.
// Nothing here touches the file system; the caller reads and writes the
// bytes (ProtectedLayout.h says where they lie).
//
// Every cryptographic step is libsodium's: crypto_kdf_derive_from_key,
// crypto_aead_xchacha20poly1305_ietf_{encrypt,decrypt}, sodium_pad/unpad,
// randombytes_buf through FillRandom. Results are codes, never exceptions
// (running out of memory aside, which the caller catches as everywhere in
// the core).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "HelperThread.h"
#include "ProtectedLayout.h"
#include "SecretBytes.h"

namespace quovex {

// The two subkeys of a protected vault's stored files, and the vault's id.
struct ProtectedFileKeys {
    CSecretBytes body;      // seals the body chunks
    CSecretBytes metadata;  // seals the metadata slots
    // When bVaultId: the sealer names vaultId in every header (the third
    // version), and the opener refuses a file that names another vault
    // before it tries a key. Without it, files of the older versions are
    // written, and the vault a file names is not looked at.
    bool bVaultId = false;
    VaultIdBytes vaultId = {};
};

// Derives both subkeys from a PFF_KEY_SIZE-byte master key, leaving the
// vault id as it is. False (the subkeys left empty) when the master key has
// another size or libsodium or secret memory is not available. Any thread.
bool DeriveFileKeys(const CSecretBytes& master, ProtectedFileKeys* pKeys);

// Seals one new stored file. Begin draws the file id and seals both slots;
// the caller writes Head(), then the chunks in order, as SealChunk gives
// them. A store is complete when Finish says PROTECTED_OK.
//
// The first slot holds the record with sequence 1, the second the same
// record with sequence 0, so that a later summary edit goes to the second
// slot and a damaged first slot still leaves the metadata readable.
//
// The keys must outlive the sealer. One thread drives an object; the const
// SealChunkAt may be called from several threads at once after Begin.
class CProtectedSealer {
public:
    explicit CProtectedSealer(const ProtectedFileKeys& keys) : m_keys(keys) {}

    // PROTECTED_TOO_LONG when the summary or the source path does not fit a
    // slot, PROTECTED_NO_CRYPTO without keys or libsodium. The sequence of
    // metadata is ignored.
    ProtectedResult Begin(const ProtectedMetadata& metadata);

    // The header and both slots, to be written first (empty before Begin).
    const std::vector<unsigned char>& Head() const { return m_head; }
    // The length the whole stored file will have.
    std::uint64_t StoredLength() const;

    // Seals the next chunk into pOut (room for PFF_CHUNK_STORED_SIZE bytes)
    // and sets *pnOut to the bytes written. A chunk that is not final holds
    // exactly PFF_CHUNK_SIZE plain bytes, the final one fewer (possibly 0).
    // PROTECTED_MISUSE for another size, before Begin or after the final
    // chunk; PROTECTED_SIZE_MISMATCH when the chunks pass the plain size.
    ProtectedResult SealChunk(const unsigned char* pPlain, std::size_t n, bool bFinal,
                              unsigned char* pOut, std::size_t* pnOut);
    // The same for the chunk at nIndex, without the order and size checks.
    // Seals the next nCount chunks, none final, from nCount * PFF_CHUNK_SIZE
    // plain bytes into pOut (room for nCount * PFF_CHUNK_STORED_SIZE), as
    // nCount calls of SealChunk would; with bTwoThreads a helper thread,
    // started on the first such call and kept until the sealer goes, takes
    // chunks as well (large files: sealing is what costs most after the
    // disk).
    ProtectedResult SealWholeChunks(const unsigned char* pPlain, std::size_t nCount,
                                    unsigned char* pOut, bool bTwoThreads);
    ProtectedResult SealChunkAt(std::uint64_t nIndex, const unsigned char* pPlain, std::size_t n,
                                bool bFinal, unsigned char* pOut, std::size_t* pnOut) const;

    // PROTECTED_OK once the final chunk is sealed and the chunks held the
    // plain size of the metadata; PROTECTED_MISUSE before the final chunk,
    // PROTECTED_SIZE_MISMATCH when the total differs.
    ProtectedResult Finish() const;

private:
    // The thread that takes chunks as well, started once for the file; null
    // for one thread.
    CHelperThread* Helper(bool bTwoThreads);

    const ProtectedFileKeys& m_keys;
    std::unique_ptr<CHelperThread> m_pHelper;
    std::vector<unsigned char> m_head;
    ProtectedHeader m_header;  // of m_head
    std::uint64_t m_nPlainSize = 0;
    std::uint64_t m_nNextIndex = 0;
    std::uint64_t m_nSealed = 0;  // plain bytes so far
    bool m_bFinalDone = false;
};

// One slot to write in place: nOffset from the start of the stored file.
struct ProtectedSlotWrite {
    std::uint64_t nOffset = 0;
    std::vector<unsigned char> bytes;
    std::uint64_t nSequence = 0;  // of the record written
};

// Opens one stored file: ReadHeader, OpenSlots, then BeginBody with the
// file's length and OpenChunk for each chunk in order (NextChunkSize says
// how many bytes to pass), then Finish. Any refusal is final for the
// object. Plain bytes are handed out chunk by chunk, each only after it was
// authenticated, so the caller must keep what it writes unseen until Finish
// says PROTECTED_OK.
//
// The keys must outlive the opener. One thread drives an object; the const
// OpenChunkAt may be called from several threads at once after OpenSlots.
class CProtectedOpener {
public:
    explicit CProtectedOpener(const ProtectedFileKeys& keys) : m_keys(keys) {}

    // Checks the first n bytes of the file (PFF_HEADER_SIZE are enough):
    // PROTECTED_NOT_PROTECTED, PROTECTED_UNSUPPORTED or
    // PROTECTED_DAMAGED_HEADER. Needs no key.
    ProtectedResult ReadHeader(const unsigned char* pIn, std::size_t n);
    // The header; its vault id once OpenSlots has read it.
    const ProtectedHeader& Header() const { return m_header; }
    // The bytes that follow the first PFF_HEADER_SIZE up to the body: the
    // rest of the header (the vault id, where the version has one) and both
    // slots. 0 before ReadHeader.
    std::size_t HeadRestSize() const;

    // Reads the rest of the header from the n bytes after the first
    // PFF_HEADER_SIZE, opens the slots that follow it and takes the valid
    // record with the higher sequence. PROTECTED_OTHER_VAULT, trying no
    // slot, when the header names another vault than the keys;
    // PROTECTED_DAMAGED_METADATA when neither slot opens (also when n falls
    // short of HeadRestSize()).
    ProtectedResult OpenSlots(const unsigned char* pIn, std::size_t n);
    const ProtectedMetadata& Metadata() const { return m_metadata; }
    // Whether slot i opened; one that did not was torn or damaged.
    bool SlotOpened(std::size_t i) const { return i < PFF_SLOT_COUNT && m_slotOpened[i]; }
    std::size_t NewestSlot() const { return m_nNewest; }

    // Splits the body of a stored file of nStoredLength bytes into chunks:
    // every one but the last PFF_CHUNK_STORED_SIZE bytes, the last one final.
    ProtectedResult BeginBody(std::uint64_t nStoredLength);
    // The number of chunks the body was split into (the last one final).
    std::uint64_t ChunkCount() const { return m_nChunkCount; }
    // The index of the chunk OpenChunk takes next.
    std::uint64_t NextChunkIndex() const { return m_nNextIndex; }
    // The stored bytes of the next chunk; 0 when no chunk is left.
    std::size_t NextChunkSize() const;
    // Opens the next chunk into pOut (room for PFF_CHUNK_SIZE bytes), sets
    // *pnPlain to its plain bytes. PROTECTED_DAMAGED_CHUNK when it does not
    // open as the chunk of its place (FailedChunk() says which),
    // PROTECTED_SIZE_MISMATCH when the chunks pass the metadata's size.
    ProtectedResult OpenChunk(const unsigned char* pIn, std::size_t n, unsigned char* pOut,
                              std::size_t* pnPlain);
    // The same for the chunk at nIndex, without the order and size checks.
    // Opens the next nCount chunks, none of them the last one, from
    // nCount * PFF_CHUNK_STORED_SIZE bytes into pOut (room for nCount *
    // PFF_CHUNK_SIZE), as nCount calls of OpenChunk would; with bTwoThreads
    // a helper thread takes chunks as well, kept as the sealer's.
    ProtectedResult OpenWholeChunks(const unsigned char* pIn, std::size_t nCount,
                                    unsigned char* pOut, bool bTwoThreads);
    ProtectedResult OpenChunkAt(std::uint64_t nIndex, bool bFinal, const unsigned char* pIn,
                                std::size_t n, unsigned char* pOut, std::size_t* pnPlain) const;
    // PROTECTED_OK when the final chunk opened and the chunks held exactly
    // the metadata's plain size; otherwise the refusal (a missing final
    // chunk is PROTECTED_DAMAGED_CHUNK at the index where it should be).
    ProtectedResult Finish();
    // The index of the chunk where the body was refused.
    std::uint64_t FailedChunk() const { return m_nFailedChunk; }

    // The slot write that sets the summary to strSummary: the slot that does
    // not hold the newest record gets the current metadata with the new
    // summary and the next sequence. Nothing else of the file changes. After
    // OpenSlots; PROTECTED_TOO_LONG beyond PFF_SUMMARY_MAX_BYTES.
    ProtectedResult SealSummaryEdit(const std::string& strSummary,
                                    ProtectedSlotWrite* pWrite) const;
    // The same for the plain place in the vault (a file whose names become
    // hidden records where it lies). PROTECTED_UNSUPPORTED for a file of
    // the first version: its header says its records hold no place, and
    // the header is bound into every chunk, so only a new file can hold
    // one. PROTECTED_TOO_LONG when the record with the place does not fit
    // the file's slots.
    ProtectedResult SealPlaceEdit(const std::string& strPlace, ProtectedSlotWrite* pWrite) const;

private:
    // Seals record, with the next sequence, into the slot not in force.
    ProtectedResult SealRecordEdit(ProtectedMetadata record, ProtectedSlotWrite* pWrite) const;
    ProtectedResult Refuse(ProtectedResult result, std::uint64_t nChunk);
    // As the sealer's.
    CHelperThread* Helper(bool bTwoThreads);

    const ProtectedFileKeys& m_keys;
    std::unique_ptr<CHelperThread> m_pHelper;
    unsigned char m_headerBytes[PFF_HEADER_MAX_SIZE] = {};
    ProtectedHeader m_header;
    ProtectedMetadata m_metadata;
    bool m_slotOpened[PFF_SLOT_COUNT] = {};
    std::size_t m_nNewest = 0;
    enum class Stage { HEADER, SLOTS, BODY_START, BODY, DONE, REFUSED };
    Stage m_nStage = Stage::HEADER;
    std::uint64_t m_nChunkCount = 0;
    std::uint64_t m_nLastChunkSize = 0;
    std::uint64_t m_nNextIndex = 0;
    std::uint64_t m_nOpened = 0;  // plain bytes so far
    std::uint64_t m_nFailedChunk = 0;
    ProtectedResult m_nRefusal = ProtectedResult::PROTECTED_OK;
};

}  // namespace quovex
