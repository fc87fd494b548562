// The protected stored-file mode: the bytes opened chunk by chunk with the
// reference keys, their summary edited and opened again, and restored
// through the file store into the sandbox, with and without the vault's
// master key.
#include <cstring>

#include "ProtectedFuzz.h"

namespace quovex::fuzz {

namespace {

using R = ProtectedResult;

constexpr char FUZZ_SUMMARY[] = "改过的摘要 edited";

// What the buffer-level opener made of one stored file.
struct Opening {
    R nResult = R::PROTECTED_OK;  // the refusal, or Finish's answer
    bool bSlots = false;          // the header was read and the slots opened
    ProtectedHeader header;
    ProtectedMetadata metadata;
    std::size_t nNewestSlot = 0;
    std::uint64_t nFailedChunk = 0;
    std::string strPlain;  // what was handed out, chunk by chunk
};

// Plain bytes handed out must be the reference pattern at their place:
// nothing else was ever sealed under the reference keys.
void RequireAuthentic(const std::string& strPlain, std::size_t nFrom) {
    for (std::size_t i = nFrom; i < strPlain.size(); ++i)
        if (static_cast<unsigned char>(strPlain[i]) != test::ReferenceByte(i))
            Finding("a chunk was handed out that was never sealed at its place");
}

void OpenBody(CProtectedOpener& opener, const Bytes& v, Opening* pOpening) {
    std::size_t nPos = PFF_HEADER_SIZE + opener.SlotsSize();
    pOpening->nResult = opener.BeginBody(v.size());
    Bytes vOut(PFF_CHUNK_SIZE);
    while (pOpening->nResult == R::PROTECTED_OK && opener.NextChunkSize() > 0) {
        const std::size_t n = opener.NextChunkSize();
        Require(n <= v.size() - nPos, "NextChunkSize reaches past the file");
        std::size_t nPlain = PFF_CHUNK_SIZE + 1;
        pOpening->nResult = opener.OpenChunk(v.data() + nPos, n, vOut.data(), &nPlain);
        if (pOpening->nResult != R::PROTECTED_OK) break;
        Require(nPlain <= PFF_CHUNK_SIZE, "OpenChunk's plain size");
        const std::size_t nFrom = pOpening->strPlain.size();
        pOpening->strPlain.append(reinterpret_cast<const char*>(vOut.data()), nPlain);
        RequireAuthentic(pOpening->strPlain, nFrom);
        nPos += n;
    }
    if (pOpening->nResult == R::PROTECTED_OK) {
        Require(nPos == v.size(), "the chunks leave stored bytes over");
        pOpening->nResult = opener.Finish();
    }
    pOpening->nFailedChunk = opener.FailedChunk();
}

Opening OpenBytes(const Bytes& v) {
    CProtectedOpener opener(World().keys);
    Opening opening;
    opening.nResult = opener.ReadHeader(v.data(), v.size());
    if (opening.nResult != R::PROTECTED_OK) return opening;
    opening.header = opener.Header();
    const std::size_t nSlots = std::min(opener.SlotsSize(), v.size() - PFF_HEADER_SIZE);
    opening.nResult = opener.OpenSlots(v.data() + PFF_HEADER_SIZE, nSlots);
    if (opening.nResult != R::PROTECTED_OK) return opening;
    Require(nSlots == opener.SlotsSize(), "OpenSlots opened slots cut short");
    opening.bSlots = true;
    opening.metadata = opener.Metadata();
    opening.nNewestSlot = opener.NewestSlot();
    OpenBody(opener, v, &opening);
    return opening;
}

// Opened slots hold what was sealed, and a whole stored file that opened
// holds as much as they say, at a length a writer makes.
void CheckOpened(const Opening& opening, const Bytes& v) {
    const ProtectedMetadata& metadata = opening.metadata;
    Require(!opening.bSlots || (metadata.strSourcePath == test::REFERENCE_SOURCE_PATH &&
                                metadata.nStoredTime == test::REFERENCE_STORED_TIME &&
                                metadata.nMode == test::REFERENCE_MODE &&
                                (metadata.strSummary == test::REFERENCE_SUMMARY ||
                                 metadata.strSummary == FUZZ_SUMMARY)),
            "metadata that was never sealed");
    if (opening.nResult != R::PROTECTED_OK) return;
    Require(metadata.nPlainSize == opening.strPlain.size(), "a body of another size opened");
    // The length this version writes, or the one the first writers wrote.
    const std::uint64_t nFinalAt = ProtectedHeadSize(opening.header.nSlotSize) +
                                   metadata.nPlainSize / PFF_CHUNK_SIZE * PFF_CHUNK_STORED_SIZE;
    Require(v.size() == ProtectedStoredLength(metadata.nPlainSize, opening.header.nSlotSize) ||
                v.size() ==
                    nFinalAt + ProtectedChunkPaddedFinalSize(metadata.nPlainSize % PFF_CHUNK_SIZE),
            "a stored file of another length opened");
}

// A summary edit writes one slot: the one not in force, which then is,
// and the body opens as before.
void CheckSummaryEdit(const Bytes& v, const Opening& before) {
    CProtectedOpener opener(World().keys);
    opener.ReadHeader(v.data(), v.size());
    Require(opener.OpenSlots(v.data() + PFF_HEADER_SIZE, opener.SlotsSize()) == R::PROTECTED_OK,
            "the slots do not open a second time");
    ProtectedSlotWrite write;
    Require(opener.SealSummaryEdit(FUZZ_SUMMARY, &write) == R::PROTECTED_OK, "SealSummaryEdit");
    const std::size_t nSlot = before.header.nSlotSize;
    Require(write.nOffset == PFF_HEADER_SIZE + (1 - before.nNewestSlot) * nSlot &&
                write.bytes.size() == nSlot,
            "SealSummaryEdit writes elsewhere than the slot not in force");
    Bytes vEdited = v;
    std::memcpy(vEdited.data() + write.nOffset, write.bytes.data(), write.bytes.size());
    const Opening after = OpenBytes(vEdited);
    Require(after.bSlots && after.nNewestSlot != before.nNewestSlot &&
                after.metadata.strSummary == FUZZ_SUMMARY &&
                after.metadata.nSequence == before.metadata.nSequence + 1 &&
                after.metadata.nPlainSize == before.metadata.nPlainSize,
            "the edited slot is not in force");
    Require(after.nResult == before.nResult && after.strPlain == before.strPlain &&
                after.nFailedChunk == before.nFailedChunk,
            "a summary edit changed how the body opens");
    CheckOpened(after, vEdited);
}

// Restores through the file store: to a chosen target and to the recorded
// path, each succeeding exactly when the bytes opened; then without the
// master key, which restores nothing.
void CheckRestores(const Bytes& v, const Opening& opening) {
    ClearSandbox();
    WriteSandboxFile(FUZZ_STORED, std::string(v.begin(), v.end()));
    const bool bOpens = opening.nResult == R::PROTECTED_OK;
    const std::string* pPlain = bOpens ? &opening.strPlain : nullptr;
    const CFileStore& files = *World().pProtectedFiles;
    Require(CheckRestore(files, FUZZ_TARGET, FUZZ_PLAIN, pPlain, false, "restore to a target") ==
                bOpens,
            "restore to a target: result");
    Require(CheckRestore(files, "", test::REFERENCE_SOURCE_PATH, pPlain, false,
                         "restore to the recorded path") == bOpens,
            "restore to the recorded path: result");
    CheckRestore(*World().pScrambledFiles, FUZZ_TARGET, "", nullptr, true, "restore without key");
}

}  // namespace

void CheckProtectedFile(const Bytes& v) {
    const Opening opening = OpenBytes(v);
    CheckOpened(opening, v);
    if (opening.bSlots) CheckSummaryEdit(v, opening);
    // A scrambled stored file is the other target's; the store would read it.
    if (v.size() >= 6 && std::memcmp(v.data(), "QUOVEX", 6) == 0) return;
    CheckRestores(v, opening);
}

}  // namespace quovex::fuzz
