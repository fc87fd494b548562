// Protected stored files in memory: round trips at the chunk sizes that
// matter, and stored bytes tampered with in every way a disk or a person
// can, each refused where it was changed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "ProtectedOpen.h"
#include "ProtectedStream.h"
#include "ReferenceVault.h"
#include "StoredFileHeader.h"
#include "TestFiles.h"

using namespace quovex;
using namespace quovex::test;
using enum ProtectedResult;

namespace {

constexpr std::size_t CHUNK = PFF_CHUNK_SIZE, STORED_CHUNK = PFF_CHUNK_STORED_SIZE;

// The keys of the master key nFirst, nFirst + nStep, nFirst + 2 * nStep ...
ProtectedFileKeys KeysFrom(unsigned char nFirst, unsigned char nStep = 0) {
    CSecretBytes master(PFF_KEY_SIZE);
    for (std::size_t i = 0; i < master.Size(); ++i)
        master.Data()[i] = static_cast<unsigned char>(nFirst + i * nStep);
    ProtectedFileKeys keys;
    EXPECT_TRUE(DeriveFileKeys(master, &keys));
    return keys;
}

ProtectedFileKeys NamedKeysFrom(unsigned char nFirst) {
    ProtectedFileKeys keys = KeysFrom(nFirst);
    keys.bVaultId = true;
    for (std::size_t i = 0; i < keys.vaultId.size(); ++i)
        keys.vaultId[i] = static_cast<unsigned char>(0xA0 + i);
    return keys;
}

ProtectedMetadata MetadataFor(std::uint64_t nSize) {
    return {.nPlainSize = nSize,
            .nStoredTime = 1'700'000'000,
            .nMode = 0640,
            .strSourcePath = "/home/user/资料/report.doc",
            .strSummary = "quarterly figures",
            .strPlace = "FileBox/资料/report.doc",
            .nSourceTime = 1'600'000'000,
            .nSourceNanos = 123'456'789};
}

// Seals plain as the store loop does: whole chunks, then a short final one.
Bytes Seal(const ProtectedFileKeys& keys, const Bytes& vPlain, const ProtectedMetadata& metadata) {
    CProtectedSealer sealer(keys);
    EXPECT_EQ(sealer.Begin(metadata), PROTECTED_OK);
    Bytes v = sealer.Head();
    Bytes vChunk(STORED_CHUNK);
    for (std::size_t nPos = 0;; nPos += CHUNK) {
        const std::size_t n = std::min(CHUNK, vPlain.size() - nPos);
        std::size_t nOut = 0;
        EXPECT_EQ(sealer.SealChunk(vPlain.data() + nPos, n, n < CHUNK, vChunk.data(), &nOut),
                  PROTECTED_OK);
        v.insert(v.end(), vChunk.begin(), vChunk.begin() + nOut);
        if (n < CHUNK) break;
    }
    EXPECT_EQ(sealer.Finish(), PROTECTED_OK);
    EXPECT_EQ(v.size(), sealer.StoredLength());
    return v;
}

Bytes Seal(const ProtectedFileKeys& keys, const Bytes& vPlain) {
    return Seal(keys, vPlain, MetadataFor(vPlain.size()));
}

// Counted bytes instead of random ones, so that every run sees the same files.
class ProtectedFileTest : public ::testing::Test {
protected:
    const CCountedRandom m_counted{1};
    const ProtectedFileKeys m_keys = KeysFrom(7);
    // The same keys naming the vault 0xA0 .. 0xAF.
    const ProtectedFileKeys m_named = NamedKeysFrom(7);
};

}  // namespace

