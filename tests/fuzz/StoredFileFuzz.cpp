// libFuzzer target over everything that reads a stored file's bytes. Each
// input is one stored file, put at /vault/in.$ of a sandbox (SandboxEnv.h),
// and goes through the header codec, the header readers, the folder walks
// that read headers, and RestoreFile twice: to a chosen target, then to the
// path its header records. Besides the sanitizers' findings, every result is
// checked against what the bytes say, and after each restore the sandbox
// must hold nothing but what that restore may write.
//
// Two bits of the reserved header word, which the core never interprets,
// steer the run so that the fuzzer can reach both answers of the overwrite
// question and the keep-out check of restores.

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>

#include "Fakes.h"
#include "FileStore.h"
#include "FolderIdentity.h"
#include "PathText.h"
#include "RunContext.h"
#include "SandboxEnv.h"
#include "SandboxTree.h"
#include "StoredFileFormat.h"
#include "StoredFileInfo.h"
#include "StoredFileScan.h"
#include "TextCodec.h"
#include "VaultCipher.h"
#include "VaultFolders.h"
#include "VaultKey.h"

using namespace quovex;
using namespace quovex::fuzz;
namespace fs = std::filesystem;

namespace {

constexpr unsigned FUZZ_ANSWER_YES = 1;  // the overwrite questions are answered Yes
constexpr unsigned FUZZ_KEEP_OUT = 2;    // the restore to the recorded path keeps out of /vault

// What the bytes of one input say, worked out without the core's readers.
struct Expected {
    bool bSignature = false;
    std::uint32_t nPlainSize = 0;  // ReadPlainSize
    std::int64_t nChecksum = -1;   // ReadHeaderChecksum
    bool bHeader = false;          // ReadStoredHeader
    unsigned nReserved = 0;
    bool bBody = false;    // a restore reads the body to its end
    std::string strPlain;  // the restored bytes, when bBody
};

Expected Expect(const std::uint8_t* pData, std::size_t nSize, const CVaultCipher& cipher) {
    Expected e;
    e.bSignature = nSize >= SFF_SIGNATURE_SIZE && std::memcmp(pData, "QUOVEX", 6) == 0;
    if (!e.bSignature) return e;
    if (nSize >= 10) e.nPlainSize = Le32(pData + 6);
    if (nSize >= 14) e.nChecksum = Le32(pData + 10);
    if (nSize >= 18) e.nReserved = Le32(pData + 14);
    e.bHeader = nSize >= SFF_HEADER_SIZE;
    if (!e.bHeader) return e;
    const std::size_t nBody = nSize - SFF_HEADER_SIZE;
    const std::uint64_t nBlocksNeeded = (std::uint64_t{e.nPlainSize} + 127) / 128;
    e.bBody = nBody % SFF_BLOCK_SIZE == 0 && nBody / SFF_BLOCK_SIZE >= nBlocksNeeded;
    if (!e.bBody) return e;
    char szKey[CIPHER_KEY_BUFFER_SIZE];
    cipher.BuildFileKey(szKey);
    unsigned char block[SFF_BLOCK_SIZE];
    for (std::uint64_t k = 0; k < nBlocksNeeded; ++k) {
        CVaultCipher::UnscrambleBlock(szKey, pData + SFF_HEADER_SIZE + k * SFF_BLOCK_SIZE, block);
        const std::uint64_t nTake = std::min<std::uint64_t>(128, e.nPlainSize - k * 128);
        e.strPlain.append(reinterpret_cast<const char*>(block), nTake);
    }
    return e;
}

// The sandbox every run works in, and the vault's key.
struct Sandbox {
    std::string strRoot;
    CSandboxEnv* pEnv = nullptr;
    CVaultKey* pKey = nullptr;
    CFileStore* pFiles = nullptr;
} g_box;

// Whether strPath is strFolder or lies below it (both virtual, normal).
bool LiesIn(const std::string& strPath, const std::string& strFolder) {
    return strPath == strFolder || strPath.rfind(strFolder + "/", 0) == 0;
}

void CheckHeaderReaders(const std::uint8_t* pData, std::size_t nSize, const Expected& e,
                        CSandboxEnv& env) {
    Require(ReadPlainSize(FUZZ_STORED, &env) == e.nPlainSize, "ReadPlainSize");
    Require(ReadPlainSize(env.OpenForRead(FUZZ_STORED).get()) == e.nPlainSize,
            "ReadPlainSize of an open file");
    Require(ReadHeaderChecksum(FUZZ_STORED, &env) == e.nChecksum, "ReadHeaderChecksum");
    StoredFileHeader header, decoded;
    Require(ReadStoredHeader(FUZZ_STORED, &header, &env) == e.bHeader, "ReadStoredHeader");
    if (nSize < SFF_HEADER_SIZE) return;
    Require(DecodeHeader(pData, &decoded) == e.bHeader, "DecodeHeader");
    if (!e.bHeader) return;
    Require(std::memcmp(&header, &decoded, sizeof header) == 0, "the two header reads differ");
    Require(decoded.nPlainSize == e.nPlainSize && decoded.nChecksum == e.nChecksum &&
                decoded.nReserved == e.nReserved,
            "DecodeHeader numbers");
    Require(
        decoded.szSourcePath[SFF_TEXT_MAX_BYTES] == 0 && decoded.szSummary[SFF_TEXT_MAX_BYTES] == 0,
        "DecodeHeader left a text field unterminated");
    Require(std::memcmp(decoded.szSourcePath, pData + SFF_OFFSET_SOURCE_PATH, SFF_TEXT_MAX_BYTES) ==
                    0 &&
                std::memcmp(decoded.szSummary, pData + SFF_OFFSET_SUMMARY, SFF_TEXT_MAX_BYTES) == 0,
            "DecodeHeader texts");
}

void CheckWalks(const Expected& e, CSandboxEnv& env) {
    Require(GetStoredTotalSize(FUZZ_VAULT, &env) == e.nPlainSize, "GetStoredTotalSize");
    Require(FindFirstStoredFile("/", &env) == FUZZ_STORED, "FindFirstStoredFile");
    // What the properties dialog and quovex-tool's list and check read.
    const StoredFileInfo info = ReadStoredFileInfo(FUZZ_STORED, &env);
    Require(info.bOpened && info.bStored == e.bHeader, "ReadStoredFileInfo");
    Require(!e.bHeader || info.nPlainSize == e.nPlainSize, "ReadStoredFileInfo plain size");
    int nScans = 0;
    for (const bool bReadBody : {false, true}) {
        Require(ScanStoredFiles(
                    FUZZ_VAULT, bReadBody,
                    [&](const StoredFileScan& scan) {
                        ++nScans;
                        Require(HasUsableHeader(scan) == e.bHeader, "ScanStoredFiles");
                        FindStoredDamage(scan);
                    },
                    &env),
                "ScanStoredFiles listing");
    }
    Require(nScans == 2, "ScanStoredFiles count");
}

// An absolute path without empty, "." or ".." components: the only form of
// recorded path that a restore may write to.
bool IsPlainAbsolute(const std::string& strPath) {
    if (strPath.size() < 2 || strPath[0] != '/') return false;
    for (std::size_t nStart = 1;;) {
        const std::size_t nEnd = strPath.find('/', nStart);
        const std::string strPart = strPath.substr(nStart, nEnd - nStart);
        if (strPart.empty() || strPart == "." || strPart == "..") return false;
        if (nEnd == std::string::npos) return true;
        nStart = nEnd + 1;
    }
}

// Whether a restore to strPath must succeed on the tree before: nothing lies
// there and no folder above it is a file.
bool IsFreeTarget(const Tree& before, const std::string& strPath) {
    if (before.count(strPath) || before.count(strPath + "/")) return false;
    for (std::size_t n = strPath.find('/', 1); n != std::string::npos; n = strPath.find('/', n + 1))
        if (before.count(strPath.substr(0, n))) return false;
    return true;
}

// The restore to a chosen target writes its plain file there and nothing else.
void CheckRestoreToTarget(const Expected& e, const Sandbox& box) {
    const Tree before = Snapshot(box.strRoot);
    test::CFakeFeedback feedback;
    RunContext run{&feedback, 0, 0, nullptr};
    const int nResult =
        box.pFiles->RestoreFile(FUZZ_STORED, FUZZ_TARGET, run).nOutcome == FileOutcome::FILE_DONE;
    const Tree after = Snapshot(box.strRoot);
    CheckChanges(before, after, FUZZ_PLAIN, &e.strPlain, "restore to a target");
    Require(nResult == (e.bBody ? 1 : 0), "restore to a target: result");
    Require(after.count(FUZZ_PLAIN) == (nResult == 1 ? 1u : 0u), "restore to a target: file");
    Require(feedback.WaitBalanced() && feedback.m_vQuestions.empty(),
            "restore to a target: feedback");
}

// The restore to the recorded path writes there, and only when that path is
// in the form storing records, the body is whole and the path is not kept out.
void CheckRestoreToRecorded(const std::uint8_t* pData, const Expected& e, const Sandbox& box) {
    std::string strPath;
    bool bPathOk = false;
    if (e.bHeader) {
        const char* pszField = reinterpret_cast<const char*>(pData + SFF_OFFSET_SOURCE_PATH);
        const std::string strGb(pszField, strnlen(pszField, SFF_TEXT_MAX_BYTES));
        bPathOk = Gb18030ToUtf8(strGb, &strPath) && IsPlainAbsolute(strPath);
    }
    KeepOutSet vault{{FileStamp()}, {}};
    box.pEnv->GetStamp(FUZZ_VAULT, &vault.vFolders[0]);
    const bool bKeepOut = (e.nReserved & FUZZ_KEEP_OUT) != 0;
    const bool bKeptOut = bKeepOut && LiesIn(strPath, FUZZ_VAULT);

    const Tree before = Snapshot(box.strRoot);
    test::CFakeFeedback feedback;
    feedback.m_bAnswerYes = (e.nReserved & FUZZ_ANSWER_YES) != 0;
    RunContext run{&feedback, 0, 0, nullptr};
    const int nResult =
        box.pFiles->RestoreFile(FUZZ_STORED, "", run, bKeepOut ? &vault : nullptr).nOutcome ==
        FileOutcome::FILE_DONE;
    const Tree after = Snapshot(box.strRoot);
    Require(feedback.WaitBalanced(), "restore to the recorded path: wait cursor");
    if (!bPathOk || bKeptOut) {
        Require(nResult == 0 && after == before, "restore to a refused recorded path");
        return;
    }
    CheckChanges(before, after, strPath, &e.strPlain, "restore to the recorded path");
    if (nResult == 1) {
        Require(e.bBody && after.count(strPath), "restore to the recorded path: false success");
        Require(!before.count(strPath) || feedback.m_bAnswerYes,
                "restore to the recorded path replaced a file without a Yes");
    } else {
        Require(!e.bBody || !IsFreeTarget(before, strPath),
                "restore to a free recorded path failed");
        const auto itOld = before.find(strPath);
        const auto itNew = after.find(strPath);
        Require(itOld == before.end() ? itNew == after.end() : itNew != after.end(),
                "restore to the recorded path failed but left its target changed");
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    g_box.strRoot = MakeSandboxRoot();
    g_box.pEnv = new CSandboxEnv(g_box.strRoot);
    g_box.pKey = new CVaultKey("quovex", "p@ss-w0rd");
    g_box.pFiles = new CFileStore(*g_box.pKey, g_box.pEnv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize) {
    const Sandbox& box = g_box;
    Clear(box.strRoot);
    fs::create_directory(box.strRoot + FUZZ_VAULT);
    WriteSandboxFile(*box.pEnv, FUZZ_STORED,
                     std::string(reinterpret_cast<const char*>(pData), nSize));

    const Expected e = Expect(pData, nSize, box.pKey->Cipher());
    CheckHeaderReaders(pData, nSize, e, *box.pEnv);
    CheckWalks(e, *box.pEnv);
    CheckRestoreToTarget(e, box);
    CheckRestoreToRecorded(pData, e, box);
    Clear(box.strRoot);
    return 0;
}
