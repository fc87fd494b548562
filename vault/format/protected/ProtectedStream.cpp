#include "ProtectedStream.h"

#include <sodium.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <memory>
#include <utility>

#include "LittleEndian.h"
#include "SecureRandom.h"

namespace quovex {

static_assert(PFF_KEY_SIZE == crypto_kdf_KEYBYTES);
static_assert(PFF_KEY_SIZE == crypto_aead_xchacha20poly1305_ietf_KEYBYTES);
static_assert(PFF_NONCE_SIZE == crypto_aead_xchacha20poly1305_ietf_NPUBBYTES);
static_assert(PFF_TAG_SIZE == crypto_aead_xchacha20poly1305_ietf_ABYTES);
static_assert(sizeof(PFF_KDF_CONTEXT) - 1 == crypto_kdf_CONTEXTBYTES);
static_assert(PFF_FILE_ID_SIZE + 8 == PFF_NONCE_SIZE);
static_assert(PFF_CHUNK_SIZE % PFF_PAD_BLOCK == 0);

namespace {

using R = ProtectedResult;

bool KeyReady(const CSecretBytes& key) {
    return !key.IsEmpty() && key.Size() == PFF_KEY_SIZE && SodiumReady();
}

bool KeysReady(const ProtectedFileKeys& keys) {
    return KeyReady(keys.body) && KeyReady(keys.metadata);
}

// File id || little-endian chunk counter with the final flag in its top bit:
// a chunk opens only in its own file, at its own place, as final or not.
void ChunkNonce(const unsigned char* pFileId, std::uint64_t nIndex, bool bFinal,
                unsigned char* pNonce) {
    std::memcpy(pNonce, pFileId, PFF_FILE_ID_SIZE);
    const std::uint64_t nCounter = nIndex | (bFinal ? PFF_FINAL_FLAG : 0);
    PutLe(pNonce + PFF_FILE_ID_SIZE, nCounter, 8);
}

// Where chunk nIndex begins in a stored file whose head takes nHead bytes.
std::uint64_t ChunkOffset(std::uint64_t nHead, std::uint64_t nIndex) {
    return nHead + nIndex * PFF_CHUNK_STORED_SIZE;
}

// The version of the (already checked) header bytes: what their records hold.
std::uint32_t HeaderVersion(const unsigned char* pHeader) {
    return static_cast<std::uint32_t>(GetLe(pHeader + PFF_OFFSET_VERSION, 4));
}

// The bytes of the (already checked) header, bound into every sealed piece.
std::size_t HeaderBytes(const unsigned char* pHeader) {
    return ProtectedHeaderSize(HeaderVersion(pHeader));
}

// Header bytes || slot index: a record opens only in its own file and slot.
// Returns the bytes of associated data at pAd (room for PFF_HEADER_MAX_SIZE + 1).
std::size_t SlotAssociatedData(const unsigned char* pHeader, std::size_t nSlot,
                               unsigned char* pAd) {
    const std::size_t nHeader = HeaderBytes(pHeader);
    std::memcpy(pAd, pHeader, nHeader);
    pAd[nHeader] = static_cast<unsigned char>(nSlot);
    return nHeader + 1;
}

// Seals metadata as slot nSlot of nSlotSize bytes at pOut, whose first
// PFF_NONCE_SIZE bytes already hold the slot's new random nonce.
R SealSlot(const CSecretBytes& key, const unsigned char* pHeader, std::size_t nSlot,
           const ProtectedMetadata& metadata, std::uint32_t nSlotSize, unsigned char* pOut) {
    std::vector<unsigned char> record(nSlotSize - PFF_SLOT_OVERHEAD);
    if (!EncodeProtectedRecord(metadata, HeaderVersion(pHeader), record.data(), record.size()))
        return R::PROTECTED_TOO_LONG;
    unsigned char ad[PFF_HEADER_MAX_SIZE + 1];
    const std::size_t nAd = SlotAssociatedData(pHeader, nSlot, ad);
    unsigned long long nSealed = 0;
    const int nFailed = crypto_aead_xchacha20poly1305_ietf_encrypt(pOut + PFF_NONCE_SIZE, &nSealed,
                                                                   record.data(), record.size(), ad,
                                                                   nAd, nullptr, pOut, key.Data());
    sodium_memzero(record.data(), record.size());
    return nFailed ? R::PROTECTED_NO_CRYPTO : R::PROTECTED_OK;
}

// Opens slot nSlot of nSlotSize bytes at pIn; false when it does not open
// or its record is malformed.
bool OpenSlot(const CSecretBytes& key, const unsigned char* pHeader, std::size_t nSlot,
              const unsigned char* pIn, std::uint32_t nSlotSize, ProtectedMetadata* pMetadata) {
    std::vector<unsigned char> record(nSlotSize - PFF_SLOT_OVERHEAD);
    unsigned char ad[PFF_HEADER_MAX_SIZE + 1];
    const std::size_t nAd = SlotAssociatedData(pHeader, nSlot, ad);
    unsigned long long nOpened = 0;
    const bool bOpened =
        crypto_aead_xchacha20poly1305_ietf_decrypt(record.data(), &nOpened, nullptr,
                                                   pIn + PFF_NONCE_SIZE, nSlotSize - PFF_NONCE_SIZE,
                                                   ad, nAd, pIn, key.Data()) == 0 &&
        nOpened == record.size() &&
        DecodeProtectedRecord(record.data(), record.size(), HeaderVersion(pHeader), pMetadata);
    sodium_memzero(record.data(), record.size());
    return bOpened;
}

}  // namespace

bool DeriveFileKeys(const CSecretBytes& master, ProtectedFileKeys* pKeys) {
    pKeys->body.Wipe();
    pKeys->metadata.Wipe();
    if (!KeyReady(master)) return false;
    CSecretBytes body(PFF_KEY_SIZE), metadata(PFF_KEY_SIZE);
    if (body.IsEmpty() || metadata.IsEmpty()) return false;
    if (crypto_kdf_derive_from_key(body.Data(), body.Size(), PFF_KDF_ID_BODY, PFF_KDF_CONTEXT,
                                   master.Data()) != 0 ||
        crypto_kdf_derive_from_key(metadata.Data(), metadata.Size(), PFF_KDF_ID_METADATA,
                                   PFF_KDF_CONTEXT, master.Data()) != 0)
        return false;
    pKeys->body = std::move(body);
    pKeys->metadata = std::move(metadata);
    return true;
}

// ---- sealing ----

ProtectedResult CProtectedSealer::Begin(const ProtectedMetadata& metadata) {
    m_head.clear();
    if (!KeysReady(m_keys)) return R::PROTECTED_NO_CRYPTO;
    ProtectedHeader header;
    header.nVersion = m_keys.bVaultId ? PFF_VERSION_VAULT_NAMED : metadata.Version();
    header.vaultId = m_keys.vaultId;
    header.nSlotSize = ProtectedSlotSize(metadata.VariableBytes(header.nVersion));
    if (header.nSlotSize == 0 || metadata.strSummary.size() > PFF_SUMMARY_MAX_BYTES)
        return R::PROTECTED_TOO_LONG;
    // The file id and both slot nonces in one draw: each draw is a system
    // call, and a store of many small files pays it per file.
    unsigned char random[PFF_FILE_ID_SIZE + PFF_SLOT_COUNT * PFF_NONCE_SIZE];
    FillRandom(random, sizeof random);
    std::memcpy(header.fileId, random, PFF_FILE_ID_SIZE);
    std::vector<unsigned char> head(ProtectedHeadSize(header));
    EncodeProtectedHeader(header, head.data());
    ProtectedMetadata record = metadata;
    for (std::size_t nSlot = 0; nSlot < PFF_SLOT_COUNT; ++nSlot) {
        record.nSequence = nSlot == 0 ? 1 : 0;
        unsigned char* pSlot = head.data() + header.Size() + nSlot * header.nSlotSize;
        std::memcpy(pSlot, random + PFF_FILE_ID_SIZE + nSlot * PFF_NONCE_SIZE, PFF_NONCE_SIZE);
        const R result =
            SealSlot(m_keys.metadata, head.data(), nSlot, record, header.nSlotSize, pSlot);
        if (result != R::PROTECTED_OK) return result;
    }
    m_head = std::move(head);
    m_header = header;
    m_nPlainSize = metadata.nPlainSize;
    m_nNextIndex = 0;
    m_nSealed = 0;
    m_bFinalDone = false;
    return R::PROTECTED_OK;
}

std::uint64_t CProtectedSealer::StoredLength() const {
    return m_head.empty() ? 0 : ProtectedStoredLength(m_nPlainSize, m_header);
}

ProtectedResult CProtectedSealer::SealChunk(const unsigned char* pPlain, std::size_t n, bool bFinal,
                                            unsigned char* pOut, std::size_t* pnOut) {
    if (m_head.empty() || m_bFinalDone) return R::PROTECTED_MISUSE;
    if (n > m_nPlainSize - m_nSealed) return R::PROTECTED_SIZE_MISMATCH;
    const R result = SealChunkAt(m_nNextIndex, pPlain, n, bFinal, pOut, pnOut);
    if (result != R::PROTECTED_OK) return result;
    ++m_nNextIndex;
    m_nSealed += n;
    m_bFinalDone = bFinal;
    return R::PROTECTED_OK;
}

namespace {

// Runs fnChunk(i) for every i in [0, nCount): on this thread and, given
// pHelper, on the helper thread as well (when one can be had), each one
// taking the next chunk nobody has taken yet. So when the system holds one
// of them back (the threads that read ahead and write behind share the two
// cores), the other one does its share instead of waiting for it. The
// failing chunk of the lowest index decides; *pnFailed receives it.
template <typename ChunkFn>
ProtectedResult ForEachChunk(std::size_t nCount, CHelperThread* pHelper, std::size_t* pnFailed,
                             const ChunkFn& fnChunk) {
    struct Failure {
        ProtectedResult result = ProtectedResult::PROTECTED_OK;
        std::size_t nAt = SIZE_MAX;
    };
    std::atomic<std::size_t> nNext{0};
    const auto fnTake = [&](Failure* pFailure) {
        for (std::size_t i = nNext++; i < nCount; i = nNext++) {
            const ProtectedResult result = fnChunk(i);
            if (result == ProtectedResult::PROTECTED_OK) continue;
            // Every chunk before this one was taken already and ends; none
            // after it matters any more.
            if (i < pFailure->nAt) *pFailure = {result, i};
            nNext = nCount;
        }
    };
    Failure here, there;
    // Without a thread to be had, all of it here.
    const bool bHelped = pHelper && nCount > 1 && pHelper->Run([&] { fnTake(&there); });
    fnTake(&here);
    if (bHelped) pHelper->Wait();
    const Failure& first = here.nAt <= there.nAt ? here : there;
    if (first.result != ProtectedResult::PROTECTED_OK) *pnFailed = first.nAt;
    return first.result;
}

}  // namespace

CHelperThread* CProtectedSealer::Helper(bool bTwoThreads) {
    if (bTwoThreads && !m_pHelper) m_pHelper = std::make_unique<CHelperThread>();
    return bTwoThreads ? m_pHelper.get() : nullptr;
}

ProtectedResult CProtectedSealer::SealWholeChunks(const unsigned char* pPlain, std::size_t nCount,
                                                  unsigned char* pOut, bool bTwoThreads) {
    if (m_head.empty() || m_bFinalDone) return R::PROTECTED_MISUSE;
    if (nCount * PFF_CHUNK_SIZE > m_nPlainSize - m_nSealed) return R::PROTECTED_SIZE_MISMATCH;
    std::size_t nFailed = 0;
    const R result = ForEachChunk(nCount, Helper(bTwoThreads), &nFailed, [&](std::size_t i) {
        std::size_t nOut = 0;
        return SealChunkAt(m_nNextIndex + i, pPlain + i * PFF_CHUNK_SIZE, PFF_CHUNK_SIZE, false,
                           pOut + i * PFF_CHUNK_STORED_SIZE, &nOut);
    });
    if (result != R::PROTECTED_OK) return result;
    m_nNextIndex += nCount;
    m_nSealed += nCount * PFF_CHUNK_SIZE;
    return R::PROTECTED_OK;
}

ProtectedResult CProtectedSealer::SealChunkAt(std::uint64_t nIndex, const unsigned char* pPlain,
                                              std::size_t n, bool bFinal, unsigned char* pOut,
                                              std::size_t* pnOut) const {
    if (m_head.empty() || nIndex >= PFF_FINAL_FLAG) return R::PROTECTED_MISUSE;
    if (bFinal ? n >= PFF_CHUNK_SIZE : n != PFF_CHUNK_SIZE) return R::PROTECTED_MISUSE;
    unsigned char nonce[PFF_NONCE_SIZE];
    ChunkNonce(m_head.data() + PFF_OFFSET_FILE_ID, nIndex, bFinal, nonce);
    // The final chunk's plain text is padded, so that the file's length
    // tells its size only to PFF_PAD_BLOCK, and so that it ends on a block.
    std::vector<unsigned char> padded;
    if (bFinal) {
        padded.resize(ProtectedFinalChunkSize(n, ChunkOffset(m_head.size(), nIndex)) -
                      PFF_TAG_SIZE);
        if (n > 0) std::memcpy(padded.data(), pPlain, n);
        // sodium_pad works through every byte of the block it is given, one
        // at a time: given only the bytes it adds as a block of their own, it
        // writes the same padding at a fraction of the cost for a small file.
        const std::size_t nPad = padded.size() - n;
        std::size_t nPadded = 0;
        if (sodium_pad(&nPadded, padded.data() + n, 0, nPad, nPad) != 0 || nPadded != nPad)
            return R::PROTECTED_MISUSE;
        pPlain = padded.data();
        n = padded.size();
    }
    unsigned long long nSealed = 0;
    const int nFailed = crypto_aead_xchacha20poly1305_ietf_encrypt(
        pOut, &nSealed, pPlain, n, m_head.data(), m_header.Size(), nullptr, nonce,
        m_keys.body.Data());
    if (!padded.empty()) sodium_memzero(padded.data(), padded.size());
    if (nFailed) return R::PROTECTED_NO_CRYPTO;
    *pnOut = static_cast<std::size_t>(nSealed);
    return R::PROTECTED_OK;
}

ProtectedResult CProtectedSealer::Finish() const {
    if (!m_bFinalDone) return R::PROTECTED_MISUSE;
    return m_nSealed == m_nPlainSize ? R::PROTECTED_OK : R::PROTECTED_SIZE_MISMATCH;
}

// ---- opening ----

ProtectedResult CProtectedOpener::Refuse(ProtectedResult result, std::uint64_t nChunk) {
    m_nStage = Stage::REFUSED;
    m_nRefusal = result;
    m_nFailedChunk = nChunk;
    return result;
}

ProtectedResult CProtectedOpener::ReadHeader(const unsigned char* pIn, std::size_t n) {
    if (m_nStage == Stage::REFUSED) return m_nRefusal;
    if (m_nStage != Stage::HEADER) return R::PROTECTED_MISUSE;
    const R result = DecodeProtectedHeader(pIn, n, &m_header);
    if (result != R::PROTECTED_OK) return Refuse(result, 0);
    std::memcpy(m_headerBytes, pIn, PFF_HEADER_SIZE);
    m_nStage = Stage::SLOTS;
    return R::PROTECTED_OK;
}

std::size_t CProtectedOpener::HeadRestSize() const {
    return m_nStage == Stage::HEADER
               ? 0
               : static_cast<std::size_t>(ProtectedHeadSize(m_header) - PFF_HEADER_SIZE);
}

ProtectedResult CProtectedOpener::OpenSlots(const unsigned char* pIn, std::size_t n) {
    if (m_nStage == Stage::REFUSED) return m_nRefusal;
    if (m_nStage != Stage::SLOTS) return R::PROTECTED_MISUSE;
    if (!KeysReady(m_keys)) return Refuse(R::PROTECTED_NO_CRYPTO, 0);
    const std::size_t nRestOfHeader = m_header.Size() - PFF_HEADER_SIZE;
    if (n < nRestOfHeader) return Refuse(R::PROTECTED_DAMAGED_HEADER, 0);
    if (m_header.NamesVault()) {
        std::memcpy(m_header.vaultId.data(), pIn, PFF_VAULT_ID_SIZE);
        std::memcpy(m_headerBytes + PFF_OFFSET_VAULT_ID, pIn, PFF_VAULT_ID_SIZE);
        // The id is no secret (the key record shows it): a plain comparison.
        if (m_keys.bVaultId && m_header.vaultId != m_keys.vaultId)
            return Refuse(R::PROTECTED_OTHER_VAULT, 0);
    }
    pIn += nRestOfHeader;
    n -= nRestOfHeader;
    if (n < PFF_SLOT_COUNT * m_header.nSlotSize) return Refuse(R::PROTECTED_DAMAGED_METADATA, 0);
    bool bAny = false;
    for (std::size_t nSlot = 0; nSlot < PFF_SLOT_COUNT; ++nSlot) {
        ProtectedMetadata record;
        m_slotOpened[nSlot] =
            OpenSlot(m_keys.metadata, m_headerBytes, nSlot, pIn + nSlot * m_header.nSlotSize,
                     m_header.nSlotSize, &record);
        // The newer record wins; the first slot when both claim the same.
        if (m_slotOpened[nSlot] && (!bAny || record.nSequence > m_metadata.nSequence)) {
            m_metadata = std::move(record);
            m_nNewest = nSlot;
            bAny = true;
        }
    }
    if (!bAny) return Refuse(R::PROTECTED_DAMAGED_METADATA, 0);
    m_nStage = Stage::BODY_START;
    return R::PROTECTED_OK;
}

ProtectedResult CProtectedOpener::BeginBody(std::uint64_t nStoredLength) {
    if (m_nStage == Stage::REFUSED) return m_nRefusal;
    if (m_nStage != Stage::BODY_START) return R::PROTECTED_MISUSE;
    const std::uint64_t nHead = ProtectedHeadSize(m_header);
    const std::uint64_t nBody = nStoredLength > nHead ? nStoredLength - nHead : 0;
    m_nChunkCount = (nBody + PFF_CHUNK_STORED_SIZE - 1) / PFF_CHUNK_STORED_SIZE;
    m_nLastChunkSize = nBody - (m_nChunkCount == 0 ? 0 : m_nChunkCount - 1) * PFF_CHUNK_STORED_SIZE;
    m_nNextIndex = 0;
    m_nOpened = 0;
    m_nStage = Stage::BODY;
    return R::PROTECTED_OK;
}

std::size_t CProtectedOpener::NextChunkSize() const {
    if (m_nStage != Stage::BODY || m_nNextIndex >= m_nChunkCount) return 0;
    return m_nNextIndex + 1 == m_nChunkCount ? static_cast<std::size_t>(m_nLastChunkSize)
                                             : PFF_CHUNK_STORED_SIZE;
}

ProtectedResult CProtectedOpener::OpenChunk(const unsigned char* pIn, std::size_t n,
                                            unsigned char* pOut, std::size_t* pnPlain) {
    if (m_nStage == Stage::REFUSED) return m_nRefusal;
    // Bytes offered after the final chunk.
    if (m_nStage == Stage::DONE) return Refuse(R::PROTECTED_DAMAGED_CHUNK, m_nNextIndex);
    if (m_nStage != Stage::BODY) return R::PROTECTED_MISUSE;
    const std::uint64_t nIndex = m_nNextIndex;
    if (nIndex >= m_nChunkCount || n != NextChunkSize())
        return Refuse(R::PROTECTED_DAMAGED_CHUNK, nIndex);
    const bool bFinal = nIndex + 1 == m_nChunkCount;
    std::size_t nPlain = 0;
    if (OpenChunkAt(nIndex, bFinal, pIn, n, pOut, &nPlain) != R::PROTECTED_OK)
        return Refuse(R::PROTECTED_DAMAGED_CHUNK, nIndex);
    if (nPlain > m_metadata.nPlainSize - m_nOpened)
        return Refuse(R::PROTECTED_SIZE_MISMATCH, nIndex);
    m_nOpened += nPlain;
    ++m_nNextIndex;
    if (bFinal) m_nStage = Stage::DONE;
    *pnPlain = nPlain;
    return R::PROTECTED_OK;
}

CHelperThread* CProtectedOpener::Helper(bool bTwoThreads) {
    if (bTwoThreads && !m_pHelper) m_pHelper = std::make_unique<CHelperThread>();
    return bTwoThreads ? m_pHelper.get() : nullptr;
}

ProtectedResult CProtectedOpener::OpenWholeChunks(const unsigned char* pIn, std::size_t nCount,
                                                  unsigned char* pOut, bool bTwoThreads) {
    if (m_nStage == Stage::REFUSED) return m_nRefusal;
    if (m_nStage == Stage::DONE) return Refuse(R::PROTECTED_DAMAGED_CHUNK, m_nNextIndex);
    if (m_nStage != Stage::BODY) return R::PROTECTED_MISUSE;
    // None of them may be the last chunk, which alone may be short.
    if (m_nNextIndex + nCount >= m_nChunkCount) return R::PROTECTED_MISUSE;
    if (nCount * PFF_CHUNK_SIZE > m_metadata.nPlainSize - m_nOpened)
        return Refuse(R::PROTECTED_SIZE_MISMATCH, m_nNextIndex);
    std::size_t nFailed = 0;
    const R result = ForEachChunk(nCount, Helper(bTwoThreads), &nFailed, [&](std::size_t i) {
        std::size_t nPlain = 0;
        return OpenChunkAt(m_nNextIndex + i, false, pIn + i * PFF_CHUNK_STORED_SIZE,
                           PFF_CHUNK_STORED_SIZE, pOut + i * PFF_CHUNK_SIZE, &nPlain);
    });
    if (result != R::PROTECTED_OK)
        return Refuse(R::PROTECTED_DAMAGED_CHUNK, m_nNextIndex + nFailed);
    m_nNextIndex += nCount;
    m_nOpened += nCount * PFF_CHUNK_SIZE;
    return R::PROTECTED_OK;
}

ProtectedResult CProtectedOpener::OpenChunkAt(std::uint64_t nIndex, bool bFinal,
                                              const unsigned char* pIn, std::size_t n,
                                              unsigned char* pOut, std::size_t* pnPlain) const {
    if (m_nStage == Stage::HEADER || m_nStage == Stage::SLOTS || nIndex >= PFF_FINAL_FLAG)
        return R::PROTECTED_MISUSE;
    if (!KeyReady(m_keys.body)) return R::PROTECTED_NO_CRYPTO;
    // Only the sizes a writer makes: a whole chunk, or a padded final one.
    const bool bSizeFits =
        bFinal ? IsProtectedFinalChunkSize(n, ChunkOffset(ProtectedHeadSize(m_header), nIndex))
               : n == PFF_CHUNK_STORED_SIZE;
    if (!bSizeFits) return R::PROTECTED_DAMAGED_CHUNK;
    unsigned char nonce[PFF_NONCE_SIZE];
    ChunkNonce(m_header.fileId, nIndex, bFinal, nonce);
    unsigned long long nOpened = 0;
    if (crypto_aead_xchacha20poly1305_ietf_decrypt(pOut, &nOpened, nullptr, pIn, n, m_headerBytes,
                                                   m_header.Size(), nonce, m_keys.body.Data()) != 0)
        return R::PROTECTED_DAMAGED_CHUNK;
    std::size_t nPlain = static_cast<std::size_t>(nOpened);
    if (bFinal && sodium_unpad(&nPlain, pOut, nPlain, ProtectedUnpadBlock(nPlain)) != 0)
        return R::PROTECTED_DAMAGED_CHUNK;
    *pnPlain = nPlain;
    return R::PROTECTED_OK;
}

ProtectedResult CProtectedOpener::Finish() {
    if (m_nStage == Stage::REFUSED) return m_nRefusal;
    // The final chunk never came: the body ends early or is missing.
    if (m_nStage == Stage::BODY) return Refuse(R::PROTECTED_DAMAGED_CHUNK, m_nNextIndex);
    if (m_nStage != Stage::DONE) return R::PROTECTED_MISUSE;
    if (m_nOpened != m_metadata.nPlainSize)
        return Refuse(R::PROTECTED_SIZE_MISMATCH, m_nChunkCount - 1);
    return R::PROTECTED_OK;
}

ProtectedResult CProtectedOpener::SealSummaryEdit(const std::string& strSummary,
                                                  ProtectedSlotWrite* pWrite) const {
    if (strSummary.size() > PFF_SUMMARY_MAX_BYTES) return R::PROTECTED_TOO_LONG;
    ProtectedMetadata record = m_metadata;
    record.strSummary = strSummary;
    return SealRecordEdit(std::move(record), pWrite);
}

ProtectedResult CProtectedOpener::SealPlaceEdit(const std::string& strPlace,
                                                ProtectedSlotWrite* pWrite) const {
    if (m_nStage != Stage::HEADER && !RecordHoldsPlace(m_header.nVersion))
        return R::PROTECTED_UNSUPPORTED;
    ProtectedMetadata record = m_metadata;
    record.strPlace = strPlace;
    return SealRecordEdit(std::move(record), pWrite);
}

ProtectedResult CProtectedOpener::SealRecordEdit(ProtectedMetadata record,
                                                 ProtectedSlotWrite* pWrite) const {
    // The slots opened, whatever became of the body since.
    if (m_nStage == Stage::HEADER || m_nStage == Stage::SLOTS ||
        (m_nStage == Stage::REFUSED && !m_slotOpened[m_nNewest]))
        return R::PROTECTED_MISUSE;
    ++record.nSequence;
    const std::size_t nSlot = 1 - m_nNewest;
    std::vector<unsigned char> bytes(m_header.nSlotSize);
    FillRandom(bytes.data(), PFF_NONCE_SIZE);
    const R result =
        SealSlot(m_keys.metadata, m_headerBytes, nSlot, record, m_header.nSlotSize, bytes.data());
    if (result != R::PROTECTED_OK) return result;
    pWrite->nOffset = m_header.Size() + nSlot * static_cast<std::uint64_t>(m_header.nSlotSize);
    pWrite->bytes = std::move(bytes);
    pWrite->nSequence = record.nSequence;
    return R::PROTECTED_OK;
}

}  // namespace quovex