TEST_F(ProtectedFileTest, EveryFlippedHeaderBitIsRefusedAndAFlippedSlotByteLosesThatSlotOnly) {
    // A file of the second version, and one of the third that names its vault.
    for (const ProtectedFileKeys* pKeys : {&m_keys, &m_named}) {
        const ProtectedFileKeys& keys = *pKeys;
        const Bytes v = Seal(keys, RandomBytes(CHUNK + 100, 1));
        const std::size_t nHeader = keys.bVaultId ? PFF_HEADER_MAX_SIZE : PFF_HEADER_SIZE;
        SCOPED_TRACE(nHeader);
        for (std::size_t nBit = 0; nBit < nHeader * 8; ++nBit) {
            Bytes w = v;
            w[nBit / 8] ^= static_cast<unsigned char>(1u << nBit % 8);
            const Opened opened = OpenProtected(keys, w);
            EXPECT_NE(opened.result, PROTECTED_OK) << "bit " << nBit;
            EXPECT_TRUE(opened.plain.empty()) << "bit " << nBit;
        }
        // The signature whole, and the scrambled readers refuse it.
        EXPECT_TRUE(IsProtectedSignature(v.data(), v.size()));
        EXPECT_FALSE(IsProtectedSignature(v.data(), PFF_SIGNATURE_SIZE - 1));
        StoredFileHeader header;
        EXPECT_FALSE(DecodeHeader(v.data(), &header));
        for (const auto& [nAt, result] : {std::pair{0ul, PROTECTED_NOT_PROTECTED},
                                          {PFF_OFFSET_VERSION, PROTECTED_UNSUPPORTED},
                                          {PFF_OFFSET_SLOT_SIZE, PROTECTED_DAMAGED_HEADER}}) {
            Bytes w = v;
            w[nAt] ^= 4;
            EXPECT_EQ(OpenProtected(keys, w).result, result) << nAt;
        }

        // One damaged slot is what a torn write leaves: the other one serves,
        // and never anything from the damaged one. Both damaged: refused.
        const std::size_t nSlot = (HeadSizeOf(v) - nHeader) / 2;
        for (std::size_t nAt : {0ul, PFF_NONCE_SIZE, PFF_NONCE_SIZE + 40, nSlot / 2, nSlot - 1}) {
            for (std::size_t i = 0; i < 2; ++i) {
                Bytes w = v;
                w[nHeader + i * nSlot + nAt] ^= 0x20;
                CProtectedOpener opener(keys);
                ASSERT_EQ(opener.ReadHeader(w.data(), PFF_HEADER_SIZE), PROTECTED_OK);
                ASSERT_EQ(opener.OpenSlots(w.data() + PFF_HEADER_SIZE, opener.HeadRestSize()),
                          PROTECTED_OK);
                EXPECT_FALSE(opener.SlotOpened(i));
                EXPECT_TRUE(opener.SlotOpened(1 - i));
                EXPECT_EQ(opener.Metadata().strSummary, "quarterly figures");
                EXPECT_EQ(opener.Metadata().nPlainSize, CHUNK + 100);
            }
            Bytes w = v;
            w[nHeader + nAt] ^= 0x20;
            w[nHeader + nSlot + nAt] ^= 0x20;
            EXPECT_EQ(OpenProtected(keys, w).result, PROTECTED_DAMAGED_METADATA);
        }
    }
}

// A file names the vault it was stored in: met with another vault's keys it
// is refused as that vault's before any key is tried; a vault id changed on
// disk opens nothing, for keys that know the id or not; keys that name no
// vault open a file that names one.
TEST_F(ProtectedFileTest, AFileNamesItsVault) {
    const Bytes vPlain = RandomBytes(300, 2);
    const Bytes v = Seal(m_named, vPlain);
    ASSERT_EQ(HeadSizeOf(v), PFF_HEADER_MAX_SIZE + 2 * 1024u);
    EXPECT_EQ(v[PFF_OFFSET_VERSION], PFF_VERSION_VAULT_NAMED);
    EXPECT_TRUE(std::equal(m_named.vaultId.begin(), m_named.vaultId.end(),
                           v.begin() + PFF_OFFSET_VAULT_ID));
    const Opened opened = OpenProtected(m_keys, v);
    EXPECT_EQ(opened.result, PROTECTED_OK);
    EXPECT_EQ(opened.plain, vPlain);
    EXPECT_EQ(opened.header.vaultId, m_named.vaultId);

    ProtectedFileKeys other = KeysFrom(8);
    other.bVaultId = true;
    other.vaultId.fill(0x33);
    EXPECT_EQ(OpenProtected(other, v).result, PROTECTED_OTHER_VAULT);
    Bytes w = v;
    w[PFF_OFFSET_VAULT_ID + 5] ^= 1;
    EXPECT_EQ(OpenProtected(m_named, w).result, PROTECTED_OTHER_VAULT);
    EXPECT_EQ(OpenProtected(m_keys, w).result, PROTECTED_DAMAGED_METADATA);
    // Cut inside the vault id: the header is not whole.
    EXPECT_EQ(OpenProtected(m_named, Bytes(v.begin(), v.begin() + PFF_HEADER_SIZE + 8)).result,
              PROTECTED_DAMAGED_HEADER);
}

