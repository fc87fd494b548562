// libFuzzer target over everything that reads a scrambled stored file's
// bytes. Each input is one stored file, put in the sandbox (FuzzHarness.h),
// and goes through the header codec, the header readers, the folder walks
// that read headers, and RestoreFile twice: to a chosen target, then to the
// path its header records. Nothing in a scrambled file is authenticated, so
// what must hold is what the bytes say: a restore succeeds exactly when the
// body is whole and writes the unscrambled body; the recorded path is
// written only when it is in the form storing records and not kept out.
//
// Two bits of the reserved header word, which the core never interprets,
// steer the run so that the fuzzer can reach both answers of the overwrite
// question and the keep-out check of restores.

#include <cstdint>
#include <cstring>
#include <string>

#include "FolderWalk.h"
#include "FuzzHarness.h"
#include "StoredFileHeader.h"
#include "StoredFileInfo.h"
#include "StoredFileScan.h"
#include "TextCodec.h"
#include "VaultCipher.h"

using namespace quovex;
using namespace quovex::fuzz;

namespace {

constexpr unsigned FUZZ_ANSWER_YES = 1;  // the overwrite questions are answered Yes
constexpr unsigned FUZZ_KEEP_OUT = 2;    // the restore to the recorded path keeps out of /vault

// What the bytes of one input say, worked out without the core's readers.
struct Expected {
    std::uint32_t nPlainSize = 0;  // ReadPlainSize
    bool bHeader = false;          // ReadStoredHeader
    unsigned nReserved = 0;
    bool bBody = false;    // a restore reads the body to its end
    std::string strPlain;  // the restored bytes, when bBody
};

Expected Expect(const std::uint8_t* pData, std::size_t nSize, const CVaultCipher& cipher) {
    Expected e;
    if (nSize < SFF_SIGNATURE_SIZE || std::memcmp(pData, "QUOVEX", 6) != 0) return e;
    if (nSize >= 10) e.nPlainSize = static_cast<std::uint32_t>(Le(pData + 6, 4));
    if (nSize >= 18) e.nReserved = static_cast<unsigned>(Le(pData + 14, 4));
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

// The header readers and the walks that read headers, for what the
// sanitizers find; the header reads the same every way.
void CheckHeaderReaders(const std::uint8_t* pData, const Expected& e) {
    CSandboxEnv& env = World().env;
    Require(ReadPlainSize(FUZZ_STORED, &env) == e.nPlainSize, "ReadPlainSize");
    Require(GetStoredTotalSize(FUZZ_VAULT, &env) == e.nPlainSize, "GetStoredTotalSize");
    ReadHeaderChecksum(FUZZ_STORED, &env);
    StoredFileHeader header, decoded;
    Require(ReadStoredHeader(FUZZ_STORED, &header, &env) == e.bHeader &&
                (!e.bHeader || (DecodeHeader(pData, &decoded) &&
                                std::memcmp(&header, &decoded, sizeof header) == 0)),
            "ReadStoredHeader and DecodeHeader");
    FindFirstStoredFile("/", &env);
    ReadStoredFileInfo(FUZZ_STORED, &env);
    for (const bool bReadBody : {false, true}) {
        ScanStoredFiles(
            FUZZ_VAULT, bReadBody, [&](const StoredFileScan& scan) { FindStoredDamage(scan); },
            &env);
    }
}

// An absolute path without empty, "." or ".." components: the only form of
// recorded path that a restore may write to.
bool IsPlainAbsolute(const std::string& strPath) {
    const std::string strEnded = strPath + "/";
    return strPath.size() >= 2 && strPath[0] == '/' && strEnded.find("//") == std::string::npos &&
           strEnded.find("/./") == std::string::npos && strEnded.find("/../") == std::string::npos;
}

void CheckRestoreToRecorded(const std::uint8_t* pData, const Expected& e) {
    std::string strPath;
    bool bPathOk = false;
    if (e.bHeader) {
        const char* pszField = reinterpret_cast<const char*>(pData + SFF_OFFSET_SOURCE_PATH);
        const std::string strGb(pszField, strnlen(pszField, SFF_TEXT_MAX_BYTES));
        bPathOk = Gb18030ToUtf8(strGb, &strPath) && IsPlainAbsolute(strPath);
    }
    KeepOutSet vault{{FileStamp()}, {}};
    World().env.GetStamp(FUZZ_VAULT, &vault.vFolders[0]);
    const bool bKeepOut = (e.nReserved & FUZZ_KEEP_OUT) != 0;
    const std::string strVault = std::string(FUZZ_VAULT) + "/";
    if (bKeepOut && (strPath == FUZZ_VAULT || strPath.rfind(strVault, 0) == 0)) bPathOk = false;
    CheckRestore(*World().pScrambledFiles, "", bPathOk ? strPath : "",
                 e.bBody ? &e.strPlain : nullptr, (e.nReserved & FUZZ_ANSWER_YES) != 0,
                 "restore to the recorded path", bKeepOut ? &vault : nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    g_pWorld = new FuzzWorld("quovex", "p@ss-w0rd");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize) {
    ClearSandbox();
    WriteSandboxFile(FUZZ_STORED, std::string(reinterpret_cast<const char*>(pData), nSize));
    const Expected e = Expect(pData, nSize, World().scrambledKey.Cipher());
    CheckHeaderReaders(pData, e);
    Require(CheckRestore(*World().pScrambledFiles, FUZZ_TARGET, FUZZ_PLAIN,
                         e.bBody ? &e.strPlain : nullptr, false, "restore to a target") == e.bBody,
            "restore to a target: result");
    CheckRestoreToRecorded(pData, e);
    return 0;
}
