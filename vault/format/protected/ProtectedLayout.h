// Layout of a protected stored file: a plain header (32 bytes, 48 with the
// vault's id), two sealed metadata slots, then the body in sealed chunks of
// 64 KiB.
// docs/stored-file-format.md ("Protected stored files") describes the same
// layout in prose; the two must always agree. Pure computation on buffers.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace quovex {

// Header. Its first 6 bytes differ from the scrambled format's "QUOVEX", so
// the scrambled readers refuse a protected file.
constexpr unsigned char PFF_SIGNATURE[] = {'Q', 'V', 'X', 'P', 'R', 'O', 'T', 0x00};
constexpr std::size_t PFF_SIGNATURE_SIZE = 8;
constexpr std::size_t PFF_OFFSET_VERSION = 8;     // uint32 little-endian
constexpr std::size_t PFF_OFFSET_SLOT_SIZE = 12;  // uint32 little-endian
constexpr std::size_t PFF_OFFSET_FILE_ID = 16;    // random, new for every store
constexpr std::size_t PFF_FILE_ID_SIZE = 16;
// What the header of every version begins with, and all of it before the
// third version.
constexpr std::size_t PFF_HEADER_SIZE = 32;
// The third version's header goes on with the id of the vault the file was
// stored in (the key record's), so that a file of another vault is told as
// such, without a key, rather than as damage.
constexpr std::size_t PFF_OFFSET_VAULT_ID = 32;
constexpr std::size_t PFF_VAULT_ID_SIZE = 16;
constexpr std::size_t PFF_HEADER_MAX_SIZE = PFF_OFFSET_VAULT_ID + PFF_VAULT_ID_SIZE;
// The version says what the record holds: the first one no place and no
// source time, the second and the third both; the third's header also
// names the vault. A store writes the third when it knows the vault's id
// and otherwise the oldest version that holds its record, so files stay
// readable by builds that know only the older versions where they can; one
// that knows only older versions meets a newer one as a later version's
// file, never as a damaged one.
constexpr std::uint32_t PFF_VERSION_UNPLACED = 1;
constexpr std::uint32_t PFF_VERSION_PLACED = 2;
constexpr std::uint32_t PFF_VERSION_VAULT_NAMED = 3;
constexpr bool IsKnownProtectedVersion(std::uint32_t nVersion) {
    return nVersion >= PFF_VERSION_UNPLACED && nVersion <= PFF_VERSION_VAULT_NAMED;
}
// Whether the records of a file of nVersion hold the place and the time.
constexpr bool RecordHoldsPlace(std::uint32_t nVersion) {
    return nVersion >= PFF_VERSION_PLACED;
}
// The header's bytes in a file of nVersion.
constexpr std::size_t ProtectedHeaderSize(std::uint32_t nVersion) {
    return nVersion >= PFF_VERSION_VAULT_NAMED ? PFF_HEADER_MAX_SIZE : PFF_HEADER_SIZE;
}

using VaultIdBytes = std::array<unsigned char, PFF_VAULT_ID_SIZE>;

// Keys: 32 bytes each (crypto_kdf, crypto_aead_xchacha20poly1305_ietf).
constexpr std::size_t PFF_KEY_SIZE = 32;
constexpr char PFF_KDF_CONTEXT[] = "QVXVAULT";  // 8 bytes, no terminator used
constexpr std::uint64_t PFF_KDF_ID_BODY = 1;
constexpr std::uint64_t PFF_KDF_ID_METADATA = 2;
constexpr std::size_t PFF_NONCE_SIZE = 24;  // XChaCha20 nonce
constexpr std::size_t PFF_TAG_SIZE = 16;    // Poly1305 tag

// Metadata slots: PFF_SLOT_COUNT slots of the header's slot size right after
// the header. A slot is a random nonce, then the sealed record (record bytes
// padded with zeros to fill the slot, then the tag).
constexpr std::size_t PFF_SLOT_COUNT = 2;
constexpr std::size_t PFF_SLOT_ALIGN = 512;
constexpr std::size_t PFF_SLOT_OVERHEAD = PFF_NONCE_SIZE + PFF_TAG_SIZE;
constexpr std::size_t PFF_SLOT_MAX_SIZE = 1u << 20;  // bounds what a reader allocates