// Whole chunks end as padding does, so that only the final flag tells a
// cut chunk from a final one.
TEST_F(ProtectedFileTest, ChunksCutDroppedDuplicatedReorderedOrAppendedAreRefused) {
    Bytes vPlain = RandomBytes(3 * CHUNK + 9000, 3);
    vPlain[CHUNK - 1] = vPlain[2 * CHUNK - 1] = vPlain[3 * CHUNK - 1] = 0x80;
    const Bytes v = Seal(m_keys, vPlain);
    const std::size_t nHead = HeadSizeOf(v);
    const auto fnCut = [&](std::size_t nLength) { return Bytes(v.begin(), v.begin() + nLength); };
    const auto fnBuild = [&](std::vector<std::size_t> order) {
        Bytes w = fnCut(nHead);
        for (std::size_t i : order) {
            const auto itStart = v.begin() + nHead + i * STORED_CHUNK;
            w.insert(w.end(), itStart, std::min(v.end(), itStart + STORED_CHUNK));
        }
        return w;
    };
    ASSERT_EQ(OpenProtected(m_keys, fnBuild({0, 1, 2, 3})).result, PROTECTED_OK);
    const std::tuple<Bytes, ProtectedResult, std::uint64_t> cases[] = {
        {fnCut(nHead + 2 * STORED_CHUNK), PROTECTED_DAMAGED_CHUNK, 1},  // at a boundary
        {fnCut(nHead + STORED_CHUNK), PROTECTED_DAMAGED_CHUNK, 0},
        {fnCut(nHead + STORED_CHUNK + 100), PROTECTED_DAMAGED_CHUNK, 1},  // inside a chunk
        {fnCut(v.size() - 1), PROTECTED_DAMAGED_CHUNK, 3},
        {fnCut(nHead), PROTECTED_DAMAGED_CHUNK, 0},  // no body at all
        {fnCut(PFF_HEADER_SIZE), PROTECTED_DAMAGED_METADATA, 0},
        {fnCut(PFF_HEADER_SIZE - 1), PROTECTED_DAMAGED_HEADER, 0},
        {fnBuild({0, 2, 3}), PROTECTED_DAMAGED_CHUNK, 1},
        {fnBuild({0, 1, 1, 2, 3}), PROTECTED_DAMAGED_CHUNK, 2},
        {fnBuild({1, 0, 2, 3}), PROTECTED_DAMAGED_CHUNK, 0},
        {fnBuild({0, 2, 1, 3}), PROTECTED_DAMAGED_CHUNK, 1},
        {fnBuild({0, 1, 2, 3, 3}), PROTECTED_DAMAGED_CHUNK, 3},
        {fnBuild({0, 1, 2}), PROTECTED_DAMAGED_CHUNK, 2},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto& [w, result, nChunk] = cases[i];
        const Opened opened = OpenProtected(m_keys, w);
        EXPECT_EQ(opened.result, result) << "case " << i;
        EXPECT_EQ(opened.nFailedChunk, nChunk) << "case " << i;
    }
    for (std::size_t nExtra : {1ul, 16ul, 4096ul}) {
        Bytes w = v;
        w.insert(w.end(), nExtra, 0);
        EXPECT_EQ(OpenProtected(m_keys, w).result, PROTECTED_DAMAGED_CHUNK) << nExtra;
    }
}

// Each store has its own file id, which binds its slots and chunks.
TEST_F(ProtectedFileTest, PiecesOfAnotherFileOrVaultAreRefused) {
    const Bytes vPlain = RandomBytes(CHUNK + 500, 5);
    const Bytes a = Seal(m_keys, vPlain), b = Seal(m_keys, vPlain);
    const std::size_t nHead = HeadSizeOf(a);
    ASSERT_EQ(a.size(), b.size());
    EXPECT_FALSE(std::equal(a.begin() + PFF_OFFSET_FILE_ID,
                            a.begin() + PFF_OFFSET_FILE_ID + PFF_FILE_ID_SIZE,
                            b.begin() + PFF_OFFSET_FILE_ID));
    const auto fnMix = [&](std::size_t nFrom, std::size_t nTo) {
        Bytes w = a;
        std::copy(b.begin() + nFrom, b.begin() + nTo, w.begin() + nFrom);
        return OpenProtected(m_keys, w);
    };
    EXPECT_EQ(fnMix(PFF_HEADER_SIZE, nHead).result, PROTECTED_DAMAGED_METADATA);  // slots
    EXPECT_EQ(fnMix(nHead, a.size()).nFailedChunk, 0u);                           // whole body
    const Opened opened = fnMix(nHead + STORED_CHUNK, a.size());                  // last chunk
    EXPECT_EQ(opened.result, PROTECTED_DAMAGED_CHUNK);
    EXPECT_EQ(opened.nFailedChunk, 1u);
    // The slots of a file swapped with each other.
    const std::size_t nSlot = (nHead - PFF_HEADER_SIZE) / 2;
    Bytes w = a;
    std::swap_ranges(w.begin() + PFF_HEADER_SIZE, w.begin() + PFF_HEADER_SIZE + nSlot,
                     w.begin() + PFF_HEADER_SIZE + nSlot);
    EXPECT_EQ(OpenProtected(m_keys, w).result, PROTECTED_DAMAGED_METADATA);
    // A file of a vault with another master key.
    EXPECT_EQ(OpenProtected(KeysFrom(8), a).result, PROTECTED_DAMAGED_METADATA);
}

