// The protected stored-file mode: the bytes opened chunk by chunk with the
// reference keys, their summary edited and opened again, and restored
// through the file store into the sandbox, with and without the vault's
// master key.
#include <cstring>

#include "Boxes.h"
#include "PathText.h"
#include "ProtectedFuzz.h"
#include "ProtectedOpen.h"

namespace quovex::fuzz {

namespace {

using R = ProtectedResult;

constexpr char FUZZ_SUMMARY[] = "改过的摘要 edited";

// The file opened with the reference keys: every byte handed out must be
// the reference pattern at its place, as nothing else was ever sealed under
// them.
test::Opened OpenBytes(const Bytes& v) {
    test::Opened opening = test::OpenProtected(World().keys, v);
    for (std::size_t i = 0; i < opening.plain.size(); ++i)
        if (opening.plain[i] != test::ReferenceByte(i))
            Finding("a chunk was handed out that was never sealed at its place");
    return opening;
}

// Opened slots hold what was sealed, and a whole stored file that opened
// holds as much as they say, at a length a writer makes.
void CheckOpened(const test::Opened& opening, const Bytes& v) {
    const ProtectedMetadata& metadata = opening.metadata;
    Require(!opening.bSlots || v.size() >= ProtectedHeadSize(opening.header),
            "slots opened cut short");
    Require(!opening.bSlots || (metadata.strSourcePath == test::REFERENCE_SOURCE_PATH &&
                                metadata.nStoredTime == test::REFERENCE_STORED_TIME &&
                                metadata.nMode == test::REFERENCE_MODE &&
                                (metadata.strSummary == test::REFERENCE_SUMMARY ||
                                 metadata.strSummary == FUZZ_SUMMARY)),
            "metadata that was never sealed");
    if (opening.result != R::PROTECTED_OK) return;
    Require(metadata.nPlainSize == opening.plain.size(), "a body of another size opened");
    // The length this version writes, or the one the first writers wrote.
    const std::uint64_t nFinalAt = ProtectedHeadSize(opening.header) +
                                   metadata.nPlainSize / PFF_CHUNK_SIZE * PFF_CHUNK_STORED_SIZE;
    Require(v.size() == ProtectedStoredLength(metadata.nPlainSize, opening.header) ||
                v.size() ==
                    nFinalAt + ProtectedChunkPaddedFinalSize(metadata.nPlainSize % PFF_CHUNK_SIZE),
            "a stored file of another length opened");
}

// A summary edit writes one slot: the one not in force, which then is,
// and the body opens as before.
void CheckSummaryEdit(const Bytes& v, const test::Opened& before) {
    CProtectedOpener opener(World().keys);
    opener.ReadHeader(v.data(), v.size());
    Require(opener.OpenSlots(v.data() + PFF_HEADER_SIZE, opener.HeadRestSize()) == R::PROTECTED_OK,
            "the slots do not open a second time");
    ProtectedSlotWrite write;
    Require(opener.SealSummaryEdit(FUZZ_SUMMARY, &write) == R::PROTECTED_OK, "SealSummaryEdit");
    const std::size_t nSlot = before.header.nSlotSize;
    Require(write.nOffset == before.header.Size() + (1 - before.nNewestSlot) * nSlot &&
                write.bytes.size() == nSlot,
            "SealSummaryEdit writes elsewhere than the slot not in force");
    Bytes vEdited = v;
    std::memcpy(vEdited.data() + write.nOffset, write.bytes.data(), write.bytes.size());
    const test::Opened after = OpenBytes(vEdited);
    Require(after.bSlots && after.nNewestSlot != before.nNewestSlot &&
                after.metadata.strSummary == FUZZ_SUMMARY &&
                after.metadata.nSequence == before.metadata.nSequence + 1 &&
                after.metadata.nPlainSize == before.metadata.nPlainSize,
            "the edited slot is not in force");
    Require(after.result == before.result && after.plain == before.plain &&
                after.nFailedChunk == before.nFailedChunk,
            "a summary edit changed how the body opens");
    CheckOpened(after, vEdited);
}

// Restores through the file store: to a chosen target and to the recorded
// path, each succeeding exactly when the bytes opened; then without the
// master key, which restores nothing.
void CheckRestores(const Bytes& v, const test::Opened& opening) {
    ClearSandbox();
    WriteSandboxFile(FUZZ_STORED, std::string(v.begin(), v.end()));
    const bool bOpens = opening.result == R::PROTECTED_OK;
    const std::string strPlain(opening.plain.begin(), opening.plain.end());
    const std::string* pPlain = bOpens ? &strPlain : nullptr;
    const CFileStore& files = *World().pProtectedFiles;
    // A file whose sealed place is not where it lies comes back under the
    // name that place ends in, when that is a name at all.
    const std::string strPlace = bOpens ? opening.metadata.strPlace : std::string();
    const std::string strSealed = SealedNameOf(strPlace);
    const std::string strTargetPlain =
        !strPlace.empty() && strPlace != StoredPlaceOf(FUZZ_STORED) && !strSealed.empty()
            ? JoinPath(FolderOf(FUZZ_PLAIN), strSealed)
            : std::string(FUZZ_PLAIN);
    Require(CheckRestore(files, FUZZ_TARGET, strTargetPlain, pPlain, false,
                         "restore to a target") == bOpens,
            "restore to a target: result");
    Require(CheckRestore(files, "", test::REFERENCE_SOURCE_PATH, pPlain, false,
                         "restore to the recorded path") == bOpens,
            "restore to the recorded path: result");
    CheckRestore(*World().pScrambledFiles, FUZZ_TARGET, "", nullptr, true, "restore without key");
}

}  // namespace

void CheckProtectedFile(const Bytes& v) {
    const test::Opened opening = OpenBytes(v);
    CheckOpened(opening, v);
    if (opening.bSlots) CheckSummaryEdit(v, opening);
    // A scrambled stored file is the other target's; the store would read it.
    if (v.size() >= 6 && std::memcmp(v.data(), "QUOVEX", 6) == 0) return;
    CheckRestores(v, opening);
}

}  // namespace quovex::fuzz