// The record inside a slot.
constexpr std::size_t PFF_RECORD_OFFSET_SEQUENCE = 0;      // uint64: higher is newer
constexpr std::size_t PFF_RECORD_OFFSET_PLAIN_SIZE = 8;    // uint64
constexpr std::size_t PFF_RECORD_OFFSET_STORED_TIME = 16;  // int64 seconds since 1970
constexpr std::size_t PFF_RECORD_OFFSET_MODE = 24;         // uint32
constexpr std::size_t PFF_RECORD_OFFSET_PATH_SIZE = 28;    // uint32 n, then n path bytes,
// then uint32 m and m summary bytes; in the second version then uint32 q
// and q bytes of the place, int64 seconds and uint32 nanoseconds of the
// source's modification time; then zeros to the record's end.
constexpr std::size_t PFF_RECORD_FIXED_SIZE = 36;
constexpr std::size_t PFF_RECORD_PLACED_FIXED_SIZE = 16;  // what the second version adds
constexpr std::uint32_t PFF_NO_SOURCE_TIME = 0xFFFFFFFF;  // nanoseconds of an unknown time

// The one modification time every protected stored file carries on disk:
// 2000-01-01 00:00:00 UTC (FAT and exFAT hold no time before 1980).
constexpr std::int64_t PROTECTED_STORED_FILE_TIME = 946684800;
// The time a file carries after its record was edited in place (a summary,
// a place) to sequence nSequence: two seconds later for every edit. A sync
// engine knows a changed file by its time or size, and an edit changes
// neither otherwise, so without it the edit would never reach the vault's
// other machines. It tells the number of edits, nothing of their content.
// Steps of two seconds, since FAT and exFAT keep times to two seconds.
constexpr std::int64_t PFF_EDIT_TIME_STEP = 2;
constexpr std::uint64_t PFF_EDIT_TIME_MAX_STEPS = 1u << 28;  // some 17 years past 2000
constexpr std::int64_t ProtectedEditTime(std::uint64_t nSequence) {
    const std::uint64_t nSteps = nSequence > 1 ? nSequence - 1 : 0;
    return PROTECTED_STORED_FILE_TIME +
           PFF_EDIT_TIME_STEP * static_cast<std::int64_t>(nSteps < PFF_EDIT_TIME_MAX_STEPS
                                                              ? nSteps
                                                              : PFF_EDIT_TIME_MAX_STEPS);
}
constexpr std::size_t PFF_SUMMARY_MAX_BYTES = 511;

// Body chunks: 64 KiB of plain text each, sealed with a 16-byte tag; the
// final one holds less than 64 KiB (possibly nothing), padded so that the
// stored file ends on a multiple of 4 KiB (where that needs more than a
// whole chunk: to a multiple of 4 KiB of the chunk), so a plain file that
// ends on a chunk boundary ends with a final chunk of padding alone.
constexpr std::size_t PFF_CHUNK_SIZE = 64 * 1024;
constexpr std::size_t PFF_CHUNK_STORED_SIZE = PFF_CHUNK_SIZE + PFF_TAG_SIZE;
constexpr std::size_t PFF_PAD_BLOCK = 4 * 1024;
constexpr std::uint64_t PFF_FINAL_FLAG = 1ull << 63;  // in the nonce's chunk counter

// The header as it lies on disk, the signature aside.
struct ProtectedHeader {
    std::uint32_t nVersion = PFF_VERSION_UNPLACED;
    std::uint32_t nSlotSize = 0;
    unsigned char fileId[PFF_FILE_ID_SIZE] = {};
    VaultIdBytes vaultId = {};  // the third version's; zeros before

    constexpr bool NamesVault() const { return nVersion >= PFF_VERSION_VAULT_NAMED; }
    constexpr std::size_t Size() const { return ProtectedHeaderSize(nVersion); }
};

// The record of a metadata slot, as the caller sees it. Text is UTF-8.
struct ProtectedMetadata {
    std::uint64_t nSequence = 0;  // set by the sealer and the summary edit
    std::uint64_t nPlainSize = 0;
    std::int64_t nStoredTime = 0;
    std::uint32_t nMode = 0;
    std::string strSourcePath;  // any length that fits PFF_SLOT_MAX_SIZE
    std::string strSummary;     // at most PFF_SUMMARY_MAX_BYTES bytes
    // The file's plain place in the vault: its box folder's name, the plain
    // folders and its plain name, joined by '/' ("文档保险柜/资料/报告.doc");
    // "" when not recorded.
    std::string strPlace;
    // The source's modification time when it was stored; nSourceNanos is
    // PFF_NO_SOURCE_TIME when it is not recorded.
    std::int64_t nSourceTime = 0;
    std::uint32_t nSourceNanos = PFF_NO_SOURCE_TIME;