// Slots grow with the path up to their limit; sizes outside the layout are refused.
TEST_F(ProtectedFileTest, SlotsGrowWithThePathAndSizesOutsideTheLayoutAreRefused) {
    ProtectedMetadata metadata = MetadataFor(10);
    metadata.strSourcePath = "/" + std::string(600, 'p');
    const Bytes vLongPath = Seal(m_keys, Bytes(10, 'a'), metadata);
    EXPECT_EQ(HeadSizeOf(vLongPath), PFF_HEADER_SIZE + 2 * 1536u);
    EXPECT_EQ(OpenProtected(m_keys, vLongPath).metadata.strSourcePath, metadata.strSourcePath);
    CProtectedSealer sealer(m_keys);
    metadata.strSummary.assign(PFF_SUMMARY_MAX_BYTES + 1, 's');
    EXPECT_EQ(sealer.Begin(metadata), PROTECTED_TOO_LONG);
    metadata.strSummary.clear();
    metadata.strSourcePath.assign(PFF_SLOT_MAX_SIZE, 'p');
    EXPECT_EQ(sealer.Begin(metadata), PROTECTED_TOO_LONG);

    Bytes vPlain(CHUNK, 'a'), vOut(STORED_CHUNK);
    std::size_t nOut = 0;
    EXPECT_EQ(sealer.SealChunk(vPlain.data(), 10, true, vOut.data(), &nOut), PROTECTED_MISUSE);
    ASSERT_EQ(sealer.Begin(MetadataFor(CHUNK + 10)), PROTECTED_OK);
    EXPECT_EQ(sealer.SealChunk(vPlain.data(), 10, false, vOut.data(), &nOut), PROTECTED_MISUSE);
    EXPECT_EQ(sealer.SealChunk(vPlain.data(), CHUNK, true, vOut.data(), &nOut), PROTECTED_MISUSE);
    EXPECT_EQ(sealer.SealChunk(vPlain.data(), CHUNK, false, vOut.data(), &nOut), PROTECTED_OK);
    EXPECT_EQ(sealer.Finish(), PROTECTED_MISUSE);  // no final chunk yet
    EXPECT_EQ(sealer.SealChunk(vPlain.data(), 11, true, vOut.data(), &nOut),
              PROTECTED_SIZE_MISMATCH);
    EXPECT_EQ(sealer.SealChunk(vPlain.data(), 5, true, vOut.data(), &nOut), PROTECTED_OK);
    EXPECT_EQ(sealer.Finish(), PROTECTED_SIZE_MISMATCH);
    EXPECT_EQ(sealer.SealChunk(vPlain.data(), 5, true, vOut.data(), &nOut), PROTECTED_MISUSE);
    ProtectedSlotWrite write;
    EXPECT_EQ(CProtectedOpener(m_keys).SealSummaryEdit("early", &write), PROTECTED_MISUSE);

    // Well sealed chunks that hold less, or more, than the metadata says.
    for (std::size_t nSealed : {5ul, 20ul}) {
        CProtectedSealer forger(m_keys);
        ASSERT_EQ(forger.Begin(MetadataFor(10)), PROTECTED_OK);
        Bytes v = forger.Head();
        ASSERT_EQ(forger.SealChunkAt(0, vPlain.data(), nSealed, true, vOut.data(), &nOut),
                  PROTECTED_OK);
        v.insert(v.end(), vOut.begin(), vOut.begin() + nOut);
        EXPECT_EQ(OpenProtected(m_keys, v).result, PROTECTED_SIZE_MISMATCH) << nSealed;
    }
}

