// The protected stored-file mode: the bytes opened chunk by chunk with the
// reference keys, their summary edited and opened again, and restored
// through the file store into the sandbox, with and without the vault's
// master key.
#include <cstring>

#include "Fakes.h"
#include "ProtectedFuzz.h"
#include "ReferenceVault.h"
#include "RunContext.h"
#include "SandboxTree.h"

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

R ExpectHeader(const Bytes& v) {
    if (v.size() < PFF_SIGNATURE_SIZE || std::memcmp(v.data(), "QVXPROT\0", 8) != 0)
        return R::PROTECTED_NOT_PROTECTED;
    if (v.size() < PFF_HEADER_SIZE) return R::PROTECTED_DAMAGED_HEADER;
    if (Le32(v.data() + PFF_OFFSET_VERSION) != 1) return R::PROTECTED_UNSUPPORTED;
    const std::uint32_t nSlot = Le32(v.data() + PFF_OFFSET_SLOT_SIZE);
    return nSlot % 512 == 0 && nSlot >= 1024 && nSlot <= (1u << 20) ? R::PROTECTED_OK
                                                                    : R::PROTECTED_DAMAGED_HEADER;
}

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

Opening OpenBytes(const Bytes& v, CProtectedOpener& opener) {
    Opening opening;
    opening.nResult = opener.ReadHeader(v.data(), v.size());
    Require(opening.nResult == ExpectHeader(v), "ReadHeader");
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

// What a whole stored file that opened must hold.
void CheckOpened(const Opening& opening, const Bytes& v) {
    if (opening.nResult != R::PROTECTED_OK) return;
    const ProtectedMetadata& metadata = opening.metadata;
    Require(metadata.strSourcePath == test::REFERENCE_SOURCE_PATH &&
                metadata.nStoredTime == test::REFERENCE_STORED_TIME &&
                metadata.nMode == test::REFERENCE_MODE,
            "metadata that was never sealed");
    Require(metadata.strSummary == test::REFERENCE_SUMMARY || metadata.strSummary == FUZZ_SUMMARY,
            "a summary that was never sealed");
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
    CProtectedOpener reopener(World().keys);
    const Opening after = OpenBytes(vEdited, reopener);
    Require(after.bSlots && after.nNewestSlot != before.nNewestSlot,
            "the edited slot is not in force");
    ProtectedMetadata expected = before.metadata;
    expected.strSummary = FUZZ_SUMMARY;
    ++expected.nSequence;
    const ProtectedMetadata& got = after.metadata;
    Require(got.nSequence == expected.nSequence && got.nPlainSize == expected.nPlainSize &&
                got.nStoredTime == expected.nStoredTime && got.nMode == expected.nMode &&
                got.strSourcePath == expected.strSourcePath && got.strSummary == FUZZ_SUMMARY,
            "the edited metadata");
    Require(after.nResult == before.nResult && after.strPlain == before.strPlain &&
                after.nFailedChunk == before.nFailedChunk,
            "a summary edit changed how the body opens");
    CheckOpened(after, vEdited);
}

// The cause a restore must give for a refusal of the opener.
FailCause CauseOf(const Opening& opening) {
    switch (opening.nResult) {
        case R::PROTECTED_UNSUPPORTED:
            return {FailReason::FAIL_NEWER_FORMAT};
        case R::PROTECTED_DAMAGED_CHUNK:
        case R::PROTECTED_SIZE_MISMATCH:
            return {FailReason::FAIL_DAMAGED, 0, static_cast<std::int64_t>(opening.nFailedChunk)};
        default:
            return {FailReason::FAIL_DAMAGED};
    }
}

// Restores through the file store: to a chosen target in an existing
// folder (a refusal leaves the tree exactly as it was), then to the
// recorded path (a refusal creates no file; the folders above the target
// may be made before the body is read), then without the master key.
void CheckRestores(const Bytes& v, const Opening& opening) {
    const FuzzWorld& world = World();
    Clear(world.strRoot);
    std::filesystem::create_directory(world.pEnv->RealPath(FUZZ_VAULT));
    std::filesystem::create_directory(world.pEnv->RealPath(FUZZ_OUT));
    WriteSandboxFile(*world.pEnv, FUZZ_STORED, std::string(v.begin(), v.end()));
    const bool bOpens = opening.nResult == R::PROTECTED_OK;

    Tree before = Snapshot(world.strRoot);
    test::CFakeFeedback feedback;
    RunContext run{&feedback, 0, 0, nullptr};
    FileResult result = world.pProtectedFiles->RestoreFile(FUZZ_STORED, FUZZ_TARGET, run);
    Tree after = Snapshot(world.strRoot);
    Require((result.nOutcome == FileOutcome::FILE_DONE) == bOpens, "restore to a target: result");
    Require(bOpens || result.cause == CauseOf(opening), "restore to a target: cause");
    Tree expected = before;
    if (bOpens) expected[FUZZ_PLAIN] = opening.strPlain;
    Require(after == expected, "restore to a target wrote what it should not");
    Require(feedback.WaitBalanced() && feedback.m_vQuestions.empty(),
            "restore to a target: feedback");

    before = after;
    result = world.pProtectedFiles->RestoreFile(FUZZ_STORED, "", run);
    after = Snapshot(world.strRoot);
    Require((result.nOutcome == FileOutcome::FILE_DONE) == bOpens,
            "restore to the recorded path: result");
    CheckChanges(before, after, test::REFERENCE_SOURCE_PATH, bOpens ? &opening.strPlain : nullptr,
                 "restore to the recorded path");
    Require(!bOpens || after.count(test::REFERENCE_SOURCE_PATH), "restore wrote no file");

    if (!IsProtectedSignature(v.data(), v.size())) return;
    before = after;
    result = world.pScrambledFiles->RestoreFile(FUZZ_STORED, FUZZ_TARGET, run);
    Require(result.cause.nReason == FailReason::FAIL_NEEDS_KEY && Snapshot(world.strRoot) == before,
            "a protected file restored without the master key");
}

}  // namespace

void CheckProtectedFile(const Bytes& v) {
    CProtectedOpener opener(World().keys);
    const Opening opening = OpenBytes(v, opener);
    CheckOpened(opening, v);
    if (opening.bSlots) CheckSummaryEdit(v, opening);
    // A scrambled stored file is the other target's; the store would read it.
    if (v.size() >= 6 && std::memcmp(v.data(), "QUOVEX", 6) == 0) return;
    CheckRestores(v, opening);
}

}  // namespace quovex::fuzz