    bool HasSourceTime() const { return nSourceNanos != PFF_NO_SOURCE_TIME; }
    // The oldest version whose record holds this one, for a file that
    // names no vault.
    std::uint32_t Version() const {
        return strPlace.empty() && !HasSourceTime() ? PFF_VERSION_UNPLACED : PFF_VERSION_PLACED;
    }
    // The record's bytes of variable length in a file of nVersion, for
    // ProtectedSlotSize.
    std::uint64_t VariableBytes(std::uint32_t nVersion) const {
        return strSourcePath.size() +
               (RecordHoldsPlace(nVersion) ? strPlace.size() + PFF_RECORD_PLACED_FIXED_SIZE : 0);
    }
};

// The smallest slot size (a multiple of PFF_SLOT_ALIGN) that holds a record
// with a source path of nPathBytes (with the second version: and its place
// and time, VariableBytes) and the longest summary; 0 when even
// PFF_SLOT_MAX_SIZE is too small.
constexpr std::uint32_t ProtectedSlotSize(std::uint64_t nPathBytes) {
    const std::uint64_t nNeed =
        PFF_SLOT_OVERHEAD + PFF_RECORD_FIXED_SIZE + nPathBytes + PFF_SUMMARY_MAX_BYTES;
    const std::uint64_t nSize = (nNeed + PFF_SLOT_ALIGN - 1) / PFF_SLOT_ALIGN * PFF_SLOT_ALIGN;
    return nSize <= PFF_SLOT_MAX_SIZE ? static_cast<std::uint32_t>(nSize) : 0;
}

constexpr std::size_t PFF_SLOT_MIN_SIZE = ProtectedSlotSize(0);

// Bytes before the body: the header and both slots.
constexpr std::uint64_t ProtectedHeadSize(const ProtectedHeader& header) {
    return header.Size() + PFF_SLOT_COUNT * static_cast<std::uint64_t>(header.nSlotSize);
}

// A header of nVersion with slots of nSlotSize, its ids zero: for working
// out lengths.
constexpr ProtectedHeader ProtectedHeaderOf(std::uint32_t nVersion, std::uint32_t nSlotSize) {
    ProtectedHeader header;
    header.nVersion = nVersion;
    header.nSlotSize = nSlotSize;
    return header;
}

// Stored bytes of a final chunk holding nTail (< PFF_CHUNK_SIZE) plain
// bytes padded to a multiple of PFF_PAD_BLOCK of the chunk, as the first
// writers padded every final chunk: sodium_pad always adds at least one byte.
constexpr std::uint64_t ProtectedChunkPaddedFinalSize(std::uint64_t nTail) {
    return (nTail / PFF_PAD_BLOCK + 1) * PFF_PAD_BLOCK + PFF_TAG_SIZE;
}

// Stored bytes of the final chunk holding nTail (< PFF_CHUNK_SIZE) plain
// bytes that begins nOffset bytes into the stored file: padded (at least
// one byte, at most PFF_PAD_BLOCK) so that the file ends on a multiple of
// PFF_PAD_BLOCK and fills its last block on disk, unless that takes more
// than a whole chunk (a tail of 60 KiB or more): then as the first writers.
constexpr std::uint64_t ProtectedFinalChunkSize(std::uint64_t nTail, std::uint64_t nOffset) {
    const std::uint64_t nEnd =
        (nOffset + nTail + 1 + PFF_TAG_SIZE + PFF_PAD_BLOCK - 1) / PFF_PAD_BLOCK * PFF_PAD_BLOCK;
    return nEnd - nOffset <= PFF_CHUNK_STORED_SIZE ? nEnd - nOffset
                                                   : ProtectedChunkPaddedFinalSize(nTail);
}