// Reference files sealed once with the fixed inputs of tests/data/README.md:
// sealing again gives the same bytes, and they open to the plain pattern,
// as do those the first writers padded otherwise.
TEST_F(ProtectedFileTest, SealsAndOpensTheReferenceFilesByteForByte) {
    const ProtectedFileKeys keys = KeysFrom(0, 1);
    ProtectedMetadata metadata{.nStoredTime = REFERENCE_STORED_TIME,
                               .nMode = REFERENCE_MODE,
                               .strSourcePath = REFERENCE_SOURCE_PATH,
                               .strSummary = REFERENCE_SUMMARY,
                               .strPlace = {},
                               .nSourceTime = 0,
                               .nSourceNanos = PFF_NO_SOURCE_TIME};
    // The last element: what this version writes, else the first writers.
    for (const auto& [pszStored, nSize, bWritten] : {std::tuple{"empty-aligned.bin.$", 0ul, true},
                                                     {"pattern300-aligned.bin.$", 300ul, true},
                                                     {"pattern65836-aligned.bin.$", 65836ul, true},
                                                     {"empty.bin.$", 0ul, false},
                                                     {"pattern300.bin.$", 300ul, false},
                                                     {"pattern65836.bin.$", 65836ul, false}}) {
        SCOPED_TRACE(pszStored);
        const Bytes vStored =
            ReadBytes(std::string(QUOVEX_TEST_DATA_DIR) + "/protected/" + pszStored);
        Bytes vPattern(nSize);
        for (std::size_t i = 0; i < nSize; ++i) vPattern[i] = ReferenceByte(i);
        metadata.nPlainSize = nSize;
        const CCountedRandom counted(1);  // the file id is 01 02 .. 10, the slot nonces follow
        EXPECT_EQ(Seal(keys, vPattern, metadata) == vStored, bWritten);
        const Opened opened = OpenProtected(keys, vStored);
        ASSERT_EQ(opened.result, PROTECTED_OK);
        EXPECT_EQ(opened.plain, vPattern);
        EXPECT_EQ(opened.metadata.strSourcePath, metadata.strSourcePath);
        EXPECT_EQ(opened.metadata.strSummary, metadata.strSummary);
    }
    // The second version adds the place and the source's time.
    metadata.strPlace = REFERENCE_PLACE;
    metadata.nSourceTime = REFERENCE_SOURCE_TIME;
    metadata.nSourceNanos = REFERENCE_SOURCE_NANOS;
    metadata.nPlainSize = 300;
    const std::string strPlaced = std::string(QUOVEX_TEST_DATA_DIR) + "/protected/placed300.bin.$";
    Bytes vPattern(300);
    for (std::size_t i = 0; i < vPattern.size(); ++i) vPattern[i] = ReferenceByte(i);
    const CCountedRandom counted(1);
    const Bytes vSealed = Seal(keys, vPattern, metadata);
    const Bytes vPlaced = ReadBytes(strPlaced);
    EXPECT_EQ(vSealed, vPlaced);
    const Opened opened = OpenProtected(keys, vPlaced);
    ASSERT_EQ(opened.result, PROTECTED_OK);
    EXPECT_EQ(opened.plain, vPattern);
    EXPECT_EQ(opened.metadata.strPlace, REFERENCE_PLACE);
    EXPECT_EQ(opened.metadata.nSourceTime, REFERENCE_SOURCE_TIME);
    EXPECT_EQ(opened.metadata.nSourceNanos, REFERENCE_SOURCE_NANOS);
    EXPECT_EQ(vPlaced[PFF_OFFSET_VERSION], PFF_VERSION_PLACED);

    // The third version names the vault in its header, bound into every seal.
    ProtectedFileKeys named = KeysFrom(0, 1);
    named.bVaultId = true;
    named.vaultId = m_named.vaultId;
    const CCountedRandom countedAgain(1);
    const Bytes vNamedSealed = Seal(named, vPattern, metadata);
    const Bytes vNamed = ReadBytes(std::string(QUOVEX_TEST_DATA_DIR) + "/protected/named300.bin.$");
    EXPECT_EQ(vNamedSealed, vNamed);
    const Opened openedNamed = OpenProtected(named, vNamed);
    ASSERT_EQ(openedNamed.result, PROTECTED_OK);
    EXPECT_EQ(openedNamed.plain, vPattern);
    EXPECT_EQ(openedNamed.metadata.strPlace, REFERENCE_PLACE);
    EXPECT_EQ(vNamed[PFF_OFFSET_VERSION], PFF_VERSION_VAULT_NAMED);
}