// Whether a final chunk of nStored bytes beginning nOffset bytes into the
// stored file has a length some writer gives it: its padded text a whole
// number of PFF_PAD_BLOCK, or ending the file on one; at most a whole
// chunk, more than a tag.
constexpr bool IsProtectedFinalChunkSize(std::uint64_t nStored, std::uint64_t nOffset) {
    return nStored > PFF_TAG_SIZE && nStored <= PFF_CHUNK_STORED_SIZE &&
           ((nStored - PFF_TAG_SIZE) % PFF_PAD_BLOCK == 0 ||
            (nOffset + nStored) % PFF_PAD_BLOCK == 0);
}

// The block sodium_unpad looks for the padding in, for a final chunk of
// nPadded plain bytes: the padding is never longer than PFF_PAD_BLOCK, and
// shorter than that where the text is.
constexpr std::size_t ProtectedUnpadBlock(std::size_t nPadded) {
    return nPadded < PFF_PAD_BLOCK ? nPadded : PFF_PAD_BLOCK;
}

// Number of bytes a protected stored file of the given plain size and header occupies.
constexpr std::uint64_t ProtectedStoredLength(std::uint64_t nPlainSize,
                                              const ProtectedHeader& header) {
    const std::uint64_t nFinalAt =
        ProtectedHeadSize(header) + nPlainSize / PFF_CHUNK_SIZE * PFF_CHUNK_STORED_SIZE;
    return nFinalAt + ProtectedFinalChunkSize(nPlainSize % PFF_CHUNK_SIZE, nFinalAt);
}

// A vault id as 32 lower-case hexadecimal digits, as people are shown it.
std::string VaultIdHex(const VaultIdBytes& id);

// True when the n bytes at p begin with the protected signature (fewer than
// PFF_SIGNATURE_SIZE bytes: false).
bool IsProtectedSignature(const unsigned char* p, std::size_t n);

// Writes the header into exactly header.Size() bytes at pOut.
void EncodeProtectedHeader(const ProtectedHeader& header, unsigned char* pOut);

// What an operation on a protected file came to. Every refusal of stored
// bytes is clean: nothing of them is handed out.
enum class ProtectedResult {
    PROTECTED_OK,
    PROTECTED_NOT_PROTECTED,     // too short for a signature, or another signature
    PROTECTED_UNSUPPORTED,       // a version this build does not read
    PROTECTED_DAMAGED_HEADER,    // header cut short, or a slot size no writer makes
    PROTECTED_DAMAGED_METADATA,  // neither slot opens: damaged, swapped, other key
    PROTECTED_OTHER_VAULT,       // the header names another vault than the keys'
    PROTECTED_DAMAGED_CHUNK,     // a chunk does not open where it lies, is missing or extra
    PROTECTED_SIZE_MISMATCH,     // the chunks hold another total than the metadata says
    PROTECTED_TOO_LONG,          // a summary or source path beyond what a slot holds
    PROTECTED_MISUSE,            // a call out of order, or a size the layout does not allow
    PROTECTED_NO_CRYPTO,         // libsodium did not start, a key is missing, or no memory
};

// Reads the first PFF_HEADER_SIZE bytes of a header from the n bytes at
// pIn: PROTECTED_OK, PROTECTED_NOT_PROTECTED, PROTECTED_UNSUPPORTED or
// PROTECTED_DAMAGED_HEADER. pHeader is filled only on PROTECTED_OK, its
// vault id left zero: where the version has one, it follows those bytes
// (the opener reads it with the slots, which readers take in one piece).
ProtectedResult DecodeProtectedHeader(const unsigned char* pIn, std::size_t n,
                                      ProtectedHeader* pHeader);

// The record of metadata in exactly nRecordSize bytes (the slot size less
// PFF_SLOT_OVERHEAD) as file version nVersion has it, zero-padded. False
// when it does not fit; a first-version record holds no place and no time.
bool EncodeProtectedRecord(const ProtectedMetadata& metadata, std::uint32_t nVersion,
                           unsigned char* pOut, std::size_t nRecordSize);
// Reads a record of file version nVersion; false when its lengths overrun
// it, the summary is too long, the time's nanoseconds are out of range or
// the padding is not all zero.
bool DecodeProtectedRecord(const unsigned char* pIn, std::size_t nRecordSize,
                           std::uint32_t nVersion, ProtectedMetadata* pMetadata);

}  // namespace quovex
